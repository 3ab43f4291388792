// A project with file groups end to end: the build side compresses the groups into their
// archives in this process, then the install program (a separate process, headless) installs
// them from that folder; the test reads what arrived on disk and in the registry.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "../platform/pending_renames.h"
#include "model/file_container.h"
#include "model/install_file.h"
#include "model/symbolic_paths.h"
#include "payloads.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "platform/version.h"
#include "recorder_run.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

constexpr uint32_t kStamp = 0x5A8B6000;  // 11 April 2025, 12:00
constexpr char kExampleSource[] = "C:\\VantorelExample\\files";
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Files Example";

using testing::Env;
using testing::ReadAll;

void Write(const std::string& path, const std::string& text) {
  platform::File f =
      platform::File::Open(path, platform::Access::Write, 0, platform::Disposition::CreateAlways);
  ASSERT_TRUE(f.IsOpen()) << path;
  ASSERT_EQ(f.Write(text.data(), text.size()), static_cast<int64_t>(text.size()));
  ASSERT_TRUE(f.SetDosDateTime(kStamp));
}

void ClearTree(const std::string& dir) {
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(dir, "*", entries)) return;
  for (const auto& e : entries) {
    if (e.attributes & platform::kAttrDirectory)
      ClearTree(dir + "\\" + e.name);
    else
      platform::DeleteFile(dir + "\\" + e.name);
  }
  platform::RemoveDirectory(dir);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The example's two servers as project objects: a library and a program that register
// themselves (the payloads vtcom.dll and vtregexe.exe, UniqueIDs 4 and 5).
std::string ServerObjects(const std::string& tool_extra = "") {
  return "  object ComServer: TInstallFile\n"
         "    Container = Program\n"
         "    DestDirType = psContainerDestDir\n"
         "    ArchiveFileType = psContainerArchiveFile\n"
         "    ActiveX = True\n"
         "    FileName = 'vtcom.dll'\n"
         "    IncludeFromDir = 'C:\\VantorelExample\\files'\n"
         "    UniqueID = 4\n"
         "  end\n"
         "  object Tool: TInstallFile\n"
         "    Container = Program\n"
         "    DestDirType = psContainerDestDir\n"
         "    ArchiveFileType = psContainerArchiveFile\n"
         "    ActiveX = True\n"
         "    FileName = 'vtregexe.exe'\n"
         "    IncludeFromDir = 'C:\\VantorelExample\\files'\n" +
         tool_extra +
         "    UniqueID = 5\n"
         "  end\n";
}

class FilesInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ChangeFileExt(GetTempFile(false), ".e2e");
    ASSERT_TRUE(platform::CreateDirectory(dir_));
    src_ = dir_ + "\\src";
    ASSERT_TRUE(platform::CreateDirectory(src_));
    platform::SetEnv("VANTOREL_UI", "headless");
    platform::SetEnv("VANTOREL_TRANSCRIPT", platform::NativePath(dir_ + "\\transcript.txt"));
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    DeleteRegKeyTree(kRootLocalMachine, kUninstallKey);
  }
  void TearDown() override {
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    DeleteRegKeyTree(kRootLocalMachine, kUninstallKey);
    ClearTree(dir_);
    ClearTree(dest_);
  }

  // The build side: the example's groups and files, compressed into the build folder.
  struct Spec {
    const char* group;
    const char* archive;
    const char* file;
    int unique_id;
  };
  void Build(std::vector<Spec> extra = {}) {
    TComponent owner(nullptr);
    StandardPathSpecifiers().EnsureStandardSpecifiers(&owner, true);
    std::vector<Spec> specs = {{"Program", "program.1", "shared.dll", 0},
                               {"Docs", "docs.1", "readme.txt", 1},
                               {"Docs", "docs.1", "example.hlp", 2},
                               {"Program", "program.1", "uninstall.exe", 3}};
    // The example carries the uninstaller: the real one of the win64 tree, elsewhere a stand-in.
    const std::string uninstaller = Env("VANTOREL_BINARY_DIR") + "\\apps\\uninstall.exe";
    if (!platform::FileExists(uninstaller) ||
        !platform::CopyFile(uninstaller, src_ + "\\uninstall.exe", false))
      Write(src_ + "\\uninstall.exe", "the uninstaller");
    specs.insert(specs.end(), extra.begin(), extra.end());
    std::map<std::string, TInstallFileGroup*> groups;
    for (const Spec& s : specs) {
      TInstallFileGroup*& group = groups[s.group];
      if (group == nullptr) {
        group = new TInstallFileGroup(&owner);
        group->SetName(s.group);
        group->SetArchiveFileType(nullptr);
        group->SetArchiveFile(dir_ + "\\" + s.archive);
      }
      auto* file = new TInstallFile(&owner);
      std::string name("F");
      name += std::to_string(s.unique_id);
      file->SetName(name);
      file->SetIncludeFromDir(src_);
      file->SetFileName(s.file);
      file->SetUniqueID(s.unique_id);
      file->SetContainer(group);
    }
    for (auto& [name, group] : groups) group->Compress(TCompressOptions{coForceNetFilesLocal});
  }

  // Runs the example's install program; `objects` are added to the project form.
  uint32_t Install(const std::string& objects = "", const std::string& anchor = "",
                   const std::string& after_anchor = "") {
    return testing::RunWithRecorder(Form(objects, anchor, after_anchor), dir_ + "\\files.exe",
                                    "-d \"-s" + dir_ + "\"");
  }
  std::string Form(const std::string& objects = "", const std::string& anchor = "",
                   const std::string& after_anchor = "") {
    std::string form = ReadAll(Env("VANTOREL_SOURCE_DIR") + "/examples/files.vform");
    form.insert(form.rfind("end"), objects);
    if (!anchor.empty()) {
      size_t at = form.find(anchor);
      EXPECT_NE(at, std::string::npos) << anchor;
      form.insert(at + anchor.size(), after_anchor);
    }
    return Replace(form, kExampleSource, src_);
  }

  // Holds `file` open as a running program does (vthold.exe) until the recorder's ReleaseHolder
  // handlers let go; returns the event log the recorder is to write.
  std::string HoldOpen(const std::string& payloads, const std::string& file) {
    const std::string ready = dir_ + "\\held.ready", release = dir_ + "\\held.release";
    EXPECT_TRUE(platform::StartProgram("\"" + payloads + "\\vthold.exe\" \"" + file + "\" \"" +
                                           ready + "\" \"" + release + "\" 60000",
                                       false));
    for (int i = 0; i < 200 && !platform::FileExists(ready); ++i) platform::SleepMs(50);
    EXPECT_TRUE(platform::FileExists(ready)) << "vthold.exe did not report the file open";
    platform::SetEnv("VANTOREL_READY", ready);
    platform::SetEnv("VANTOREL_RELEASE", release);
    const std::string log = dir_ + "\\events.log";
    platform::SetEnv("VANTOREL_EVENT_LOG", platform::NativePath(log));
    return log;
  }

  uint32_t SharedCount(const std::string& path) {
    platform::RegKey key = platform::RegKey::Open(
        platform::Root::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
        false, false);
    uint32_t value = 0;
    if (key.IsOpen()) key.ReadDWord(path, value);
    return value;
  }

  std::string dir_, src_, dest_;
};

