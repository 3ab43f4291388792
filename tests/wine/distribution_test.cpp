// A distribution as a customer gets it: the example project's install program builds its own
// distribution (-b with BUILD.INF, the loader taken from the library folder the registry names),
// then the self-extracting setup.exe is started like a double-click, from a folder whose path
// holds spaces. The loader unpacks setup.1 into a working folder, runs the install program with
// -e and removes the folder again; a cut or damaged setup.exe ends with a message and status 1.
#include <gtest/gtest.h>

#include <functional>

#include "../install/dist_fixture.h"
#include "archive/self_extract.h"
#include "install/attached_form.h"
#include "model/symbolic_paths.h"
#include "payloads.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/system.h"
#include "recorder_run.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

constexpr char kExampleSource[] = "C:\\VantorelExample\\files";
constexpr char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Files Example";
constexpr char kSearchPathKey[] = "Software\\Borland\\Delphi\\3.0\\Library";

using namespace dist_testing;
using testing::Env;
using testing::ReadAll;

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// The loader's working folders in the temporary folder.
int WorkingFolders() {
  std::vector<platform::DirEntry> entries;
  platform::ListDirectory(RemoveBackslash(platform::GetTempPath()), "vtl*", entries);
  int count = 0;
  for (const auto& e : entries) count += (e.attributes & platform::kAttrDirectory) ? 1 : 0;
  return count;
}

uint32_t RunProgram(const std::string& program, const std::string& arguments = "") {
  uint32_t status = 99;
  std::string command(1, '"');
  command.append(program).append("\" ").append(arguments);
  EXPECT_TRUE(platform::StartProgramAndWait(command, false, 120000, status)) << command;
  return status;
}

class DistributionUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    GTEST_SKIP() << "setup.exe and the install program are Windows programs: this runs in the "
                    "win64 tree, under Wine";
