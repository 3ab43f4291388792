// What an install leaves for the run after a restart, that run itself (-r), the restart, and
// the batch that removes a temporary copy of the install program.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "framework/application.h"
#include "framework/headless/headless.h"
#include "framework/properties.h"
#include "install/install.h"
#include "model/exceptions.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "routines/main_translator.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {

// An install object that only says when the run after the restart reaches it.
class TResumeProbe : public TInstallObject {
 public:
  using TInstallObject::TInstallObject;
  void ResumeAfterReboot() override { Resumed().push_back(Name()); }
  static std::vector<std::string>& Resumed() {
    static std::vector<std::string> names;
    return names;
  }
};
VANTOREL_CLASS(TResumeProbe, TInstallObject) {}

namespace {

constexpr char kRecord0[] = "\\SOFTWARE\\Vantorel\\Install\\Install0";

class FakeTranslator : public IMainTranslator {
 public:
  int TranslateIntoLanguage() const override { return language; }
  void SetTranslateIntoLanguage(int v) override { language = v; }
  int language = 0;
};

std::vector<std::string> MessageTexts() {
  std::vector<std::string> texts;
  auto* ui = dynamic_cast<headless::THeadlessBackend*>(&Application().Ui());
  if (ui == nullptr) return texts;
  for (auto& entry : headless::ParseTranscript(ui->Transcript()))
    if (entry.kind == "message" && !entry.Texts().empty()) texts.push_back(entry.Texts().front());
  return texts;
}

void WriteFile(const std::string& path, const std::string& text) {
  platform::File file = platform::File::Open(path, platform::Access::Write, platform::kShareNone,
                                             platform::Disposition::CreateAlways);
  ASSERT_TRUE(file.IsOpen()) << path;
  ASSERT_EQ(file.Write(text.data(), text.size()), static_cast<int64_t>(text.size()));
}

class Restart : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Reinitialize();
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    DeleteRegKeyTree(kRootLocalMachine, kRunOnceKey);
    folder_ = ChangeFileExt(GetTempFile(false), ".rst");
    ASSERT_TRUE(platform::CreateDirectory(folder_));
    program_ = folder_ + "\\setup.exe";
    WriteFile(program_, std::string(1234, 'x'));
    SetupProgramPath() = program_;
    TResumeProbe::Resumed().clear();
    RegisterHandler<void(TInstallContainer*, int, TObject*)>(
        "RecordCall", [this](TInstallContainer*, int call, TObject*) { calls_.push_back(call); });
    RegisterHandler<void(TCustomInstall*, bool&)>(
        "SayNo", [](TCustomInstall*, bool& continue_) { continue_ = false; });
    RegisterHandler<void(TObject*)>("RebootFailed",
                                    [this](TObject*) { calls_.push_back(kFailedReboot); });
  }
  void TearDown() override {
    Application().Reinitialize();
    SetMainTranslator(nullptr);
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    DeleteRegKeyTree(kRootLocalMachine, kRunOnceKey);
    std::vector<platform::DirEntry> entries;
    platform::ListDirectory(folder_, "*", entries);
    for (const auto& e : entries) platform::DeleteFile(folder_ + "\\" + e.name);
    platform::RemoveDirectory(folder_);
  }

  static std::string Form(const std::string& install_body) {
    return "object Form1: TForm1\n"
           "  object Install1: TInstall\n" +
           install_body +
           "  end\n"
           "  object Recorder: TGrabCall\n"
           "    Container = Install1\n"
           "    OnCall = RecordCall\n"
           "  end\n"
           "  object BDEFile3: TResumeProbe\n"
           "  end\n"
           "  object Other: TResumeProbe\n"
           "  end\n"
           "end\n";
  }
  TCustomInstall* Install() {
    return InstallComponent() ? dynamic_cast<TCustomInstall*>(InstallComponent()->AsContainer())
                              : nullptr;
  }

  // Leaves a record of this setup file with `entries` in its unfinished list, as a run that
  // ended in a restart does.
  void LeaveUnfinished(const std::vector<std::pair<std::string, int>>& entries) {
    CommandLineParameters() = {"-sC:\\dist"};
    Application().CreateFormFromText(Form("    RunAutomatic = False\n"));
    InstallRecordKey() = Install()->FindInstallRecord(true);
    ASSERT_EQ(InstallRecordKey(), kRecord0);
    for (const auto& [subject, code] : entries) Install()->AddUnfinished(subject, code);
    Application().Reinitialize();
  }

  void Resume() {
    CommandLineParameters() = {"-r", "-sC:\\dist"};
    Application().CreateFormFromText(Form(""));
    Application().Run();
  }

  static constexpr int kFailedReboot = 1;
  std::string folder_, program_;
  std::vector<int> calls_;
};