TEST_F(FilesInstall, GroupsArriveWithTheirRecords) {
  Write(src_ + "\\shared.dll", "a shared library");
  Write(src_ + "\\readme.txt", "read me");
  Write(src_ + "\\example.hlp", "help");
  Build();
  ASSERT_TRUE(platform::FileExists(dir_ + "\\program.1"));
  ASSERT_TRUE(platform::FileExists(dir_ + "\\docs.1"));

  dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Files Example";
  ClearTree(dest_);
  const std::string dll = dest_ + "\\shared.dll";
  const uint32_t count = SharedCount(dll);

  ASSERT_EQ(Install(), 0u) << ReadAll(dir_ + "\\transcript.txt");

  struct Arrival {
    std::string path, text;
  } arrivals[] = {{dll, "a shared library"},
                  {dest_ + "\\Docs\\readme.txt", "read me"},
                  {dest_ + "\\Docs\\example.hlp", "help"}};
  for (const Arrival& a : arrivals) {
    EXPECT_EQ(ReadAll(a.path), a.text) << a.path;
    uint32_t stamp = 0;
    EXPECT_TRUE(platform::GetFileDosDateTime(a.path, stamp));
    EXPECT_EQ(stamp, kStamp) << a.path;
  }
  EXPECT_EQ(SharedCount(dll), count + 1);
  EXPECT_EQ(
      ReadRegString(kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\Help", "EXAMPLE.HLP", ""),
      dest_ + "\\Docs");
  std::vector<std::string> recorded;
  std::string files_key = std::string(kUninstallKey) + "\\Files";
  int entries = std::stoi(ReadRegString(kRootLocalMachine, files_key, "Entries", "0"));
  for (int i = 1; i <= entries; ++i)
    recorded.push_back(ReadRegString(kRootLocalMachine, files_key, "File" + std::to_string(i), ""));
  for (const Arrival& a : arrivals)
    EXPECT_NE(std::find(recorded.begin(), recorded.end(), a.path), recorded.end()) << a.path;

  // A second run: a library newer than the archive's stays (owVersionDate), a changed text file
  // is replaced (owAlways), and the library's count rises again.
  platform::File newer =
      platform::File::Open(dll, platform::Access::Write, 0, platform::Disposition::CreateAlways);
  ASSERT_TRUE(newer.IsOpen());
  newer.Write("newer", 5);
  ASSERT_TRUE(newer.SetDosDateTime(kStamp + (1u << 16)));  // a day later
  newer.Close();
  Write(dest_ + "\\Docs\\readme.txt", "changed");
  ASSERT_EQ(Install(), 0u) << ReadAll(dir_ + "\\transcript.txt");
  EXPECT_EQ(ReadAll(dll), "newer");
  EXPECT_EQ(ReadAll(dest_ + "\\Docs\\readme.txt"), "read me");
  EXPECT_EQ(SharedCount(dll), count + 2);
}

// The library of the example is installed with owVersionDate: a library of a higher version stays
// although its date is older, one of a lower version is replaced although its date is newer. The
// versions are read from real version resources by Windows' own functions.
TEST_F(FilesInstall, VersionsDecideBeforeDates) {
  const std::string payloads = Env(VT_PAYLOADS_ENV);
  if (payloads.empty())
    GTEST_SKIP() << "needs the versioned libraries of the win64 tree's payloads";
  auto build = [&](int version) {
    return payloads + "\\vtver" + std::to_string(version) + "\\vtver.dll";
  };
  ASSERT_TRUE(platform::CopyFile(build(15), src_ + "\\shared.dll", false));
  {
    platform::File f = platform::File::Open(src_ + "\\shared.dll", platform::Access::Write, 0,
                                            platform::Disposition::OpenExisting);
    ASSERT_TRUE(f.IsOpen());
    ASSERT_TRUE(f.SetDosDateTime(kStamp));
  }
  Write(src_ + "\\readme.txt", "read me");
  Write(src_ + "\\example.hlp", "help");
  Build();
  dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Files Example";
  const std::string dll = dest_ + "\\shared.dll";
  struct Case {
    int installed;                              // the build at the destination before the run
    uint32_t stamp;                             // its date
    int expected;                               // the build there after the run
  } cases[] = {{20, kStamp - (1u << 16), 20},   // a day older
               {10, kStamp + (1u << 16), 15}};  // a day newer
  for (const Case& c : cases) {
    SCOPED_TRACE("vtver" + std::to_string(c.installed));
    ClearTree(dest_);
    ForceDirectories(dest_);
    ASSERT_TRUE(platform::CopyFile(build(c.installed), dll, false));
    {
      platform::File f = platform::File::Open(dll, platform::Access::Write, 0,
                                              platform::Disposition::OpenExisting);
      ASSERT_TRUE(f.IsOpen());
      ASSERT_TRUE(f.SetDosDateTime(c.stamp));
    }
    ASSERT_EQ(Install(), 0u) << ReadAll(dir_ + "\\transcript.txt");
    EXPECT_EQ(ReadAll(dll), ReadAll(build(c.expected)));
  }
}

TEST_F(FilesInstall, ServersRegisterAndTheProgramStarts) {
  const std::string payloads = Env(VT_PAYLOADS_ENV);
  if (payloads.empty())
    GTEST_SKIP() << "needs the Windows payloads (COM server, /REGSERVER program) of the win64 "
                    "tree; self-registration and starting programs are Windows-only";
  Write(src_ + "\\shared.dll", "a shared library");
  Write(src_ + "\\readme.txt", "read me");
  Write(src_ + "\\example.hlp", "help");
  ASSERT_TRUE(platform::CopyFile(payloads + "\\vtcom.dll", src_ + "\\vtcom.dll", false));
  ASSERT_TRUE(platform::CopyFile(payloads + "\\vtregexe.exe", src_ + "\\vtregexe.exe", false));
  Build({{"Program", "program.1", "vtcom.dll", 4}, {"Program", "program.1", "vtregexe.exe", 5}});
  DeleteRegKeyTree(kRootClassesRoot, VTCOM_CLSID_KEY);
  DeleteRegKeyTree(kRootClassesRoot, VTREGEXE_KEY);
  const std::string marker = dir_ + "\\started.txt";
  platform::SetEnv(VTREGEXE_MARKER_ENV, marker);
  dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Files Example";
  ClearTree(dest_);

  const std::string objects = ServerObjects("    RunAfterInstall = True\n");
  ASSERT_EQ(Install(objects), 0u) << ReadAll(dir_ + "\\transcript.txt");
  platform::SetEnv(VTREGEXE_MARKER_ENV, std::nullopt);

  EXPECT_TRUE(platform::KeyExists(platform::Root::ClassesRoot, VTCOM_CLSID_KEY));
  // The program registers itself and is started without waiting for either.
  bool registered = false, started = false;
  for (int i = 0; i < 100 && !(registered && started); ++i) {
    registered = platform::KeyExists(platform::Root::ClassesRoot, VTREGEXE_KEY);
    started = platform::FileExists(marker);
    if (!(registered && started)) platform::SleepMs(100);
  }
  EXPECT_TRUE(registered);
  EXPECT_TRUE(started);
  const std::string active_x = std::string(kUninstallKey) + "\\ActiveX";
  EXPECT_EQ(ReadRegString(kRootLocalMachine, active_x, "Entries", ""), "2");
  EXPECT_EQ(ReadRegString(kRootLocalMachine, active_x, "File1", ""), dest_ + "\\vtcom.dll;0");
  EXPECT_EQ(ReadRegString(kRootLocalMachine, active_x, "File2", ""), dest_ + "\\vtregexe.exe;1");
  DeleteRegKeyTree(kRootClassesRoot, VTCOM_CLSID_KEY);
  DeleteRegKeyTree(kRootClassesRoot, VTREGEXE_KEY);
}

// The whole cycle of a library in use: the install writes the new one beside it, registers the
// move, restarts the machine, and the restart puts the new library in place. A restart runs every
// pending move and RunOnce entry of its Wine prefix, so this test runs only where it is given a
// prefix of its own (the test_wine_restart entry of the win64 tree).
TEST_F(FilesInstall, HeldLibraryIsReplacedWhenTheInstallRestartsTheMachine) {
  const std::string payloads = Env(VT_PAYLOADS_ENV);
  if (payloads.empty() || Env("VANTOREL_RESTART_PREFIX").empty())
    GTEST_SKIP() << "restarts the machine: runs under Wine in a prefix of its own "
                    "(test_wine_restart)";
  Write(src_ + "\\shared.dll", "the new library");
  Write(src_ + "\\readme.txt", "read me");
  Write(src_ + "\\example.hlp", "help");
  Build();
  dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Files Example";
  ClearTree(dest_);
  ASSERT_TRUE(platform::CreateDirectory(dest_));
  const std::string dll = dest_ + "\\shared.dll", beside = dest_ + "\\shared.1";
  {
    platform::File old =
        platform::File::Open(dll, platform::Access::Write, 0, platform::Disposition::CreateAlways);
    ASSERT_TRUE(old.IsOpen());
    ASSERT_EQ(old.Write("the old library", 15), 15);
    ASSERT_TRUE(old.SetDosDateTime(kStamp - (1u << 16)));  // a day older than the new one
  }
  const std::string log = HoldOpen(payloads, dll);
  ASSERT_FALSE(HasFailure());

  uint32_t status =
      Install("", "object Install1: TInstall\n", "    OnBeforeReboot = ReleaseHolder\n");

  platform::SetEnv("VANTOREL_EVENT_LOG", std::nullopt);
  const std::string transcript = ReadAll(dir_ + "\\transcript.txt");
  EXPECT_EQ(status, 3u) << "a restart was needed\n" << transcript;
  EXPECT_NE(ReadAll(log).find("holder released"), std::string::npos) << ReadAll(log);
  EXPECT_EQ(transcript.find("Could not reboot windows"), std::string::npos) << transcript;

  // The restart is under way, as on Windows, when the install program ends: it moves the files,
  // then starts what RunOnce names and waits for it.
  const std::string ended = "resumed run ended";
  for (int i = 0; i < 1200 && ReadAll(log).find(ended) == std::string::npos; ++i)
    platform::SleepMs(50);
  const std::string events = ReadAll(log);
  ASSERT_NE(events.find(ended), std::string::npos) << "the restart did not start the install "
                                                      "again\n"
                                                   << events;
  EXPECT_NE(events.find("resumed with -r -s" + dir_ + "\n"), std::string::npos)
      << "from the distribution's folder\n"
      << events;
  EXPECT_NE(events.find(ended + " with 0"), std::string::npos) << events;
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, "SOFTWARE\\Vantorel"));
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kRunOnceKey, "VantorelUnfinished", "gone"), "gone");
  // The new library took the old one's place and the move left no trace.
  EXPECT_EQ(ReadAll(dll), "the new library");
  EXPECT_FALSE(platform::FileExists(beside));
  platform::RegKey session =
      platform::RegKey::Open(platform::Root::LocalMachine,
                             "SYSTEM\\CurrentControlSet\\Control\\Session Manager", false, false);
  ASSERT_TRUE(session.IsOpen());
  EXPECT_EQ(session.GetValueType("PendingFileRenameOperations"), platform::ValueType::None);
}

