// vtsetup with event handlers: every component call it hears and every install event it fires is
// appended to the file named by VANTOREL_EVENT_LOG, one per line, so that end-to-end tests can
// read the order of the run. During the before-install dialogs (-980) it also writes what the
// install record holds at that moment.
#include <cstdio>
#include <string>

#include "archive/compress.h"
#include "framework/properties.h"
#include "install/install.h"
#include "install/setup_main.h"
#include "model/file_container.h"
#include "model/install_file.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "routines/exceptions.h"

using namespace vantorel;

namespace {

void Log(const std::string& line) {
  std::optional<std::string> path = platform::GetEnv("VANTOREL_EVENT_LOG");
  if (!path) return;
  if (std::FILE* f = std::fopen(path->c_str(), "ab")) {
    std::fprintf(f, "%s\n", line.c_str());
    std::fclose(f);
  }
}

const char* TypeName(platform::ValueType type) {
  switch (type) {
    case platform::ValueType::String:
      return "REG_SZ";
    case platform::ValueType::Binary:
      return "REG_BINARY";
    case platform::ValueType::DWord:
      return "REG_DWORD";
    default:
      return "other";
  }
}

void LogInstallRecord() {
  const std::string key = InstallRecordKey();
  platform::RegKey record = platform::RegKey::Open(platform::Root::LocalMachine, key, false, false);
  Log("record " + key + (record.IsOpen() ? "" : " missing"));
  for (const char* name : {"Path", "CreationDate", "Size", "LastRunDate"})
    Log(std::string("  ") + name + " " + TypeName(record.GetValueType(name)));
}

}  // namespace

int main(int argc, char** argv) {
  RegisterHandler<void(TInstallContainer*, int, TObject*)>(
      "RecordCall", [](TInstallContainer* container, int call, TObject*) {
        Log(container->Name() + " " + std::to_string(call));
        if (call == -980) LogInstallRecord();
      });
  for (const char* event :
       {"OnAfterInitialized", "OnBeforeReadArchiveInfo", "OnAfterReadArchiveInfo",
        "OnBeforeNotifyGoodInstall", "OnAfterNotifyGoodInstall", "OnBeforeNotifyBadInstall",
        "OnAfterNotifyBadInstall", "OnFailedReboot"}) {
    RegisterHandler<void(TObject*)>(std::string("Record") + event,
                                    [event](TObject*) { Log(event); });
  }
  RegisterHandler<void(TInstallContainer*)>(
      "RecordBeforeProcess", [](TInstallContainer* c) { Log("OnBeforeProcess " + c->Name()); });
  RegisterHandler<void(TInstallContainer*)>(
      "RecordAfterProcess", [](TInstallContainer* c) { Log("OnAfterProcess " + c->Name()); });
  RegisterHandler<void(TObject*)>("AbortInstall", [](TObject*) {
    Log("aborting");
    throw EAIUserAbort();
  });
  RegisterHandler<void(TObject*)>("FailInstall", [](TObject*) {
    Log("failing");
    throw Exception("The test asked this install to fail");
  });
  // The user's Cancel as the copy progress window gives it: the shared engine's abort flag, set
  // at the first progress report of readme.txt.
  RegisterHandler<void(TCustomInstallFile*, int, int)>(
      "AbortAtReadme", [](TCustomInstallFile* file, int file_percent, int) {
        if (file->FileName() != "readme.txt") return;
        Log("cancel at " + file->FileName() + " " + std::to_string(file_percent) + "%");
        SharedArchiveEngine().SetAbort(true);
      });
  // A person watching the real windows: each progress report stays on screen for a moment.
  // Reports come once per 64 KB block at most, and at least 50 ms apart.
  RegisterHandler<void(TCustomInstallFile*, int, int)>(
      "ShowProgressSlowly", [](TCustomInstallFile*, int, int) { platform::SleepMs(100); });
  // A status message of the install's own, shown long enough for a screenshot: until the file
  // status.done appears in VANTOREL_SCREENSHOT_DIR (after status.ready was written there), or
  // two seconds without that folder.
  RegisterHandler<void(TObject*)>("ShowStatusForAWhile", [](TObject* sender) {
    auto* install = dynamic_cast<TCustomInstall*>(sender);
    if (install == nullptr) return;
    // A message the language files carry, so that it is shown in the install's language.
    install->PushStatusMessage("Reading file information...");
    std::optional<std::string> dir = platform::GetEnv("VANTOREL_SCREENSHOT_DIR");
    if (dir && !dir->empty()) {
      if (std::FILE* f = std::fopen((*dir + "\\status.ready").c_str(), "wb")) std::fclose(f);
      for (int i = 0; i < 600 && !platform::FileExists(*dir + "\\status.done"); ++i) {
        Application().ProcessMessages();
        platform::SleepMs(50);
      }
    } else {
      for (int i = 0; i < 40; ++i) {
        Application().ProcessMessages();
        platform::SleepMs(50);
      }
    }
    install->PopStatusMessage();
  });
  // A restart ends the programs that hold files; the test's holder (vthold.exe) is told to let
  // go here, before the install restarts the machine, by creating the file it waits for.
  auto release_holder = [] {
    std::optional<std::string> release = platform::GetEnv("VANTOREL_RELEASE");
    std::optional<std::string> ready = platform::GetEnv("VANTOREL_READY");
    if (!release || !ready) return;
    if (std::FILE* f = std::fopen(release->c_str(), "wb")) std::fclose(f);
    for (int i = 0; i < 200 && platform::FileExists(*ready); ++i) platform::SleepMs(50);
    Log(platform::FileExists(*ready) ? "holder still holds" : "holder released");
  };
  RegisterHandler<void(TCustomInstall*, bool&)>(
      "ReleaseHolder", [release_holder](TCustomInstall*, bool&) { release_holder(); });
  // The same, and the user's "not now": the machine restarts later, by someone else's hand.
  RegisterHandler<void(TCustomInstall*, bool&)>("ReleaseHolderAndDecline",
                                                [release_holder](TCustomInstall*, bool& continue_) {
                                                  release_holder();
                                                  continue_ = false;
                                                  Log("restart declined");
                                                });
  // The run that a restart starts from RunOnce says how it was started and how it ended, so that
  // a test can wait for it.
  bool resumed = false;
  std::string arguments;
  for (int i = 1; i < argc; ++i) {
    resumed = resumed || std::string(argv[i]) == "-r";
    arguments += std::string(" ") + argv[i];
  }
  if (resumed) Log("resumed with" + arguments);
  int status = RunSetup(argc, argv);
  if (resumed) Log("resumed run ended with " + std::to_string(status));
  return status;
}
