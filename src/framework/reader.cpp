// The form reader: a tokenizer and a recursive reader of `object ... end` blocks that sets
// properties through their descriptors.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include "framework/application.h"
#include "framework/format.h"
#include "framework/streaming.h"

namespace vantorel {

namespace detail {
void EnterDesignScope();
void LeaveDesignScope();
}  // namespace detail

EReadError::EReadError(std::string source, int line, std::string problem, std::exception_ptr cause)
    : Exception(Format("%s:%d: %s", source, line, problem)),
      source_(std::move(source)),
      line_(line),
      problem_(std::move(problem)),
      cause_(std::move(cause)) {}

namespace {

constexpr int kMaxPathSegments = 16;

// Shortens text quoted in a message so that a hostile form cannot make messages huge.
std::string Shown(std::string_view text) {
  std::string out;
  for (char c : text.substr(0, 60)) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u == 127)
      out += Format("#%d", static_cast<int>(u));
    else
      out += c;
  }
  if (text.size() > 60) out += "...";
  return out;
}

// ---- tokens ---------------------------------------------------------------------------------

enum class Tok { End, Ident, Integer, Float, String, Symbol };

struct Token {
  Tok kind = Tok::End;
  std::string text;  // Ident: the name; String: the value; Symbol: the character
  int64_t integer = 0;
  double number = 0;
  int line = 1;

  bool Is(char symbol) const {
    return kind == Tok::Symbol && text.size() == 1 && text[0] == symbol;
  }
  bool IsWord(std::string_view word) const {
    return kind == Tok::Ident && detail::SameText(text, word);
  }
};

std::string Describe(const Token& t) {
  switch (t.kind) {
    case Tok::End:
      return "the end of the text";
    case Tok::Ident:
    case Tok::Symbol:
      return Format("'%s'", Shown(t.text));
    case Tok::Integer:
    case Tok::Float:
      return Format("the number %s", Shown(t.text));
    case Tok::String:
      return Format("the string '%s'", Shown(t.text));
  }
  return "?";
}

class Lexer {
 public:
  Lexer(std::string_view text, const std::string& source) : text_(text), source_(source) {}

  [[noreturn]] void Fail(int line, const std::string& problem,
                         std::exception_ptr cause = nullptr) const {
    throw EReadError(source_, line, problem, std::move(cause));
  }

  const Token& Peek() {
    if (!peeked_) {
      peeked_ = Scan();
    }
    return *peeked_;
  }
  Token Next() {
    Peek();
    Token t = std::move(*peeked_);
    peeked_.reset();
    return t;
  }

  // The bytes of `{ hex }`; the '{' has been consumed.
  std::vector<uint8_t> Binary(int start_line) {
    std::vector<uint8_t> bytes;
    int high = -1;
    while (true) {
      if (pos_ >= text_.size()) Fail(start_line, "unterminated binary data (missing '}')");
      char c = text_[pos_++];
      if (c == '}') break;
      if (c == '\n' || c == '\r') {
        CountLineEnd(c);
        continue;
      }
      if (c == ' ' || c == '\t') continue;
      int v = HexValue(c);
      if (v < 0) Fail(line_, Format("invalid character '%s' in binary data", Shown({&c, 1})));
      if (high < 0) {
        high = v;
      } else {
        bytes.push_back(static_cast<uint8_t>(high << 4 | v));
        high = -1;
      }
    }
    if (high >= 0) Fail(line_, "binary data has an odd number of hex digits");
    return bytes;
  }

  int Line() const { return line_; }