TEST_F(FilesInstall, CancelDuringTheCopyEndsAsAUserAbort) {
  // Large enough that extracting it reports progress more than once.
  std::string big;
  for (uint32_t i = 0, x = 12345; big.size() < (4u << 20); ++i) {
    x = x * 1103515245u + 12345u;
    big += static_cast<char>('a' + (x >> 16) % 26);
    if (i % 70 == 69) big += "\r\n";
  }
  Write(src_ + "\\shared.dll", "a shared library");
  Write(src_ + "\\readme.txt", big);
  Write(src_ + "\\example.hlp", "help");
  Build();
  dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Files Example";
  ClearTree(dest_);
  const std::string log = dir_ + "\\events.log";
  platform::SetEnv("VANTOREL_EVENT_LOG", platform::NativePath(log));
  std::string form_extra;
  uint32_t status =
      Install(form_extra, "object Docs: TInstallFileGroup\n", "    OnStatus = AbortAtReadme\n");
  platform::SetEnv("VANTOREL_EVENT_LOG", std::nullopt);
  EXPECT_EQ(status, 2u) << ReadAll(dir_ + "\\transcript.txt");
  EXPECT_NE(ReadAll(log).find("cancel at readme.txt"), std::string::npos) << ReadAll(log);
  // No error box, no half-written file, and the record of the run is gone.
  EXPECT_EQ(ReadAll(dir_ + "\\transcript.txt").find("message \""), std::string::npos);
  EXPECT_FALSE(platform::FileExists(dest_ + "\\Docs\\readme.txt"));
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, "SOFTWARE\\Vantorel\\Install"));
}