TEST_F(Restart, ResumedRunFinishesTheListAndRemovesTheRecord) {
  const std::string batch = folder_ + "\\bat1.bat";
  WriteFile(batch, "erase x");
  // Registry value names keep the letter case they were written in; objects are found in any.
  LeaveUnfinished({{"bdefile3", 0}, {batch, 1}, {folder_ + "\\never.bat", 1}, {"Other", 7}});
  Resume();
  EXPECT_EQ(TResumeProbe::Resumed(), std::vector<std::string>{"BDEFile3"});
  EXPECT_FALSE(platform::FileExists(batch));
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Installed);
  EXPECT_FALSE(Install()->Running());
  EXPECT_TRUE(Application().Terminated());
  // The completion notice, and the record with the keys above it gone.
  EXPECT_NE(std::find(calls_.begin(), calls_.end(), ccAfterGoodInstall), calls_.end());
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, "SOFTWARE\\Vantorel"));
  EXPECT_TRUE(InstallRecordKey().empty());
}

TEST_F(Restart, DamagedEntryRaisesAfterTheListIsGone) {
  struct Case {
    std::string entry;
    std::string value;
  } cases[] = {{"BDEFile3", "x"}, {"BDEFile3", ""}, {"BDEFile3", "1x"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry + ";" + c.value);
    LeaveUnfinished({});
    WriteRegString(kRootLocalMachine, std::string(kRecord0) + "\\Unfinished", c.entry, c.value);
    try {
      Resume();
      FAIL() << "no error";
    } catch (const IEInstall& e) {
      EXPECT_EQ(e.Message(), "There is an invalid entry for the unfinished install list " +
                                 c.entry + ";" + c.value);
    }
    EXPECT_TRUE(TResumeProbe::Resumed().empty());
    EXPECT_FALSE(
        platform::KeyExists(platform::Root::LocalMachine, std::string(kRecord0) + "\\Unfinished"));
    EXPECT_TRUE(platform::KeyExists(platform::Root::LocalMachine, kRecord0));
    Application().Reinitialize();
  }
}

TEST_F(Restart, ResumedRunWithoutARecordFails) {
  try {
    Resume();
    FAIL() << "no error";
  } catch (const IEInstall& e) {
    EXPECT_EQ(e.Message(),
              "The TInstall could not either write or read unfinished business from the registry");
  }
}

TEST_F(Restart, LanguageIsKeptAcrossTheRestart) {
  FakeTranslator translator;
  LeaveUnfinished({});
  CommandLineParameters() = {"-sC:\\dist"};
  Application().CreateFormFromText(Form("    RunAutomatic = False\n"));
  // Without a translator nothing is written and the default is the user's language.
  Install()->SaveLanguage();
  EXPECT_EQ(ReadRegInteger(kRootLocalMachine, kRecord0, "Language", -1), -1);
  EXPECT_EQ(Install()->RestoreLanguage(), kUserLanguage);
  SetMainTranslator(&translator);
  translator.language = 4;
  Install()->SaveLanguage();
  EXPECT_EQ(ReadRegInteger(kRootLocalMachine, kRecord0, "Language", -1), 4);
  // Without the value, the translator's own language.
  translator.language = 9;
  DeleteRegKeyTree(kRootLocalMachine, kRecord0);
  EXPECT_EQ(Install()->RestoreLanguage(), 9);
  Application().Reinitialize();

  LeaveUnfinished({});
  WriteRegInteger(kRootLocalMachine, kRecord0, "Language", 4);
  Resume();
  EXPECT_EQ(translator.language, 4);
}