 private:
  static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }
  static bool IdentStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
  }
  static bool Digit(char c) { return c >= '0' && c <= '9'; }

  // After a CR or LF at pos_ - 1: CR LF, CR alone and LF alone each end one line.
  void CountLineEnd(char c) {
    if (c == '\r' && pos_ < text_.size() && text_[pos_] == '\n') return;  // the LF counts
    ++line_;
  }

  void SkipBlanks() {
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n' || c == '\r') {
        ++pos_;
        CountLineEnd(c);
        continue;
      } else if (c != ' ' && c != '\t' && c != '\f' && c != '\v' && c != '\0') {
        if (c == '\xEF' && text_.substr(pos_, 3) == "\xEF\xBB\xBF" && pos_ == 0) {
          pos_ += 3;  // a UTF-8 byte order mark some editors add
          continue;
        }
        return;
      }
      ++pos_;
    }
  }

  Token Scan() {
    SkipBlanks();
    Token t;
    t.line = line_;
    if (pos_ >= text_.size()) return t;
    char c = text_[pos_];
    if (IdentStart(c)) {
      size_t start = pos_;
      while (pos_ < text_.size() && (IdentStart(text_[pos_]) || Digit(text_[pos_]))) ++pos_;
      t.kind = Tok::Ident;
      t.text = std::string(text_.substr(start, pos_ - start));
      return t;
    }
    if (c == '\'' || c == '#') {
      ScanString(t);
      return t;
    }
    if (Digit(c) || ((c == '-' || c == '+') && pos_ + 1 < text_.size() &&
                     (Digit(text_[pos_ + 1]) || text_[pos_ + 1] == '$')))
      return ScanNumber(t);
    if (c == '$') return ScanNumber(t);
    static const std::string_view kSymbols = "=:[](){},.<>+-;";
    if (kSymbols.find(c) != std::string_view::npos) {
      ++pos_;
      t.kind = Tok::Symbol;
      t.text = std::string(1, c);
      return t;
    }
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 32 || u >= 127) Fail(line_, Format("unexpected character #%d", static_cast<int>(u)));
    Fail(line_, Format("unexpected character '%s'", std::string(1, c)));
  }

 public:
  // When the next token is a string, appends its value to `out` and consumes it.
  bool AppendString(std::string& out) {
    if (peeked_) {
      if (peeked_->kind != Tok::String) return false;
      out += peeked_->text;
      peeked_.reset();
      return true;
    }
    SkipBlanks();
    if (pos_ >= text_.size() || (text_[pos_] != '\'' && text_[pos_] != '#')) return false;
    Token t;
    t.line = line_;
    t.text = std::move(out);
    ScanString(t);
    out = std::move(t.text);
    return true;
  }

 private:
  // A run of 'quoted' parts and #code characters without blanks between them, appended to
  // t.text in place (a copy of a large string would double its memory).
  void ScanString(Token& t) {
    t.kind = Tok::String;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\'') {
        ++pos_;
        while (true) {
          // The run up to the next quote or line end is appended whole.
          size_t end = text_.find_first_of("'\r\n", pos_);
          if (end == std::string_view::npos || text_[end] != '\'')
            Fail(t.line, "unterminated string");
          t.text.append(text_.substr(pos_, end - pos_));
          pos_ = end + 1;
          if (pos_ < text_.size() && text_[pos_] == '\'') {
            t.text += '\'';
            ++pos_;
            continue;
          }
          break;
        }
      } else if (c == '#') {
        ++pos_;
        int64_t code = 0;
        bool hex = pos_ < text_.size() && text_[pos_] == '$';
        if (hex) ++pos_;
        size_t start = pos_;
        while (pos_ < text_.size() && (hex ? HexValue(text_[pos_]) >= 0 : Digit(text_[pos_]))) {
          code = code * (hex ? 16 : 10) + (hex ? HexValue(text_[pos_]) : text_[pos_] - '0');
          if (code > 255) Fail(line_, "character code out of range 0..255");
          ++pos_;
        }
        if (pos_ == start) Fail(line_, "'#' must be followed by a character code");
        t.text += static_cast<char>(code);
      } else {
        break;
      }
    }
  }

  Token ScanNumber(Token& t) {
    size_t start = pos_;
    bool negative = false;
    if (text_[pos_] == '-' || text_[pos_] == '+') negative = text_[pos_++] == '-';
    if (pos_ < text_.size() && text_[pos_] == '$') {
      ++pos_;
      uint64_t value = 0;
      size_t digits = pos_;
      while (pos_ < text_.size() && HexValue(text_[pos_]) >= 0) {
        if (value > (std::numeric_limits<uint64_t>::max() >> 4)) Fail(line_, "number out of range");
        value = value << 4 | static_cast<uint64_t>(HexValue(text_[pos_++]));
      }
      if (pos_ == digits) Fail(line_, "'$' must be followed by hex digits");
      // $FFFFFFFF style constants are 32-bit patterns: colours with the high bit set.
      int64_t v = value <= 0xFFFFFFFFu ? static_cast<int64_t>(static_cast<int32_t>(value))
                                       : static_cast<int64_t>(value);
      t.kind = Tok::Integer;
      t.integer = negative ? -v : v;
      t.text = std::string(text_.substr(start, pos_ - start));
      return t;
    }
    bool is_float = false;
    while (pos_ < text_.size() && Digit(text_[pos_])) ++pos_;
    if (pos_ + 1 < text_.size() && text_[pos_] == '.' && Digit(text_[pos_ + 1])) {
      is_float = true;
      ++pos_;
      while (pos_ < text_.size() && Digit(text_[pos_])) ++pos_;
    }
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
      size_t save = pos_++;
      if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) ++pos_;
      if (pos_ < text_.size() && Digit(text_[pos_])) {
        is_float = true;
        while (pos_ < text_.size() && Digit(text_[pos_])) ++pos_;
      } else {
        pos_ = save;
      }
    }
    t.text = std::string(text_.substr(start, pos_ - start));
    if (t.text.size() > 400) Fail(line_, "number too long");
    if (is_float) {
      t.kind = Tok::Float;
      t.number = std::strtod(t.text.c_str(), nullptr);
      if (!std::isfinite(t.number)) Fail(line_, "number out of range");
      return t;
    }
    t.kind = Tok::Integer;
    uint64_t value = 0;
    for (char d : std::string_view(t.text).substr(t.text[0] == '-' || t.text[0] == '+' ? 1 : 0)) {
      uint64_t digit = static_cast<uint64_t>(d - '0');
      if (value > (std::numeric_limits<uint64_t>::max() - digit) / 10)
        Fail(line_, "number out of range");
      value = value * 10 + digit;
    }
    uint64_t limit = negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
    if (value > limit) Fail(line_, "number out of range");
    t.integer = negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
    return t;
  }

  std::string_view text_;
  const std::string& source_;
  size_t pos_ = 0;
  int line_ = 1;
  std::optional<Token> peeked_;
};

