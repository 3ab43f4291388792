#include "model/container.h"

#include "model/exceptions.h"
#include "model/parameters.h"
#include "model_fixture.h"

namespace vantorel::testing {
namespace {

std::vector<std::string> Names(TInstallContainer* c) {
  std::vector<std::string> names;
  for (int i = 0; i < c->ObjectCount(); ++i)
    names.push_back(c->Objects(i)->Name() + "/" + std::to_string(c->Objects(i)->Order()));
  return names;
}

using ContainerOrder = ModelTest;

TEST_F(ContainerOrder, GroupsByRegisteredTypeThenOrder) {
  auto* group = Make<TInstallFileGroup>("Group");
  auto* file1 = Make<TInstallFile>("File1");
  auto* sub = Make<TInstallFileGroup>("Sub");
  auto* grab = Make<TGrabCall>("Grab");
  auto* file2 = Make<TInstallFile>("File2");
  for (TInstallObject* o : std::initializer_list<TInstallObject*>{file1, sub, grab, file2})
    o->SetContainer(group);
  EXPECT_EQ(Names(group), (std::vector<std::string>{"Sub/0", "File1/0", "File2/1", "Grab/0"}));
}

TEST_F(ContainerOrder, ExplicitOrderPlacesWithinTheGroup) {
  auto* group = Make<TInstallFileGroup>("Group");
  for (int i = 0; i < 5; ++i) Make<TInstallFile>("F" + std::to_string(i))->SetContainer(group);
  ASSERT_EQ(group->Objects(3)->Order(), 3);

  struct Case {
    int order;
    std::vector<std::string> expected;
  } cases[] = {
      {3, {"F0/0", "F1/1", "F2/2", "New/3", "F3/4", "F4/5"}},
      {-1, {"F0/0", "F1/1", "F2/2", "F3/3", "F4/4", "New/5"}},
      {0, {"New/0", "F0/1", "F1/2", "F2/3", "F3/4", "F4/5"}},
      {99, {"F0/0", "F1/1", "F2/2", "F3/3", "F4/4", "New/5"}},
  };
  for (const Case& c : cases) {
    auto* file = Make<TInstallFile>("New");
    // Order only stores while loading; outside, an object without a container keeps -1.
    file->SetStateFlag(csLoading, true);
    file->SetOrder(c.order);
    file->SetStateFlag(csLoading, false);
    file->SetContainer(group);
    EXPECT_EQ(Names(group), c.expected) << "Order " << c.order;
    file->Free();
    // Leaving through destruction does not renumber; put the numbers back for the next case.
    for (int i = 0; i < group->ObjectCount(); ++i) {
      group->Objects(i)->SetStateFlag(csLoading, true);
      group->Objects(i)->SetOrder(i);
      group->Objects(i)->SetStateFlag(csLoading, false);
    }
  }
}

// "F7" for 7. (Built by appending: GCC 12 warns falsely about "F" + to_string.)
std::string NumberedFile(int number) {
  std::string name = "F";
  name += std::to_string(number);
  return name;
}

TEST_F(ContainerOrder, ALoadedProjectOfManyFilesKeepsItsOrders) {
  // As a saved project is read: each file's Order is known when it joins, in any sequence.
  auto* group = Make<TInstallFileGroup>("Group");
  auto* grab = Make<TGrabCall>("Grab");
  grab->SetContainer(group);
  constexpr int kFiles = 1500;  // a project holds at most 2000
  group->SetStateFlag(csLoading, true);
  for (int i = 0; i < kFiles; ++i) {
    int order = (i * 7919) % kFiles;  // every number once, shuffled
    auto* file = Make<TInstallFile>(NumberedFile(order));
    file->SetStateFlag(csLoading, true);
    file->SetOrder(order);
    file->SetContainer(group);
  }
  // An Order read after joining counts for those that join later.
  auto* late = Make<TInstallFile>("Late");
  late->SetStateFlag(csLoading, true);
  late->SetContainer(group);
  late->SetOrder(kFiles + 10);
  auto* before_late = Make<TInstallFile>("BeforeLate");
  before_late->SetStateFlag(csLoading, true);
  before_late->SetOrder(kFiles + 5);
  before_late->SetContainer(group);
  group->SetStateFlag(csLoading, false);

  ASSERT_EQ(group->ObjectCount(), kFiles + 3);
  for (int i = 0; i < kFiles; ++i)
    ASSERT_EQ(group->Objects(i)->Name(), NumberedFile(i)) << "at " << i;
  EXPECT_EQ(group->Objects(kFiles)->Name(), "BeforeLate");
  EXPECT_EQ(group->Objects(kFiles + 1)->Name(), "Late");
  EXPECT_EQ(group->Objects(kFiles + 2), grab);  // a later type after every file
  group->Free();
  EXPECT_EQ(grab->Container(), nullptr);
}

TEST_F(ContainerOrder, ChangingOrderMovesTheObject) {
  auto* group = Make<TInstallFileGroup>("Group");
  for (int i = 0; i < 3; ++i) Make<TInstallFile>("F" + std::to_string(i))->SetContainer(group);
  group->Objects(2)->SetOrder(0);
  EXPECT_EQ(Names(group), (std::vector<std::string>{"F2/0", "F0/1", "F1/2"}));
  auto* loose = Make<TInstallFile>("Loose");
  loose->SetOrder(7);  // no container: not stored
  EXPECT_EQ(loose->Order(), -1);
}

TEST_F(ContainerOrder, LookupsAndTheirErrors) {
  auto* group = Make<TInstallFileGroup>("Group");
  Make<TInstallFile>("A")->SetContainer(group);
  Make<TInstallFile>("B")->SetContainer(group);
  Make<TInstallFileGroup>("Sub")->SetContainer(group);
  EXPECT_EQ(group->CompCount<TInstallFile>(), 2);
  EXPECT_EQ(group->CompCount<TInstallObject>(), 3);
  EXPECT_EQ(group->FileContainerCount(), 1);
  EXPECT_EQ(group->Comp<TInstallFile>(1)->Name(), "B");

  try {
    group->Comp<TInstallFile>(2);
    FAIL();
  } catch (const IEInstallContainer& e) {
    EXPECT_EQ(e.Message(),
              "Bad call to the Comp procedure which returns a TInstallObject for a "
              "TInstallContainer component. The parameters are probably reversed. Index: 2, "
              "ComponentType: TInstallFile");
  }
  for (int index : {-1, 3}) {
    try {
      group->Objects(index);
      FAIL();
    } catch (const IEInstallContainer& e) {
      EXPECT_EQ(e.Message(),
                "Tried to reference a helper component in the following component: Group. The "
                "following index was used: " +
                    std::to_string(index));
    }
  }
}

TEST_F(ContainerOrder, LookupsInALoopFollowEveryChangeOfTheLists) {
  auto* group = Make<TInstallFileGroup>("Group");
  std::vector<TInstallFile*> files;
  for (int i = 0; i < 6; ++i) {
    files.push_back(Make<TInstallFile>("F" + std::to_string(i)));
    files.back()->SetContainer(group);
    Make<TInstallFileGroup>("G" + std::to_string(i))->SetContainer(group);
  }
  auto names = [&] {
    std::string out;
    for (int i = 0; i < group->InstallFileCount(); ++i) out += group->InstallFiles(i)->Name() + " ";
    return out;
  };
  EXPECT_EQ(names(), "F0 F1 F2 F3 F4 F5 ");
  EXPECT_EQ(group->FileContainerCount(), 6);
  EXPECT_EQ(group->InstallFiles(4)->Name(), "F4");
  EXPECT_EQ(group->InstallFiles(1)->Name(), "F1") << "backwards after forwards";

  // Removed, added and destroyed in the middle of a walk: the next look sees it.
  EXPECT_EQ(group->InstallFiles(2)->Name(), "F2");
  group->RemoveObject(files[3]);
  EXPECT_EQ(group->InstallFiles(3)->Name(), "F4");
  EXPECT_EQ(group->InstallFileCount(), 5);
  files[0]->Free();
  EXPECT_EQ(group->InstallFiles(0)->Name(), "F1");
  EXPECT_EQ(group->InstallFileCount(), 4);
  group->AddObject(files[3]);
  EXPECT_EQ(names(), "F1 F2 F3 F4 F5 ");
  // Another container's change counts too: its file leaves this one's list when destroyed.
  auto* other = Make<TInstallFileGroup>("Other");
  other->AddObject(files[5]);
  EXPECT_EQ(other->InstallFileCount(), 1);
  EXPECT_EQ(group->InstallFileCount(), 5) << "held by both";
  files[5]->Free();
  EXPECT_EQ(names(), "F1 F2 F3 F4 ");
  EXPECT_EQ(other->InstallFileCount(), 0);
}

TEST_F(ContainerOrder, BlankAndCircularObjectsAreRefused) {
  auto* outer = Make<TInstallFileGroup>("Outer");
  auto* inner = Make<TInstallFileGroup>("Inner");
  inner->SetContainer(outer);
  struct Case {
    TInstallContainer* container;
    TInstallObject* obj;
    std::string message;
  } cases[] = {
      {outer, nullptr, "Cannot add a blank base helper component to Outer"},
      {outer, outer, "Circular reference"},
      {inner, outer, "Circular reference"},
  };
  for (const Case& c : cases) {
    try {
      c.container->AddObject(c.obj);
      FAIL() << c.message;
    } catch (const IEInstallContainer& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  // A refused container leaves the object where it was.
  EXPECT_THROW(outer->SetContainer(inner), IEInstallContainer);
  EXPECT_EQ(outer->Container(), nullptr);
  EXPECT_EQ(inner->Container(), outer);
  // Held without a Container link, as the install component holds what it adopts: a loop all
  // the same, which Process would follow without end.
  auto* adopted = Make<TInstallFileGroup>("Adopted");
  inner->AddObject(adopted);
  EXPECT_THROW(outer->SetContainer(adopted), IEInstallContainer);
  EXPECT_EQ(outer->Container(), nullptr);
}

TEST_F(ContainerOrder, DestroyedContainerIsForgottenAndTakesItsFilesAlong) {
  auto* outer = Make<TInstallFileGroup>("Outer");
  auto* grab = Make<TGrabCall>("Grab");
  grab->SetContainer(outer);
  Make<TInstallFile>("File")->SetContainer(outer);
  int files = AllInstallFiles().Count();
  outer->Free();
  EXPECT_EQ(grab->Container(), nullptr);
  EXPECT_EQ(AllInstallFiles().Count(), files - 1);  // a file container frees its files
  EXPECT_EQ(form_->FindComponent("File"), nullptr);

  auto* group = Make<TInstallFileGroup>("Group");
  auto* file2 = Make<TInstallFile>("File2");
  file2->SetContainer(group);
  file2->Free();
  EXPECT_EQ(group->ObjectCount(), 0);
}

TEST(InstallTypes, SetterRules) {
  TForm form(nullptr);
  struct Case {
    TInstallTypeSet before, assigned, after;
  } cases[] = {
      {{itFull}, {itFull, itAlways}, {itAlways}},
      {{itAlways}, {itFull, itCompact}, {itFull, itCompact}},
      {{itFull}, {}, {itAlways}},
      {{itAlways}, {itAlways, itFull}, {itFull}},
      {{itAlways}, {itAlways}, {itAlways}},
      {{itFull}, {itCustom}, {itCustom}},
  };
  for (const Case& c : cases) {
    TInstallFileGroup group(&form);
    group.SetInstallTypes(c.before);
    ASSERT_EQ(group.InstallTypes(), c.before);
    group.SetInstallTypes(c.assigned);
    EXPECT_EQ(group.InstallTypes().Bits(), c.after.Bits()) << c.assigned.Bits();
  }
}

TEST(InstallTypes, WillInstall) {
  TForm form(nullptr);
  struct Case {
    bool include;
    TInstallTypeSet types;
    TInstallType current;
    bool will;
  } cases[] = {
      {true, {itAlways}, itCompact, true},
      {true, {itFull}, itCompact, false},
      {true, {itFull}, itFull, true},
      {true, {itFull}, itAlways, true},
      {true, {itFull}, itCustom, true},
      {false, {itAlways}, itAlways, false},
      {true, {itFull, itCompact}, itCompact, true},
  };
  for (const Case& c : cases) {
    TInstallFileGroup group(&form);
    group.SetInclude(c.include);
    group.SetInstallTypes(c.types);
    group.SetCurrentInstallType(c.current);
    EXPECT_EQ(group.WillInstall(), c.will) << c.types.Bits() << " " << c.current;
  }
}

using ContainerProcess = ModelTest;

TEST_F(ContainerProcess, EventsAndCallsByIncludeAndType) {
  struct Case {
    bool include;
    TInstallTypeSet types;
    TInstallType current;
    std::vector<std::string> expected;
  } cases[] = {
      {true,
       {itAlways},
       itAlways,
       {"before", "G:-990", "G:-999", "G:-992", "G:-996", "after", "G:-989"}},
      {false, {itAlways}, itAlways, {"before", "G:-990"}},
      {true, {itFull}, itCompact, {"before", "G:-990", "G:-999"}},
  };
  for (const Case& c : cases) {
    auto* group = Make<TInstallFileGroup>("G");
    Recorder(group);
    group->SetInclude(c.include);
    group->SetInstallTypes(c.types);
    group->SetCurrentInstallType(c.current);
    group->OnBeforeProcess = [this](TInstallContainer*) { log_.push_back("before"); };
    group->OnAfterProcess = [this](TInstallContainer*) { log_.push_back("after"); };
    log_.clear();
    group->Process();
    EXPECT_EQ(log_, c.expected);
    EXPECT_EQ(group->Processed(), c.expected.size() > 3);
    group->Free();
  }
}

TEST_F(ContainerProcess, SilentAbortEndsProcessQuietly) {
  auto* group = Make<TInstallFileGroup>("G");
  Recorder(group);
  group->OnBeforeInstallObjects = [](TInstallContainer*) { throw EAbort(); };
  group->OnAfterProcess = [this](TInstallContainer*) { log_.push_back("after"); };
  EXPECT_NO_THROW(group->Process());
  EXPECT_EQ(log_, (std::vector<std::string>{"G:-990", "G:-999", "G:-992"}));
  group->OnBeforeInstallObjects = [](TInstallContainer*) { throw Exception("real"); };
  EXPECT_THROW(group->Process(), Exception);
}

TEST_F(ContainerProcess, SubContainersProcessInOrderAndInfoEventsClimbOnlyInAPhase) {
  auto* outer = Make<TInstallFileGroup>("Outer");
  auto* inner = Make<TInstallFileGroup>("Inner");
  inner->SetContainer(outer);
  Recorder(outer);
  Recorder(inner);
  outer->Process();
  EXPECT_EQ(log_, (std::vector<std::string>{"Outer:-990", "Outer:-999", "Outer:-992", "Inner:-990",
                                            "Inner:-999", "Inner:-992", "Inner:-996", "Inner:-989",
                                            "Outer:-996", "Outer:-989"}));
  // Outside a phase a report goes nowhere.
  std::vector<int> seen;
  struct Spy : TInstallFileGroup {
    using TInstallFileGroup::TInstallFileGroup;
    std::vector<int>* seen = nullptr;
    void DoInformationEventControl(TObject* s, int code, TObject* po) override {
      seen->push_back(code);
      TInstallFileGroup::DoInformationEventControl(s, code, po);
    }
  };
  auto* top = new Spy(form_.get());
  top->seen = &seen;
  outer->SetContainer(top);
  outer->DoInformationEventControl(outer, ieExtractProgress, nullptr);
  EXPECT_TRUE(seen.empty());
}

TEST_F(ContainerProcess, StatusMessagesAreBroadcast) {
  auto* group = Make<TInstallFileGroup>("G");
  std::string text;
  auto* grab = Recorder(group);
  grab->OnCall = [&](TInstallContainer*, int call, TObject* po) {
    if (call == ccPushStatus) text = dynamic_cast<TMessageParameter*>(po)->MessageText;
    if (call == ccPopStatus) text = "<popped>";
  };
  group->PushStatusMessage("Reading file information...");
  EXPECT_EQ(text, "Reading file information...");
  group->PopStatusMessage();
  EXPECT_EQ(text, "<popped>");
}

TEST(GlobalLists, RefuseBlankEntries) {
  try {
    ContainerList().Add(nullptr);
    FAIL();
  } catch (const IEContainerList& e) {
    EXPECT_EQ(e.Message(), "Cannot add a blank entry to the TInstallContainerList object");
  }
  try {
    AllInstallFiles().Add(nullptr);
    FAIL();
  } catch (const IECustomInstallFileList& e) {
    EXPECT_EQ(e.Message(), "Cannot add a blank entry to the TCustomInstallFileList object");
  }
  EXPECT_EQ(CurrentDistributeType(), dtTraditionalNet);
  EXPECT_FALSE(InstallRunning());
}

TEST(GlobalLists, PercentRoundsHalvesToEven) {
  struct Case {
    double part, whole;
    int32_t percent;
  } cases[] = {{1, 8, 12}, {3, 8, 38}, {5, 1000, 0}, {15, 1000, 2},
               {0, 0, 0},  {5, 0, 0},  {10, 10, 100}};
  for (const Case& c : cases) EXPECT_EQ(PercentOf(c.part, c.whole), c.percent) << c.part;
}

}  // namespace
}  // namespace vantorel::testing
