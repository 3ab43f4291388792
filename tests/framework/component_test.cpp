#include "framework/component.h"

#include <gtest/gtest.h>

#include <vector>

#include "test_classes.h"

namespace vantorel::testing {
namespace {

TEST(ComponentName, ValidityAndUniquenessWithinTheOwner) {
  struct Case {
    const char* name;
    bool valid;
  } cases[] = {
      {"Button1", true}, {"_x", true},   {"a_b_9", true}, {"", true},   {"1abc", false},
      {"a b", false},    {"a-b", false}, {"a.b", false},  {"é", false},
  };
  for (const auto& c : cases) {
    TComponent owner(nullptr);
    auto* comp = new TComponent(&owner);
    if (c.valid)
      EXPECT_NO_THROW(comp->SetName(c.name)) << c.name;
    else
      EXPECT_THROW(comp->SetName(c.name), EComponentError) << c.name;
  }

  TComponent owner(nullptr);
  auto* first = new TComponent(&owner);
  auto* second = new TComponent(&owner);
  first->SetName("Install1");
  try {
    second->SetName("INSTALL1");
    FAIL() << "a duplicate name differing only in case was accepted";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named INSTALL1 already exists");
  }
  EXPECT_EQ(second->Name(), "");
  EXPECT_NO_THROW(first->SetName("INSTALL1"));  // renaming to itself in another case
  EXPECT_NO_THROW(second->SetName(""));
  auto* third = new TComponent(&owner);  // several unnamed components are fine
  EXPECT_NO_THROW(third->SetName(""));
  EXPECT_EQ(owner.FindComponent("install1"), first);
  EXPECT_EQ(owner.FindComponent(""), nullptr);

  // Components of different owners may share a name.
  TComponent other(nullptr);
  auto* elsewhere = new TComponent(&other);
  EXPECT_NO_THROW(elsewhere->SetName("Install1"));
}

TEST(ComponentOwnership, OwnerDestroysItsComponentsLastFirst) {
  Log().clear();
  {
    TComponent owner(nullptr);
    for (const char* name : {"A", "B", "C"}) (new TDyingComponent(&owner))->SetName(name);
    auto* b = owner.FindComponent("B");
    EXPECT_EQ(owner.ComponentCount(), 3);
    EXPECT_EQ(b->ComponentIndex(), 1);
    EXPECT_EQ(b->Owner(), &owner);
    b->Free();  // leaves its owner
    EXPECT_EQ(owner.ComponentCount(), 2);
    (new TDyingComponent(&owner))->SetName("D");
  }
  EXPECT_EQ(Log(), (std::vector<std::string>{"destroy B", "destroy D", "destroy C", "destroy A"}));
  EXPECT_THROW(TComponent(nullptr).Components(0), EListError);
}

TEST(ComponentOwnership, InsertAndRemoveMoveBetweenOwners) {
  TComponent a(nullptr), b(nullptr);
  auto* c = new TComponent(&a);
  c->SetName("Shared");
  (new TComponent(&b))->SetName("Shared");
  EXPECT_THROW(b.InsertComponent(c), EComponentError);  // the name is taken there
  EXPECT_EQ(c->Owner(), &a);
  c->SetName("Moved");
  b.InsertComponent(c);
  EXPECT_EQ(c->Owner(), &b);
  EXPECT_EQ(a.ComponentCount(), 0);
  b.RemoveComponent(c);
  EXPECT_EQ(c->Owner(), nullptr);
  delete c;
}

TEST(ComponentNotification, RemovalClearsReferencesOfSiblings) {
  TComponent form(nullptr);
  auto* a = new TRecorder(&form);
  auto* b = new TRecorder(&form);
  a->SetName("A");
  b->SetName("B");
  a->SetPartner(b);
  b->SetPartner(a);
  b->Free();
  EXPECT_EQ(a->Partner(), nullptr);

  // Through delete as well, and through RemoveComponent.
  auto* c = new TRecorder(&form);
  a->SetPartner(c);
  delete c;
  EXPECT_EQ(a->Partner(), nullptr);
  auto* d = new TRecorder(&form);
  a->SetPartner(d);
  form.RemoveComponent(d);
  EXPECT_EQ(a->Partner(), nullptr);
  delete d;
}

TEST(ComponentNotification, ReferencesAreClearedAmongManyKnownSiblings) {
  // Holds a reference and overrides Notification; `partners` asks for FreeNotification and
  // hears only its partners, as install files do.
  class THolder : public TComponent {
   public:
    THolder(TComponent* owner, bool partners) : TComponent(owner), partners_(partners) {
      if (partners) HearOnlyPartners();
    }
    void Refer(TComponent* c) {
      ref_ = c;
      if (partners_ && c != nullptr) c->FreeNotification(this);
    }
    TComponent* Ref() const { return ref_; }
    void Notification(TComponent* c, TOperation op) override {
      TComponent::Notification(c, op);
      if (op == opRemove && c == ref_) ref_ = nullptr;
    }

   private:
    bool partners_;
    TComponent* ref_ = nullptr;
  };
  for (bool partners : {false, true}) {
    SCOPED_TRACE(partners ? "partners only" : "all notices");
    TComponent form(nullptr);
    std::vector<THolder*> holders;
    for (int i = 0; i < 200; ++i) {
      holders.push_back(new THolder(&form, partners));
      holders.back()->ConstructionDone();  // the class is known, as for the form reader
      new TComponent(&form);               // plain siblings between them
    }
    auto* target = new TComponent(&form);
    target->ConstructionDone();
    for (THolder* h : holders) h->Refer(target);
    // Leaving the owner without being destroyed ends the references too.
    form.RemoveComponent(target);
    for (THolder* h : holders) EXPECT_EQ(h->Ref(), nullptr);
    form.InsertComponent(target);
    for (THolder* h : holders) h->Refer(target);
    target->Free();
    for (THolder* h : holders) EXPECT_EQ(h->Ref(), nullptr);
    // A holder that gains components of its own hears its owner's notices for them.
    auto* owner = holders[7];
    auto* inner = new THolder(owner, false);
    inner->ConstructionDone();
    auto* sibling = new TComponent(&form);
    sibling->ConstructionDone();
    inner->Refer(sibling);
    sibling->Free();
    EXPECT_EQ(inner->Ref(), nullptr);
  }
}

TEST(ComponentNotification, FreeNotificationReachesOtherOwners) {
  TComponent form1(nullptr), form2(nullptr);
  auto* a = new TRecorder(&form1);
  auto* b = new TRecorder(&form2);
  a->SetPartner(b);
  a->FreeNotification(b);
  b->Free();
  EXPECT_EQ(a->Partner(), nullptr);

  // Without FreeNotification a component of another owner is not told (and keeps a stale
  // pointer, which is why references across owners must ask).
  auto* c = new TRecorder(&form2);
  a->SetPartner(c);
  a->FreeNotification(c);
  a->RemoveFreeNotification(c);
  c->Free();
  EXPECT_NE(a->Partner(), nullptr);
  a->SetPartner(nullptr);

  // Either side's destruction unlinks the pair: no notification to a destroyed partner.
  auto* d = new TRecorder(&form2);
  auto* e = new TRecorder(&form1);
  d->FreeNotification(e);
  e->Free();
  d->Free();
}

TEST(ComponentNotification, InsertIsAnnouncedToTheOwnersComponents) {
  struct Watcher : TComponent {
    using TComponent::TComponent;
    std::vector<std::pair<TComponent*, TOperation>> seen;
    void Notification(TComponent* c, TOperation op) override {
      seen.emplace_back(c, op);
      TComponent::Notification(c, op);
    }
  };
  TComponent form(nullptr);
  auto* watcher = new Watcher(&form);
  auto* added = new TComponent(&form);
  ASSERT_FALSE(watcher->seen.empty());
  EXPECT_EQ(watcher->seen.back(), std::make_pair(added, opInsert));
  added->Free();
  EXPECT_EQ(watcher->seen.back(), std::make_pair(added, opRemove));
}

TEST(ComponentState, DesigningPropagatesToOwnedComponents) {
  TComponent form(nullptr);
  auto* before = new TComponent(&form);
  form.SetDesigning(true);
  EXPECT_TRUE(before->IsDesigning());
  auto* after = new TComponent(&form);
  EXPECT_TRUE(after->IsDesigning());
  auto* grandchild = new TComponent(after);
  EXPECT_TRUE(grandchild->IsDesigning());
  form.SetDesigning(false);
  EXPECT_FALSE(grandchild->IsDesigning());
  EXPECT_TRUE(before->ComponentState() == TComponentState{});
}

TEST(ComponentState, LoadedClearsLoadingAndDestroyingIsMarked) {
  TComponent c(nullptr);
  c.SetStateFlag(csLoading, true);
  EXPECT_TRUE(c.IsLoading());
  c.Loaded();
  EXPECT_FALSE(c.IsLoading());

  // While an owner is freed, its components are told about each other's removal and can see
  // that the owner is going.
  struct Probe : TComponent {
    Probe(TComponent* owner, bool* seen) : TComponent(owner), seen_(seen) {}
    bool* seen_;
    void Notification(TComponent* comp, TOperation op) override {
      if (op == opRemove && Owner() != nullptr && Owner()->IsDestroying() && IsDestroying())
        *seen_ = true;
      TComponent::Notification(comp, op);
    }
  };
  bool seen = false;
  auto* form = new TComponent(nullptr);
  new Probe(form, &seen);
  new TComponent(form);
  form->Free();
  EXPECT_TRUE(seen);
}

TEST(ComponentEvents, HandlerNamesAreKeptPerProperty) {
  TComponent c(nullptr);
  c.SetEventHandlerName("OnClick", "Button1Click");
  EXPECT_EQ(c.EventHandlerName("onclick"), "Button1Click");
  c.SetEventHandlerName("OnClick", "");
  EXPECT_EQ(c.EventHandlerName("OnClick"), "");
}

}  // namespace
}  // namespace vantorel::testing