// ---- values ---------------------------------------------------------------------------------

struct Value {
  enum Kind { Integer, Float, String, Ident, Set, List, Binary } kind = Integer;
  int64_t integer = 0;
  double number = 0;
  std::string text;                // String; Ident (dotted names joined)
  std::vector<std::string> items;  // Set: the names
  std::vector<Value> list;         // List: the items
  std::vector<uint8_t> bytes;      // Binary
  int line = 0;
};

const char* KindName(Value::Kind kind) {
  switch (kind) {
    case Value::Integer:
      return "an integer";
    case Value::Float:
      return "a number";
    case Value::String:
      return "a string";
    case Value::Ident:
      return "an identifier";
    case Value::Set:
      return "a set";
    case Value::List:
      return "a list";
    case Value::Binary:
      return "binary data";
  }
  return "a value";
}

// ---- the reader -----------------------------------------------------------------------------

struct Fixup {
  TObject* instance;
  std::string owner_text;  // "Install1.DestDirType" for messages
  const TPropInfo* prop;
  std::string target;
  int line;
};

class Reader {
 public:
  Reader(std::string_view text, const TReadOptions& options)
      : lexer_(text, options.source_name),
        options_(options),
        handlers_(options.handlers != nullptr ? *options.handlers : Handlers()) {}