// The text of a file's FileVersion, read by Windows' own version functions.
std::string FileVersionText(const std::string& path) {
  std::vector<uint8_t> block;
  std::string text;
  uint32_t size = platform::GetFileVersionInfoSize(path);
  if (size == 0 || !platform::GetFileVersionInfo(path, size, block) ||
      !platform::VerQueryText(block, "\\StringFileInfo\\040904E4\\FileVersion", text))
    return "";
  return text;
}

bool EndsWithText(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && SameText(text.substr(text.size() - end.size()), end);
}

std::vector<std::string> PendingRenames() {
  std::vector<std::string> pending;
  platform::RegKey session =
      platform::RegKey::Open(platform::Root::LocalMachine,
                             "SYSTEM\\CurrentControlSet\\Control\\Session Manager", false, false);
  if (session.IsOpen()) session.ReadMultiString("PendingFileRenameOperations", pending);
  return pending;
}

// Waits until `log` holds `text` (at most a minute) and returns the log.
std::string WaitForEvent(const std::string& log, const std::string& text) {
  for (int i = 0; i < 1200 && ReadAll(log).find(text) == std::string::npos; ++i)
    platform::SleepMs(50);
  return ReadAll(log);
}

// A self-registering library in use: the install leaves its move, its registration and its own
// resumption to the restart. The user declines to restart now; the machine is restarted later
// (wineboot -r, as Windows' own restart), and the run that RunOnce starts registers the new
// library from its place and removes what the install kept for the restart.
TEST_F(FilesInstall, HeldServerIsRegisteredByTheRunAfterALaterRestart) {
  const std::string payloads = Env(VT_PAYLOADS_ENV);
  if (payloads.empty() || Env("VANTOREL_RESTART_PREFIX").empty())
    GTEST_SKIP() << "restarts the machine: runs under Wine in a prefix of its own "
                    "(test_wine_restart)";
  Write(src_ + "\\shared.dll", "a shared library");
  Write(src_ + "\\readme.txt", "read me");
  Write(src_ + "\\example.hlp", "help");
  ASSERT_TRUE(platform::CopyFile(payloads + "\\vtcom.dll", src_ + "\\vtcom.dll", false));
  ASSERT_TRUE(platform::SetFileDosDateTime(src_ + "\\vtcom.dll", kStamp));
  Build({{"Program", "program.1", "vtcom.dll", 4}});
  DeleteRegKeyTree(kRootClassesRoot, VTCOM_CLSID_KEY);
  dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Files Example";
  ClearTree(dest_);
  ASSERT_TRUE(platform::CreateDirectory(dest_));
  const std::string dll = dest_ + "\\vtcom.dll";
  Write(dll, "the old library");
  ASSERT_TRUE(platform::SetFileDosDateTime(dll, kStamp - (1u << 16)));  // a day older
  const std::string log = HoldOpen(payloads, dll);
  ASSERT_FALSE(HasFailure());

  const std::string server =
      "  object ComServer: TInstallFile\n"
      "    Container = Program\n"
      "    DestDirType = psContainerDestDir\n"
      "    ArchiveFileType = psContainerArchiveFile\n"
      "    ActiveX = True\n"
      "    FileName = 'vtcom.dll'\n"
      "    IncludeFromDir = 'C:\\VantorelExample\\files'\n"
      "    UniqueID = 4\n"
      "  end\n";
  uint32_t status = Install(server, "object Install1: TInstall\n",
                            "    OnBeforeReboot = ReleaseHolderAndDecline\n");
  const std::string transcript = ReadAll(dir_ + "\\transcript.txt");
  EXPECT_EQ(status, 3u) << "a restart was needed\n" << transcript;
  EXPECT_NE(ReadAll(log).find("holder released\nrestart declined"), std::string::npos)
      << ReadAll(log);
  EXPECT_EQ(transcript.find("Could not reboot windows"), std::string::npos) << transcript;

  // What is left for the restart: the record's list, the command that finishes it, the move.
  const std::string unfinished = "SOFTWARE\\Vantorel\\Install\\Install0\\Unfinished";
  std::vector<std::string> entries;
  {
    platform::RegKey key =
        platform::RegKey::Open(platform::Root::LocalMachine, unfinished, false, false);
    ASSERT_TRUE(key.IsOpen()) << unfinished;
    key.ValueNames(entries);
  }
  // No batch on NT: the move is the system's (a batch is only written when MoveFileEx fails).
  EXPECT_EQ(entries, std::vector<std::string>{"ComServer"});
  EXPECT_EQ(ReadRegString(kRootLocalMachine, unfinished, "ComServer", ""), "0");
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kRunOnceKey, "VantorelUnfinished", ""),
            "\"" + dir_ + "\\files.exe\" -r \"-s" + dir_ + "\"");
  std::vector<std::string> pending = PendingRenames();
  bool move_pending = false;
  for (size_t i = 0; i + 1 < pending.size(); ++i)
    move_pending = move_pending || (EndsWithText(pending[i], dest_ + "\\vtcom.1") &&
                                    EndsWithText(pending[i + 1], dll));
  EXPECT_TRUE(move_pending) << "PendingFileRenameOperations: " << pending.size() << " entries";
  EXPECT_EQ(ReadAll(dll), "the old library");
  EXPECT_FALSE(platform::KeyExists(platform::Root::ClassesRoot, VTCOM_CLSID_KEY));

  uint32_t exit_code = 0;
  ASSERT_TRUE(platform::StartProgramAndWait("wineboot.exe -r", false, 120000, exit_code));
  const std::string events = WaitForEvent(log, "resumed run ended");
  platform::SetEnv("VANTOREL_EVENT_LOG", std::nullopt);
  ASSERT_NE(events.find("resumed run ended with 0"), std::string::npos)
      << events << ReadAll(dir_ + "\\transcript.txt");

  // The new library in its place, registered from there; nothing kept for the restart is left.
  EXPECT_EQ(ReadAll(dll), ReadAll(payloads + "\\vtcom.dll"));
  EXPECT_EQ(FileVersionText(dll), "1.0.0.0");
  EXPECT_FALSE(platform::FileExists(dest_ + "\\vtcom.1"));
  std::string server_path = ReadRegString(
      kRootClassesRoot, std::string(VTCOM_CLSID_KEY) + "\\InprocServer32", "", "not registered");
  EXPECT_TRUE(SameText(server_path, dll)) << server_path;
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kRunOnceKey, "VantorelUnfinished", "gone"), "gone");
  EXPECT_TRUE(PendingRenames().empty());
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, "SOFTWARE\\Vantorel"));
  DeleteRegKeyTree(kRootClassesRoot, VTCOM_CLSID_KEY);
}

