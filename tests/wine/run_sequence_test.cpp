// The install program end to end: a project form attached to the engine, run as its own process
// (under Wine in the win64 tree, natively in the host tree), watched through its event log, its
// transcript, its exit status and the registry it leaves.
#include <gtest/gtest.h>

#include <sstream>

#include "framework/headless/headless.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "recorder_run.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

using testing::Env;
using testing::ReadAll;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// The example project with a recorder on the install component and the named events bound.
std::string ProjectForm(const std::string& install_extra = "", bool use_loading_program = true) {
  std::string form = ReadAll(Env("VANTOREL_SOURCE_DIR") + "/examples/minimal.vform");
  std::string events =
      "    OnBeforeReadArchiveInfo = RecordOnBeforeReadArchiveInfo\n"
      "    OnAfterReadArchiveInfo = RecordOnAfterReadArchiveInfo\n"
      "    OnAfterInitialized = RecordOnAfterInitialized\n"
      "    OnBeforeNotifyGoodInstall = RecordOnBeforeNotifyGoodInstall\n"
      "    OnAfterNotifyGoodInstall = RecordOnAfterNotifyGoodInstall\n"
      "    OnBeforeNotifyBadInstall = RecordOnBeforeNotifyBadInstall\n"
      "    OnAfterNotifyBadInstall = RecordOnAfterNotifyBadInstall\n"
      "    OnBeforeProcess = RecordBeforeProcess\n" +
      install_extra;
  if (!use_loading_program) events += "    UseLoadingProgram = False\n";
  const std::string anchor = "object Install1: TInstall\n";
  size_t at = form.find(anchor);
  EXPECT_NE(at, std::string::npos);
  form.insert(at + anchor.size(), events);
  size_t end = form.rfind("end");
  form.insert(end,
              "  object Recorder: TGrabCall\n"
              "    Container = Install1\n"
              "    OnCall = RecordCall\n"
              "  end\n");
  return form;
}

class InstallProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ChangeFileExt(GetTempFile(false), ".e2e");
    ASSERT_TRUE(platform::CreateDirectory(dir_));
    log_ = dir_ + "\\events.log";
    transcript_ = dir_ + "\\transcript.txt";
    platform::SetEnv("VANTOREL_EVENT_LOG", platform::NativePath(log_));
    platform::SetEnv("VANTOREL_TRANSCRIPT", platform::NativePath(transcript_));
    platform::SetEnv("VANTOREL_UI", "headless");
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
  }
  void TearDown() override {
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    std::vector<platform::DirEntry> entries;
    platform::ListDirectory(dir_, "*", entries);
    for (const auto& e : entries) platform::DeleteFile(dir_ + "\\" + e.name);
    platform::RemoveDirectory(dir_);
  }

  // Attaches `form` to the recorder engine and runs the result with `arguments`.
  uint32_t Run(const std::string& form, const std::string& arguments) {
    program_ = dir_ + "\\minimal.exe";
    return testing::RunWithRecorder(form, program_, arguments);
  }
  std::vector<std::string> Events() { return Lines(ReadAll(log_)); }
  std::vector<headless::TTranscriptEntry> Messages() {
    std::vector<headless::TTranscriptEntry> boxes;
    for (auto& entry : headless::ParseTranscript(ReadAll(transcript_)))
      if (entry.kind == "message") boxes.push_back(entry);
    return boxes;
  }
  bool VantorelKeyExists() {
    return platform::KeyExists(platform::Root::LocalMachine, "SOFTWARE\\Vantorel");
  }

  std::string dir_, log_, transcript_, program_;
};