  // Reads into `root` (existing) or creates the root (root == nullptr); returns the root.
  TComponent* Read(TComponent* existing_root) {
    struct DesignScope {
      bool on;
      explicit DesignScope(bool design) : on(design) {
        if (on) detail::EnterDesignScope();
      }
      ~DesignScope() {
        if (on) detail::LeaveDesignScope();
      }
    } scope(options_.design_mode);

    existing_root_ = existing_root;
    try {
      ReadObject(nullptr, 0);
      const Token& after = lexer_.Peek();
      if (after.kind != Tok::End)
        Fail(after.line, "text after the end of the form: " + Describe(after));
      ResolveFixups();
      for (TComponent* c : loaded_) c->SetStateFlag(csReading, false);
      for (TComponent* c : loaded_) c->Loaded();
      for (TComponent* c : loaded_) c->SetStateFlag(csLoading, false);
    } catch (...) {
      Abandon();
      throw;
    }
    return root_;
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& problem, std::exception_ptr cause = nullptr) {
    lexer_.Fail(line, problem, std::move(cause));
  }

  Token Expect(Tok kind, const char* what) {
    Token t = lexer_.Next();
    if (t.kind != kind) Fail(t.line, Format("expected %s but found %s", what, Describe(t)));
    return t;
  }
  void ExpectSymbol(char symbol) {
    Token t = lexer_.Next();
    if (!t.Is(symbol))
      Fail(t.line, Format("expected '%s' but found %s", std::string(1, symbol), Describe(t)));
  }

  // Undoes a failed read: what it created goes, what it reused stops loading.
  void Abandon() {
    if (existing_root_ == nullptr) {
      if (root_ != nullptr) root_->Free();
      root_ = nullptr;
      return;
    }
    for (auto it = created_.rbegin(); it != created_.rend(); ++it) (*it)->Free();
    for (TComponent* c : loaded_) {
      if (std::find(created_.begin(), created_.end(), c) != created_.end()) continue;
      c->SetStateFlag(csReading, false);
      c->SetStateFlag(csLoading, false);
    }
  }

  static std::string NameOf(const TComponent* c) {
    return c->Name().empty() ? c->ClassName() : c->Name();
  }

  void ReadObject(TComponent* enclosing, int depth) {
    Token head = lexer_.Next();
    if (head.IsWord("inherited") || head.IsWord("inline"))
      Fail(head.line, Format("'%s' objects are not supported; use 'object'", head.text));
    if (!head.IsWord("object")) Fail(head.line, "expected 'object' but found " + Describe(head));
    if (depth >= kMaxFormNesting)
      Fail(head.line, Format("objects nested deeper than %d levels", kMaxFormNesting));

    Token first = Expect(Tok::Ident, "a component name or class");
    std::string name, class_name = first.text;
    if (lexer_.Peek().Is(':')) {
      lexer_.Next();
      name = first.text;
      class_name = Expect(Tok::Ident, "a class name").text;
    }
    if (lexer_.Peek().Is('['))
      Fail(lexer_.Peek().line, "ordered objects ('[index]') are not supported");

    TComponent* component = CreateComponent(enclosing, name, class_name, head.line);

    while (true) {
      const Token& t = lexer_.Peek();
      if (t.kind == Tok::End) {
        Fail(t.line, Format("missing 'end' of object '%s' (begun at line %d)",
                            name.empty() ? class_name : name, head.line));
      }
      if (t.IsWord("end")) {
        lexer_.Next();
        break;
      }
      if (t.IsWord("object") || t.IsWord("inherited") || t.IsWord("inline")) {
        ReadObject(component, depth + 1);
        continue;
      }
      ReadProperty(*component);
    }
  }