TEST_F(Restart, RunOnceEntryTakesAFreeName) {
  CommandLineParameters() = {"-sC:\\dist"};
  Application().CreateFormFromText(Form("    RunAutomatic = False\n"));
  WriteRegString(kRootLocalMachine, kRunOnceKey, "VantorelUnfinished", "earlier");
  Install()->RegisterRunOnce();
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kRunOnceKey, "VantorelUnfinished", ""), "earlier");
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kRunOnceKey, "VantorelUnfinished1", ""),
            Install()->RunOnceCommand());
}

// A run that needs a restart registers itself in RunOnce; a handler may keep the machine from
// restarting, and the run still ends as one that waits for the restart.
TEST_F(Restart, OnBeforeRebootSayingNoLeavesTheRestartToTheUser) {
  CommandLineParameters() = {"-d", "-sC:\\dist"};
  Application().CreateFormFromText(
      Form("    Reboot = True\n    OnBeforeReboot = SayNo\n    OnFailedReboot = RebootFailed\n"));
  Application().Run();
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::RestartPending);
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kRunOnceKey, "VantorelUnfinished", ""),
            Install()->RunOnceCommand());
  EXPECT_TRUE(platform::KeyExists(platform::Root::LocalMachine, kRecord0));
  EXPECT_EQ(std::count(calls_.begin(), calls_.end(), ccReboot), 1);
  EXPECT_EQ(std::count(calls_.begin(), calls_.end(), kFailedReboot), 0);
  EXPECT_TRUE(MessageTexts().empty());
  EXPECT_TRUE(Application().Terminated());
}

// The host cannot restart; a Windows test machine would restart for real (test_wine_restart does).
#ifndef _WIN32
TEST_F(Restart, FailedRestartTellsTheHandlerOrTheUser) {
  for (bool handler : {true, false}) {
    SCOPED_TRACE(handler ? "OnFailedReboot" : "message box");
    Application().Reinitialize();
    calls_.clear();
    CommandLineParameters() = {"-d", "-sC:\\dist"};
    Application().CreateFormFromText(Form(std::string("    Reboot = True\n") +
                                          (handler ? "    OnFailedReboot = RebootFailed\n" : "")));
    Application().Run();
    EXPECT_EQ(Install()->Outcome(), TInstallOutcome::RestartPending);
    EXPECT_EQ(std::count(calls_.begin(), calls_.end(), kFailedReboot), handler ? 1 : 0);
    EXPECT_EQ(MessageTexts(),
              handler ? std::vector<std::string>{}
                      : std::vector<std::string>{
                            "Could not reboot windows. Please manually reboot windows."});
  }
}
#endif

