#include "framework/component.h"

#include <algorithm>

#include "framework/format.h"

namespace vantorel {

VANTOREL_CLASS(TComponent, TPersistent) {
  p.Int("Tag", &TComponent::Tag, &TComponent::SetTag).Default(0);
}

namespace detail {
// While the form reader reads in design mode, every component is designing from its
// construction on, so that constructors can tell (the root has no designing owner to inherit
// it from).
thread_local int g_design_scope = 0;
void EnterDesignScope() {
  ++g_design_scope;
}
void LeaveDesignScope() {
  --g_design_scope;
}
}  // namespace detail

bool IsValidIdent(std::string_view name) {
  if (name.empty()) return false;
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!alpha(name[0])) return false;
  return std::all_of(name.begin() + 1, name.end(),
                     [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

TComponent::TComponent(TComponent* owner) {
  if (detail::g_design_scope > 0) state_.Include(csDesigning);
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  if (!notified_removal_) {
    notified_removal_ = true;
    Destroying();
    SendRemoveNotifications();
    DestroyComponents();
    if (owner_ != nullptr) owner_->RemoveComponent(this);
  }
  // Components created by the destructors of descendants, if any.
  DestroyComponents();
}

void TComponent::Free() {
  if (notified_removal_) return;
  notified_removal_ = true;
  Destroying();
  SendRemoveNotifications();
  DestroyComponents();
  if (owner_ != nullptr) owner_->RemoveComponent(this);
  delete this;
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError(Format("List index out of bounds (%d)", index));
  return components_[static_cast<size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  auto it = by_name_.find(detail::UpperCase(name));
  return it == by_name_.end() ? nullptr : it->second;
}

void TComponent::ValidateRename(const TComponent* component, const std::string& new_name) const {
  if (new_name.empty()) return;
  TComponent* existing = FindComponent(new_name);
  if (existing != nullptr && existing != component)
    throw EComponentError(Format("A component named %s already exists", new_name));
}

void TComponent::SetName(const std::string& name) {
  if (name == name_) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError(Format("'%s' is not a valid component name", name));
  if (owner_ != nullptr) {
    owner_->ValidateRename(this, name);
    if (!name_.empty()) owner_->by_name_.erase(detail::UpperCase(name_));
    if (!name.empty()) owner_->by_name_[detail::UpperCase(name)] = this;
  }
  name_ = name;
}

void TComponent::SetDesigning(bool designing) {
  if (designing)
    state_.Include(csDesigning);
  else
    state_.Exclude(csDesigning);
  for (TComponent* c : components_) c->SetDesigning(designing);
}

void TComponent::SetStateFlag(TComponentStateFlag flag, bool on) {
  if (on)
    state_.Include(flag);
  else
    state_.Exclude(flag);
}

void TComponent::InsertComponent(TComponent* component) {
  if (component == nullptr || component->owner_ == this) return;
  ValidateRename(component, component->name_);
  if (component->owner_ != nullptr) component->owner_->RemoveComponent(component);
  components_.push_back(component);
  if (!component->name_.empty()) by_name_[detail::UpperCase(component->name_)] = component;
  component->owner_ = this;
  component->seq_ = next_seq_++;
  component->UpdateHearing();
  UpdateHearing();  // a first component makes this one hear its owner's broadcasts
  if (IsDesigning()) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component == nullptr || component->owner_ != this) return;
  Notification(component, opRemove);
  // From the back: the owner's destruction removes its components from the last.
  auto it = std::find(components_.rbegin(), components_.rend(), component);
  if (it != components_.rend()) components_.erase(std::next(it).base());
  if (!component->name_.empty()) {
    auto named = by_name_.find(detail::UpperCase(component->name_));
    if (named != by_name_.end() && named->second == component) by_name_.erase(named);
  }
  if (component->hearing_) hearers_.erase(component->seq_);
  component->hearing_ = false;
  component->owner_ = nullptr;
  UpdateHearing();
}

void TComponent::PartnerList::Add(TComponent* c) {
  if (!index_.emplace(c, items_.size()).second) return;
  items_.push_back(c);
}

void TComponent::PartnerList::Remove(TComponent* c) {
  auto it = index_.find(c);
  if (it == index_.end()) return;
  items_[it->second] = nullptr;
  index_.erase(it);
  while (!items_.empty() && items_.back() == nullptr) items_.pop_back();
  // Gaps in the middle are closed once they outnumber the partners.
  if (items_.size() > 2 * index_.size() + 16) {
    std::erase(items_, nullptr);
    for (size_t i = 0; i < items_.size(); ++i) index_[items_[i]] = i;
  }
}

TComponent* TComponent::PartnerList::Last() {
  return items_.empty() ? nullptr : items_.back();
}

std::vector<TComponent*> TComponent::PartnerList::Items() const {
  std::vector<TComponent*> out;
  out.reserve(index_.size());
  for (TComponent* c : items_)
    if (c != nullptr) out.push_back(c);
  return out;
}

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  free_notifies_.Add(component);
  component->free_notifies_.Add(this);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (component == nullptr) return;
  free_notifies_.Remove(component);
  component->free_notifies_.Remove(this);
}

void TComponent::SendRemoveNotifications() {
  // Each partner is unlinked before it is told, so a Notification override that forgets the
  // base call cannot make this loop forever.
  while (TComponent* partner = free_notifies_.Last()) {
    RemoveFreeNotification(partner);
    partner->Notification(this, opRemove);
  }
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) components_.back()->Free();
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::Loaded() {
  state_.Exclude(csLoading);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  // Partnerships are mutual: with none of our own there is nothing to undo on either side.
  if (operation == opRemove && component != nullptr && !free_notifies_.Empty())
    RemoveFreeNotification(component);
  // Looked up afresh after each call: a receiver may free components while being told.
  for (auto it = hearers_.begin(); it != hearers_.end();) {
    uint64_t next = it->first + 1;
    it->second->Notification(component, operation);
    it = hearers_.lower_bound(next);
  }
  // The rest hear only their partners; a partner leaving this owner is told to them here, as
  // the broadcast would (the partnership and the references to it end).
  if (operation == opRemove && component != nullptr && !components_.empty() &&
      !component->free_notifies_.Empty()) {
    std::vector<TComponent*> told;
    for (TComponent* p : component->free_notifies_.Items())
      if (p->owner_ == this && !p->hearing_) told.push_back(p);
    for (TComponent* p : told) p->Notification(component, operation);
  }
}

bool TComponent::HearsNotifications() {
  if (!components_.empty()) return true;
  if (partners_only_) return false;
  // Until the object is known whole its class may still be an ancestor's: assume it hears.
  return class_hears_ != 0;
}

void TComponent::UpdateHearing() {
  if (owner_ == nullptr) return;
  bool hears = HearsNotifications();
  if (hears == hearing_) return;
  if (hears)
    owner_->hearers_.emplace(seq_, this);
  else
    owner_->hearers_.erase(seq_);
  hearing_ = hears;
}

void TComponent::ConstructionDone() {
  class_hears_ = ClassType()->HearsNotifications() ? 1 : 0;
  UpdateHearing();
}

std::string TComponent::EventHandlerName(std::string_view property) const {
  for (const auto& [prop, handler] : event_names_)
    if (detail::SameText(prop, property)) return handler;
  return {};
}

void TComponent::SetEventHandlerName(std::string_view property, const std::string& handler) {
  for (auto it = event_names_.begin(); it != event_names_.end(); ++it) {
    if (detail::SameText(it->first, property)) {
      if (handler.empty())
        event_names_.erase(it);
      else
        it->second = handler;
      return;
    }
  }
  if (!handler.empty()) event_names_.emplace_back(std::string(property), handler);
}

}  // namespace vantorel
