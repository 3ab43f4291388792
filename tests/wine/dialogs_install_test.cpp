// The example with dialogs end to end: its files are compressed in this process, then its install
// program (a process of its own) shows the welcome page, the copy progress window, the status
// window and a completion or failure page. Headless here, answered from an answers file;
// tests/wine/dialogs_xvfb.sh drives the same program with real windows and real clicks.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "archive/compress.h"
#include "framework/headless/headless.h"
#include "model/file_container.h"
#include "model/install_file.h"
#include "model/symbolic_paths.h"
#include "platform/files.h"
#include "platform/system.h"
#include "recorder_run.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

constexpr char kExampleSource[] = "C:\\VantorelExample\\dialogs";
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dialogs Example";

using testing::Env;
using testing::ReadAll;

// Bytes that deflate hardly shrinks, so that a file of some size takes many progress reports.
std::string Noise(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& c : bytes) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 23);
  }
  return bytes;
}

void Write(const std::string& path, const std::string& bytes) {
  platform::File f =
      platform::File::Open(path, platform::Access::Write, 0, platform::Disposition::CreateAlways);
  ASSERT_TRUE(f.IsOpen()) << path;
  ASSERT_EQ(f.Write(bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
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

std::vector<std::string> Names(const std::string& dir) {
  std::vector<platform::DirEntry> entries;
  std::vector<std::string> names;
  if (platform::ListDirectory(dir, "*", entries))
    for (const auto& e : entries)
      if (!(e.attributes & platform::kAttrDirectory)) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// An engine whose volumes hold `capacity` bytes: a program archive on several disks.
class SmallVolumes : public TVtrlCompress {
 public:
  explicit SmallVolumes(int64_t capacity) : TVtrlCompress(nullptr), capacity_(capacity) {}

 protected:
  int64_t WriteTo(WriteTarget target, platform::File& file, const void* data,
                  size_t count) override {
    int64_t allowed = static_cast<int64_t>(count);
    if (target == WriteTarget::Volume)
      allowed = std::clamp<int64_t>(capacity_ - file.Position(), 0, allowed);
    return allowed == 0 ? 0 : TVtrlCompress::WriteTo(target, file, data, allowed);
  }

 private:
  int64_t capacity_;
};

struct ExampleFile {
  const char* group;
  const char* archive;
  const char* name;
  int unique_id;
  size_t size;
};

// The example's three files; big enough for the copy window to show each for a moment.
constexpr ExampleFile kFiles[] = {{"Program", "program.1", "shared.dll", 0, 3u << 20},
                                  {"Docs", "docs.1", "readme.txt", 1, 2u << 20},
                                  {"Docs", "docs.1", "example.hlp", 2, 1u << 20}};

// Writes the example's files under `src` and compresses them into `dir`; returns the project
// form with its source folder, and extra text inserted after the anchors given.
std::string BuildExample(const std::string& dir, const std::string& src,
                         const std::map<std::string, std::string>& inserts) {
  TComponent owner(nullptr);
  StandardPathSpecifiers().EnsureStandardSpecifiers(&owner, true);
  std::map<std::string, TInstallFileGroup*> groups;
  for (const ExampleFile& f : kFiles) {
    Write(src + "\\" + f.name, Noise(f.size, static_cast<uint32_t>(f.unique_id + 1)));
    TInstallFileGroup*& group = groups[f.group];
    if (group == nullptr) {
      group = new TInstallFileGroup(&owner);
      group->SetName(f.group);
      group->SetArchiveFileType(nullptr);
      group->SetArchiveFile(dir + "\\" + f.archive);
    }
    auto* file = new TInstallFile(&owner);
    std::string name("F");  // appended: GCC 12 misreads "F" + temporary
    name += std::to_string(f.unique_id);
    file->SetName(name);
    file->SetIncludeFromDir(src);
    file->SetFileName(f.name);
    file->SetUniqueID(f.unique_id);
    file->SetContainer(group);
  }
  for (auto& [name, group] : groups) group->Compress(TCompressOptions{coForceNetFilesLocal});
  std::string form = ReadAll(Env("VANTOREL_SOURCE_DIR") + "/examples/dialogs.vform");
  for (const auto& [anchor, text] : inserts) {
    size_t at = form.find(anchor);
    EXPECT_NE(at, std::string::npos) << anchor;
    if (at != std::string::npos) form.insert(at + anchor.size(), text);
  }
  return Replace(form, kExampleSource, src);
}

class DialogsInstall : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ChangeFileExt(GetTempFile(false), ".dlg");
    ASSERT_TRUE(platform::CreateDirectory(dir_));
    src_ = dir_ + "\\src";
    ASSERT_TRUE(platform::CreateDirectory(src_));
    dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Dialogs Example";
    ClearTree(dest_);
    platform::SetEnv("VANTOREL_UI", "headless");
    platform::SetEnv("VANTOREL_TRANSCRIPT", platform::NativePath(dir_ + "\\transcript.txt"));
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    DeleteRegKeyTree(kRootLocalMachine, kUninstallKey);
  }
  void TearDown() override {
    platform::SetEnv("VANTOREL_ANSWERS", "");
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    DeleteRegKeyTree(kRootLocalMachine, kUninstallKey);
    ClearTree(dir_);
    ClearTree(dest_);
  }

  uint32_t Install(const std::string& form, const std::string& answers) {
    const std::string answers_file = dir_ + "\\answers.txt";
    Write(answers_file, answers);
    platform::SetEnv("VANTOREL_ANSWERS", platform::NativePath(answers_file));
    return testing::RunWithRecorder(form, dir_ + "\\dialogs.exe", "-d \"-s" + dir_ + "\"");
  }
  std::vector<headless::TTranscriptEntry> Transcript() {
    return headless::ParseTranscript(ReadAll(dir_ + "\\transcript.txt"));
  }

  std::string dir_, src_, dest_;
};

TEST_F(DialogsInstall, EveryPageShowsItsTextsAndTheFilesArrive) {
  std::string form = BuildExample(dir_, src_, {});
  ASSERT_EQ(Install(form, ""), 0u) << ReadAll(dir_ + "\\transcript.txt");
  for (const ExampleFile& f : kFiles) {
    const std::string at =
        std::string(f.group) == "Docs" ? dest_ + "\\Docs\\" + f.name : dest_ + "\\" + f.name;
    EXPECT_EQ(ReadAll(at), Noise(f.size, static_cast<uint32_t>(f.unique_id + 1))) << at;
  }
  std::vector<std::string> captions;
  std::vector<std::string> copied;
  bool status_seen = false;
  for (const auto& entry : Transcript()) {
    ASSERT_EQ(entry.kind, "form") << entry.caption;  // no message box
    if (entry.mode == "main") continue;              // the install's own window behind the dialogs
    if (entry.caption.empty()) {
      status_seen =
          status_seen || entry.Texts() == std::vector<std::string>{"Reading file information..."};
      continue;
    }
    if (entry.caption == "Copying installation files") {
      ASSERT_GE(entry.Texts().size(), 4u);
      EXPECT_EQ(entry.Texts()[0], "Processing");
      EXPECT_EQ(entry.Texts()[2], "File progress");
      EXPECT_EQ(entry.Texts()[3], "Total progress");
      if (entry.Texts()[1] != "---" && (copied.empty() || copied.back() != entry.Texts()[1]))
        copied.push_back(entry.Texts()[1]);
    }
    if (captions.empty() || captions.back() != entry.caption) captions.push_back(entry.caption);
  }
  EXPECT_TRUE(status_seen);
  EXPECT_EQ(captions,
            (std::vector<std::string>{"Welcome", "Copying installation files", "Setup complete"}));
  EXPECT_EQ(copied, (std::vector<std::string>{"shared.dll", "readme.txt", "example.hlp"}));
}

TEST_F(DialogsInstall, CancelOnTheCopyWindowEndsTheRunAsCancelledWithoutAHalfFile) {
  std::string form = BuildExample(dir_, src_, {});
  ASSERT_EQ(Install(form, "Welcome: Next >\nCopying installation files: Cancel\n"), 2u)
      << ReadAll(dir_ + "\\transcript.txt");
  auto transcript = Transcript();
  ASSERT_FALSE(transcript.empty());
  for (const auto& entry : transcript) EXPECT_EQ(entry.kind, "form") << entry.caption;
  EXPECT_EQ(transcript.back().caption, "Setup incomplete");
  EXPECT_EQ(transcript.back().Pressed(), "Finish");
  // The first file was being written when Cancel came: it is not left half written, and
  // nothing after it was started.
  EXPECT_EQ(Names(dest_), std::vector<std::string>{});
  EXPECT_EQ(Names(dest_ + "\\Docs"), std::vector<std::string>{});
}

TEST_F(DialogsInstall, ADiskOfAVolumeSetIsAskedForAndCancelEndsTheRun) {
  std::string form = BuildExample(dir_, src_, {});
  // The program archive on volumes of 1 MB: the first where the install looks, the rest
  // elsewhere, as on floppy disks not yet inserted.
  const std::string disks = dir_ + "\\disks";
  ASSERT_TRUE(platform::CreateDirectory(disks));
  SmallVolumes spanner(1 << 20);
  spanner.OnNewDisk = [](TVtrlCompress*, int, std::string&) {};
  spanner.SetCompressedFile(dir_ + "\\program.1");
  spanner.SpanToDisks(disks, "program.1");
  ASSERT_TRUE(platform::FileExists(disks + "\\program.2"));
  ASSERT_TRUE(platform::DeleteFile(dir_ + "\\program.1"));
  ASSERT_TRUE(platform::CopyFile(disks + "\\program.1", dir_ + "\\program.1", false));

  ASSERT_EQ(Install(form, "Welcome: Next >\nInsert disk: Cancel\n"), 2u)
      << ReadAll(dir_ + "\\transcript.txt");
  std::vector<std::string> captions;
  for (const auto& entry : Transcript()) {
    EXPECT_EQ(entry.kind, "form") << entry.caption;
    if (entry.caption == "Insert disk") {
      EXPECT_EQ(entry.Texts().at(0), "Please insert disk #2");
      EXPECT_EQ(entry.Texts().at(2), dir_);
    }
    if (entry.mode != "main" && !entry.caption.empty() &&
        (captions.empty() || captions.back() != entry.caption))
      captions.push_back(entry.caption);
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"Welcome", "Copying installation files",
                                                "Insert disk", "Setup incomplete"}));
  EXPECT_EQ(Names(dest_), std::vector<std::string>{});
}

