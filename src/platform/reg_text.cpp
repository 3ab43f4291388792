#include "platform/reg_text.h"

#include <cctype>
#include <cstdio>

#include "platform/errors.h"

namespace vantorel::platform {

RegValue* RegNode::FindValue(std::string_view name) {
  for (RegValue& v : values)
    if (EqualNoCase(v.name, name)) return &v;
  return nullptr;
}

void RegNode::SetValue(std::string_view name, uint32_t type, std::vector<uint8_t> data) {
  RegValue* v = FindValue(name);
  if (!v) {
    values.push_back(RegValue{std::string(name), type, {}});
    v = &values.back();
  }
  v->type = type;
  v->data = std::move(data);
}

bool RegNode::EraseValue(std::string_view name) {
  for (auto it = values.begin(); it != values.end(); ++it) {
    if (EqualNoCase(it->name, name)) {
      values.erase(it);
      return true;
    }
  }
  return false;
}

RegNode* RegTree::Find(Root root, const std::vector<std::string>& path) {
  RegNode* node = &RootNode(root);
  for (const std::string& part : path) {
    auto it = node->subkeys.find(part);
    if (it == node->subkeys.end()) return nullptr;
    node = it->second.get();
  }
  return node;
}

RegNode& RegTree::Create(Root root, const std::vector<std::string>& path, bool* created) {
  RegNode* node = &RootNode(root);
  for (const std::string& part : path) {
    auto& child = node->subkeys[part];
    if (!child) {
      child = std::make_unique<RegNode>();
      if (created) *created = true;
    }
    node = child.get();
  }
  return *node;
}

bool RegTree::Erase(Root root, const std::vector<std::string>& path) {
  if (path.empty()) return false;
  RegNode* parent = Find(root, std::vector<std::string>(path.begin(), path.end() - 1));
  return parent && parent->subkeys.erase(path.back()) > 0;
}

void RegTree::Clear() {
  for (RegNode& root : roots) root = RegNode{};
}

bool RegNameStorable(std::string_view name) {
  return name.find_first_of("\r\n") == std::string_view::npos;
}

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kSpace = " \t";

std::string_view TrimLeft(std::string_view s) {
  size_t i = s.find_first_not_of(kSpace);
  return i == std::string_view::npos ? std::string_view() : s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
  size_t i = s.find_last_not_of(kSpace);
  return i == std::string_view::npos ? std::string_view() : s.substr(0, i + 1);
}

std::string_view Trim(std::string_view s) {
  return TrimLeft(TrimRight(s));
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to `max_digits` hex digits and nothing else.
bool ParseHex(std::string_view s, size_t max_digits, uint32_t& value) {
  if (s.empty() || s.size() > max_digits) return false;
  value = 0;
  for (char c : s) {
    int d = HexDigit(c);
    if (d < 0) return false;
    value = value << 4 | static_cast<uint32_t>(d);
  }
  return true;
}

bool RootFromName(std::string_view name, Root& root) {
  for (int i = 0; i < 6; ++i) {
    if (EqualNoCase(name, RootName(static_cast<Root>(i)))) {
      root = static_cast<Root>(i);
      return true;
    }
  }
  return false;
}

class Parser {
 public:
  Parser(std::string_view text, const std::string& file_name, RegTree& tree)
      : file_name_(file_name), tree_(tree) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
      size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      lines_.push_back(line);
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + 1);
    }
  }

  void Run() {
    tree_.Clear();
    if (lines_.empty() || TrimRight(lines_[0]) != kHeader)
      Fail(1, "the first line is not \"REGEDIT4\"");
    for (line_ = 1; line_ < lines_.size(); ++line_) {
      start_line_ = line_;
      std::string_view line = Trim(lines_[line_]);
      if (line.empty() || line[0] == ';') continue;
      if (line[0] == '[') {
        Section(line);
      } else if (line[0] == '"' || line[0] == '@') {
        Value(line);
      } else {
        Fail("a line that is neither a [key] nor a value");
      }
    }
  }

 private:
  [[noreturn]] void Fail(size_t line_number, const std::string& what) {
    throw PlatformError("Corrupt registry file " + file_name_ + ", line " +
                        std::to_string(line_number) + ": " + what);
  }
  [[noreturn]] void Fail(const std::string& what) { Fail(start_line_ + 1, what); }

  void Section(std::string_view line) {
    if (line.back() != ']') Fail("the key name has no closing \"]\"");
    line = line.substr(1, line.size() - 2);
    bool erase = !line.empty() && line[0] == '-';
    if (erase) line.remove_prefix(1);
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
      size_t end = line.find('\\', start);
      std::string_view part = line.substr(start, end == std::string_view::npos ? end : end - start);
      if (part.empty()) Fail("an empty key name in \"[" + std::string(line) + "]\"");
      parts.emplace_back(part);
      if (end == std::string_view::npos) break;
      start = end + 1;
    }
    Root root;
    if (!RootFromName(parts[0], root)) Fail("unknown root key \"" + parts[0] + "\"");
    parts.erase(parts.begin());
    if (erase) {
      tree_.Erase(root, parts);
      key_ = nullptr;
    } else {
      key_ = &tree_.Create(root, parts);
    }
  }

  // A quoted string at s[pos] with \\ and \" escapes; pos ends after the closing quote.
  std::string Quoted(std::string_view s, size_t& pos) {
    std::string out;
    for (++pos; pos < s.size(); ++pos) {
      char c = s[pos];
      if (c == '"') {
        ++pos;
        return out;
      }
      if (c == '\\') {
        if (++pos >= s.size()) break;
        if (s[pos] != '\\' && s[pos] != '"')
          Fail(std::string("an unknown escape \"\\") + s[pos] + "\" in a string");
      }
      out += s[pos];
    }
    Fail("a string without its closing quote");
  }

  void Value(std::string_view line) {
    size_t pos = 0;
    std::string name;
    if (line[0] == '@') {
      pos = 1;
    } else {
      name = Quoted(line, pos);
    }
    std::string_view rest = TrimLeft(line.substr(pos));
    if (rest.empty() || rest[0] != '=') Fail("a value name without \"=\"");
    rest = Trim(rest.substr(1));
    if (!key_) Fail("a value outside of any key");

    if (!rest.empty() && rest[0] == '"') {
      size_t end = 0;
      std::string text = Quoted(rest, end);
      if (!Trim(rest.substr(end)).empty()) Fail("text after the closing quote");
      key_->SetValue(name, kRegSz, EncodeString(text));
    } else if (rest == "-") {
      key_->EraseValue(name);
    } else if (rest.substr(0, 6) == "dword:") {
      uint32_t value;
      if (!ParseHex(Trim(rest.substr(6)), 8, value))
        Fail("bad dword data \"" + std::string(rest) + "\"");
      key_->SetValue(name, kRegDWord, EncodeDWord(value));
    } else if (rest.substr(0, 3) == "hex") {
      HexValue(name, rest.substr(3));
    } else {
      Fail("bad value data \"" + std::string(rest) + "\"");
    }
  }

  // After "hex": ":" for binary, or "(N):" for type N.
  void HexValue(const std::string& name, std::string_view rest) {
    uint32_t type = kRegBinary;
    if (!rest.empty() && rest[0] == '(') {
      size_t close = rest.find(')');
      if (close == std::string_view::npos || !ParseHex(rest.substr(1, close - 1), 8, type))
        Fail("bad value type in \"hex" + std::string(rest.substr(0, close + 1)) + "\"");
      rest.remove_prefix(close + 1);
    }
    if (rest.empty() || rest[0] != ':') Fail("\":\" missing after \"hex\"");
    std::string body(TrimRight(rest.substr(1)));
    // Long data continues on the next lines after a trailing backslash.
    while (!body.empty() && body.back() == '\\') {
      body.pop_back();
      if (++line_ >= lines_.size()) Fail("hex data continued past the end of the file");
      body += Trim(lines_[line_]);
    }
    std::vector<uint8_t> data;
    std::string_view s = Trim(body);
    size_t start = 0;
    while (start < s.size()) {
      size_t comma = s.find(',', start);
      std::string_view piece = Trim(s.substr(start, comma == s.npos ? comma : comma - start));
      uint32_t byte;
      bool last_and_empty = piece.empty() && comma == s.npos;
      if (!last_and_empty) {
        if (!ParseHex(piece, 2, byte)) Fail("bad hex data \"" + std::string(piece) + "\"");
        data.push_back(static_cast<uint8_t>(byte));
      }
      if (comma == s.npos) break;
      start = comma + 1;
    }
    key_->SetValue(name, type, std::move(data));
  }

  const std::string& file_name_;
  RegTree& tree_;
  std::vector<std::string_view> lines_;
  size_t line_ = 0;        // index of the line being read
  size_t start_line_ = 0;  // index of the first line of the entry being read
  RegNode* key_ = nullptr;
};