#endif
    dir_ = ChangeFileExt(GetTempFile(false), ".dst");
    ASSERT_TRUE(platform::CreateDirectory(dir_));
    for (const char* sub : {"\\src", "\\prog", "\\lib"})
      ASSERT_TRUE(platform::CreateDirectory(dir_ + sub));
    dist_ = dir_ + "\\My Product Setup";
    platform::SetEnv("VANTOREL_UI", "headless");
    transcript_ = dir_ + "\\transcript.txt";
    platform::SetEnv("VANTOREL_TRANSCRIPT", platform::NativePath(transcript_));
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    DeleteRegKeyTree(kRootLocalMachine, kUninstallKey);
    dest_ = AddBackslash(ProgramFilesDirectory()) + "Vantorel Files Example";
    ClearTree(dest_);
  }
  void TearDown() override {
    if (dir_.empty()) return;
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    DeleteRegKeyTree(kRootLocalMachine, kUninstallKey);
    DeleteRegKeyTree(kRootCurrentUser, kSearchPathKey);
    ClearTree(dir_);
    ClearTree(dest_);
  }

  // The example project with its files in the main archive: one self-extracting file carries
  // everything.
  std::string Form() const {
    std::string form = ReadAll(Env("VANTOREL_SOURCE_DIR") + "/examples/files.vform");
    form = Replace(form, "    ArchiveFile = '\\program.1'\n    ArchiveFileType = psInstallSource\n",
                   "    ArchiveFileType = psContainerArchiveFile\n");
    form = Replace(form, "    ArchiveFile = '\\docs.1'\n    ArchiveFileType = psInstallSource\n",
                   "    ArchiveFileType = psContainerArchiveFile\n");
    return Replace(form, kExampleSource, dir_ + "\\src");
  }

  // The user's side of a build: the install program, BUILD.INF beside it and the library folder.
  void Build() {
    const std::string apps = Env("VANTOREL_BINARY_DIR") + "\\apps\\";
    WriteBytes(dir_ + "\\src\\readme.txt", "read me");
    WriteBytes(dir_ + "\\src\\example.hlp", std::string(40000, 'h'));
    const std::string payloads = Env(VT_PAYLOADS_ENV);
    if (!payloads.empty()) {
      ASSERT_TRUE(
          platform::CopyFile(payloads + "\\vtver15\\vtver.dll", dir_ + "\\src\\shared.dll", false));
      platform::File f = platform::File::Open(dir_ + "\\src\\shared.dll", platform::Access::Write,
                                              0, platform::Disposition::OpenExisting);
      ASSERT_TRUE(f.SetDosDateTime(kStamp));
    } else {
      WriteBytes(dir_ + "\\src\\shared.dll", "a shared library");
    }
    // The example's uninstaller, beside its other files as the project names it.
    ASSERT_TRUE(platform::CopyFile(apps + "uninstall.exe", dir_ + "\\src\\uninstall.exe", false));
    ASSERT_TRUE(platform::CopyFile(apps + "VantorelLoadProgram.exe",
                                   dir_ + "\\lib\\VantorelLoadProgram.exe", false));
    WriteBytes(dir_ + "\\lib\\T32V35.TXT", "");
    WriteRegString(kRootCurrentUser, kSearchPathKey, "SearchPath", dir_ + "\\lib");
    program_ = dir_ + "\\prog\\files.exe";
    AttachForm(apps + "vtsetup.exe", Form(), program_);
    WriteBytes(dir_ + "\\prog\\BUILD.INF", dist_ + "\r\n");
    ASSERT_EQ(RunProgram(program_, "-b"), 0u) << ReadAll(transcript_);
    setup_ = dist_ + "\\setup.exe";
    SelfExtractTrailer trailer;
    ASSERT_EQ(ReadSelfExtractTrailerOf(setup_, trailer), TrailerProblem::None);
    ASSERT_TRUE(trailer.HasFiles());
    trailer_ = trailer;
  }

  void ExpectInstalled() {
    for (const char* name : {"shared.dll", "Docs\\readme.txt", "Docs\\example.hlp"}) {
      const std::string path = dest_ + "\\" + name;
      EXPECT_EQ(ReadAll(path), ReadAll(dir_ + "\\src\\" + ExtractFileName(name))) << path;
      uint32_t stamp = 0;
      EXPECT_TRUE(platform::GetFileDosDateTime(path, stamp)) << path;
      EXPECT_EQ(stamp, kStamp) << path;
    }
    // A build while the form loads (-b) once left the uninstaller out of the distribution.
    EXPECT_EQ(ReadAll(dest_ + "\\uninstall.exe"), ReadAll(dir_ + "\\src\\uninstall.exe"));
  }

  // Nothing half: a file at its destination is the whole file.
  void ExpectNothingHalf() {
    for (const char* name : {"shared.dll", "Docs\\readme.txt", "Docs\\example.hlp"}) {
      const std::string path = dest_ + "\\" + name;
      if (platform::FileExists(path)) {
        EXPECT_EQ(ReadAll(path), ReadAll(dir_ + "\\src\\" + ExtractFileName(name))) << path;
      }
    }
  }

  std::string dir_, dist_, dest_, transcript_, program_, setup_;
  SelfExtractTrailer trailer_;
};

TEST_F(DistributionUnderWine, SelfExtractingSetupInstallsEverythingAndCleansUp) {
  Build();
  // Only setup.exe is needed: the separate archives go, as when a customer downloads one file.
  ASSERT_TRUE(platform::DeleteFile(dist_ + "\\files.1"));
  ASSERT_TRUE(platform::DeleteFile(dist_ + "\\setup.1"));
  const int folders = WorkingFolders();
  ASSERT_EQ(RunProgram(setup_), 0u) << ReadAll(transcript_);
  ExpectInstalled();
  EXPECT_EQ(WorkingFolders(), folders) << "the working folder was left behind";
  EXPECT_NE(
      ReadRegString(kRootLocalMachine, std::string(kUninstallKey) + "\\Files", "Entries", "0"),
      "0");
}