  TComponent* CreateComponent(TComponent* enclosing, const std::string& name,
                              const std::string& class_name, int line) {
    const TClass* cls = FindClass(class_name);
    if (cls == nullptr) Fail(line, Format("unknown class '%s'", Shown(class_name)));
    if (!name.empty() && !IsValidIdent(name))
      Fail(line, Format("'%s' is not a valid component name", Shown(name)));

    TComponent* component = nullptr;
    if (enclosing == nullptr) {
      if (existing_root_ != nullptr) {
        if (!existing_root_->ClassType()->InheritsFrom(cls))
          Fail(line, Format("the form is a %s, but it is read into a %s", cls->ClassName(),
                            existing_root_->ClassName()));
        component = existing_root_;
        root_ = component;
      } else {
        if (!cls->CanCreate() || !cls->InheritsFrom(TClassOf<TComponent>()))
          Fail(line, Format("class %s cannot be created", cls->ClassName()));
        component = Construct(*cls, nullptr, line);
        root_ = component;
      }
      Begin(component);
      Rename(component, name, line);
      return component;
    }

    TComponent* existing = root_->FindComponent(name);
    if (existing != nullptr) {
      bool ours = std::find(created_.begin(), created_.end(), existing) != created_.end() ||
                  std::find(loaded_.begin(), loaded_.end(), existing) != loaded_.end();
      if (ours) Fail(line, Format("duplicate component name '%s'", name));
      if (existing->ClassType() != cls)
        Fail(line, Format("duplicate component name '%s': the form already has a %s of that name",
                          name, existing->ClassName()));
      component = existing;
    } else {
      if (!cls->CanCreate() || !cls->InheritsFrom(TClassOf<TComponent>()))
        Fail(line, Format("class %s cannot be created", cls->ClassName()));
      component = Construct(*cls, root_, line);
      created_.push_back(component);
    }
    Begin(component);
    if (existing == nullptr) Rename(component, name, line);
    if (enclosing != nullptr) {
      try {
        component->SetParentComponent(enclosing);
      } catch (const EReadError&) {
        throw;
      } catch (const std::exception& e) {
        Fail(line, Format("cannot place '%s' in '%s': %s", name, NameOf(enclosing), e.what()));
      }
    }
    return component;
  }

  TComponent* Construct(const TClass& cls, TComponent* owner, int line) {
    try {
      return cls.Create(owner);
    } catch (const EReadError&) {
      throw;
    } catch (const std::exception& e) {
      Fail(line, Format("cannot create a %s: %s", cls.ClassName(), e.what()),
           std::current_exception());
    }
  }

  void Begin(TComponent* component) {
    component->SetStateFlag(csLoading, true);
    component->SetStateFlag(csReading, true);
    loaded_.push_back(component);
  }

  void Rename(TComponent* component, const std::string& name, int line) {
    try {
      component->SetName(name);
    } catch (const std::exception& e) {
      Fail(line, e.what());
    }
  }

  // ---- properties ----

  void ReadProperty(TComponent& component) {
    Token first = lexer_.Next();
    if (first.kind != Tok::Ident)
      Fail(first.line, "expected a property name, 'object' or 'end' but found " + Describe(first));
    std::vector<std::string> path{first.text};
    while (lexer_.Peek().Is('.')) {
      lexer_.Next();
      path.push_back(Expect(Tok::Ident, "a property name after '.'").text);
      if (path.size() > kMaxPathSegments) Fail(first.line, "property path too long");
    }
    ExpectSymbol('=');
    Value value = ReadValue();
    Apply(component, component, NameOf(&component), path, 0, value, first.line);
    if (options_.on_property) {
      std::string joined = path[0];
      for (size_t i = 1; i < path.size(); ++i) joined += "." + path[i];
      options_.on_property(component, joined, Render(value), first.line);
    }
  }