// Windows NT 3.51 cannot be restarted by a program: the install tells its OnFailedReboot handler,
// or without one the user, and still ends as one that waits for a restart. Wine reports that
// version to the program when told so for its file name. In the restart prefix: should the
// restart happen after all, it would run the prefix's pending work.
TEST_F(FilesInstall, RestartRefusedByTheSystemGoesToOnFailedReboot) {
  if (Env(VT_PAYLOADS_ENV).empty() || Env("VANTOREL_RESTART_PREFIX").empty())
    GTEST_SKIP() << "would restart the machine where the system allows it: runs under Wine in a "
                    "prefix of its own (test_wine_restart)";
  Write(src_ + "\\shared.dll", "a shared library");
  Write(src_ + "\\readme.txt", "read me");
  Write(src_ + "\\example.hlp", "help");
  Build();
  dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Files Example";
  ClearTree(dest_);
  const std::string app_defaults = "Software\\Wine\\AppDefaults\\files.exe";
  WriteRegString(kRootCurrentUser, app_defaults, "Version", "nt351");
  const std::string log = dir_ + "\\events.log";
  platform::SetEnv("VANTOREL_EVENT_LOG", platform::NativePath(log));
  const std::string message = "Could not reboot windows. Please manually reboot windows.";
  for (bool handler : {true, false}) {
    SCOPED_TRACE(handler ? "OnFailedReboot" : "message box");
    platform::DeleteFile(log);
    platform::DeleteFile(dir_ + "\\transcript.txt");
    uint32_t status =
        Install("", "object Install1: TInstall\n",
                handler ? "    Reboot = True\n    OnFailedReboot = RecordOnFailedReboot\n"
                        : "    Reboot = True\n");
    const std::string transcript = ReadAll(dir_ + "\\transcript.txt");
    EXPECT_EQ(status, 3u) << transcript;
    EXPECT_EQ(ReadAll(log).find("OnFailedReboot") != std::string::npos, handler) << ReadAll(log);
    EXPECT_EQ(transcript.find(message) != std::string::npos, !handler) << transcript;
    // The restart is still to come: the user restarts by hand.
    EXPECT_NE(ReadRegString(kRootLocalMachine, kRunOnceKey, "VantorelUnfinished", ""), "");
    DeleteRegKeyTree(kRootLocalMachine, kRunOnceKey);
  }
  platform::SetEnv("VANTOREL_EVENT_LOG", std::nullopt);
  DeleteRegKeyTree(kRootCurrentUser, app_defaults);
}