TEST(CleanupBatch, RemovesTheCopyItsFolderAndItselfWithEveryPathQuoted) {
  const std::string nt =
      "@ECHO OFF\r\n"
      "CD /D \"C:\\Temp 2\"\r\n"
      "SET VTWAIT=\r\n"
      ":WAIT\r\n"
      "IF NOT EXIST \"C:\\users\\Public\\Temp Files\\vt 1\\setup.exe\" GOTO GONE\r\n"
      "ERASE /F \"C:\\users\\Public\\Temp Files\\vt 1\\setup.exe\"\r\n"
      "IF NOT EXIST \"C:\\users\\Public\\Temp Files\\vt 1\\setup.exe\" GOTO GONE\r\n"
      "IF \"%VTWAIT%\"==\"..............................\" GOTO GONE\r\n"
      "SET VTWAIT=%VTWAIT%.\r\n"
      "PING -n 2 127.0.0.1 >NUL\r\n"
      "GOTO WAIT\r\n"
      ":GONE\r\n"
      "SET VTWAIT=\r\n"
      "RMDIR /S /Q \"C:\\users\\Public\\Temp Files\\vt 1\"\r\n"
      "ERASE \"C:\\Temp 2\\bat1.bat\"\r\n";
  EXPECT_EQ(CleanupBatchText("C:\\users\\Public\\Temp Files\\vt 1\\setup.exe",
                             "C:\\Temp 2\\bat1.bat", true),
            nt);

  struct Case {
    std::string program;
    bool nt;
    std::vector<std::string> has, lacks;
  } cases[] = {
      // The 95 family: DELTREE, and the PIF it makes for the batch.
      {"C:\\WINDOWS\\TEMP\\vt\\setup.exe",
       false,
       {"DELTREE /Y \"C:\\WINDOWS\\TEMP\\vt\"\r\n", "ERASE \"C:\\Temp 2\\bat1.PIF\"\r\n",
        "ERASE \"C:\\WINDOWS\\TEMP\\vt\\setup.exe\"\r\n"},
       {"RMDIR", "CD /D", "ERASE /F"}},
      // A '%' in a path reaches the command as itself.
      {"C:\\100% copy\\setup.exe", true, {"RMDIR /S /Q \"C:\\100%% copy\"\r\n"}, {}},
      // A copy in a root has no folder of its own: the root stays.
      {"C:\\setup.exe", true, {"ERASE /F \"C:\\setup.exe\"\r\n"}, {"RMDIR", "DELTREE"}},
      {"\\\\server\\share\\setup.exe",
       false,
       {"ERASE \"\\\\server\\share\\setup.exe\""},
       {"RMDIR", "DELTREE"}},
      // Nor does one in the temporary folder, where the batch lies too.
      {"C:\\Temp 2\\setup.exe", true, {"ERASE /F \"C:\\Temp 2\\setup.exe\"\r\n"}, {"RMDIR"}},
      {"\\\\server\\share\\vt\\setup.exe", true, {"RMDIR /S /Q \"\\\\server\\share\\vt\"\r\n"}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    std::string text = CleanupBatchText(c.program, "C:\\Temp 2\\bat1.bat", c.nt);
    for (const std::string& s : c.has) EXPECT_NE(text.find(s), std::string::npos) << s << text;
    for (const std::string& s : c.lacks) EXPECT_EQ(text.find(s), std::string::npos) << s << text;
  }
}

TEST_F(Restart, CleanupBatchOnlyForALoaderStartedCopy) {
  RegisterHandler<void(TCustomInstall*, bool&)>(
      "KeepCopy", [](TCustomInstall*, bool& continue_) { continue_ = false; });
  struct Case {
    std::vector<std::string> parameters;
    std::string body;
    bool written;
  } cases[] = {
      {{"-sC:\\dist", "-c"}, "", true},
      {{"-d", "-sC:\\dist", "-c"}, "", false},
      {{"-sC:\\dist"}, "", false},
      {{"-sC:\\dist", "-c"}, "    UseLoadingProgram = False\n", false},
      {{"-sC:\\dist", "-c"}, "    OnBeforeCleanup = KeepCopy\n", false},
  };
  for (const Case& c : cases) {
    std::string trace = c.body;
    for (const std::string& p : c.parameters) trace += " " + p;
    SCOPED_TRACE(trace);
    Application().Reinitialize();
    const std::string presetup = folder_ + "\\pre.dll";
    WriteFile(presetup, "loader's copy");
    CommandLineParameters() = c.parameters;
    Application().CreateFormFromText(Form(
        "    RunAutomatic = False\n    PresetupFiles.Strings = (\n      'C:\\build\\pre.dll')\n" +
        c.body));
    Install()->WriteCleanupBatch();
    const std::string batch = Install()->CleanupBatchPath();
    EXPECT_EQ(!batch.empty(), c.written);
    EXPECT_EQ(platform::FileExists(presetup), !c.written);
    if (batch.empty()) continue;
    EXPECT_EQ(UpperCase(ExtractFileExt(batch)), ".BAT");
    platform::File file = platform::File::Open(batch, platform::Access::Read, platform::kShareRead,
                                               platform::Disposition::OpenExisting);
    std::string text(static_cast<size_t>(file.Size()), '\0');
    ASSERT_EQ(file.Read(text.data(), text.size()), static_cast<int64_t>(text.size()));
    file.Close();
    EXPECT_EQ(text, CleanupBatchText(program_, batch, true));
    // Not run here: this host would only fail to run it, and Windows would remove the test.
    platform::DeleteFile(batch);
  }
}

}  // namespace
}  // namespace vantorel
