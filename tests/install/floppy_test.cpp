// A transfer to floppies onto a real 1.44 MB file system (a tmpfs mounted for the test; mounting
// needs root): about 4 MB span several disks, the disk prompt comes for each, and the test swaps
// the disks as a user would. Cancel at the first prompt leaves setup.exe and setup.1 on disk 1.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "archive/compress.h"
#include "dist_fixture.h"
#include "framework/application.h"
#include "framework/headless/headless.h"
#include "framework/streaming.h"
#include "install/install.h"
#include "model/install_file.h"
#include "platform/files.h"
#include "platform/system.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

// Native only: the floppy is a tmpfs the test mounts, and drive A: is mapped to it by the
// native backend.
#ifndef _WIN32
namespace vantorel {

// The install component with the prompt observed: the test swaps the disk while it is shown.
class TFloppyTestInstall : public TInstall {
 public:
  using TInstall::TInstall;
  static std::function<void(int)>& OnPrompt() {
    static std::function<void(int)> handler;
    return handler;
  }

 protected:
  void DiskPrompt(int disk) override {
    if (OnPrompt()) OnPrompt()(disk);
    TInstall::DiskPrompt(disk);
  }
};
VANTOREL_CLASS(TFloppyTestInstall, TInstall) {}

namespace {

using namespace dist_testing;

void MoveAll(const std::string& from, const std::string& to) {
  ForceDirectories(to);
  for (const std::string& name : FilesIn(from))
    ASSERT_TRUE(platform::CopyFile(from + "\\" + name, to + "\\" + name, false) &&
                platform::DeleteFile(from + "\\" + name))
        << name;
}

class FloppyTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = ChangeFileExt(GetTempFile(false), ".fd");
    ForceDirectories(dir_ + "\\drive");
    uint32_t status = 1;
    const std::string mount = "mount -t tmpfs -o size=1440k tmpfs '" +
                              platform::NativePath(dir_ + "\\drive") + "' 2>/dev/null";
    if (!platform::StartProgramAndWait(mount, false, 20000, status) || status != 0) {
      const bool ci = platform::GetEnv("CI").value_or("") == "true";
      if (ci) FAIL() << "cannot mount a 1.44 MB tmpfs (needs root): " << mount;
      GTEST_SKIP() << "cannot mount a 1.44 MB tmpfs (needs root): " << mount;
    }
    mounted_ = true;
    drive_ = dir_ + "\\drive";
    platform::SetEnv("VANTOREL_DRIVE_A", platform::NativePath(drive_));
    Application().Reinitialize();
    SetupProgramPath() = dir_ + "\\setup-program.exe";
    WriteBytes(SetupProgramPath(), "x");
    // The distribution: loader, setup.1 and a files.1 of 4 MB that does not compress.
    const std::string out = dir_ + "\\dist";
    ForceDirectories(out);
    WriteBytes(out + "\\setup.exe", Pattern(20000, 1));
    WriteBytes(out + "\\setup.1", Pattern(9000, 2));
    payload_ = Pattern(4 << 20, 3);
    WriteBytes(dir_ + "\\payload.bin", payload_);
    TVtrlCompress engine(nullptr);
    engine.SetCompressedFile(out + "\\files.1");
    TStringList files;
    files.Add(dir_ + "\\payload.bin");
    engine.SetFilesToProcess(files);
    engine.Compress(lzcOverwrite, 1);
    TForm form(nullptr);
    (new TInstall(&form))
        ->MakeSelfExtractingExe(out + "\\setup.exe", out + "\\setup.1", out + "\\files.1");
  }
  void TearDown() override {
    TFloppyTestInstall::OnPrompt() = nullptr;
    Application().Reinitialize();
    platform::SetEnv("VANTOREL_DRIVE_A", std::nullopt);
    uint32_t status = 0;
    if (mounted_)
      platform::StartProgramAndWait("umount '" + platform::NativePath(drive_) + "'", false, 20000,
                                    status);
    if (!dir_.empty())
      platform::StartProgramAndWait("rm -rf '" + platform::NativePath(dir_) + "'", false, 20000,
                                    status);
  }

  void Run() {
    CommandLineParameters() = {"-f", "-esetup.exe", "-s" + dir_ + "\\dist"};
    Application().CreateFormFromText(
        "object Form1: TForm1\n  object Install1: TFloppyTestInstall\n  end\nend\n");
    Application().Run();
  }
  TCustomInstall* Install() const {
    return dynamic_cast<TCustomInstall*>(InstallComponent()->AsContainer());
  }

  std::string dir_, drive_, payload_;
  bool mounted_ = false;
};