  static std::string Render(const Value& v) {
    switch (v.kind) {
      case Value::Integer:
        return std::to_string(v.integer);
      case Value::Float: {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%g", v.number);
        return buffer;
      }
      case Value::String:
        return QuoteFormString(v.text);
      case Value::Ident:
        return v.text;
      case Value::Set: {
        std::string out = "[";
        for (size_t i = 0; i < v.items.size(); ++i) {
          if (i > 0) out += ", ";
          out += v.items[i];
        }
        return out + "]";
      }
      case Value::List: {
        std::string out = "(";
        for (size_t i = 0; i < v.list.size(); ++i) {
          if (i > 0) out += " ";
          out += Render(v.list[i]);
        }
        return out + ")";
      }
      case Value::Binary:
        return Format("{%d bytes}", v.bytes.size());
    }
    return {};
  }

  Value ReadValue() {
    Token t = lexer_.Next();
    Value v;
    v.line = t.line;
    switch (t.kind) {
      case Tok::Integer:
        v.kind = Value::Integer;
        v.integer = t.integer;
        return v;
      case Tok::Float:
        v.kind = Value::Float;
        v.number = t.number;
        return v;
      case Tok::String:
        v.kind = Value::String;
        v.text = std::move(t.text);
        // 'a' + 'b', also across lines.
        while (lexer_.Peek().Is('+')) {
          lexer_.Next();
          // Scanned straight onto the value: a large string is not held twice.
          if (!lexer_.AppendString(v.text)) {
            Token more = lexer_.Next();
            Fail(more.line, "expected a string after '+' but found " + Describe(more));
          }
        }
        return v;
      case Tok::Ident:
        v.kind = Value::Ident;
        v.text = std::move(t.text);
        while (lexer_.Peek().Is('.')) {
          lexer_.Next();
          v.text += "." + Expect(Tok::Ident, "a name after '.'").text;
          if (v.text.size() > 1024) Fail(t.line, "name too long");
        }
        return v;
      case Tok::Symbol:
        if (t.Is('[')) return ReadSet(v);
        if (t.Is('(')) return ReadList(v);
        if (t.Is('{')) {
          v.kind = Value::Binary;
          v.bytes = lexer_.Binary(t.line);
          return v;
        }
        if (t.Is('<')) Fail(t.line, "collections ('< ... >') are not supported");
        break;
      case Tok::End:
        Fail(t.line, "missing value at the end of the text");
    }
    Fail(t.line, "expected a value but found " + Describe(t));
  }

  Value ReadSet(Value& v) {
    v.kind = Value::Set;
    if (lexer_.Peek().Is(']')) {
      lexer_.Next();
      return v;
    }
    while (true) {
      v.items.push_back(Expect(Tok::Ident, "a set element").text);
      Token sep = lexer_.Next();
      if (sep.Is(']')) return v;
      if (!sep.Is(',')) Fail(sep.line, "expected ',' or ']' in a set but found " + Describe(sep));
    }
  }

  Value ReadList(Value& v) {
    v.kind = Value::List;
    while (!lexer_.Peek().Is(')')) {
      const Token& t = lexer_.Peek();
      if (t.kind == Tok::End) Fail(v.line, "unterminated list (missing ')')");
      if (t.Is('(')) Fail(t.line, "nested lists are not supported");
      v.list.push_back(ReadValue());
    }
    lexer_.Next();
    return v;
  }

  [[noreturn]] void WrongKind(const std::string& where, const TPropInfo& prop, const Value& v) {
    Fail(v.line, Format("%s expects %s (%s), not %s", where, PropKindName(prop.kind),
                        prop.TypeName(), KindName(v.kind)));
  }

  template <class F>
  void CallSetter(const std::string& where, int line, F&& f) {
    try {
      f();
    } catch (const EReadError&) {
      throw;
    } catch (const std::exception& e) {
      Fail(line, Format("cannot set %s: %s", where, e.what()), std::current_exception());
    }
  }

