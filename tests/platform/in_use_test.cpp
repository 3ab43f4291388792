// Files in use and their replacement at the next start of the machine. On Windows a second
// process (vthold.exe of the test payloads) holds the file, as a running program would.
#include <gtest/gtest.h>

#include "pending_renames.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/reg_data.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "scratch.h"

namespace vantorel::platform {
namespace {

using testing::Payload;
using testing::Quoted;
using testing::Scratch;
using testing::WaitUntil;
using testing::WriteText;
using vantorel::testing::PendingRenames;

#ifdef _WIN32

TEST(MoveAtReboot, EntersPendingRenames) {
  Scratch dir;
  PendingRenames pending;
  std::string from = dir / "new.dll", to = dir / "old.dll", gone = dir / "gone.tmp";
  ASSERT_TRUE(WriteText(from, "new"));
  ASSERT_TRUE(WriteText(to, "old"));
  ASSERT_TRUE(WriteText(gone, "gone"));
  ASSERT_TRUE(MoveFileAtReboot(from, to)) << LastError();
  ASSERT_TRUE(MoveFileAtReboot(gone, "")) << LastError();
  EXPECT_TRUE(pending.MovesOver(from, to)) << "replaces the existing file";
  EXPECT_TRUE(pending.Holds("\\??\\" + gone, "")) << "an empty target deletes";
  EXPECT_TRUE(FileExists(from) && FileExists(to) && FileExists(gone)) << "nothing happens now";
}

// The fixture of the in-use replacement: vthold.exe holds `file` until released.
class HeldFile {
 public:
  explicit HeldFile(const Scratch& dir, const std::string& file)
      : ready_(dir / "held.ready"), release_(dir / "held.release") {
    std::string command = Quoted(Payload("vthold.exe")) + " " + Quoted(file) + " " +
                          Quoted(ready_) + " " + Quoted(release_) + " 30000";
    EXPECT_TRUE(StartProgram(command, false)) << command << " error " << LastError();
    held_ = WaitUntil([&] { return FileExists(ready_); });
  }
  ~HeldFile() { Release(); }
  bool held() const { return held_; }
  // Returns once the holder has closed the file.
  bool Release() {
    if (!held_) return true;
    held_ = false;
    return WriteText(release_, "") && WaitUntil([&] { return !FileExists(ready_); });
  }

 private:
  std::string ready_, release_;
  bool held_ = false;
};

TEST(InUse, HeldFileIsReplacedAtReboot) {
  Scratch dir;
  PendingRenames pending;
  std::string file = dir / "FOO.DLL", beside = dir / "FOO.1";
  ASSERT_TRUE(WriteText(file, "version 1"));
  HeldFile holder(dir, file);
  ASSERT_TRUE(holder.held()) << "vthold.exe did not report the file open";

  ASSERT_TRUE(WriteText(beside, "version 2"));
  EXPECT_FALSE(DeleteFile(file));
  EXPECT_EQ(LastError(), kErrorSharingViolation);
  EXPECT_FALSE(File::Open(file, Access::Write, kShareRead, Disposition::OpenExisting).IsOpen());
  EXPECT_EQ(LastError(), kErrorSharingViolation);
  EXPECT_FALSE(MoveFileReplace(beside, file)) << "no replacing it now either";
  EXPECT_TRUE(File::Open(file, Access::Read, kShareRead, Disposition::OpenExisting).IsOpen())
      << "readers are still welcome";

  EXPECT_TRUE(MoveFileAtReboot(beside, file)) << LastError();
  EXPECT_TRUE(pending.MovesOver(beside, file));

  ASSERT_TRUE(holder.Release());
  EXPECT_TRUE(DeleteFile(file)) << "free again once the holder let go: " << LastError();
}

TEST(InUse, WaitingForAProgramTimesOut) {
  Scratch dir;
  std::string file = dir / "held.txt";
  std::string ready = dir / "ready", release = dir / "release";
  ASSERT_TRUE(WriteText(file, "x"));
  std::string hold = Quoted(Payload("vthold.exe")) + " " + Quoted(file) + " " + Quoted(ready) +
                     " " + Quoted(release);
  uint32_t code = 99;
  EXPECT_FALSE(StartProgramAndWait(hold + " 30000", false, 200, code));
  EXPECT_EQ(LastError(), kErrorWaitTimeout);
  EXPECT_EQ(code, 99u) << "no exit code yet";
  ASSERT_TRUE(WaitUntil([&] { return FileExists(ready); })) << "it is left running";
  ASSERT_TRUE(WriteText(release, ""));
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(ready); }));

  // Its exit codes, which the fixture relies on.
  EXPECT_TRUE(StartProgramAndWait(hold + " 10", false, 20000, code));
  EXPECT_EQ(code, 0u) << "the release file is still there";
  EXPECT_TRUE(StartProgramAndWait(Quoted(Payload("vthold.exe")) + " " + Quoted(dir / "none") + " " +
                                      Quoted(ready) + " " + Quoted(release),
                                  false, 20000, code));
  EXPECT_EQ(code, 2u) << "a missing file cannot be held";
  EXPECT_FALSE(FileExists(ready));
}

#else

TEST(MoveAtReboot, NotAvailableOnThisHost) {
  Scratch dir;
  std::string file = dir / "a.txt";
  ASSERT_TRUE(WriteText(file, "a"));
  EXPECT_FALSE(MoveFileAtReboot(file, dir / "b.txt"));
  EXPECT_EQ(LastError(), kErrorCallNotImplemented);
  EXPECT_FALSE(MoveFileAtReboot(file, ""));
  EXPECT_EQ(LastError(), kErrorCallNotImplemented);
  EXPECT_TRUE(FileExists(file));
}

#endif

}  // namespace
}  // namespace vantorel::platform
