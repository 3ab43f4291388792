// The form writer: the tree of a root component as form text that the reader reads back.
#include <cstdio>
#include <map>

#include "framework/format.h"
#include "framework/streaming.h"

namespace vantorel {

namespace {

constexpr size_t kStringChunk = 64;  // longer strings continue on the next line with '+'
constexpr size_t kBytesPerLine = 32;

class Writer {
 public:
  explicit Writer(TComponent& root) : root_(root) {
    for (int i = 0; i < root.ComponentCount(); ++i) {
      TComponent* c = root.Components(i);
      children_[StreamParent(c)].push_back(c);
    }
  }

  std::string Write() {
    WriteObject(root_, 0);
    return out_;
  }

 private:
  // Where a component is nested: its parent component when that belongs to the form (and is not
  // itself, directly or through a loop), else the root.
  TComponent* StreamParent(TComponent* c) const {
    TComponent* parent = c->GetParentComponent();
    if (parent == nullptr || parent == c) return &root_;
    if (parent != &root_ && parent->Owner() != &root_) return &root_;
    // A parent chain that does not reach the root would lose the component.
    int steps = 0;
    for (TComponent* p = parent; p != &root_; p = p->GetParentComponent()) {
      if (p == nullptr || p == c || p->Owner() != &root_ || ++steps > 1000) return &root_;
    }
    return parent;
  }

  void Indent(int level) { out_.append(static_cast<size_t>(level) * 2, ' '); }

  void WriteObject(TComponent& c, int level) {
    Indent(level);
    out_ += "object ";
    if (!c.Name().empty()) out_ += c.Name() + ": ";
    out_ += c.ClassName() + "\n";
    WriteProperties(c, c, "", level + 1);
    auto it = children_.find(&c);
    if (it != children_.end())
      for (TComponent* child : it->second) WriteObject(*child, level + 1);
    Indent(level);
    out_ += "end\n";
  }

  // `all`: every property that is ever stored, whatever its value.
  void WriteProperties(TComponent& component, TObject& instance, const std::string& prefix,
                       int level, bool all = false) {
    for (const TPropInfo* prop : instance.ClassType()->Properties()) {
      if (all ? prop->never_stored : !prop->IsStored(instance)) continue;
      std::string name = prefix + prop->name;
      switch (prop->kind) {
        case TPropKind::Integer: {
          int64_t v = prop->get_ordinal(instance);
          const std::string* ident = prop->idents ? prop->idents->NameOf(v) : nullptr;
          Line(level, name, ident ? *ident : std::to_string(v));
          break;
        }
        case TPropKind::Boolean:
          Line(level, name, prop->get_ordinal(instance) ? "True" : "False");
          break;
        case TPropKind::Float: {
          char buffer[64];
          std::snprintf(buffer, sizeof buffer, "%.17g", prop->get_float(instance));
          Line(level, name, buffer);
          break;
        }
        case TPropKind::String:
          WriteString(level, name, prop->get_string(instance));
          break;
        case TPropKind::Enumeration: {
          int64_t v = prop->get_ordinal(instance);
          std::string text = prop->enum_info->Name(v);
          Line(level, name, text.empty() ? std::to_string(v) : text);
          break;
        }
        case TPropKind::Set: {
          uint64_t bits = static_cast<uint64_t>(prop->get_ordinal(instance));
          std::string text = "[";
          for (int i = 0; i < 64; ++i) {
            if ((bits & (uint64_t{1} << i)) == 0) continue;
            if (text.size() > 1) text += ", ";
            std::string element = prop->enum_info->Name(i);
            text += element.empty() ? std::to_string(i) : element;
          }
          Line(level, name, text + "]");
          break;
        }
        case TPropKind::StringList: {
          auto* list = static_cast<TStringList*>(prop->get_object(instance));
          Indent(level);
          out_ += name + ".Strings = (";
          if (list != nullptr) {
            for (const std::string& line : *list) {
              out_ += "\n";
              Indent(level + 1);
              out_ += QuoteFormString(line);
            }
          }
          out_ += ")\n";
          break;
        }
        case TPropKind::Component: {
          TObject* object = prop->get_object(instance);
          if (object == nullptr) {
            Line(level, name, "nil");  // stored only when nil differs from the constructor's
            break;
          }
          auto* target = dynamic_cast<TComponent*>(object);
          if (target == nullptr || target->Name().empty()) break;
          // Only components of this form can be found again when the text is read.
          if (target != &root_ && target->Owner() != &root_) break;
          Line(level, name, target->Name());
          break;
        }
        case TPropKind::Object: {
          TObject* sub = prop->get_object(instance);
          if (sub != nullptr)
            WriteProperties(component, *sub, name + ".", level, all || prop->no_default);
          break;
        }
        case TPropKind::Picture: {
          auto* picture = static_cast<TPicture*>(prop->get_object(instance));
          Indent(level);
          out_ += name + ".Data = {";
          if (picture != nullptr) WriteBytes(level + 1, picture->Data());
          out_ += "}\n";
          break;
        }
        case TPropKind::Event: {
          if (&instance != &component) break;
          std::string handler = component.EventHandlerName(prop->name);
          if (!handler.empty()) Line(level, name, handler);
          break;
        }
      }
    }
  }

  void Line(int level, const std::string& name, const std::string& value) {
    Indent(level);
    out_ += name + " = " + value + "\n";
  }

  void WriteString(int level, const std::string& name, const std::string& value) {
    Indent(level);
    out_ += name + " = ";
    if (value.size() <= kStringChunk) {
      out_ += QuoteFormString(value) + "\n";
      return;
    }
    for (size_t at = 0; at < value.size(); at += kStringChunk) {
      if (at > 0) {
        out_ += " +\n";
        Indent(level + 1);
      }
      out_ += QuoteFormString(std::string_view(value).substr(at, kStringChunk));
    }
    out_ += "\n";
  }

  void WriteBytes(int level, const std::vector<uint8_t>& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    for (size_t i = 0; i < bytes.size(); ++i) {
      if (i % kBytesPerLine == 0) {
        out_ += "\n";
        Indent(level);
      }
      out_ += kHex[bytes[i] >> 4];
      out_ += kHex[bytes[i] & 15];
    }
  }

  TComponent& root_;
  std::map<TComponent*, std::vector<TComponent*>> children_;
  std::string out_;
};

}  // namespace

std::string QuoteFormString(std::string_view text) {
  if (text.empty()) return "''";
  std::string out;
  out.reserve(text.size() + 2);
  bool quoted = false;
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 32 && u < 127) {
      if (!quoted) out += '\'';
      quoted = true;
      out += c;
      if (c == '\'') out += '\'';
    } else {
      if (quoted) out += '\'';
      quoted = false;
      out += '#';
      out += std::to_string(static_cast<int>(u));
    }
  }
  if (quoted) out += '\'';
  return out;
}

std::string WriteForm(TComponent& root) {
  root.SetStateFlag(csWriting, true);
  struct Done {
    TComponent& root;
    ~Done() { root.SetStateFlag(csWriting, false); }
  } done{root};
  return Writer(root).Write();
}

}  // namespace vantorel