std::string QuoteText(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  return out + '"';
}

// A REG_SZ the quoted form can carry: one closing NUL, no other NUL, no line breaks.
bool PlainString(const RegValue& v) {
  if (v.type != kRegSz || v.data.empty() || v.data.back() != 0) return false;
  for (size_t i = 0; i + 1 < v.data.size(); ++i) {
    uint8_t c = v.data[i];
    if (c == 0 || c == '\r' || c == '\n') return false;
  }
  return true;
}

void FormatValue(const RegValue& v, std::string& out) {
  std::string line = v.name.empty() ? "@=" : QuoteText(v.name) + "=";
  char buf[32];
  if (PlainString(v)) {
    out += line + QuoteText(DecodeString(v.data)) + "\n";
    return;
  }
  uint32_t dword;
  if (v.type == kRegDWord && DecodeDWord(v.data, dword)) {
    std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(dword));
    out += line + buf + "\n";
    return;
  }
  if (v.type == kRegBinary) {
    line += "hex:";
  } else {
    std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
    line += buf;
  }
  // Lines stay within 80 columns as regedit's own exports do.
  for (size_t i = 0; i < v.data.size(); ++i) {
    std::snprintf(buf, sizeof buf, i + 1 < v.data.size() ? "%02x," : "%02x", v.data[i]);
    if (line.size() + std::char_traits<char>::length(buf) > 78) {
      out += line + "\\\n";
      line = "  ";
    }
    line += buf;
  }
  out += line + "\n";
}

void FormatKey(const RegNode& node, const std::string& path, bool is_root, std::string& out) {
  if (!is_root || !node.values.empty()) {
    out += "[" + path + "]\n";
    for (const RegValue& v : node.values) FormatValue(v, out);
    out += "\n";
  }
  for (const auto& [name, child] : node.subkeys) FormatKey(*child, path + "\\" + name, false, out);
}

}  // namespace

void ParseRegedit4(std::string_view text, const std::string& file_name, RegTree& tree) {
  Parser(text, file_name, tree).Run();
}

std::string FormatRegedit4(const RegTree& tree) {
  std::string out = std::string(kHeader) + "\n\n";
  for (size_t i = 0; i < tree.roots.size(); ++i)
    FormatKey(tree.roots[i], RootName(static_cast<Root>(i)), true, out);
  return out;
}

}  // namespace vantorel::platform