// Not a test of its own: tests/wine/dialogs_xvfb.sh calls it to lay out the distribution its real
// windows install from (VANTOREL_DIALOGS_DIR), with the recorder engine slowed down so that a
// person can watch the bars move.
TEST(DialogsExample, PrepareForRealWindows) {
  const std::string dir = Env("VANTOREL_DIALOGS_DIR");
  if (dir.empty()) GTEST_SKIP() << "only for tests/wine/dialogs_xvfb.sh";
  const std::string src = dir + "\\src";
  ClearTree(dir);
  ASSERT_TRUE(platform::CreateDirectory(dir));
  ASSERT_TRUE(platform::CreateDirectory(src));
  std::string form = BuildExample(
      dir, src,
      {{"UniqueID = 0\n", "    OnStatus = ShowProgressSlowly\n"},
       {"UniqueID = 1\n", "    OnStatus = ShowProgressSlowly\n"},
       {"UniqueID = 2\n", "    OnStatus = ShowProgressSlowly\n"},
       {"UseLoadingProgram = True\n", "    OnAfterInitialized = ShowStatusForAWhile\n"}});
  // The language the project asks for (the example's own: the user's).
  const std::string language = Env("VANTOREL_DIALOGS_LANGUAGE");
  if (!language.empty())
    form = Replace(form, "TranslateIntoLanguage = vlUser", "TranslateIntoLanguage = " + language);
  std::string engine = Env("VANTOREL_BINARY_DIR") + "/tests/vtsetup_recorder.exe";
  AttachForm(engine, form, dir + "\\setup.exe");
  EXPECT_TRUE(platform::FileExists(dir + "\\setup.exe"));
}

}  // namespace
}  // namespace vantorel
