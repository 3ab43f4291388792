#pragma once
// Published properties: one descriptor per property and class, inherited by descendants, used by
// the form reader and writer. And the registry of event handlers by name.
//
// Declaring a class with its properties (in the class's .cpp, inside namespace vantorel):
//
//   VANTOREL_ENUM(TDistributeType, dtTraditional, dtWeb, dtTraditionalNet);   // in the header
//
//   VANTOREL_CLASS(TInstall, TCustomInstall) {
//     p.Bool("AllowChangeDir", &TInstall::AllowChangeDir, &TInstall::SetAllowChangeDir)
//         .Default(true);
//     p.Bool("UseLoadingProgram", &TInstall::UseLoadingProgram, &TInstall::SetUseLoadingProgram)
//         .AlwaysStored();
//     p.String("DestDir", &TInstall::DestDir, &TInstall::SetDestDir).NoDefault();
//     p.Enum("DistributeType", &TInstall::DistributeType, &TInstall::SetDistributeType)
//         .Default(dtTraditional);
//     p.Set("InstallTypes", &TInstall::InstallTypes, &TInstall::SetInstallTypes)
//         .Default(TInstallTypeSet{itAlways});
//     p.Strings("Description", &TInstall::Description, &TInstall::SetDescription);
//     p.Component("DestDirType", &TInstall::DestDirType, &TInstall::SetDestDirType);
//     p.Object("Information", &TInstall::Information);
//     p.Picture("DialogThemeBitmap", &TInstall::DialogThemeBitmap);
//     p.Event("OnBeforeProcess", &TInstall::OnBeforeProcess);
//   }
//
// Getters and setters are member functions or callables taking the object (`[](TInstall& i)
// {...}`). The value type follows from the getter: an Int getter returning uint16_t makes the
// reader refuse values outside 0..65535; a Component getter returning TCustomPathSpecifier*
// makes it refuse components of other classes; an Event member std::function<Sig> makes it
// refuse handlers registered with another signature. Sub-object classes (Information) and the
// classes of referenced components are registered too (VANTOREL_CLASS(TInstallInformation,
// TPersistent) {...}). A class without properties: VANTOREL_CLASS(TForm1, TForm) {}.
//
// What the writer stores (Default/NoDefault/AlwaysStored):
//   integers, booleans, enumerations, sets, floats: the value when it differs from Default(v);
//     without a Default, always;
//   strings: when it differs from Default(v) (empty when none is given); NoDefault() writes it
//     even when empty, so that a constructor value other than "" survives a round trip;
//   string lists, pictures: when not empty; component references: when assigned;
//     NoDefault() writes the empty list, the empty picture or nil as well, for a constructor
//     that fills them in (an empty value left out would read back as the constructor's);
//   sub-objects: their own stored properties; NoDefault(): all of them, for an owner whose
//     constructor gives the sub-object values other than its class's defaults;
//   events: when a handler name is set;
//   AlwaysStored(): always; NotStored(): never (a value derived from others);
//   StoredWhen(f): only while f(instance) holds, then by the rules above.
//
// Registering the handlers a form names (the host program, before reading the form):
//
//   RegisterHandler<void(TInstallContainer*)>("Install1BeforeProcess",
//                                             [](TInstallContainer* c) { ... });
//
// A library whose classes are only ever created by name (by the form reader) must be linked
// whole (see vantorel_class_library in CMakeLists.txt), or the linker drops the registrations.
#include <any>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeindex>
#include <utility>
#include <vector>

#include "framework/classes.h"

namespace vantorel {

class TComponent;

// ---- enumerations ----------------------------------------------------------------------------

// The value names of an enumeration, in ordinal order.
class TEnumInfo {
 public:
  // `names` is the comma-separated list as written in the declaration ("itFull, itDefault").
  TEnumInfo(std::string type_name, std::string_view names);
  TEnumInfo(std::string type_name, std::vector<std::string> names);
  const std::string& TypeName() const { return type_name_; }
  int Count() const { return static_cast<int>(names_.size()); }
  // The name of an ordinal; "" outside the enumeration.
  std::string Name(int64_t ordinal) const;
  // The ordinal of a name, without regard to case; -1 when it is not a value.
  int Ordinal(std::string_view name) const;