TEST_F(InstallProgram, WalksTheRunSequenceAndRemovesItsRecord) {
  EXPECT_EQ(Run(ProjectForm(), "-d \"-sC:\\dist\""), 0u);
  EXPECT_EQ(Events(), (std::vector<std::string>{"OnBeforeReadArchiveInfo",
                                                "Install1 -984",
                                                "Install1 -974",
                                                "Install1 -973",
                                                "OnAfterReadArchiveInfo",
                                                "Install1 -983",
                                                "OnAfterInitialized",
                                                "Install1 -986",
                                                "Install1 -976",
                                                "Install1 -975",
                                                "Install1 -982",
                                                "Install1 -981",
                                                "Install1 -977",
                                                "Install1 -980",
                                                "record \\SOFTWARE\\Vantorel\\Install\\Install0",
                                                "  Path REG_SZ",
                                                "  CreationDate REG_BINARY",
                                                "  Size REG_DWORD",
                                                "  LastRunDate REG_BINARY",
                                                "OnBeforeProcess Install1",
                                                "Install1 -990",
                                                "Install1 -999",
                                                "Install1 -992",
                                                "Install1 -996",
                                                "Install1 -989",
                                                "OnBeforeNotifyGoodInstall",
                                                "Install1 -995",
                                                "Install1 -979",
                                                "OnAfterNotifyGoodInstall"}));
  EXPECT_TRUE(Messages().empty());
  EXPECT_FALSE(VantorelKeyExists());
}

TEST_F(InstallProgram, EndsOfARunByExitStatus) {
  struct Case {
    std::string name;
    std::string form;
    std::string arguments;
    uint32_t status;
    std::string message;  // in the one message box expected; "" for none
    bool record_kept;
    bool failure_notice;
  } cases[] = {
      {"loading program without -s", ProjectForm(), "", 1,
       "The path of the loading program was not passed correctly.", false, true},
      {"user abort", ProjectForm("    OnAfterInitialized = AbortInstall\n"), "-d \"-sC:\\dist\"", 2,
       "", false, true},
      {"error during the run", ProjectForm("    OnAfterInitialized = FailInstall\n"),
       "-d \"-sC:\\dist\"", 1, "The test asked this install to fail", true, true},
      {"invalid parameter -q", ProjectForm(), "-q", 1, "Invalid parameter <-q>.", false, false},
      {"invalid parameter x", ProjectForm(), "-sC:\\dist x", 1, "Invalid parameter <x>.", false,
       false},
      {"lone dash", ProjectForm(), "-", 1, "Invalid parameter <->.", false, false},
      {"-d without -s", ProjectForm(), "-d", 1, "You forgot to pass in the build directory.", false,
       false},
      {"second install", ProjectForm() + "", "-d \"-sC:\\dist\"", 1,
       "does not currently support the use of 2 TInstall components", false, false},
  };
  // The last case carries a second install component.
  std::string& second = cases[7].form;
  second.insert(second.rfind("end"), "  object Install2: TInstall\n  end\n");

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::DeleteFile(log_);
    platform::DeleteFile(transcript_);
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    EXPECT_EQ(Run(c.form, c.arguments), c.status);
    auto messages = Messages();
    if (c.message.empty()) {
      EXPECT_TRUE(messages.empty());
    } else {
      ASSERT_EQ(messages.size(), 1u);
      std::string text = messages[0].Texts().empty() ? "" : messages[0].Texts()[0];
      EXPECT_NE(text.find(c.message), std::string::npos) << text;
    }
    EXPECT_EQ(
        platform::KeyExists(platform::Root::LocalMachine, "SOFTWARE\\Vantorel\\Install\\Install0"),
        c.record_kept);
    std::vector<std::string> events = Events();
    bool failure_notice = std::find(events.begin(), events.end(), "Install1 -978") != events.end();
    EXPECT_EQ(failure_notice, c.failure_notice);
  }
}

TEST_F(InstallProgram, LoadErrorsNameTheProgramFile) {
  EXPECT_EQ(Run(ProjectForm(), "-q"), 1u);
  auto messages = Messages();
  ASSERT_EQ(messages.size(), 1u);
  ASSERT_FALSE(messages[0].Texts().empty());
  EXPECT_NE(messages[0].Texts()[0].find("minimal.exe"), std::string::npos)
      << messages[0].Texts()[0];
}

}  // namespace
}  // namespace vantorel