  void Apply(TComponent& component, TObject& instance, const std::string& prefix,
             const std::vector<std::string>& path, size_t index, const Value& v, int line) {
    const std::string& name = path[index];
    const TPropInfo* prop = instance.ClassType()->FindProperty(name);
    std::string where = prefix + "." + name;
    if (prop == nullptr)
      Fail(line,
           Format("unknown property '%s' of %s: %s", Shown(name), prefix, instance.ClassName()));
    bool last = index + 1 == path.size();
    if (!last) {
      const std::string& next = path[index + 1];
      bool final_step = index + 2 == path.size();
      if (prop->kind == TPropKind::Object) {
        TObject* sub = prop->get_object(instance);
        if (sub == nullptr) Fail(line, Format("%s has no object to set", where));
        Apply(component, *sub, where, path, index + 1, v, line);
        return;
      }
      if (prop->kind == TPropKind::StringList && final_step && detail::SameText(next, "Strings")) {
        ApplyStrings(instance, *prop, where, v);
        return;
      }
      if (prop->kind == TPropKind::Picture && final_step && detail::SameText(next, "Data")) {
        if (v.kind != Value::Binary) WrongKind(where, *prop, v);
        TPicture picture;
        picture.SetData(v.bytes);
        CallSetter(where, v.line, [&] { prop->set_object(instance, &picture); });
        return;
      }
      Fail(line, Format("unknown property '%s' of %s", Shown(next), where));
    }

    switch (prop->kind) {
      case TPropKind::Integer: {
        int64_t value = 0;
        if (v.kind == Value::Integer) {
          value = v.integer;
        } else if (v.kind == Value::Ident && prop->idents != nullptr) {
          auto known = prop->idents->ValueOf(v.text);
          if (!known) Fail(v.line, Format("'%s' is not a value of %s", Shown(v.text), where));
          value = *known;
        } else {
          WrongKind(where, *prop, v);
        }
        if (value < prop->min_value || value > prop->max_value)
          Fail(v.line, Format("%s: %d is out of range %d..%d", where, value, prop->min_value,
                              prop->max_value));
        CallSetter(where, v.line, [&] { prop->set_ordinal(instance, value); });
        return;
      }
      case TPropKind::Float: {
        double value = 0;
        if (v.kind == Value::Integer)
          value = static_cast<double>(v.integer);
        else if (v.kind == Value::Float)
          value = v.number;
        else
          WrongKind(where, *prop, v);
        CallSetter(where, v.line, [&] { prop->set_float(instance, value); });
        return;
      }
      case TPropKind::Boolean: {
        int64_t value = 0;
        if (v.kind == Value::Ident && detail::SameText(v.text, "True"))
          value = 1;
        else if (!(v.kind == Value::Ident && detail::SameText(v.text, "False")))
          WrongKind(where, *prop, v);
        CallSetter(where, v.line, [&] { prop->set_ordinal(instance, value); });
        return;
      }
      case TPropKind::String: {
        if (v.kind != Value::String) WrongKind(where, *prop, v);
        CallSetter(where, v.line, [&] { prop->set_string(instance, v.text); });
        return;
      }
      case TPropKind::Enumeration: {
        if (v.kind != Value::Ident) WrongKind(where, *prop, v);
        int ordinal = prop->enum_info->Ordinal(v.text);
        if (ordinal < 0)
          Fail(v.line, Format("'%s' is not a value of %s (%s)", Shown(v.text),
                              prop->enum_info->TypeName(), where));
        CallSetter(where, v.line, [&] { prop->set_ordinal(instance, ordinal); });
        return;
      }
      case TPropKind::Set: {
        if (v.kind != Value::Set) WrongKind(where, *prop, v);
        uint64_t bits = 0;
        for (const auto& item : v.items) {
          int ordinal = prop->enum_info->Ordinal(item);
          if (ordinal < 0 || ordinal >= 64)
            Fail(v.line, Format("'%s' is not a value of %s (%s)", Shown(item),
                                prop->enum_info->TypeName(), where));
          bits |= uint64_t{1} << ordinal;
        }
        CallSetter(where, v.line, [&] { prop->set_ordinal(instance, static_cast<int64_t>(bits)); });
        return;
      }
      case TPropKind::StringList:
        Fail(line, Format("%s is a string list: write %s.Strings = ( ... )", where, name));
      case TPropKind::Picture:
        Fail(line, Format("%s is a picture: write %s.Data = { ... }", where, name));
      case TPropKind::Object:
        Fail(line, Format("%s has sub-properties: write %s.<property> = <value>", where, name));
      case TPropKind::Component: {
        if (v.kind != Value::Ident) WrongKind(where, *prop, v);
        if (detail::SameText(v.text, "nil")) {
          CallSetter(where, v.line, [&] { prop->set_object(instance, nullptr); });
          return;
        }
        fixups_.push_back(Fixup{&instance, where, prop, v.text, v.line});
        return;
      }
      case TPropKind::Event: {
        if (v.kind != Value::Ident || v.text.find('.') != std::string::npos)
          WrongKind(where, *prop, v);
        bool clear = detail::SameText(v.text, "nil");
        if (!options_.design_mode) {
          if (clear) {
            CallSetter(where, v.line, [&] { prop->set_event(instance, nullptr); });
          } else {
            const THandlerRegistry::Handler* handler = handlers_.Find(v.text);
            if (handler == nullptr)
              Fail(v.line, Format("%s: no handler named '%s' is registered", where, v.text));
            if (handler->type != prop->event_type)
              Fail(v.line, Format("%s: handler '%s' has the signature %s, but the event needs %s",
                                  where, v.text, handler->signature, prop->event_signature));
            CallSetter(where, v.line, [&] { prop->set_event(instance, &handler->function); });
          }
        }
        if (&instance == &component) component.SetEventHandlerName(prop->name, clear ? "" : v.text);
        return;
      }
    }
  }

