// What only the posix backend does: the drive mapping (Windows has real drives) and the
// emulation of Windows file rules on the host.
#ifndef _WIN32
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/system.h"
#include "scratch.h"

namespace vantorel::platform {
namespace {

using testing::EnvGuard;
using testing::ReadText;
using testing::Scratch;
using testing::WriteText;

// A scratch folder as host path, to map drives onto.
struct HostScratch {
  Scratch scratch;
  std::string host = NativePath(scratch.path());
};

TEST(PosixPaths, DrivesMapToFolders) {
  HostScratch c, d;
  EnvGuard env;
  env.Set("VANTOREL_DRIVE_C", c.host);
  env.Set("VANTOREL_DRIVE_D", std::nullopt);
  env.Set("VANTOREL_DRIVE_d", d.host + "/");  // the lower-case spelling, a trailing slash
  env.Set("VANTOREL_DRIVE_Q", std::nullopt);
  env.Set("VANTOREL_DRIVE_q", std::nullopt);

  struct Case {
    std::string path, host;
  } cases[] = {
      {"C:\\", c.host + "/"},
      {"C:\\Program Files\\App\\app.exe", c.host + "/Program Files/App/app.exe"},
      {"c:/mixed\\separators/x", c.host + "/mixed/separators/x"},
      {"C:relative", c.host + "/relative"},
      {"d:\\data", d.host + "/data"},
      {"Z:\\usr\\bin", "/usr/bin"},
      {"z:", "/"},
      {"\\usr\\bin", "/usr/bin"},
      {"/usr/bin", "/usr/bin"},
      {"sub\\file.txt", "sub/file.txt"},
  };
  for (const Case& k : cases) EXPECT_EQ(NativePath(k.path), k.host) << k.path;

  ASSERT_TRUE(CreateDirectory("C:\\Folder"));
  ASSERT_TRUE(WriteText("C:\\Folder\\File.txt", "on c"));
  EXPECT_TRUE(std::filesystem::exists(c.host + "/Folder/File.txt"));
  EXPECT_EQ(ReadText("c:/Folder/File.txt"), "on c");
  EXPECT_EQ(ReadText("Z:" + c.host + "\\Folder\\File.txt"), "on c");
  EXPECT_FALSE(FileExists("C:\\folder\\file.txt")) << "host names are case-sensitive";

  EXPECT_EQ(NativePath("Q:\\x"), "");
  EXPECT_EQ(LastError(), kErrorPathNotFound);
  EXPECT_FALSE(FileExists("Q:\\x"));
  EXPECT_EQ(LastError(), kErrorPathNotFound);
  EXPECT_FALSE(File::Open("q:\\x", Access::Write, kShareNone, Disposition::CreateAlways).IsOpen());
  EXPECT_EQ(LastError(), kErrorPathNotFound);
  EXPECT_FALSE(CreateDirectory("Q:\\x"));
  EXPECT_EQ(LastError(), kErrorPathNotFound);
}

TEST(PosixPaths, HostPathsMapBackToDrives) {
  HostScratch c;
  EnvGuard env;
  env.Set("VANTOREL_DRIVE_C", std::nullopt);
  env.Set("VANTOREL_DRIVE_c", std::nullopt);
  env.Set("TMPDIR", c.host + "/tmp");
  ASSERT_TRUE(std::filesystem::create_directory(c.host + "/tmp"));

  std::string saved = GetCurrentDirectory();
  ASSERT_TRUE(SetCurrentDirectory(c.scratch.path()));
  std::string z_form = "Z:" + c.host;
  std::replace(z_form.begin(), z_form.end(), '/', '\\');
  EXPECT_EQ(GetCurrentDirectory(), z_form);
  EXPECT_EQ(GetTempPath(), z_form + "\\tmp\\");
  EXPECT_EQ(GetWindowsDirectory(), "");
  EXPECT_EQ(LastError(), kErrorPathNotFound);
  EXPECT_EQ(GetSystemDirectory(), "");

  env.Set("VANTOREL_DRIVE_C", c.host);
  EXPECT_EQ(GetCurrentDirectory(), "C:\\");
  EXPECT_EQ(GetTempPath(), "C:\\tmp\\");
  EXPECT_EQ(GetWindowsDirectory(), "C:\\WINDOWS");
  EXPECT_EQ(GetSystemDirectory(), "C:\\WINDOWS\\SYSTEM32");
  std::string temp = GetTempFileName(GetTempPath(), "abc");
  ASSERT_EQ(temp.substr(0, 10), "C:\\tmp\\abc");
  EXPECT_TRUE(std::filesystem::exists(c.host + "/tmp/" + temp.substr(7)));
  EXPECT_EQ(GetModuleFileName().substr(0, 2), "Z:");  // the build tree is not on C:
  ASSERT_TRUE(SetCurrentDirectory(saved));
}

TEST(PosixPaths, MissingNamesTellFileFromFolder) {
  Scratch dir;
  ASSERT_TRUE(WriteText(dir / "file", "x"));
  struct Case {
    std::string path;
    uint32_t error;
  } cases[] = {
      {dir / "none", kErrorFileNotFound},
      {dir / "none\\deeper", kErrorPathNotFound},
      {dir / "file\\below", kErrorPathNotFound},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GetFileAttributes(c.path), kInvalidAttributes) << c.path;
    EXPECT_EQ(LastError(), c.error) << c.path;
  }
}

TEST(PosixPaths, HiddenAndReadOnlyFromHostMode) {
  Scratch dir;
  ASSERT_TRUE(WriteText(dir / ".dot", "x"));
  EXPECT_EQ(GetFileAttributes(dir / ".dot") & kAttrHidden, kAttrHidden);
  EXPECT_EQ(GetFileAttributes(dir / ".dot") & kAttrArchive, kAttrArchive);
  std::filesystem::permissions(NativePath(dir / ".dot"), std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::group_read);
  EXPECT_EQ(GetFileAttributes(dir / ".dot") & kAttrReadOnly, kAttrReadOnly);
}

// Runs `attempt` in a forked copy of this process: 0 when it succeeds, else its error code.
template <typename Attempt>
int InOtherProcess(Attempt attempt) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(attempt() ? 0 : static_cast<int>(LastError() & 0x7F));
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PosixFiles, ShareModesHoldAcrossProcesses) {
  Scratch dir;
  std::string path = dir / "held.txt";
  ASSERT_TRUE(WriteText(path, "held"));
  File holder = File::Open(path, Access::ReadWrite, kShareRead, Disposition::OpenExisting);
  ASSERT_TRUE(holder.IsOpen());
  auto open = [&](Access access, unsigned share) {
    return [=] { return File::Open(path, access, share, Disposition::OpenExisting).IsOpen(); };
  };
  EXPECT_EQ(InOtherProcess(open(Access::Read, kShareRead | kShareWrite)), 0);
  EXPECT_EQ(InOtherProcess(open(Access::Read, kShareRead)), int{kErrorSharingViolation})
      << "the holder writes, the newcomer does not allow it";
  EXPECT_EQ(InOtherProcess(open(Access::Write, kShareRead | kShareWrite)),
            int{kErrorSharingViolation});
  EXPECT_EQ(InOtherProcess([&] { return DeleteFile(path); }), int{kErrorSharingViolation});
  holder.Close();
  EXPECT_EQ(InOtherProcess(open(Access::Write, kShareNone)), 0);
}

