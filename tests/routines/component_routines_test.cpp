#include "routines/component_routines.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"

namespace vantorel {
namespace {

// A component that refuses every name but the empty one, as a subclass may for its own reasons.
class Unnameable : public TComponent {
 public:
  using TComponent::TComponent;
  int tries = 0;
  void SetName(const std::string& name) override {
    ++tries;
    if (!name.empty()) throw EComponentError("not now");
  }
};

TEST(ComponentRoutines, FirstNameTheOwnerAccepts) {
  struct Case {
    std::vector<std::string> siblings;
    std::string base, expected;
  } cases[] = {
      {{}, "MainTranslator", "MainTranslator"},
      {{"MainTranslator"}, "MainTranslator", "MainTranslator1"},
      {{"MAINTRANSLATOR", "maintranslator1"}, "MainTranslator", "MainTranslator2"},
      {{"Group", "Group1", "Group3"}, "Group", "Group2"},
      {{"Group1"}, "Group", "Group"},
      {{"Other"}, "Group", "Group"},
  };
  for (const Case& c : cases) {
    TComponent owner(nullptr);
    for (const std::string& name : c.siblings) (new TComponent(&owner))->SetName(name);
    auto* component = new TComponent(&owner);
    UniqueComponentName(*component, c.base);
    EXPECT_EQ(component->Name(), c.expected) << c.base;
  }
}

TEST(ComponentRoutines, KeepsItsOwnNameAndNeedsNoOwner) {
  TComponent owner(nullptr);
  auto* component = new TComponent(&owner);
  component->SetName("Group");
  UniqueComponentName(*component, "Group");
  EXPECT_EQ(component->Name(), "Group");

  TComponent alone(nullptr);
  UniqueComponentName(alone, "Group");
  EXPECT_EQ(alone.Name(), "Group");
}

TEST(ComponentRoutines, RefusalsThatNoNumberCuresAreRaised) {
  TComponent owner(nullptr);
  auto* component = new TComponent(&owner);
  EXPECT_THROW(UniqueComponentName(*component, "1st"), EComponentError);
  EXPECT_THROW(UniqueComponentName(*component, "a b"), EComponentError);
  EXPECT_EQ(component->Name(), "");

  auto* stubborn = new Unnameable(&owner);
  (new TComponent(&owner))->SetName("Sibling");
  EXPECT_THROW(UniqueComponentName(*stubborn, "Stubborn"), EComponentError);
  // One try per name that could clash with a component of the owner, then one more.
  EXPECT_LE(stubborn->tries, owner.ComponentCount() + 1);
}

}  // namespace
}  // namespace vantorel