 private:
  std::string type_name_;
  std::vector<std::string> names_;
};

// Declares a plain enumeration (ordinals 0, 1, 2, ...) together with its value names.
#define VANTOREL_ENUM(E, ...) \
  enum E { __VA_ARGS__ };     \
  VANTOREL_ENUM_NAMES(E, __VA_ARGS__)
// Gives the value names of an enumeration declared elsewhere (same namespace as the enum).
#define VANTOREL_ENUM_NAMES(E, ...)                                           \
  [[maybe_unused]] inline const ::vantorel::TEnumInfo& VantorelEnumInfo(E*) { \
    static const ::vantorel::TEnumInfo info(#E, #__VA_ARGS__);                \
    return info;                                                              \
  }

template <class E>
const TEnumInfo& EnumInfo() {
  return VantorelEnumInfo(static_cast<E*>(nullptr));
}
template <class E>
std::string EnumName(E value) {
  return EnumInfo<E>().Name(static_cast<int64_t>(value));
}

// Identifiers an integer property accepts and writes in place of numbers (clBtnFace,
// DEFAULT_CHARSET, crHourGlass).
class TIdentMap {
 public:
  TIdentMap(std::initializer_list<std::pair<const char*, int64_t>> entries);
  const std::string* NameOf(int64_t value) const;
  std::optional<int64_t> ValueOf(std::string_view name) const;

 private:
  std::vector<std::pair<std::string, int64_t>> entries_;
};

// ---- property descriptors --------------------------------------------------------------------

enum class TPropKind {
  Integer,
  Float,
  Boolean,
  String,
  Enumeration,
  Set,
  StringList,
  Component,
  Object,
  Picture,
  Event,
};

struct TPropInfo {
  std::string name;
  TPropKind kind = TPropKind::Integer;
  // For messages: "Integer", "TInstallType"; TypeName() also covers the class kinds.
  std::string type_name;
  const TEnumInfo* enum_info = nullptr;  // Enumeration, Set
  const TClass* object_class = nullptr;  // Component: the class referenced; Object: sub-object
  const TIdentMap* idents = nullptr;     // Integer
  int64_t min_value = std::numeric_limits<int32_t>::min();  // Integer
  int64_t max_value = std::numeric_limits<int32_t>::max();

  // Accessors; only those of the property's kind are set. Ordinals carry integers, booleans
  // (0/1), enumeration ordinals and set bits.
  std::function<int64_t(TObject&)> get_ordinal;
  std::function<void(TObject&, int64_t)> set_ordinal;
  std::function<double(TObject&)> get_float;
  std::function<void(TObject&, double)> set_float;
  std::function<std::string(TObject&)> get_string;
  std::function<void(TObject&, const std::string&)> set_string;
  // StringList: the list (TStringList*); Object: the sub-object (TPersistent*); Picture: the
  // picture (TPicture*); Component: the referenced component (TComponent*) or nullptr.
  std::function<TObject*(TObject&)> get_object;
  // StringList/Picture: assigns from a TStringList*/TPicture*; Component: sets the reference.
  std::function<void(TObject&, TObject*)> set_object;
  // Component: whether an object may be referenced (it is of the property's class).
  std::function<bool(const TObject*)> accepts;
  // Event: the std::function type of the member and a readable signature; set_event binds a
  // handler (std::any holding that std::function) or clears the member (nullptr).
  std::type_index event_type = typeid(void);
  std::string event_signature;
  std::function<void(TObject&, const std::any*)> set_event;

  std::optional<int64_t> default_ordinal;
  std::optional<double> default_float;
  std::optional<std::string> default_string;
  bool no_default = false;
  bool always_stored = false;
  bool never_stored = false;
  // StoredWhen: a value that another property makes meaningless is left out while it does.
  std::function<bool(TObject&)> stored_when;
  // A stand-in that only changes the storage rule of an inherited property (Declared), until the
  // class completes it from the ancestor's descriptor.
  bool redeclared = false;

  // The writer's rule (see the top of this file).
  bool IsStored(TObject& instance) const;
  std::string TypeName() const;
};

const char* PropKindName(TPropKind kind);

// Returned by the TClassBuilder calls; sets the storage rule of the property just declared.
class TPropBuilder {
 public:
  explicit TPropBuilder(TPropInfo& info) : info_(&info) {}

  template <class V>
  TPropBuilder& Default(const V& value) {
    using D = std::decay_t<V>;
    if constexpr (requires { typename D::Element; }) {
      info_->default_ordinal = static_cast<int64_t>(value.Bits());
    } else if constexpr (std::is_arithmetic_v<D> || std::is_enum_v<D>) {
      if (info_->kind == TPropKind::Float)
        info_->default_float = static_cast<double>(value);
      else
        info_->default_ordinal = static_cast<int64_t>(value);
    } else {
      info_->default_string = std::string(value);
    }
    info_->no_default = false;
    return *this;
  }
  TPropBuilder& NoDefault() {
    info_->no_default = true;
    info_->default_ordinal.reset();
    info_->default_float.reset();
    info_->default_string.reset();
    return *this;
  }
  TPropBuilder& AlwaysStored() {
    info_->always_stored = true;
    info_->never_stored = false;
    return *this;
  }
  // Read but never written: a value derived from others (a form's ClientWidth).
  TPropBuilder& NotStored() {
    info_->never_stored = true;
    info_->always_stored = false;
    return *this;
  }
  // Written only while `when(instance)` holds, by the rules above. For a value another property
  // overrides (Color while ParentColor is True): written, it would undo that property on reading.
  TPropBuilder& StoredWhen(std::function<bool(TObject&)> when) {
    info_->stored_when = std::move(when);
    return *this;
  }
  // The map must live as long as the program (a static).
  TPropBuilder& Idents(const TIdentMap& map) {
    info_->idents = &map;
    return *this;
  }
  TPropInfo& Info() { return *info_; }

 private:
  TPropInfo* info_;
};

namespace detail {

template <class T>
T* AsPointer(T* p) {
  return p;
}
template <class T>
T* AsPointer(T& r) {
  return &r;
}

template <class T, class F>
decltype(auto) Call(const F& f, TObject& o) {
  return std::invoke(f, static_cast<T&>(o));
}

template <class T, class G>
using GetterResult = std::decay_t<std::invoke_result_t<const G&, T&>>;

template <class T>
struct IsTSet : std::false_type {};
template <class E>
struct IsTSet<TSet<E>> : std::true_type {};

}  // namespace detail

// Declares the published properties of class T; `p` in a VANTOREL_CLASS block.
template <class T>
class TClassBuilder {
 public:
  explicit TClassBuilder(TClass& cls) : cls_(cls) {}
  TClass& Class() { return cls_; }

  // The property `name` this class has declared already (by a shared helper) or inherits, to
  // change its storage rule for this class and its descendants: p.Declared("DestDir").NoDefault().
  TPropBuilder Declared(std::string_view name) {
    return TPropBuilder(DeclaredProperty(cls_, name));
  }

  template <class G, class S>
  TPropBuilder Int(std::string name, G get, S set) {
    using R = detail::GetterResult<T, G>;
    static_assert(std::is_integral_v<R> && !std::is_same_v<R, bool>, "Int needs an integer getter");
    TPropInfo info = Base(std::move(name), TPropKind::Integer, "Integer");
    info.min_value = std::is_signed_v<R> ? static_cast<int64_t>(std::numeric_limits<R>::min()) : 0;
    info.max_value = sizeof(R) >= 8 ? std::numeric_limits<int64_t>::max()
                                    : static_cast<int64_t>(std::numeric_limits<R>::max());
    info.get_ordinal = [get](TObject& o) { return static_cast<int64_t>(detail::Call<T>(get, o)); };
    info.set_ordinal = [set](TObject& o, int64_t v) {
      std::invoke(set, static_cast<T&>(o), static_cast<R>(v));
    };
    return Add(std::move(info));
  }

  template <class G, class S>
  TPropBuilder Float(std::string name, G get, S set) {
    TPropInfo info = Base(std::move(name), TPropKind::Float, "Double");
    info.get_float = [get](TObject& o) { return static_cast<double>(detail::Call<T>(get, o)); };
    info.set_float = [set](TObject& o, double v) { std::invoke(set, static_cast<T&>(o), v); };
    return Add(std::move(info));
  }

  template <class G, class S>
  TPropBuilder Bool(std::string name, G get, S set) {
    TPropInfo info = Base(std::move(name), TPropKind::Boolean, "Boolean");
    info.get_ordinal = [get](TObject& o) { return detail::Call<T>(get, o) ? int64_t{1} : 0; };
    info.set_ordinal = [set](TObject& o, int64_t v) {
      std::invoke(set, static_cast<T&>(o), v != 0);
    };
    return Add(std::move(info));
  }

  template <class G, class S>
  TPropBuilder String(std::string name, G get, S set) {
    TPropInfo info = Base(std::move(name), TPropKind::String, "String");
    info.get_string = [get](TObject& o) { return std::string(detail::Call<T>(get, o)); };
    info.set_string = [set](TObject& o, const std::string& v) {
      std::invoke(set, static_cast<T&>(o), v);
    };
    return Add(std::move(info));
  }

  template <class G, class S>
  TPropBuilder Enum(std::string name, G get, S set) {
    using E = detail::GetterResult<T, G>;
    static_assert(std::is_enum_v<E>, "Enum needs an enumeration getter");
    const TEnumInfo& enum_info = EnumInfo<E>();
    TPropInfo info = Base(std::move(name), TPropKind::Enumeration, enum_info.TypeName());
    info.enum_info = &enum_info;
    info.get_ordinal = [get](TObject& o) { return static_cast<int64_t>(detail::Call<T>(get, o)); };
    info.set_ordinal = [set](TObject& o, int64_t v) {
      std::invoke(set, static_cast<T&>(o), static_cast<E>(v));
    };
    return Add(std::move(info));
  }

  template <class G, class S>
  TPropBuilder Set(std::string name, G get, S set) {
    using R = detail::GetterResult<T, G>;
    static_assert(detail::IsTSet<R>::value, "Set needs a TSet getter");
    using E = typename R::Element;
    const TEnumInfo& enum_info = EnumInfo<E>();
    TPropInfo info = Base(std::move(name), TPropKind::Set, "set of " + enum_info.TypeName());
    info.enum_info = &enum_info;
    info.get_ordinal = [get](TObject& o) {
      return static_cast<int64_t>(detail::Call<T>(get, o).Bits());
    };
    info.set_ordinal = [set](TObject& o, int64_t v) {
      std::invoke(set, static_cast<T&>(o), R::FromBits(static_cast<uint64_t>(v)));
    };
    return Add(std::move(info));
  }

  // A string list; the reader assigns the lines read through the list's Assign.
  template <class G>
  TPropBuilder Strings(std::string name, G get) {
    return Strings(std::move(name), get, [get](T& o, const TStringList& v) {
      detail::AsPointer(std::invoke(get, o))->Assign(v);
    });
  }
  // A string list with a setter taking `const TStrings&`.
  template <class G, class S>
  TPropBuilder Strings(std::string name, G get, S set) {
    TPropInfo info = Base(std::move(name), TPropKind::StringList, "TStrings");
    info.get_object = [get](TObject& o) -> TObject* {
      return detail::AsPointer(detail::Call<T>(get, o));
    };
    info.set_object = [set](TObject& o, TObject* v) {
      std::invoke(set, static_cast<T&>(o), static_cast<const TStringList&>(*v));
    };
    return Add(std::move(info));
  }

  // A reference to another component; the getter's pointer type is the class referenced.
  template <class G, class S>
  TPropBuilder Component(std::string name, G get, S set) {
    using P = detail::GetterResult<T, G>;
    static_assert(std::is_pointer_v<P>, "Component needs a getter returning a pointer");
    using Ref = std::remove_cv_t<std::remove_pointer_t<P>>;
    TPropInfo info = Base(std::move(name), TPropKind::Component, "");
    info.object_class = TClassOf<Ref>();
    info.get_object = [get](TObject& o) -> TObject* {
      return const_cast<Ref*>(detail::Call<T>(get, o));
    };
    info.set_object = [set](TObject& o, TObject* v) {
      std::invoke(set, static_cast<T&>(o), dynamic_cast<Ref*>(v));
    };
    info.accepts = [](const TObject* v) { return dynamic_cast<const Ref*>(v) != nullptr; };
    return Add(std::move(info));
  }

  // A sub-object owned by the instance (Information.CompanyName = '...'); its class is
  // registered with its own properties.
  template <class G>
  TPropBuilder Object(std::string name, G get) {
    using R = std::remove_pointer_t<std::decay_t<std::invoke_result_t<const G&, T&>>>;
    TPropInfo info = Base(std::move(name), TPropKind::Object, "");
    info.object_class = TClassOf<R>();
    info.get_object = [get](TObject& o) -> TObject* {
      return detail::AsPointer(detail::Call<T>(get, o));
    };
    return Add(std::move(info));
  }

  // A picture (Picture.Data = { hex }); the reader assigns through TPicture::Assign.
  template <class G>
  TPropBuilder Picture(std::string name, G get) {
    return Picture(std::move(name), get, [get](T& o, const TPicture& v) {
      detail::AsPointer(std::invoke(get, o))->Assign(v);
    });
  }
  template <class G, class S>
  TPropBuilder Picture(std::string name, G get, S set) {
    TPropInfo info = Base(std::move(name), TPropKind::Picture, "TPicture");
    info.get_object = [get](TObject& o) -> TObject* {
      return detail::AsPointer(detail::Call<T>(get, o));
    };
    info.set_object = [set](TObject& o, TObject* v) {
      std::invoke(set, static_cast<T&>(o), static_cast<const TPicture&>(*v));
    };
    return Add(std::move(info));
  }

  // An event: a public std::function member of a component.
  template <class Sig, class C>
  TPropBuilder Event(std::string name, std::function<Sig> C::*member) {
    static_assert(std::is_base_of_v<C, T>, "the event member belongs to another class");
    TPropInfo info = Base(std::move(name), TPropKind::Event, "event");
    info.event_type = typeid(std::function<Sig>);
    info.event_signature = detail::ReadableTypeName(typeid(Sig));
    info.set_event = [member](TObject& o, const std::any* handler) {
      C& c = static_cast<T&>(o);
      if (handler == nullptr)
        c.*member = nullptr;
      else
        c.*member = std::any_cast<const std::function<Sig>&>(*handler);
    };
    return Add(std::move(info));
  }

 private:
  static TPropInfo Base(std::string name, TPropKind kind, std::string type_name) {
    TPropInfo info;
    info.name = std::move(name);
    info.kind = kind;
    info.type_name = std::move(type_name);
    return info;
  }
  TPropBuilder Add(TPropInfo info) { return TPropBuilder(AddProperty(cls_, std::move(info))); }
  TClass& cls_;
};

namespace detail {

// Whether T or an ancestor overrides TComponent::Notification (component.h).
template <class T>
bool OverridesNotification();

template <class T, class Parent>
struct TClassRegistrar {
  TClassRegistrar(const char* name, void (*describe)(TClassBuilder<T>&)) {
    static_assert(std::is_base_of_v<Parent, T>, "the parent class must be a base of the class");
    TClass::Factory factory = nullptr;
    if constexpr (std::is_base_of_v<TComponent, T> && !std::is_abstract_v<T> &&
                  std::is_constructible_v<T, TComponent*>) {
      factory = [](TComponent* owner) -> TComponent* {
        T* object = new T(owner);
        object->AfterConstruction();
        object->ConstructionDone();
        return object;
      };
    }
    TClass& cls = RegisterClassType(typeid(T), name, TClassOf<Parent>(), factory);
    if constexpr (std::is_base_of_v<TComponent, T>) {
      cls.SetHearsNotifications(OverridesNotification<T>());
    }
    TClassBuilder<T> builder(cls);
    describe(builder);
  }
};

}  // namespace detail

// Registers class `Class` (a descendant of `Parent`) and opens the block declaring its
// properties through `p`. Use at namespace scope in one .cpp file.
#define VANTOREL_CLASS(Class, Parent)                                              \
  static void VantorelDescribe_##Class(::vantorel::TClassBuilder<Class>& p);       \
  [[maybe_unused]] static const ::vantorel::detail::TClassRegistrar<Class, Parent> \
      vantorel_registrar_##Class(#Class, &VantorelDescribe_##Class);               \
  static void VantorelDescribe_##Class([[maybe_unused]] ::vantorel::TClassBuilder<Class>& p)

// ---- event handlers by name ------------------------------------------------------------------

// Handlers the host program offers to the forms it reads, by name (case ignored).
class THandlerRegistry {
 public:
  struct Handler {
    std::type_index type = typeid(void);  // std::function<Sig>
    std::string signature;                // readable Sig
    std::any function;                    // the std::function<Sig>
  };

  // Registers (or replaces) the handler `name` with signature Sig.
  template <class Sig, class F>
  void Register(const std::string& name, F&& f) {
    Put(name, Handler{typeid(std::function<Sig>), detail::ReadableTypeName(typeid(Sig)),
                      std::any(std::function<Sig>(std::forward<F>(f)))});
  }
  const Handler* Find(std::string_view name) const;
  bool Remove(std::string_view name);
  void Clear() { handlers_.clear(); }
  int Count() const { return static_cast<int>(handlers_.size()); }

 private:
  void Put(const std::string& name, Handler handler);
  std::vector<std::pair<std::string, Handler>> handlers_;
};

// The process-wide registry the reader uses unless told otherwise.
THandlerRegistry& Handlers();

template <class Sig, class F>
void RegisterHandler(const std::string& name, F&& f) {
  Handlers().Register<Sig>(name, std::forward<F>(f));
}

}  // namespace vantorel