// A loader-started install runs from a working copy (-c) that is gone once it has ended, with
// its folder and the batch that removed them. The folder names hold blanks: an unquoted path
// would name other files, and the decoys beside the copy are named so.
TEST_F(FilesInstall, WorkingCopyIsGoneAfterTheRunAndNothingElse) {
#ifndef _WIN32
  GTEST_SKIP() << "the clean-up is a batch file for Windows' command interpreter: runs under Wine "
                  "in the win64 tree";
#endif
  Write(src_ + "\\shared.dll", "a shared library");
  Write(src_ + "\\readme.txt", "read me");
  Write(src_ + "\\example.hlp", "help");
  Build();
  dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Files Example";
  ClearTree(dest_);
  const std::string parent = "C:\\users\\Public\\Temp Files", work = parent + "\\vt 1";
  ClearTree(parent);
  ForceDirectories(work);
  ForceDirectories(parent + "\\vt 2");
  std::vector<std::string> decoys = {parent + "\\vt", parent + "\\1", parent + "\\vt 2\\keep.txt"};
  const std::string split_root = "C:\\users\\Public\\Temp";  // "Temp" of "Temp Files"
  if (!platform::FileExists(split_root)) decoys.push_back(split_root);
  for (const std::string& d : decoys) Write(d, "decoy " + d);
  // The batch lies in the temporary folder: one with blanks too.
  const std::string temp = parent + "\\tmp 3";
  ForceDirectories(temp);
  const std::optional<std::string> saved_tmp = platform::GetEnv("TMP"),
                                   saved_temp = platform::GetEnv("TEMP");
  platform::SetEnv("TMP", temp);
  platform::SetEnv("TEMP", temp);
  auto batches = [&] {
    std::vector<platform::DirEntry> entries;
    platform::ListDirectory(temp, "*.bat", entries);
    std::vector<std::string> names;
    for (const auto& e : entries) names.push_back(e.name);
    return names;
  };
  const std::vector<std::string> batches_before = batches();
  const std::string program = work + "\\files.exe";

  // A test run (-d) cleans nothing up, even when started as a copy.
  ASSERT_EQ(testing::RunWithRecorder(Form(), program, "-d -c \"-s" + dir_ + "\""), 0u)
      << ReadAll(dir_ + "\\transcript.txt");
  platform::SleepMs(2000);  // what a batch would have done by now
  EXPECT_TRUE(platform::FileExists(program));
  EXPECT_EQ(batches(), batches_before);

  ASSERT_EQ(testing::RunWithRecorder(Form(), program, "-c \"-s" + dir_ + "\""), 0u)
      << ReadAll(dir_ + "\\transcript.txt");
  EXPECT_EQ(ReadAll(dest_ + "\\Docs\\readme.txt"), "read me");
  // The batch waits for the program to end; then it removes the copy, the folder and itself.
  for (int i = 0; i < 900 && (platform::FileExists(work) || batches() != batches_before); ++i)
    platform::SleepMs(50);
  EXPECT_FALSE(platform::FileExists(work));
  EXPECT_EQ(batches(), batches_before);
  platform::SetEnv("TMP", saved_tmp);
  platform::SetEnv("TEMP", saved_temp);
  EXPECT_TRUE(platform::FileExists(parent));
  for (const std::string& d : decoys) EXPECT_EQ(ReadAll(d), "decoy " + d) << d;
  ClearTree(parent);
  if (decoys.back() == split_root) platform::DeleteFile(split_root);
}

// ---- removal ------------------------------------------------------------------------------------

// What a machine holds, as far as an install can change it: every file and folder of drive C:
// (with its size), and every key and value of HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER as
// Windows' own "reg export" writes them.
struct Snapshot {
  std::set<std::string> files, registry;
};

// Wine links a user's own folders (Desktop, Documents, ...) to the host's home, where anything on
// the host may change meanwhile; no install writes there.
bool HostLinkedFolder(const std::string& path) {
  std::vector<std::string> steps = SplitFields(UpperCase(path), '\\');
  if (steps.size() < 4 || steps[1] != "USERS") return false;
  static const std::set<std::string> linked = {"DESKTOP", "DOCUMENTS", "MY DOCUMENTS", "DOWNLOADS",
                                               "MUSIC",   "PICTURES",  "VIDEOS",       "TEMPLATES"};
  return linked.count(steps.back()) != 0;
}

void ListTree(const std::string& dir, const std::string& skip, std::set<std::string>& out) {
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(dir, "*", entries)) return;
  for (const auto& e : entries) {
    const std::string path = dir + "\\" + e.name;
    if (SameText(path, skip) || HostLinkedFolder(path)) continue;
    if (e.attributes & platform::kAttrDirectory) {
      out.insert(UpperCase(path) + "\\");
      ListTree(path, skip, out);
    } else {
      out.insert(UpperCase(path) + " " + std::to_string(e.size));
    }
  }
}

// "reg export" writes UTF-16; the keys and values here are ASCII.
std::vector<std::string> RegLines(const std::string& path) {
  std::string raw = ReadAll(path), text;
  bool wide = raw.size() >= 2 && static_cast<unsigned char>(raw[0]) == 0xFF &&
              static_cast<unsigned char>(raw[1]) == 0xFE;
  for (size_t i = wide ? 2 : 0; i < raw.size(); i += wide ? 2 : 1) text += raw[i];
  std::vector<std::string> lines;
  std::string line;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part);) {
    if (!part.empty() && part.back() == '\r') part.pop_back();
    line += part;
    if (!line.empty() && line.back() == '\\') {  // a value continued on the next line
      line.pop_back();
      continue;
    }
    lines.push_back(line);
    line.clear();
  }
  return lines;
}

