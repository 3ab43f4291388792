#pragma once
// Components: named objects owned by another component (the form), with a state that tells
// whether they are being loaded or edited in a designer, and notification of removals so that
// references between components are cleared.
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "framework/classes.h"
#include "framework/properties.h"

namespace vantorel {

VANTOREL_ENUM(TComponentStateFlag, csLoading, csReading, csWriting, csDestroying, csDesigning,
              csAncestor, csUpdating, csFixups);
using TComponentState = TSet<TComponentStateFlag>;

VANTOREL_ENUM(TOperation, opInsert, opRemove);

// Raised for an invalid or duplicate component name.
class EComponentError : public Exception {
 public:
  using Exception::Exception;
};

class TComponent : public TPersistent {
 public:
  // Joins `owner` (when not null) as its last component. A designing owner makes the new
  // component designing too.
  explicit TComponent(TComponent* owner);
  // Sends the removal notifications (if Free has not already), destroys the owned components
  // from the last to the first and leaves the owner. Prefer Free() (or the owner) over delete:
  // only then do the receivers of Notification still see the component's full class.
  ~TComponent() override;

  // Notifies while the object is still whole, then deletes it.
  void Free();

  TComponent* Owner() const { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  TComponent* Components(int index) const;  // raises EListError outside 0..Count-1
  int ComponentIndex() const;               // position in the owner's list, or -1
  // An owned component by name, without regard to case; nullptr for "" or when missing.
  TComponent* FindComponent(std::string_view name) const;

  const std::string& Name() const { return name_; }
  // Raises EComponentError when the name is not an identifier ("" is allowed) or when another
  // component of the same owner has it (case ignored).
  virtual void SetName(const std::string& name);
  int Tag() const { return tag_; }
  void SetTag(int tag) { tag_ = tag; }

  TComponentState ComponentState() const { return state_; }
  bool IsLoading() const { return state_.Contains(csLoading); }
  bool IsDesigning() const { return state_.Contains(csDesigning); }
  bool IsDestroying() const { return state_.Contains(csDestroying); }
  // Sets or clears csDesigning on this component and every component it owns.
  void SetDesigning(bool designing);
  // Used by the form reader and the writer; not for ordinary code.
  void SetStateFlag(TComponentStateFlag flag, bool on);

  void InsertComponent(TComponent* component);  // takes ownership; notifies opInsert
  void RemoveComponent(TComponent* component);  // gives it up; notifies opRemove
  // Asks to be told (Notification opRemove) when `component` is destroyed, also when it
  // belongs to another owner. Mutual: either side's destruction tells the other.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);
  // Destroys every owned component, from the last to the first.
  void DestroyComponents();
  // Marks this component and its owned components as being destroyed.
  void Destroying();

  // Called by the form reader once every component of the form is read and every reference
  // resolved. The base clears csLoading; overrides call it first.
  virtual void Loaded();
  // Called by TClass::Create once the whole constructor chain has run, so that work needing the
  // object's final class (its virtual functions) can be done at creation. The base does nothing;
  // code that creates a component with `new` and needs this calls it itself.
  virtual void AfterConstruction() {}
  // Called by TClass::Create after AfterConstruction: the object's class is final from now on.
  void ConstructionDone();
  // Told about components inserted into and removed from the owner, and about the destruction
  // of components this one asked FreeNotification for. The base forwards the call to every
  // owned component; overrides clear their references to `component` on opRemove and call it.
  virtual void Notification(TComponent* component, TOperation operation);

  // The component whose child this one is when streamed (a control's parent); nullptr: the
  // root. SetParentComponent is called by the reader for nested objects.
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* parent) { (void)parent; }

  // The handler names of event properties, kept for writing the form back.
  std::string EventHandlerName(std::string_view property) const;
  void SetEventHandlerName(std::string_view property, const std::string& handler);

 private:
  void ValidateRename(const TComponent* component, const std::string& new_name) const;
  // Whether a broadcast Notification could do anything here: an override, owned components or
  // partners. A form of many plain controls then tells each insertion in constant time per
  // control that can hear it.
  bool HearsNotifications();
  // Keeps this component's place in the owner's hearers_ in step with HearsNotifications.
  void UpdateHearing();
  void SendRemoveNotifications();

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;  // owned, in creation order
  // The owned components a broadcast Notification can reach, by insertion number (so in
  // creation order): a form of thousands of plain controls or install files tells each
  // insertion and removal to the few that act on it, not to every sibling.
  std::map<uint64_t, TComponent*> hearers_;
  uint64_t next_seq_ = 0;
  uint64_t seq_ = 0;      // insertion number in the owner
  bool hearing_ = false;  // listed in the owner's hearers_
  // The named ones by upper-cased name: a form of many components finds each in constant time.
  std::unordered_map<std::string, TComponent*> by_name_;
  // Told about our destruction, and we about theirs; in the order asked. An install component
  // has a partner per file, so adding and removing one must not walk the others.
  class PartnerList {
   public:
    bool Empty() const { return index_.empty(); }
    bool Contains(TComponent* c) const { return index_.count(c) != 0; }
    void Add(TComponent* c);
    void Remove(TComponent* c);
    TComponent* Last();  // nullptr when empty
    std::vector<TComponent*> Items() const;

   private:
    std::vector<TComponent*> items_;  // nullptr where one was removed
    std::unordered_map<TComponent*, size_t> index_;
  };
  PartnerList free_notifies_;
  std::string name_;
  int tag_ = 0;
  TComponentState state_;
  bool notified_removal_ = false;
  int8_t class_hears_ = -1;  // the class's HearsNotifications, once known
  std::vector<std::pair<std::string, std::string>> event_names_;

 protected:
  // For classes whose Notification acts only on components they asked FreeNotification for:
  // those tell them directly, so the owner's broadcasts can pass them by.
  void HearOnlyPartners() { partners_only_ = true; }

 private:
  bool partners_only_ = false;
};

namespace detail {
// &T::Notification names TComponent's own unless T or an ancestor overrides it.
template <class T>
bool OverridesNotification() {
  return !std::is_same_v<decltype(&T::Notification), void (TComponent::*)(TComponent*, TOperation)>;
}
}  // namespace detail

// Whether `name` is a valid component name: a letter or underscore, then letters, digits and
// underscores.
bool IsValidIdent(std::string_view name);

}  // namespace vantorel