// A dangling link answers "no such file" to an open and "exists" to an exclusive create; the
// opening dispositions that create must neither go round between the two for ever nor create the
// file at the far end of the link.
// Windows refuses a rename through a handle without the right to delete (Wine lets it pass, so
// this is the emulation's own test).
TEST(PosixFiles, OnlyARenamableOpenRenamesThroughItsHandle) {
  Scratch dir;
  File file = File::Open(dir / "made.tmp", Access::ReadWrite, kShareRead, Disposition::CreateNew);
  ASSERT_TRUE(file.IsOpen());
  EXPECT_FALSE(file.Rename(dir / "target.txt", true));
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_TRUE(FileExists(dir / "made.tmp"));
  EXPECT_FALSE(FileExists(dir / "target.txt"));
}

TEST(PosixFiles, DanglingLinksAreRefusedByEveryCreatingOpen) {
  Scratch dir;
  ASSERT_TRUE(CreateDirectory(dir / "out"));
  std::filesystem::create_symlink("../elsewhere.txt", NativePath(dir / "out\\link.txt"));
  for (Disposition d : {Disposition::CreateAlways, Disposition::OpenAlways}) {
    File f = File::Open(dir / "out\\link.txt", Access::Write, kShareRead, d);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_EQ(LastError(), kErrorAccessDenied);
  }
  File f = File::Open(dir / "out\\link.txt", Access::Write, kShareRead, Disposition::CreateNew);
  EXPECT_FALSE(f.IsOpen());
  EXPECT_EQ(LastError(), kErrorFileExists);
  File g = File::Open(dir / "out\\link.txt", Access::Read, kShareRead, Disposition::OpenExisting);
  EXPECT_FALSE(g.IsOpen());
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  ASSERT_TRUE(WriteText(dir / "source.txt", "source"));
  EXPECT_FALSE(CopyFile(dir / "source.txt", dir / "out\\link.txt", false));
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_FALSE(std::filesystem::exists(NativePath(dir / "elsewhere.txt")));
  EXPECT_TRUE(std::filesystem::is_symlink(NativePath(dir / "out\\link.txt")));

  // A link to a file that is there is followed, as on Windows.
  ASSERT_TRUE(WriteText(dir / "elsewhere.txt", "far"));
  File h = File::Open(dir / "out\\link.txt", Access::Read, kShareRead, Disposition::OpenAlways);
  EXPECT_TRUE(h.IsOpen());
  EXPECT_EQ(ReadText(dir / "out\\link.txt"), "far");
}

}  // namespace
}  // namespace vantorel::platform
#endif
