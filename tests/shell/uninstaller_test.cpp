#include "shell/uninstaller.h"

#include <gtest/gtest.h>

#include "framework/application.h"
#include "framework/headless/headless.h"
#include "model/install_file.h"
#include "platform/registry.h"
#include "routines/registry_routines.h"
#include "shell/uninstall_exe.h"
#include "shell/uninstall_main.h"
#include "shell_fixture.h"

namespace vantorel {
namespace {

constexpr char kProduct[] = "Shell test product";
constexpr char kSharedDLLs[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
constexpr char kHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";

class UninstallerTest : public testing::ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    DeleteRegKeyTree(kRootLocalMachine, key_);
    WriteRegString(kRootLocalMachine, key_, "DisplayName", kProduct);
  }
  void TearDown() override {
    DeleteRegKeyTree(kRootLocalMachine, key_);
    ShellTest::TearDown();
  }

  // A record key with its entries, as the install files write them.
  void Records(const std::string& name, const std::vector<std::string>& entries,
               const std::string& count = "") {
    const std::string key = key_ + "\\" + name;
    WriteRegString(kRootLocalMachine, key, "Entries",
                   count.empty() ? std::to_string(entries.size()) : count);
    for (size_t i = 0; i < entries.size(); ++i)
      WriteRegString(kRootLocalMachine, key, "File" + std::to_string(i + 1), entries[i]);
  }
  void SetCount(const std::string& path, uint32_t count) {
    platform::RegKey key =
        platform::RegKey::Open(platform::Root::LocalMachine, kSharedDLLs, true, true);
    ASSERT_TRUE(key.WriteDWord(path, count));
  }
  // The count, or -1 when there is none.
  int64_t Count(const std::string& path) {
    platform::RegKey key =
        platform::RegKey::Open(platform::Root::LocalMachine, kSharedDLLs, false, false);
    uint32_t value = 0;
    return key.IsOpen() && key.ReadDWord(path, value) ? static_cast<int64_t>(value) : -1;
  }
  bool Exists(const std::string& path) { return platform::FileExists(path); }
  bool KeyThere() { return platform::KeyExists(platform::Root::LocalMachine, key_); }

  std::string key_ = UninstallKeyOf(kProduct);
};

TEST_F(UninstallerTest, RemovesNewestRecordFirstThenFoldersAndKey) {
  const std::string app = root_ + "\\app", keep = root_ + "\\keep";
  const std::string a = app + "\\a.txt", b = app + "\\docs\\b.hlp", c = app + "\\c.txt",
                    ours = keep + "\\ours.txt", user = keep + "\\user.txt";
  for (const std::string& f : {a, b, c, ours, user}) Put(f);
  Records("Files", {a, b});
  Records("Files1", {c});
  Records("Files2", {ours});
  WriteRegString(kRootLocalMachine, kHelp, "B.HLP", app + "\\docs\\");
  WriteRegString(kRootLocalMachine, kHelp, "OTHER.HLP", app + "\\docs");

  TUninstaller uninstaller(kProduct);
  ASSERT_TRUE(uninstaller.Installed());
  TUninstallReport report = uninstaller.Run();

  EXPECT_EQ(report.removed, (std::vector<std::string>{ours, c, b, a}));
  EXPECT_TRUE(report.failures.empty());
  EXPECT_FALSE(report.restart_needed);
  for (const std::string& f : {a, b, c, ours}) EXPECT_FALSE(Exists(f)) << f;
  // The folders the removal emptied go; one that holds a user's file stays, and so does the
  // scratch folder above them, which was there before.
  EXPECT_FALSE(Exists(app));
  EXPECT_TRUE(Exists(user));
  EXPECT_TRUE(Exists(root_));
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kHelp, "B.HLP", "gone"), "gone");
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kHelp, "OTHER.HLP", "gone"), app + "\\docs");
  EXPECT_FALSE(KeyThere());
  EXPECT_FALSE(TUninstaller(kProduct).Installed());
  DeleteRegKeyTree(kRootLocalMachine, kHelp);
}

TEST_F(UninstallerTest, ALibraryAnotherProductCountsStays) {
  const std::string shared = root_ + "\\lib\\shared.dll", alone = root_ + "\\lib\\alone.dll",
                    damaged = root_ + "\\lib\\damaged.dll";
  for (const std::string& f : {shared, alone, damaged}) Put(f);
  SetCount(shared, 2);
  SetCount(alone, 1);
  WriteRegString(kRootLocalMachine, kSharedDLLs, damaged, "two");
  Records("Files", {shared, alone, damaged});

  TUninstallReport report = TUninstaller(kProduct).Run();

  EXPECT_TRUE(Exists(shared));
  EXPECT_EQ(Count(shared), 1);
  EXPECT_FALSE(Exists(alone));
  EXPECT_EQ(Count(alone), -1);
  // A count that is not a number is no proof that nobody uses the library.
  EXPECT_TRUE(Exists(damaged));
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kSharedDLLs, damaged, ""), "two");
  EXPECT_EQ(report.kept, (std::vector<std::string>{damaged, shared}));
  EXPECT_EQ(report.skipped.size(), 1u);
  EXPECT_FALSE(KeyThere());
  DeleteRegKeyTree(kRootLocalMachine, kSharedDLLs);
}

