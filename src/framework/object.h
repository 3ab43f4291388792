#pragma once
// The root class, class descriptors and the registry that finds a class by its name.
//
// Every class that a form names, or that code compares by class (`Comp(Index, TInstallFile)`),
// is registered once with VANTOREL_CLASS (properties.h). Its TClass then knows its name, its
// parent, how to create an instance for an owner, and its published properties.
#include <string>
#include <string_view>
#include <typeindex>
#include <typeinfo>
#include <vector>

namespace vantorel {

class TClass;
class TComponent;
struct TPropInfo;

class TObject {
 public:
  TObject() = default;
  virtual ~TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;

  // The descriptor of the object's dynamic class. Never null: a class nobody registered gets a
  // provisional descriptor named after its C++ type, with no parent and no properties.
  const TClass* ClassType() const;
  std::string ClassName() const;
  bool InheritsFrom(const TClass* ancestor) const;
};

class TClass {
 public:
  using Factory = TComponent* (*)(TComponent* owner);

  const std::string& ClassName() const { return name_; }
  const TClass* ClassParent() const { return parent_; }
  // True for the class itself and for every descendant. A null ancestor is never inherited.
  bool InheritsFrom(const TClass* ancestor) const;
  bool IsRegistered() const { return registered_; }
  // Whether its components must hear of every insertion into and removal from their owner: true
  // unless the class is registered and keeps TComponent's own Notification.
  bool HearsNotifications() const { return hears_notifications_; }
  void SetHearsNotifications(bool hears) { hears_notifications_ = hears; }
  // Whether Create works: registered component classes with a public (TComponent*) constructor.
  bool CanCreate() const { return factory_ != nullptr; }
  // A new instance owned by `owner`; raises Exception when the class cannot be created.
  TComponent* Create(TComponent* owner) const;

  // Published properties: the class's own after those of its ancestors, in declaration order.
  // The lookup by name ignores case; a descendant's property hides an ancestor's of that name.
  const TPropInfo* FindProperty(std::string_view name) const;
  std::vector<const TPropInfo*> Properties() const;
  // Properties declared by this class only.
  const std::vector<TPropInfo*>& OwnProperties() const {
    ResolveRedeclared();
    return own_properties_;
  }

  ~TClass();
  TClass(const TClass&) = delete;
  TClass& operator=(const TClass&) = delete;

 private:
  explicit TClass(const std::type_info& type);
  friend struct ClassRegistry;
  friend TPropInfo& AddProperty(TClass& cls, TPropInfo info);
  friend TPropInfo& DeclaredProperty(TClass& cls, std::string_view name);
  // A property the class declared, or a copy of an inherited one that replaces it in this class
  // and its descendants; a name it does not have stops the program at start-up with a message, like
  // a class registered twice.
  TPropInfo& DeclaredProperty(TClass& cls, std::string_view name);
  friend TClass& RegisterClassType(const std::type_info&, std::string, const TClass*, Factory);
  friend TClass& ClassSlot(const std::type_info& type);

  std::string name_;
  const TClass* parent_ = nullptr;
  Factory factory_ = nullptr;
  bool registered_ = false;
  bool hears_notifications_ = true;
  // Completes the properties redeclared with DeclaredProperty from their ancestors' descriptors.
  void ResolveRedeclared() const;

  std::vector<TPropInfo*> own_properties_;  // owned
  mutable bool resolved_ = false;
};

// The descriptor of T (registered or provisional).
TClass& ClassSlot(const std::type_info& type);
template <class T>
const TClass* TClassOf() {
  return &ClassSlot(typeid(T));
}

// A registered class by name, without regard to case; nullptr when there is none.
const TClass* FindClass(std::string_view name);
// Every registered class, in registration order (for tools that list what a form may use).
std::vector<const TClass*> RegisteredClasses();

// Registration primitives behind VANTOREL_CLASS. Registering two different types under one
// name is a programming error and stops the program at start-up with a message.
TClass& RegisterClassType(const std::type_info& type, std::string name, const TClass* parent,
                          TClass::Factory factory);
TPropInfo& AddProperty(TClass& cls, TPropInfo info);

namespace detail {
// ASCII case-insensitive comparison: names of classes, components, properties and values.
bool SameText(std::string_view a, std::string_view b);
std::string UpperCase(std::string_view text);
// "vantorel::TFoo" -> "TFoo"; readable C++ type names for messages.
std::string ReadableTypeName(const std::type_info& type);
}  // namespace detail

}  // namespace vantorel
