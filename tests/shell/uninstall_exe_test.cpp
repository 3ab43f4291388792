#include "shell/uninstall_exe.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/application.h"
#include "framework/forms.h"
#include "model/file_container.h"
#include "platform/registry.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "shell_fixture.h"

namespace vantorel {
namespace {

using testing::ShellTest;

class UninstallExeTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    install_ = Make<testing::FakeInstall>("Install1");
    install_->product = "Database Engine Full Install";
    SetInstallComponent(install_);
    group_ = Make<TInstallFileGroup>("Group");
    group_->SetDestDirType(nullptr);
    group_->SetDestDir("C:\\App\\uninstall");
    group_->SetContainer(install_);
    exe_ = Make<TUninstallEXE>("Uninstaller");
    exe_->SetFileName("uninstall.exe");
    exe_->SetContainer(group_);
    exe_->SetDestDirType(nullptr);
    exe_->SetDestDir("C:\\App\\uninstall");
    DeleteRegKeyTree(kRootLocalMachine, key_);
  }
  void TearDown() override {
    DeleteRegKeyTree(kRootLocalMachine, key_);
    SetInstallComponent(nullptr);
    ShellTest::TearDown();
  }

  std::string Value(const std::string& name) {
    return ReadRegString(kRootLocalMachine, key_, name, "<missing>");
  }
  uint32_t DWord(const std::string& name) {
    platform::RegKey key = platform::RegKey::Open(platform::Root::LocalMachine, key_, false, false);
    uint32_t value = 0xFFFFFFFF;
    if (key.IsOpen()) key.ReadDWord(name, value);
    return value;
  }

  testing::FakeInstall* install_ = nullptr;
  TInstallFileGroup* group_ = nullptr;
  TUninstallEXE* exe_ = nullptr;
  std::string key_ = UninstallKeyOf("Database Engine Full Install");
};

TEST_F(UninstallExeTest, WritesWhatTheListOfInstalledProgramsShows) {
  install_->company = "Example Company";
  install_->version = "2.5";
  install_->SetDestDirType(nullptr);
  install_->SetDestDir("C:\\App\\");
  // Two files of 1025 and 1024 bytes take 3 KB, rounded up; an excluded one takes nothing.
  auto sized = [&](const char* name, int32_t size, bool include) {
    auto* file = Make<TInstallFile>(name);
    file->SetFileName(std::string(name) + ".txt");
    file->SetContainer(group_);
    file->SetArchiveInformation(size, 0, "");
    file->SetInclude(include);
  };
  sized("A", 1025, true);
  sized("B", 1024, true);
  sized("C", 1 << 20, false);

  exe_->WriteUninstallInfo(key_);

  struct {
    const char* name;
    std::string value;
  } strings[] = {
      {"DisplayName", "Database Engine Full Install"},
      // Quoted: unquoted, Windows would first try to run "C:\Program.exe" for a path under
      // "C:\Program Files".
      {"UninstallString", "\"C:\\App\\uninstall\\uninstall.exe\" Database Engine Full Install"},
      {"QuietUninstallString",
       "\"C:\\App\\uninstall\\uninstall.exe\" /S Database Engine Full Install"},
      {"DisplayVersion", "2.5"},
      {"Publisher", "Example Company"},
      {"InstallLocation", "C:\\App"},
      {"DisplayIcon", "C:\\App\\uninstall\\uninstall.exe,0"},
  };
  for (const auto& s : strings) EXPECT_EQ(Value(s.name), s.value) << s.name;
  EXPECT_EQ(DWord("EstimatedSize"), 3u);
  EXPECT_EQ(DWord("NoModify"), 1u);
  EXPECT_EQ(DWord("NoRepair"), 1u);
  // The uninstaller has no record of its own among the files it removes.
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, key_ + "\\Files"));
}

TEST_F(UninstallExeTest, TheCommandKeepsTheUninstallersOwnName) {
  exe_->SetDestName("remove.exe");
  exe_->WriteUninstallInfo(key_);
  EXPECT_EQ(Value("UninstallString"),
            "\"C:\\App\\uninstall\\remove.exe\" Database Engine Full Install");
}

TEST_F(UninstallExeTest, WithoutAnInstallComponentNothingIsWritten) {
  SetInstallComponent(nullptr);
  try {
    exe_->WriteUninstallInfo(key_);
    FAIL() << "no error";
  } catch (const IEUninstallEXE& e) {
    EXPECT_STREQ(e.what(),
                 "Uninstaller could not write information about the uninstall to the registry "
                 "because there was no TInstall component");
  }
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, key_));
}

TEST_F(UninstallExeTest, AnExcludedUninstallerIsNotListed) {
  exe_->SetInclude(false);
  exe_->Process();
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, key_));
}

TEST_F(UninstallExeTest, FormsNameItAndItsStoredDefaults) {
  EXPECT_TRUE(exe_->Net());
  // A stored state is not an operation to run while the form loads.
  const std::string form =
      "object Form1: TForm1\n"
      "  object Un: TUninstallEXE\n"
      "    FileName = 'uninstall.exe'\n"
      "    IncludeFromDir = 'C:\\Lib'\n"
      "    State = ifsInstall\n"
      "    UniqueID = 7\n"
      "  end\n"
      "end\n";
  TComponent* root = Application().CreateFormFromText(form);
  auto* loaded = dynamic_cast<TUninstallEXE*>(root->FindComponent("Un"));
  ASSERT_NE(loaded, nullptr);
  EXPECT_TRUE(loaded->Net());
  EXPECT_EQ(loaded->State(), ifsNone);
  EXPECT_EQ(loaded->UniqueID(), 7);
  EXPECT_EQ(loaded->SourcePath(), "C:\\Lib\\uninstall.exe");
  delete root;
}

}  // namespace
}  // namespace vantorel
