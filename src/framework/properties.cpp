#include "framework/properties.h"

#include "framework/component.h"

namespace vantorel {

namespace {

std::string Trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r\n");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t\r\n");
  return std::string(s.substr(b, e - b + 1));
}

}  // namespace

TEnumInfo::TEnumInfo(std::string type_name, std::string_view names)
    : type_name_(std::move(type_name)) {
  size_t start = 0;
  while (start <= names.size()) {
    size_t comma = names.find(',', start);
    std::string_view item = names.substr(
        start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    std::string name = Trim(item);
    if (!name.empty()) names_.push_back(std::move(name));
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
}

TEnumInfo::TEnumInfo(std::string type_name, std::vector<std::string> names)
    : type_name_(std::move(type_name)), names_(std::move(names)) {}

std::string TEnumInfo::Name(int64_t ordinal) const {
  if (ordinal < 0 || ordinal >= Count()) return {};
  return names_[static_cast<size_t>(ordinal)];
}

int TEnumInfo::Ordinal(std::string_view name) const {
  for (size_t i = 0; i < names_.size(); ++i)
    if (detail::SameText(names_[i], name)) return static_cast<int>(i);
  return -1;
}

TIdentMap::TIdentMap(std::initializer_list<std::pair<const char*, int64_t>> entries) {
  for (const auto& [name, value] : entries) entries_.emplace_back(name, value);
}

const std::string* TIdentMap::NameOf(int64_t value) const {
  for (const auto& entry : entries_)
    if (entry.second == value) return &entry.first;
  return nullptr;
}

std::optional<int64_t> TIdentMap::ValueOf(std::string_view name) const {
  for (const auto& entry : entries_)
    if (detail::SameText(entry.first, name)) return entry.second;
  return std::nullopt;
}

const char* PropKindName(TPropKind kind) {
  switch (kind) {
    case TPropKind::Integer:
      return "an integer";
    case TPropKind::Float:
      return "a number";
    case TPropKind::Boolean:
      return "True or False";
    case TPropKind::String:
      return "a string";
    case TPropKind::Enumeration:
      return "an enumeration value";
    case TPropKind::Set:
      return "a set [a, b]";
    case TPropKind::StringList:
      return "a string list ( ... )";
    case TPropKind::Component:
      return "a component name";
    case TPropKind::Object:
      return "sub-properties";
    case TPropKind::Picture:
      return "picture data { ... }";
    case TPropKind::Event:
      return "a handler name";
  }
  return "a value";
}

std::string TPropInfo::TypeName() const {
  if (object_class != nullptr) return object_class->ClassName();
  return type_name;
}

bool TPropInfo::IsStored(TObject& instance) const {
  if (never_stored) return false;
  if (stored_when && !stored_when(instance)) return false;
  if (always_stored) return true;
  switch (kind) {
    case TPropKind::Integer:
    case TPropKind::Boolean:
    case TPropKind::Enumeration:
    case TPropKind::Set:
      return !default_ordinal || get_ordinal(instance) != *default_ordinal;
    case TPropKind::Float:
      return !default_float || get_float(instance) != *default_float;
    case TPropKind::String:
      if (no_default) return true;
      return get_string(instance) != default_string.value_or(std::string());
    case TPropKind::StringList: {
      auto* list = static_cast<TStringList*>(get_object(instance));
      return list != nullptr && (no_default || list->Count() > 0);
    }
    case TPropKind::Picture: {
      auto* picture = static_cast<TPicture*>(get_object(instance));
      return picture != nullptr && (no_default || !picture->Empty());
    }
    case TPropKind::Component:
      return no_default || get_object(instance) != nullptr;
    case TPropKind::Object:
      return get_object(instance) != nullptr;
    case TPropKind::Event: {
      auto* component = dynamic_cast<TComponent*>(&instance);
      return component != nullptr && !component->EventHandlerName(name).empty();
    }
  }
  return true;
}

const THandlerRegistry::Handler* THandlerRegistry::Find(std::string_view name) const {
  for (const auto& [n, handler] : handlers_)
    if (detail::SameText(n, name)) return &handler;
  return nullptr;
}

bool THandlerRegistry::Remove(std::string_view name) {
  for (auto it = handlers_.begin(); it != handlers_.end(); ++it) {
    if (detail::SameText(it->first, name)) {
      handlers_.erase(it);
      return true;
    }
  }
  return false;
}

void THandlerRegistry::Put(const std::string& name, Handler handler) {
  for (auto& [n, h] : handlers_) {
    if (detail::SameText(n, name)) {
      h = std::move(handler);
      return;
    }
  }
  handlers_.emplace_back(name, std::move(handler));
}

THandlerRegistry& Handlers() {
  static THandlerRegistry registry;
  return registry;
}

}  // namespace vantorel