TEST_F(FloppyTransfer, SpansSeveralDisksWithAPromptForEach) {
  // The disks are folders; the one "in the drive" is the mounted file system.
  int in_drive = 1;
  std::vector<int> prompts;
  TFloppyTestInstall::OnPrompt() = [&](int disk) {
    prompts.push_back(disk);
    MoveAll(drive_, dir_ + "\\disk" + std::to_string(in_drive));
    MoveAll(dir_ + "\\disk" + std::to_string(disk), drive_);
    in_drive = disk;
  };
  Run();
  ASSERT_EQ(Install()->Outcome(), TInstallOutcome::Installed);
  MoveAll(drive_, dir_ + "\\disk" + std::to_string(in_drive));
  ASSERT_GE(prompts.size(), 3u);  // disks 2 and 3 at least, then disk 1 again for its directory
  for (size_t i = 0; i + 1 < prompts.size(); ++i) EXPECT_EQ(prompts[i], static_cast<int>(i) + 2);
  EXPECT_EQ(prompts.back(), 1);

  const std::string disk1 = dir_ + "\\disk1";
  EXPECT_TRUE(ReadBytes(disk1 + "\\setup.exe") == Pattern(20000, 1));
  EXPECT_TRUE(ReadBytes(disk1 + "\\setup.1") == Pattern(9000, 2));
  const int disks = static_cast<int>(prompts.size());
  for (int disk = 1; disk <= disks; ++disk) {
    const std::string folder = dir_ + "\\disk" + std::to_string(disk);
    uint64_t on_disk = 0;
    for (const std::string& name : FilesIn(folder)) {
      uint64_t size = 0;
      platform::GetFileSize(folder + "\\" + name, size);
      on_disk += size;
    }
    EXPECT_GT(on_disk, 0u) << folder;
    EXPECT_LE(on_disk, 1440u * 1024u) << folder;
  }

  // Installing from the disks: disk 1 in the drive, and the install asks for each next one.
  Application().Reinitialize();
  MoveAll(disk1, drive_);
  in_drive = 1;
  std::vector<int> requests;
  RegisterHandler<void(TCustomInstallFile*, int, std::string&)>(
      "SwapDisk", [&](TCustomInstallFile*, int disk, std::string&) {
        requests.push_back(disk);
        MoveAll(drive_, dir_ + "\\disk" + std::to_string(in_drive));
        MoveAll(dir_ + "\\disk" + std::to_string(disk), drive_);
        in_drive = disk;
      });
  CommandLineParameters() = {"-d", "-sA:\\"};
  Application().CreateFormFromText(
      "object Form1: TForm1\n"
      "  object Install1: TInstall\n"
      "    DestDirType = nil\n"
      "    DestDir = '" +
      dir_ +
      "\\installed'\n"
      "    OnNewDisk = SwapDisk\n"
      "  end\n"
      "  object Data: TInstallFile\n"
      "    Container = Install1\n"
      "    DestDirType = psContainerDestDir\n"
      "    ArchiveFileType = psContainerArchiveFile\n"
      "    FileName = 'payload.bin'\n"
      "    IncludeFromDir = '" +
      dir_ +
      "'\n"
      "    UniqueID = 1\n"
      "  end\n"
      "  object psContainerDestDir: TpsContainerDestDir\n  end\n"
      "  object psContainerArchiveFile: TpsContainerArchiveFile\n  end\n"
      "  object psMainArchiveFile: TpsMainArchiveFile\n  end\n"
      "end\n");
  Application().Run();
  auto* ui = dynamic_cast<headless::THeadlessBackend*>(&Application().Ui());
  ASSERT_EQ(Install()->Outcome(), TInstallOutcome::Installed) << (ui ? ui->Transcript() : "");
  std::vector<int> in_turn;
  for (int disk = 2; disk <= disks; ++disk) in_turn.push_back(disk);
  EXPECT_EQ(requests, in_turn);
  EXPECT_TRUE(ReadBytes(dir_ + "\\installed\\payload.bin") == payload_);
}

TEST_F(FloppyTransfer, CancelAtTheFirstPromptLeavesSetupOnTheDisk) {
  std::vector<int> prompts;
  TFloppyTestInstall::OnPrompt() = [&](int disk) { prompts.push_back(disk); };
  dynamic_cast<headless::THeadlessBackend&>(Application().Ui()).SetAnswers("Setup: Cancel\n");
  Run();
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Failed);
  EXPECT_EQ(prompts, std::vector<int>{2});
  auto* ui = dynamic_cast<headless::THeadlessBackend*>(&Application().Ui());
  ASSERT_NE(ui, nullptr);
  EXPECT_NE(ui->Transcript().find("Please insert disk 2"), std::string::npos) << ui->Transcript();
  EXPECT_NE(ui->Transcript().find("Aborted by user"), std::string::npos) << ui->Transcript();
  EXPECT_TRUE(ReadBytes(drive_ + "\\setup.exe") == Pattern(20000, 1));
  EXPECT_TRUE(ReadBytes(drive_ + "\\setup.1") == Pattern(9000, 2));
}

}  // namespace
}  // namespace vantorel
#endif