TEST_F(DistributionUnderWine, DamagedSetupFilesEndWithAMessageAndStatus1) {
  Build();
  const std::string good = ReadAll(setup_);
  const size_t files_middle =
      static_cast<size_t>(trailer_.files_first + (trailer_.files_last - trailer_.files_first) / 2);
  std::string flipped = good;
  for (size_t i = files_middle; i < files_middle + 16; ++i)
    flipped[i] = static_cast<char>(~flipped[i]);
  std::string flipped_setup = good;
  const size_t setup_middle =
      static_cast<size_t>(trailer_.setup_first + (trailer_.setup_last - trailer_.setup_first) / 2);
  for (size_t i = setup_middle; i < setup_middle + 16; ++i)
    flipped_setup[i] = static_cast<char>(~flipped_setup[i]);
  struct Case {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"cut by 1 byte", good.substr(0, good.size() - 1)},
      {"cut by 57 bytes", good.substr(0, good.size() - 57)},
      {"files.1 flipped", flipped},
      {"setup.1 flipped", flipped_setup},
  };
  ASSERT_TRUE(platform::DeleteFile(dist_ + "\\files.1"));
  ASSERT_TRUE(platform::DeleteFile(dist_ + "\\setup.1"));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ClearTree(dest_);
    platform::DeleteFile(transcript_);
    WriteBytes(setup_, c.bytes);
    const int folders = WorkingFolders();
    EXPECT_EQ(RunProgram(setup_), 1u);
    const std::string shown = ReadAll(transcript_);
    EXPECT_NE(shown.find("message \"Setup\""), std::string::npos) << shown;
    if (std::string(c.what).find("cut") != std::string::npos || c.what[0] == 's') {
      EXPECT_NE(shown.find(Replace(setup_, "\\", "\\\\")), std::string::npos)
          << "the message names the file\n"
          << shown;
    }
    ExpectNothingHalf();
    EXPECT_EQ(WorkingFolders(), folders) << "the working folder was left behind";
  }
}

// -b under Windows: each refusal is a plain message box and status 1.
TEST_F(DistributionUnderWine, BuildModeRefusalsEndWithTheirMessageAndStatus1) {
  Build();
  const std::string apps = Env("VANTOREL_BINARY_DIR") + "\\apps\\";
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string message;
  } cases[] = {
      {"no BUILD.INF", [&] { platform::DeleteFile(dir_ + "\\prog\\BUILD.INF"); },
       "Need to have a BUILD.INF file in this directory with the first line specifying the build "
       "directory"},
      {"an empty BUILD.INF", [&] { WriteBytes(dir_ + "\\prog\\BUILD.INF", ""); },
       "Must be 1 line in BUILD.INF. This line should specify the build directory"},
      {"no loader in the library",
       [&] { platform::DeleteFile(dir_ + "\\lib\\VantorelLoadProgram.exe"); },
       "The loader program " + dir_ + "\\lib\\VantorelLoadProgram.exe was not found"},
      {"UseLoadingProgram False",
       [&] {
         AttachForm(apps + "vtsetup.exe",
                    Replace(Form(), "UseLoadingProgram = True", "UseLoadingProgram = False"),
                    program_);
       },
       "Cannot build a stand alone executable if the UseLoadingProgram property of the TInstall "
       "is set to False"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteBytes(dir_ + "\\prog\\BUILD.INF", dist_ + "\r\n");
    c.arrange();
    platform::DeleteFile(transcript_);
    EXPECT_EQ(RunProgram(program_, "-b"), 1u);
    const std::string shown = ReadAll(transcript_);
    EXPECT_NE(shown.find(Replace(c.message, "\\", "\\\\")), std::string::npos) << shown;
  }
}

}  // namespace
}  // namespace vantorel