TEST_F(UninstallerTest, DamagedRecordsAreSkippedAndTheRestRemoved) {
  const std::string good = root_ + "\\good.txt", uncounted = root_ + "\\uncounted.txt",
                    server = root_ + "\\server.dll";
  for (const std::string& f : {good, uncounted, server}) Put(f);
  Records("Files", {uncounted}, "many");
  Records("Files1", {"", "relative\\x.txt", root_ + "\\..\\elsewhere.txt", good});
  Records("ActiveX", {server});  // no ";0" or ";1"
  std::vector<std::string> noted;
  TUninstaller uninstaller(kProduct);
  uninstaller.OnSkipped = [&](const std::string& text) { noted.push_back(text); };

  TUninstallReport report = uninstaller.Run();

  EXPECT_FALSE(Exists(good));
  EXPECT_TRUE(Exists(uncounted));
  EXPECT_TRUE(Exists(server));
  ASSERT_EQ(report.skipped.size(), 5u);
  EXPECT_EQ(noted, report.skipped);
  for (const char* part :
       {"server.dll\" does not say how", "\"many\" is not a number", "\"\" is not a full path",
        "\"relative\\x.txt\" is not a full path", "elsewhere.txt\" is not a full path"}) {
    bool found = false;
    for (const std::string& s : report.skipped) found = found || s.find(part) != s.npos;
    EXPECT_TRUE(found) << part;
  }
  EXPECT_TRUE(report.failures.empty());
  EXPECT_FALSE(KeyThere());
}

TEST_F(UninstallerTest, WhatCannotGoKeepsItsRecordForAnotherRun) {
  const std::string file = root_ + "\\file.txt", folder = root_ + "\\folder.txt";
  Put(file);
  ForceDirectories(folder);  // where the install put a file, now a folder
  Records("Files", {file, folder});

  TUninstallReport first = TUninstaller(kProduct).Run();
  ASSERT_EQ(first.failures.size(), 1u);
  EXPECT_NE(first.failures[0].find(folder), std::string::npos);
  EXPECT_FALSE(Exists(file));
  ASSERT_TRUE(KeyThere());
  EXPECT_EQ(ReadRegString(kRootLocalMachine, key_ + "\\Files", "File1", "gone"), "gone");
  EXPECT_EQ(ReadRegString(kRootLocalMachine, key_ + "\\Files", "File2", "gone"), folder);

  platform::RemoveDirectory(folder);
  TUninstallReport second = TUninstaller(kProduct).Run();
  EXPECT_TRUE(second.failures.empty());
  EXPECT_TRUE(second.removed.empty());
  EXPECT_FALSE(KeyThere());
}

TEST_F(UninstallerTest, OnlyAProductWithAKeyIsInstalled) {
  EXPECT_TRUE(TUninstaller(kProduct).Installed());
  EXPECT_FALSE(TUninstaller("Shell test product that never was").Installed());
  EXPECT_FALSE(TUninstaller("").Installed());
  EXPECT_FALSE(TUninstaller("  ").Installed());
  // A name that reaches into another key names no product.
  WriteRegString(kRootLocalMachine, key_ + "\\Files", "Entries", "0");
  EXPECT_FALSE(TUninstaller(std::string(kProduct) + "\\Files").Installed());
}

// What the install files record is what the uninstaller takes away: the same keys, counts and
// help entries, written by the real install of a group.
TEST_F(UninstallerTest, TakesAwayWhatAnInstallRecorded) {
  auto* install = Make<testing::FakeInstall>("Install1");
  install->product = kProduct;
  SetInstallComponent(install);
  auto* group = Make<TInstallFileGroup>("Group");
  group->SetDestDirType(nullptr);
  group->SetDestDir(root_ + "\\dest\\app");
  group->SetArchiveFileType(nullptr);
  group->SetArchiveFile(root_ + "\\group.arc");
  const std::string src = root_ + "\\src";
  auto add = [&](const char* name, const char* file_name) {
    Put(src + "\\" + file_name, file_name);
    auto* file = Make<TInstallFile>(name);
    file->SetIncludeFromDir(src);
    file->SetFileName(file_name);
    file->SetContainer(group);
    return file;
  };
  add("Lib", "lib.dll")->SetUpdateDLLCounter(true);
  add("Guide", "guide.hlp");  // a help file by its extension
  add("Text", "read.txt");
  group->Compress(TCompressOptions{coForceNetFilesLocal});
  group->Process();
  const std::string dest = root_ + "\\dest\\app";
  ASSERT_EQ(Count(dest + "\\lib.dll"), 1);
  ASSERT_EQ(ReadRegString(kRootLocalMachine, kHelp, "GUIDE.HLP", ""), dest);
  SetInstallComponent(nullptr);

  TUninstallReport report = TUninstaller(kProduct).Run();

  EXPECT_EQ(report.removed.size(), 3u);
  EXPECT_FALSE(Exists(dest));
  EXPECT_EQ(Count(dest + "\\lib.dll"), -1);
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kHelp, "GUIDE.HLP", "gone"), "gone");
  EXPECT_FALSE(KeyThere());
}

