#include "framework/object.h"

#include <cxxabi.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unordered_map>

#include "framework/component.h"
#include "framework/format.h"
#include "framework/properties.h"

namespace vantorel {

namespace detail {

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

std::string UpperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return out;
}

std::string ReadableTypeName(const std::type_info& type) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  std::string name = status == 0 && demangled ? demangled.get() : type.name();
  static const std::string kNamespace = "vantorel::";
  for (size_t at = name.find(kNamespace); at != std::string::npos; at = name.find(kNamespace, at))
    name.erase(at, kNamespace.size());
  return name;
}

}  // namespace detail

struct ClassRegistry {
  std::unordered_map<std::type_index, std::unique_ptr<TClass>> by_type;
  // In front of by_type: a type_index hashes and compares the type's whole name (where type
  // names are not merged, as with MinGW), and a class is looked up for every class test.
  std::unordered_map<const std::type_info*, TClass*> by_address;
  std::unordered_map<std::string, TClass*> by_name;  // upper-cased name
  std::vector<const TClass*> in_order;

  static ClassRegistry& Get() {
    static ClassRegistry registry;
    return registry;
  }
  static TClass* Make(const std::type_info& type) { return new TClass(type); }
};

TClass::TClass(const std::type_info& type) : name_(detail::ReadableTypeName(type)) {}

TClass::~TClass() {
  for (TPropInfo* p : own_properties_) delete p;
}

bool TClass::InheritsFrom(const TClass* ancestor) const {
  if (ancestor == nullptr) return false;
  for (const TClass* c = this; c != nullptr; c = c->parent_)
    if (c == ancestor) return true;
  return false;
}

TComponent* TClass::Create(TComponent* owner) const {
  if (factory_ == nullptr) throw Exception(Format("Cannot create an instance of %s", name_));
  return factory_(owner);
}

const TPropInfo* TClass::FindProperty(std::string_view name) const {
  for (const TClass* c = this; c != nullptr; c = c->parent_) {
    c->ResolveRedeclared();
    for (const TPropInfo* p : c->own_properties_)
      if (detail::SameText(p->name, name)) return p;
  }
  return nullptr;
}

std::vector<const TPropInfo*> TClass::Properties() const {
  std::vector<const TClass*> chain;
  for (const TClass* c = this; c != nullptr; c = c->parent_) {
    c->ResolveRedeclared();
    chain.push_back(c);
  }
  std::vector<const TPropInfo*> out;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    for (const TPropInfo* p : (*it)->own_properties_) {
      // A redeclared property takes the place of the inherited one.
      bool replaced = false;
      for (auto& existing : out) {
        if (detail::SameText(existing->name, p->name)) {
          existing = p;
          replaced = true;
        }
      }
      if (!replaced) out.push_back(p);
    }
  }
  return out;
}

TClass& ClassSlot(const std::type_info& type) {
  auto& registry = ClassRegistry::Get();
  TClass*& known = registry.by_address[&type];
  if (known == nullptr) {
    auto& slot = registry.by_type[std::type_index(type)];
    if (!slot) slot.reset(ClassRegistry::Make(type));
    known = slot.get();
  }
  return *known;
}

TClass& RegisterClassType(const std::type_info& type, std::string name, const TClass* parent,
                          TClass::Factory factory) {
  auto& registry = ClassRegistry::Get();
  TClass& cls = ClassSlot(type);
  std::string key = detail::UpperCase(name);
  auto existing = registry.by_name.find(key);
  if (cls.registered_ || (existing != registry.by_name.end() && existing->second != &cls)) {
    // Two registrations of one name would make forms depend on link order.
    std::fprintf(stderr, "vantorel: class %s is registered twice\n", name.c_str());
    std::abort();
  }
  cls.name_ = std::move(name);
  cls.parent_ = parent == &cls ? nullptr : parent;
  cls.factory_ = factory;
  cls.registered_ = true;
  registry.by_name[key] = &cls;
  registry.in_order.push_back(&cls);
  return cls;
}

TPropInfo& AddProperty(TClass& cls, TPropInfo info) {
  cls.resolved_ = false;
  cls.own_properties_.push_back(new TPropInfo(std::move(info)));
  return *cls.own_properties_.back();
}

TPropInfo& DeclaredProperty(TClass& cls, std::string_view name) {
  for (TPropInfo* p : cls.own_properties_)
    if (detail::SameText(p->name, name)) return *p;
  // An inherited one is redeclared. The ancestor's descriptor may not be registered yet (classes
  // register from many files, in no fixed order), so the storage rule waits in a stand-in that
  // ResolveRedeclared completes on first use.
  cls.resolved_ = false;
  auto* stand_in = new TPropInfo;
  stand_in->name = std::string(name);
  stand_in->redeclared = true;
  cls.own_properties_.push_back(stand_in);
  return *stand_in;
}

void TClass::ResolveRedeclared() const {
  if (resolved_) return;
  resolved_ = true;
  for (TPropInfo* own : own_properties_) {
    if (!own->redeclared) continue;
    const TPropInfo* inherited = parent_ != nullptr ? parent_->FindProperty(own->name) : nullptr;
    if (inherited == nullptr) {
      std::fprintf(stderr, "vantorel: class %s has no property %s to redeclare\n", name_.c_str(),
                   own->name.c_str());
      std::abort();
    }
    TPropInfo merged = *inherited;
    if (own->default_ordinal && merged.kind == TPropKind::Float)
      merged.default_float = static_cast<double>(*own->default_ordinal);
    else if (own->default_ordinal)
      merged.default_ordinal = own->default_ordinal;
    if (own->default_float) merged.default_float = own->default_float;
    if (own->default_string) merged.default_string = own->default_string;
    if (own->no_default) {
      merged.no_default = true;
      merged.default_ordinal.reset();
      merged.default_float.reset();
      merged.default_string.reset();
    }
    if (own->stored_when) merged.stored_when = own->stored_when;
    if (own->always_stored || own->never_stored) {
      merged.always_stored = own->always_stored;
      merged.never_stored = own->never_stored;
    }
    *own = std::move(merged);
  }
}

const TClass* FindClass(std::string_view name) {
  auto& registry = ClassRegistry::Get();
  auto it = registry.by_name.find(detail::UpperCase(name));
  return it == registry.by_name.end() ? nullptr : it->second;
}

std::vector<const TClass*> RegisteredClasses() {
  return ClassRegistry::Get().in_order;
}

const TClass* TObject::ClassType() const {
  return &ClassSlot(typeid(*this));
}

std::string TObject::ClassName() const {
  return ClassType()->ClassName();
}

bool TObject::InheritsFrom(const TClass* ancestor) const {
  return ClassType()->InheritsFrom(ancestor);
}

namespace {
// The root of the class tree has no parent.
[[maybe_unused]] const bool kObjectRegistered =
    (RegisterClassType(typeid(TObject), "TObject", nullptr, nullptr), true);
}  // namespace

}  // namespace vantorel