  void ApplyStrings(TObject& instance, const TPropInfo& prop, const std::string& where,
                    const Value& v) {
    if (v.kind != Value::List) WrongKind(where, prop, v);
    TStringList lines;
    for (const Value& item : v.list) {
      if (item.kind != Value::String)
        Fail(item.line,
             Format("%s.Strings: the lines must be strings, not %s", where, KindName(item.kind)));
      lines.Add(item.text);
    }
    CallSetter(where, v.line, [&] { prop.set_object(instance, &lines); });
  }

  void ResolveFixups() {
    for (const Fixup& f : fixups_) {
      TComponent* target = nullptr;
      if (detail::SameText(root_->Name(), f.target))
        target = root_;
      else
        target = root_->FindComponent(f.target);
      if (target == nullptr)
        Fail(f.line, Format("%s: component '%s' not found", f.owner_text, Shown(f.target)));
      if (!f.prop->accepts(target))
        Fail(f.line, Format("%s: %s is a %s, not a %s", f.owner_text, target->Name(),
                            target->ClassName(), f.prop->TypeName()));
      CallSetter(f.owner_text, f.line, [&] { f.prop->set_object(*f.instance, target); });
    }
  }

  Lexer lexer_;
  const TReadOptions& options_;
  const THandlerRegistry& handlers_;
  TComponent* existing_root_ = nullptr;
  TComponent* root_ = nullptr;
  std::vector<TComponent*> created_;  // children this read created
  std::vector<TComponent*> loaded_;   // every component read, root first
  std::vector<Fixup> fixups_;
};

}  // namespace

std::unique_ptr<TComponent> ReadForm(std::string_view text, const TReadOptions& options) {
  Reader reader(text, options);
  std::unique_ptr<TComponent> root(reader.Read(nullptr));
  if (!options.design_mode) {
    if (auto* form = dynamic_cast<TForm*>(root.get())) {
      if (Application().MainForm() == nullptr) Application().SetMainForm(form);
      form->DoCreate();
    } else if (auto* module = dynamic_cast<TDataModule*>(root.get()); module && module->OnCreate) {
      Application().Dispatch(module, [&] { module->OnCreate(module); });
    }
  }
  return root;
}

void ReadFormInto(TComponent& root, std::string_view text, const TReadOptions& options) {
  Reader reader(text, options);
  reader.Read(&root);
}

}  // namespace vantorel