TEST(UninstallCommandLine, SwitchesComeBeforeTheName) {
  struct Case {
    std::vector<std::string> args;
    bool silent;
    std::string name;
  } cases[] = {
      {{"Files", "Example"}, false, "Files Example"},
      {{"/S", "Files", "Example"}, true, "Files Example"},
      {{"/s", "Files Example"}, true, "Files Example"},
      {{"Files", "/S"}, false, "Files /S"},
      {{"/S"}, true, ""},
      {{}, false, ""},
  };
  for (const Case& c : cases) {
    TUninstallCommandLine line = ParseUninstallCommandLine(c.args);
    EXPECT_EQ(line.silent, c.silent) << c.name;
    EXPECT_EQ(line.product_name, c.name);
  }
}

// The program's work, headless: its answers, transcript and exit statuses. (In place, without
// the temporary copy, which only uninstall.exe itself makes; the Wine tests run that.)
class UninstallProgram : public UninstallerTest {
 protected:
  void SetUp() override {
    UninstallerTest::SetUp();
    Application().Reinitialize();
    ui_ = dynamic_cast<headless::THeadlessBackend*>(&Application().Ui());
    ASSERT_NE(ui_, nullptr);
    ui_->ClearTranscript();
  }
  int Run(const std::vector<std::string>& args, const std::string& answers = "") {
    ui_->SetAnswers(answers);
    return Uninstall(args, "", "");
  }
  std::vector<headless::TTranscriptEntry> Entries() {
    return headless::ParseTranscript(ui_->Transcript());
  }

  headless::THeadlessBackend* ui_ = nullptr;
};

TEST_F(UninstallProgram, BadInputIsToldAndFails) {
  struct Case {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {{{}, "Start uninstall.exe with the product's name"},
               {{"/S"}, nullptr},  // silent: nothing shown, the status says it
               {{"Never", "installed"}, "Never installed is not installed on this computer"}};
  for (const Case& c : cases) {
    ui_->ClearTranscript();
    EXPECT_EQ(Run(c.args), kUninstallFailed);
    auto entries = Entries();
    if (c.says == nullptr) {
      EXPECT_TRUE(entries.empty());
      continue;
    }
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].mode, "error");
    EXPECT_NE(entries[0].Texts().at(0).find(c.says), std::string::npos) << entries[0].Texts()[0];
  }
}

TEST_F(UninstallProgram, AsksRemovesAndSaysSo) {
  const std::string file = root_ + "\\app\\file.txt";
  Put(file);
  Records("Files", {file, "not\\full"});

  EXPECT_EQ(Run({"Shell", "test", "product"}, "Uninstall: No"), kUninstallCancelled);
  EXPECT_TRUE(Exists(file));
  ASSERT_TRUE(KeyThere());

  ui_->ClearTranscript();
  EXPECT_EQ(Run({"Shell", "test", "product"}, "Uninstall: Yes"), kRemoved);
  EXPECT_FALSE(Exists(file));
  EXPECT_FALSE(KeyThere());
  auto entries = Entries();
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].Texts().at(0),
            "Do you want to remove Shell test product and all of its components from your "
            "computer?");
  EXPECT_EQ(entries[1].kind, "note");
  EXPECT_NE(entries[1].caption.find("\"not\\full\" is not a full path"), std::string::npos);
  EXPECT_EQ(entries[2].Texts().at(0),
            "Shell test product was removed from your computer.\n\nThese records were damaged "
            "and are skipped:\n" +
                entries[1].caption);

  // Gone, it is no longer installed.
  ui_->ClearTranscript();
  EXPECT_EQ(Run({"Shell", "test", "product"}), kUninstallFailed);
}

TEST_F(UninstallProgram, SilentShowsNothing) {
  const std::string file = root_ + "\\file.txt";
  Put(file);
  Records("Files", {file});
  EXPECT_EQ(Run({"/S", "Shell", "test", "product"}), kRemoved);
  EXPECT_FALSE(Exists(file));
  EXPECT_TRUE(Entries().empty());
}

}  // namespace
}  // namespace vantorel