Snapshot TakeSnapshot(const std::string& own_dir) {
  Snapshot shot;
  ListTree("C:", own_dir, shot.files);
  for (const char* root : {"HKLM", "HKCU"}) {
    const std::string file = own_dir + "\\" + root + ".reg";
    uint32_t code = 99;
    EXPECT_TRUE(platform::StartProgramAndWait(
        std::string("reg export ") + root + " \"" + file + "\" /y", false, 120000, code));
    EXPECT_EQ(code, 0u) << "reg export " << root;
    std::string key;
    for (const std::string& line : RegLines(file)) {
      if (line.empty() || line.starts_with("REGEDIT") || line.starts_with("Windows Registry"))
        continue;
      if (line.starts_with("[")) key = line;
      shot.registry.insert(line.starts_with("[") ? line : key + " " + line);
    }
    platform::DeleteFile(file);
  }
  return shot;
}

// What one snapshot holds and the other does not, each line marked "+" (new) or "-" (gone),
// except what `ignored` accepts.
std::vector<std::string> Differences(const std::set<std::string>& before,
                                     const std::set<std::string>& after,
                                     const std::function<bool(const std::string&)>& ignored) {
  std::vector<std::string> out;
  for (const std::string& s : after)
    if (!before.count(s) && !ignored(s)) out.push_back("+ " + s);
  for (const std::string& s : before)
    if (!after.count(s) && !ignored(s)) out.push_back("- " + s);
  return out;
}

std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

class FilesUninstall : public FilesInstall {
 protected:
  void SetUp() override {
    FilesInstall::SetUp();
    payloads_ = Env(VT_PAYLOADS_ENV);
    uninstaller_ = Env("VANTOREL_BINARY_DIR") + "\\apps\\uninstall.exe";
    dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Files Example";
  }
  bool HaveWindowsParts() { return !payloads_.empty() && platform::FileExists(uninstaller_); }

  // Runs a command line as the system's list of installed programs would, through the command
  // interpreter, and returns its exit status.
  uint32_t RunCommand(const std::string& command_line) {
    uint32_t code = 99;
    EXPECT_TRUE(platform::StartProgramAndWait("cmd.exe /c " + command_line, false, 120000, code))
        << command_line;
    return code;
  }
  void Answers(const std::string& script) {
    const std::string file = dir_ + "\\answers.txt";
    Write(file, script);
    platform::SetEnv("VANTOREL_ANSWERS", platform::NativePath(file));
  }
  // Waits until the uninstaller's copy has deleted uninstall.exe after the program ended.
  bool GoneWithin(const std::string& path, int ms) {
    for (int waited = 0; platform::FileExists(path) && waited < ms; waited += 100)
      platform::SleepMs(100);
    return !platform::FileExists(path);
  }

  std::string payloads_, uninstaller_;
};

