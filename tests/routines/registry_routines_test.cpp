#include "routines/registry_routines.h"

#include <gtest/gtest.h>

#include "platform/system.h"
#include "routines/exceptions.h"

namespace vantorel {
namespace {

// Each test works below its own key and removes it afterwards, in both backends (the win64 tree
// runs these against the Wine prefix's real registry).
class RegistryRoutines : public ::testing::Test {
 protected:
  void TearDown() override {
    DeleteRegKeyTree(kRootCurrentUser, key_);
    DeleteRegKeyTree(kRootLocalMachine, key_);
  }
  const std::string key_ = "Software\\VantorelTest\\Routines";
};

TEST_F(RegistryRoutines, RootCodes) {
  struct Case {
    uint8_t code;
    platform::Root root;
  } cases[] = {
      {0, platform::Root::ClassesRoot},     {1, platform::Root::CurrentConfig},
      {2, platform::Root::CurrentUser},     {3, platform::Root::DynData},
      {4, platform::Root::LocalMachine},    {5, platform::Root::Users},
      {0x84, platform::Root::LocalMachine},  // only the low 7 bits count
      {6, platform::Root::CurrentUser},     {0x7F, platform::Root::CurrentUser},
  };
  for (const auto& c : cases) EXPECT_EQ(RootOfCode(c.code), c.root) << int(c.code);
  EXPECT_EQ(RootCodeOf(platform::Root::LocalMachine), kRootLocalMachine);
}

TEST_F(RegistryRoutines, WriteThenReadBack) {
  WriteRegString(kRootLocalMachine, key_ + "\\Deep\\Er", "Path", "C:\\Program Files\\x");
  WriteRegInteger(kRootLocalMachine, key_ + "\\Deep\\Er", "Size", -5);
  EXPECT_EQ(ReadRegString(kRootLocalMachine, key_ + "\\Deep\\Er", "Path", "d"),
            "C:\\Program Files\\x");
  EXPECT_EQ(ReadRegInteger(kRootLocalMachine, key_ + "\\Deep\\Er", "Size", 7), -5);
  // Missing key, missing value, value of the other type: the default.
  EXPECT_EQ(ReadRegString(kRootLocalMachine, key_ + "\\Nope", "Path", "d"), "d");
  EXPECT_EQ(ReadRegString(kRootLocalMachine, key_ + "\\Deep\\Er", "Nope", "d"), "d");
  EXPECT_EQ(ReadRegString(kRootLocalMachine, key_ + "\\Deep\\Er", "Size", "d"), "d");
  EXPECT_EQ(ReadRegInteger(kRootLocalMachine, key_ + "\\Deep\\Er", "Path", 7), 7);
  // The same key path under another root is another key.
  EXPECT_EQ(ReadRegString(kRootCurrentUser, key_ + "\\Deep\\Er", "Path", "d"), "d");
}

TEST_F(RegistryRoutines, DeleteKeyTreeRemovesEverythingAndIgnoresMissing) {
  WriteRegString(kRootCurrentUser, key_ + "\\A\\B\\C", "x", "1");
  WriteRegString(kRootCurrentUser, key_ + "\\A\\D", "y", "2");
  DeleteRegKeyTree(kRootCurrentUser, key_ + "\\A");
  EXPECT_FALSE(platform::KeyExists(platform::Root::CurrentUser, key_ + "\\A"));
  EXPECT_TRUE(platform::KeyExists(platform::Root::CurrentUser, key_));
  DeleteRegKeyTree(kRootCurrentUser, key_ + "\\A");  // already gone: no error
}

// RunOnce lives under HKEY_LOCAL_MACHINE, so use names no real program has and clean up.
class RunOnce : public ::testing::Test {
 protected:
  void TearDown() override {
    platform::RegKey key =
        platform::RegKey::Open(platform::Root::LocalMachine, kRunOnceKey, false, true);
    for (const char* suffix : {"", "1", "2", "3"}) key.DeleteValue(name_ + suffix);
  }
  std::string Read(const std::string& name) {
    return ReadRegString(kRootLocalMachine, kRunOnceKey, name, "<missing>");
  }
  const std::string name_ = "VantorelTestRunOnce";
};

TEST_F(RunOnce, UniqueNamesSkipTakenOnes) {
  ASSERT_TRUE(AddRunOnce(name_, "first", true));
  ASSERT_TRUE(AddRunOnce(name_, "second", true));
  ASSERT_TRUE(AddRunOnce(name_, "third", true));
  EXPECT_EQ(Read(name_), "first");
  EXPECT_EQ(Read(name_ + "1"), "second");
  EXPECT_EQ(Read(name_ + "2"), "third");
  // Without Unique the name itself is overwritten.
  ASSERT_TRUE(AddRunOnce(name_, "replaced", false));
  EXPECT_EQ(Read(name_), "replaced");
  EXPECT_EQ(Read(name_ + "3"), "<missing>");
}

}  // namespace
}  // namespace vantorel