// The files example with a COM server, a program server and a library that a second product
// counts too: installed, then removed by the command the uninstall key holds. Afterwards the
// machine holds what it held before, file for file and value for value.
TEST_F(FilesUninstall, RemovingTheExampleLeavesTheMachineAsItWas) {
  if (!HaveWindowsParts())
    GTEST_SKIP() << "needs uninstall.exe and the payloads of the win64 tree, under Wine";
  Write(src_ + "\\shared.dll", "a shared library");
  Write(src_ + "\\readme.txt", "read me");
  Write(src_ + "\\example.hlp", "help");
  Write(src_ + "\\common.dll", "a library of two products");
  ASSERT_TRUE(platform::CopyFile(payloads_ + "\\vtcom.dll", src_ + "\\vtcom.dll", false));
  ASSERT_TRUE(platform::CopyFile(payloads_ + "\\vtregexe.exe", src_ + "\\vtregexe.exe", false));
  Build({{"Program", "program.1", "vtcom.dll", 4},
         {"Program", "program.1", "vtregexe.exe", 5},
         {"Program", "program.1", "common.dll", 6}});
  ClearTree(dest_);
  DeleteRegKeyTree(kRootClassesRoot, VTCOM_CLSID_KEY);
  DeleteRegKeyTree(kRootClassesRoot, VTREGEXE_KEY);
  DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
  // The second product: its copy of the common library, counted once.
  const std::string common_dir = AddBackslash(CommonFilesDirectory()) + "Vantorel Shared";
  const std::string common = common_dir + "\\common.dll";
  ForceDirectories(common_dir);
  Write(common, "a library of two products");
  WriteRegInteger(kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
                  common, 1);
  // What earlier runs in this prefix left of the example: a count would keep its library.
  {
    platform::RegKey shared = platform::RegKey::Open(
        platform::Root::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
        false, true);
    shared.DeleteValue(dest_ + "\\shared.dll");
    platform::RegKey help = platform::RegKey::Open(
        platform::Root::LocalMachine, "SOFTWARE\\Microsoft\\Windows\\Help", false, true);
    help.DeleteValue("EXAMPLE.HLP");
  }

  const Snapshot before = TakeSnapshot(dir_);
  ASSERT_GT(before.files.size(), 100u) << "the listing of drive C: came back empty";
  ASSERT_GT(before.registry.size(), 1000u) << "reg export wrote nothing";

  const std::string objects = ServerObjects() +
                              "  object Common: TInstallFile\n"
                              "    Container = Program\n"
                              "    DestDir = '\\Vantorel Shared'\n"
                              "    DestDirType = psCommonFiles\n"
                              "    ArchiveFileType = psContainerArchiveFile\n"
                              "    FileName = 'common.dll'\n"
                              "    IncludeFromDir = 'C:\\VantorelExample\\files'\n"
                              "    UpdateDLLCounter = True\n"
                              "    UniqueID = 6\n"
                              "  end\n";
  ASSERT_EQ(Install(objects), 0u) << ReadAll(dir_ + "\\transcript.txt");

  const std::string program = dest_ + "\\uninstall.exe";
  const std::string command =
      ReadRegString(kRootLocalMachine, kUninstallKey, "UninstallString", "");
  EXPECT_EQ(command, "\"" + program + "\" Files Example");
  EXPECT_EQ(ReadRegString(kRootLocalMachine, kUninstallKey, "QuietUninstallString", ""),
            "\"" + program + "\" /S Files Example");
  EXPECT_EQ(SharedCount(common), 2u);
  EXPECT_TRUE(platform::KeyExists(platform::Root::ClassesRoot, VTCOM_CLSID_KEY));
  bool registered = false;
  for (int i = 0; i < 100 && !registered; ++i, platform::SleepMs(100))
    registered = platform::KeyExists(platform::Root::ClassesRoot, VTREGEXE_KEY);
  EXPECT_TRUE(registered);
  // Wine's own list of installed programs reads the key as Windows' list does.
  const std::string listed = dir_ + "\\listed.txt";
  RunCommand("uninstaller --list > \"" + listed + "\"");
  EXPECT_NE(ReadAll(listed).find("|||Files Example"), std::string::npos) << ReadAll(listed);

  Answers("Uninstall: Yes\nUninstall: OK\n");
  platform::DeleteFile(dir_ + "\\transcript.txt");
  ASSERT_FALSE(command.empty());
  EXPECT_EQ(RunCommand(command), 0u) << ReadAll(dir_ + "\\transcript.txt");
  platform::SetEnv("VANTOREL_ANSWERS", std::nullopt);
  EXPECT_TRUE(GoneWithin(program, 10000)) << "uninstall.exe is still there";
  EXPECT_TRUE(GoneWithin(dest_, 2000)) << "the product's folder is still there";

  const std::string transcript = ReadAll(dir_ + "\\transcript.txt");
  EXPECT_NE(transcript.find("Do you want to remove Files Example"), std::string::npos)
      << transcript;
  EXPECT_NE(transcript.find("Files Example was removed from your computer."), std::string::npos)
      << transcript;
  EXPECT_FALSE(platform::KeyExists(platform::Root::ClassesRoot, VTCOM_CLSID_KEY));
  EXPECT_FALSE(platform::KeyExists(platform::Root::ClassesRoot, VTREGEXE_KEY));
  EXPECT_EQ(
      ReadRegString(kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\Help", "EXAMPLE.HLP", "gone"),
      "gone");
  EXPECT_TRUE(platform::FileExists(common));
  EXPECT_EQ(SharedCount(common), 1u);
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, kUninstallKey));

  const Snapshot after = TakeSnapshot(dir_);
  EXPECT_EQ(Lines(Differences(before.files, after.files, [](const std::string&) { return false; })),
            "");
  // The one thing allowed to differ: Wine records under the machine's video keys which display
  // driver a program that found no screen failed to load (every windowless program may write it).
  auto wine_bookkeeping = [](const std::string& line) {
    return line.starts_with("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video\\");
  };
  EXPECT_EQ(Lines(Differences(before.registry, after.registry, wine_bookkeeping)), "");

  ClearTree(common_dir);
  DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs");
}

// A file held open by a running program is deleted at the next restart; the rest goes now.
TEST_F(FilesUninstall, AFileInUseGoesAtTheRestart) {
  if (!HaveWindowsParts())
    GTEST_SKIP() << "needs uninstall.exe and the payloads of the win64 tree, under Wine";
  testing::PendingRenames pending;
  Write(src_ + "\\shared.dll", "a shared library");
  Write(src_ + "\\readme.txt", "read me");
  Write(src_ + "\\example.hlp", "help");
  Build();
  ClearTree(dest_);
  ASSERT_EQ(Install(), 0u) << ReadAll(dir_ + "\\transcript.txt");
  const std::string readme = dest_ + "\\Docs\\readme.txt";
  const std::string ready = dir_ + "\\held.ready", release = dir_ + "\\held.release";
  ASSERT_TRUE(platform::StartProgram("\"" + payloads_ + "\\vthold.exe\" \"" + readme + "\" \"" +
                                         ready + "\" \"" + release + "\" 60000",
                                     false));
  for (int i = 0; i < 200 && !platform::FileExists(ready); ++i) platform::SleepMs(50);
  ASSERT_TRUE(platform::FileExists(ready)) << "vthold.exe did not report the file open";

  const std::string command =
      ReadRegString(kRootLocalMachine, kUninstallKey, "QuietUninstallString", "");
  ASSERT_FALSE(command.empty());
  platform::DeleteFile(dir_ + "\\transcript.txt");
  uint32_t status = RunCommand(command);

  Write(release, "");
  for (int i = 0; i < 200 && platform::FileExists(ready); ++i) platform::SleepMs(50);
  EXPECT_EQ(status, 3u) << ReadAll(dir_ + "\\transcript.txt");
  EXPECT_TRUE(pending.Holds("\\??\\" + readme, "")) << "no delete at the restart";
  EXPECT_TRUE(platform::FileExists(readme));
  EXPECT_TRUE(GoneWithin(dest_ + "\\uninstall.exe", 10000));
  for (const char* gone : {"\\shared.dll", "\\Docs\\example.hlp"})
    EXPECT_FALSE(platform::FileExists(dest_ + gone)) << gone;
  EXPECT_FALSE(platform::KeyExists(platform::Root::LocalMachine, kUninstallKey));
  // Silent: nothing was shown.
  EXPECT_EQ(ReadAll(dir_ + "\\transcript.txt").find("Uninstall"), std::string::npos);
}

}  // namespace
}  // namespace vantorel
