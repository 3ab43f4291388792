// The build side of the install component: the self-extract trailer byte for byte, the messages
// of a build that cannot be made, a self-extracting distribution built and installed with -e,
// the remote file list and the copy to floppies.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <optional>

#include "archive/compress.h"
#include "archive/self_extract.h"
#include "dist_fixture.h"
#include "framework/application.h"
#include "framework/headless/headless.h"
#include "framework/streaming.h"
#include "install/install.h"
#include "model/exceptions.h"
#include "model/install_file.h"
#include "model/net_location.h"
#include "platform/files.h"
#include "platform/system.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

using namespace dist_testing;

int32_t At32(const std::string& bytes, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(bytes[at + i]);
  return static_cast<int32_t>(v);
}

std::vector<std::string> MessageTexts() {
  auto* ui = dynamic_cast<headless::THeadlessBackend*>(&Application().Ui());
  std::vector<std::string> texts;
  if (ui == nullptr) return texts;
  for (auto& entry : headless::ParseTranscript(ui->Transcript()))
    if (entry.kind == "message" && !entry.Texts().empty()) texts.push_back(entry.Texts().front());
  return texts;
}

class Distribution : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Reinitialize();
    dir_ = ChangeFileExt(GetTempFile(false), ".dst");
    ASSERT_TRUE(platform::CreateDirectory(dir_));
    for (const char* sub : {"\\lib", "\\src", "\\prog", "\\out", "\\dest"})
      ASSERT_TRUE(platform::CreateDirectory(dir_ + sub));
    WriteBytes(dir_ + "\\lib\\VantorelLoadProgram.exe", Pattern(20000, 1));
    WriteBytes(dir_ + "\\prog\\setup-program.exe", Pattern(3000, 2));
    WriteBytes(dir_ + "\\src\\readme.txt", "read me, then install");
    WriteBytes(dir_ + "\\src\\tool.dll", Pattern(5000, 3));
    LibraryDirectoryOverride() = dir_ + "\\lib";
    SetupProgramPath() = dir_ + "\\prog\\setup-program.exe";
  }
  void TearDown() override {
    Application().Reinitialize();
    LibraryDirectoryOverride().clear();
    SharedArchiveEngine().SetOffset(0);
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    ClearTree(dir_);
  }

  // A project of two files in the main archive, installed into dest.
  std::string Form(const std::string& install_extra = "") const {
    return "object Form1: TForm1\n"
           "  object Install1: TInstall\n"
           "    DestDirType = nil\n"
           "    DestDir = '" +
           dir_ + "\\dest'\n" + install_extra +
           "  end\n"
           "  object Readme: TInstallFile\n"
           "    Container = Install1\n"
           "    DestDirType = psContainerDestDir\n"
           "    ArchiveFileType = psContainerArchiveFile\n"
           "    FileName = 'readme.txt'\n"
           "    IncludeFromDir = '" +
           dir_ + "\\src'\n" +
           "    UniqueID = 1\n"
           "  end\n"
           "  object Tool: TInstallFile\n"
           "    Container = Install1\n"
           "    DestDirType = psContainerDestDir\n"
           "    ArchiveFileType = psContainerArchiveFile\n"
           "    FileName = 'tool.dll'\n"
           "    IncludeFromDir = '" +
           dir_ + "\\src'\n" +
           "    UniqueID = 2\n"
           "  end\n"
           "  object psContainerDestDir: TpsContainerDestDir\n"
           "  end\n"
           "  object psContainerArchiveFile: TpsContainerArchiveFile\n"
           "  end\n"
           "  object psMainArchiveFile: TpsMainArchiveFile\n"
           "  end\n"
           "end\n";
  }
  // Loads `form` as the builder does (design mode) and returns its install component.
  TCustomInstall* LoadForBuild(const std::string& form) {
    TReadOptions options;
    options.source_name = "test.vform";
    options.design_mode = true;
    root_ = ReadForm(form, options);
    return dynamic_cast<TCustomInstall*>(InstallComponent()->AsContainer());
  }
  // Runs the install program's way: the command line, then the form's load and run.
  void Run(const std::string& form, std::vector<std::string> parameters) {
    root_.reset();
    CommandLineParameters() = std::move(parameters);
    TReadOptions options;
    options.source_name = "test.vform";
    Application().CreateFormFromText(form, options);
    Application().Run();
  }
  TCustomInstall* Install() const {
    return InstallComponent() ? dynamic_cast<TCustomInstall*>(InstallComponent()->AsContainer())
                              : nullptr;
  }
  static std::string LastMessage() {
    auto texts = MessageTexts();
    return texts.empty() ? "(no message)" : texts.back();
  }

  std::string dir_;
  std::unique_ptr<TComponent> root_;
};

TEST(SelfExtractTrailer, EncodesTheSignatureAndPositionsLittleEndian) {
  const std::string bytes = EncodeSelfExtractTrailer({20000, 20999, 0, 0});
  ASSERT_EQ(bytes.size(), 56u);
  EXPECT_EQ(bytes.substr(0, 16), std::string("\x0ESELFEXTRACTING\0", 16));
  EXPECT_EQ(bytes.substr(16, 8), std::string("\x20\x4E\0\0\x07\x52\0\0", 8));
  EXPECT_EQ(bytes.substr(24), std::string(32, '\0'));
}

TEST(SelfExtractTrailer, PositionsMustLieInOrderInsideTheFile) {
  struct Case {
    SelfExtractTrailer t;
    int64_t size;
    bool fits;
  } cases[] = {
      {{100, 199, 0, 0}, 256, true},       // setup.1 ends just before the trailer
      {{100, 200, 0, 0}, 256, false},      // ... one byte into it
      {{100, 199, 200, 299}, 356, true},   // files.1 right after setup.1
      {{100, 199, 199, 299}, 356, false},  // overlapping
      {{100, 199, 300, 250}, 356, false},  // last before first
      {{100, 199, 200, 300}, 356, false},  // past the end
      {{-1, 199, 0, 0}, 256, false},       // negative
      {{150, 100, 0, 0}, 256, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TrailerFitsFile(c.t, c.size), c.fits)
        << c.t.setup_first << " " << c.t.setup_last << " " << c.t.files_first << " "
        << c.t.files_last << " in " << c.size;
}

TEST_F(Distribution, SelfExtractingFileOfTheExamplesIsByteExact) {
  TForm form(nullptr);
  auto* install = new TInstall(&form);
  const std::string loader = Pattern(20000, 7), setup1 = Pattern(1000, 8), files1 = Pattern(500, 9);
  const std::string exe = dir_ + "\\out\\setup.exe", s1 = dir_ + "\\out\\setup.1",
                    f1 = dir_ + "\\out\\files.1";
  WriteBytes(exe, loader);
  WriteBytes(s1, setup1);
  install->MakeSelfExtractingExe(exe, s1, f1);  // no files.1
  std::string bytes = ReadBytes(exe);
  ASSERT_EQ(bytes.size(), 21056u);
  EXPECT_TRUE(bytes.substr(0, 20000) == loader);
  EXPECT_TRUE(bytes.substr(20000, 1000) == setup1);
  std::string trailer = bytes.substr(21000);
  EXPECT_EQ(trailer.substr(0, 16), std::string("\x0ESELFEXTRACTING\0", 16));
  EXPECT_EQ(At32(trailer, 16), 20000);
  EXPECT_EQ(At32(trailer, 20), 20999);
  EXPECT_EQ(At32(trailer, 24), 0);
  EXPECT_EQ(At32(trailer, 28), 0);
  EXPECT_EQ(trailer.substr(32), std::string(24, '\0'));

  WriteBytes(exe, loader);
  WriteBytes(f1, files1);
  install->MakeSelfExtractingExe(exe, s1, f1);
  bytes = ReadBytes(exe);
  ASSERT_EQ(bytes.size(), 21556u);
  EXPECT_TRUE(bytes.substr(21000, 500) == files1);
  SelfExtractTrailer read;
  ReadSelfExtractTrailer(exe, read);
  EXPECT_EQ(read.setup_first, 20000);
  EXPECT_EQ(read.setup_last, 20999);
  EXPECT_EQ(read.files_first, 21000);
  EXPECT_EQ(read.files_last, 21499);
}

TEST_F(Distribution, ASelfExtractingFileOf2GBIsRefusedBeforeAnythingIsWritten) {
  TForm form(nullptr);
  auto* install = new TInstall(&form);
  const std::string exe = dir_ + "\\out\\setup.exe", s1 = dir_ + "\\out\\setup.1",
                    f1 = dir_ + "\\out\\files.1";
  WriteBytes(exe, Pattern(20000, 7));
  WriteBytes(s1, Pattern(1000, 8));
  {
    // Sparse: 2 GB less 20,000 bytes, so that loader, archives and trailer pass 2^31 - 1.
    platform::File big = platform::File::Open(f1, platform::Access::Write, platform::kShareNone,
                                              platform::Disposition::CreateAlways);
    ASSERT_TRUE(big.IsOpen());
    ASSERT_GE(big.Seek((int64_t{1} << 31) - 20000 - 1, platform::SeekOrigin::Begin), 0);
    ASSERT_EQ(big.Write("x", 1), 1);
  }
  try {
    install->MakeSelfExtractingExe(exe, s1, f1);
    ADD_FAILURE() << "joined";
  } catch (const IEInstall& e) {
    EXPECT_NE(e.Message().find("must stay below 2 GB"), std::string::npos) << e.Message();
  }
  uint64_t size = 0;
  EXPECT_TRUE(platform::GetFileSize(exe, size));
  EXPECT_EQ(size, 20000u);
  platform::DeleteFile(f1);
}

TEST_F(Distribution, DamagedTrailersGiveTheExtractionInfoMessage) {
  const std::string exe = dir_ + "\\out\\setup.exe";
  const std::string good = Pattern(200, 4) + EncodeSelfExtractTrailer({100, 199, 0, 0});
  auto flip = [](std::string s, size_t at) {
    s[at] = static_cast<char>(s[at] ^ 0x40);
    return s;
  };
  const std::string damaged[] = {
      std::string(55, 'x'),                                             // shorter than a trailer
      good.substr(0, good.size() - 1),                                  // cut by 1 byte
      good.substr(0, good.size() - 57),                                 // cut by 57 bytes
      flip(good, 200 + 3),                                              // signature
      Pattern(200, 4) + EncodeSelfExtractTrailer({100, 250, 0, 0}),     // into the trailer
      Pattern(200, 4) + EncodeSelfExtractTrailer({50, 120, 100, 199}),  // overlapping
  };
  for (const std::string& bytes : damaged) {
    WriteBytes(exe, bytes);
    SelfExtractTrailer t;
    try {
      ReadSelfExtractTrailer(exe, t);
      ADD_FAILURE() << "read a trailer from " << bytes.size() << " bytes";
    } catch (const IEInstall& e) {
      EXPECT_EQ(e.Message(), "Could not read the extraction info from the archive file " + exe +
                                 " when trying to find the correct offset into the self "
                                 "extracting file");
    }
  }
  platform::DeleteFile(exe);
  SelfExtractTrailer t;
  EXPECT_THROW(ReadSelfExtractTrailer(exe, t), IEInstall);
}

TEST_F(Distribution, BuildWritesTheLoaderSetupArchiveAndMainArchive) {
  TCustomInstall* install =
      LoadForBuild(Form("    PresetupFiles.Strings = (\n      '" + dir_ + "\\src\\tool.dll')\n"));
  const std::string out = dir_ + "\\out";
  install->Build(SetupProgramPath(), out, false);
  EXPECT_TRUE(ReadBytes(out + "\\setup.exe") == Pattern(20000, 1));
  TVtrlCompress engine(nullptr);
  engine.SetCompressedFile(out + "\\setup.1");
  ASSERT_EQ(engine.FileCount(), 2);
  TlzhFileStats stats;
  engine.GetFileStats(0, stats);
  EXPECT_EQ(ExtractFileName(stats.FileName), "setup-program.exe");  // the program comes first
  engine.GetFileStats(1, stats);
  EXPECT_EQ(ExtractFileName(stats.FileName), "tool.dll");
  engine.SetCompressedFile(out + "\\files.1");
  EXPECT_EQ(engine.FileCount(), 2);
  EXPECT_FALSE(platform::FileExists(out + "\\setup-program.exe"));
}

TEST_F(Distribution, SelfExtractingBuildInstallsFromInsideTheSetupFile) {
  const std::string out = dir_ + "\\out";
  LoadForBuild(Form())->Build(SetupProgramPath(), out, true);
  root_.reset();
  const std::string exe = out + "\\setup.exe";
  SelfExtractTrailer trailer;
  ReadSelfExtractTrailer(exe, trailer);
  EXPECT_EQ(trailer.setup_first, 20000);
  ASSERT_TRUE(trailer.HasFiles());
  // The separate archives stay; the install reads the copy inside setup.exe.
  ASSERT_TRUE(platform::DeleteFile(out + "\\files.1"));

  Run(Form(), {"-s" + out, "-esetup.exe"});
  ASSERT_EQ(Install()->Outcome(), TInstallOutcome::Installed)
      << testing::PrintToString(MessageTexts());
  EXPECT_EQ(ReadBytes(dir_ + "\\dest\\readme.txt"), "read me, then install");
  EXPECT_TRUE(ReadBytes(dir_ + "\\dest\\tool.dll") == Pattern(5000, 3));
  uint32_t stamp = 0;
  EXPECT_TRUE(platform::GetFileDosDateTime(dir_ + "\\dest\\tool.dll", stamp));
  EXPECT_EQ(stamp, 0x5A8B6000u);
}

// Without a files.1 the trailer holds zeros for it, and the run reads its main archive from the
// start of setup.exe; the files of a group with an archive of its own come from beside it.
TEST_F(Distribution, WithoutAMainArchiveTheRunReadsFromOffsetZero) {
  const std::string form =
      "object Form1: TForm1\n"
      "  object Install1: TInstall\n"
      "    DestDirType = nil\n"
      "    DestDir = '" +
      dir_ +
      "\\dest'\n"
      "  end\n"
      "  object Docs: TInstallFileGroup\n"
      "    Container = Install1\n"
      "    DestDirType = psContainerDestDir\n"
      "    ArchiveFile = '\\docs.1'\n"
      "    ArchiveFileType = psInstallSource\n"
      "  end\n"
      "  object Readme: TInstallFile\n"
      "    Container = Docs\n"
      "    DestDirType = psContainerDestDir\n"
      "    ArchiveFileType = psContainerArchiveFile\n"
      "    FileName = 'readme.txt'\n"
      "    IncludeFromDir = '" +
      dir_ +
      "\\src'\n"
      "    UniqueID = 1\n"
      "  end\n"
      "  object psContainerDestDir: TpsContainerDestDir\n  end\n"
      "  object psContainerArchiveFile: TpsContainerArchiveFile\n  end\n"
      "  object psInstallSource: TpsInstallSource\n  end\n"
      "  object psMainArchiveFile: TpsMainArchiveFile\n  end\n"
      "end\n";
  const std::string out = dir_ + "\\out";
  LoadForBuild(form)->Build(SetupProgramPath(), out, true);
  root_.reset();
  ASSERT_FALSE(platform::FileExists(out + "\\files.1"));
  const std::string bytes = ReadBytes(out + "\\setup.exe");
  ASSERT_GE(bytes.size(), 56u);
  EXPECT_EQ(At32(bytes, bytes.size() - 56 + 24), 0);
  EXPECT_EQ(At32(bytes, bytes.size() - 56 + 28), 0);

  SharedArchiveEngine().SetOffset(12345);  // what an earlier run might have left
  Run(form, {"-s" + out, "-esetup.exe"});
  ASSERT_EQ(Install()->Outcome(), TInstallOutcome::Installed)
      << testing::PrintToString(MessageTexts());
  EXPECT_EQ(SharedArchiveEngine().Offset(), 0);
  EXPECT_EQ(ReadBytes(dir_ + "\\dest\\readme.txt"), "read me, then install");
}

TEST_F(Distribution, RunWithACutSetupFileFailsWithTheExtractionInfoMessage) {
  const std::string out = dir_ + "\\out";
  LoadForBuild(Form())->Build(SetupProgramPath(), out, true);
  root_.reset();
  const std::string exe = out + "\\setup.exe";
  const std::string bytes = ReadBytes(exe);
  WriteBytes(exe, bytes.substr(0, bytes.size() - 1));
  Run(Form(), {"-s" + out, "-esetup.exe"});
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Failed);
  EXPECT_NE(LastMessage().find("Could not read the extraction info from the archive file " + exe),
            std::string::npos);
  EXPECT_FALSE(platform::FileExists(dir_ + "\\dest\\readme.txt"));

  // A file shorter than a trailer passed with -e.
  WriteBytes(exe, std::string(55, 'x'));
  Application().Reinitialize();
  Run(Form(), {"-s" + out, "-esetup.exe"});
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Failed);
  EXPECT_NE(LastMessage().find("Could not read the extraction info from the archive file " + exe),
            std::string::npos)
      << LastMessage();
}

TEST_F(Distribution, BuildRefusals) {
  const std::string out = dir_ + "\\out\\refused";
  struct Case {
    const char* what;
    std::string install_extra;
    std::function<void()> before;
    bool self_extracting;
    std::string message;
  } cases[] = {
      {"self-extracting without the loader", "    UseLoadingProgram = False\n", [] {}, true,
       "Cannot build a stand alone executable if the UseLoadingProgram property of the TInstall "
       "is set to False"},
      {"no loader in the library", "",
       [this] { platform::DeleteFile(dir_ + "\\lib\\VantorelLoadProgram.exe"); }, false,
       "The loader program " + dir_ + "\\lib\\VantorelLoadProgram.exe was not found"},
      {"no library at all", "", [] { LibraryDirectoryOverride().clear(); }, false,
       "The HKEY_LOCAL_MACHINE | \\Software\\Corvane\\T32V35 key in the registry is either "
       "missing or points to an invalid Vantorel directory"},
      {"no install program", "", [this] { platform::DeleteFile(SetupProgramPath()); }, false,
       "TInstall: Cannot find the executable file " + dir_ + "\\prog\\setup-program.exe"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    TCustomInstall* install = LoadForBuild(Form(c.install_extra));
    c.before();
    try {
      install->Build(SetupProgramPath(), out, c.self_extracting);
      ADD_FAILURE() << "built";
    } catch (const IEInstall& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    root_.reset();
    if (std::string(c.what) == "self-extracting without the loader") {
      EXPECT_FALSE(platform::FileExists(out)) << "written before the refusal";
    }
    WriteBytes(dir_ + "\\lib\\VantorelLoadProgram.exe", Pattern(20000, 1));
    WriteBytes(SetupProgramPath(), Pattern(3000, 2));
    LibraryDirectoryOverride() = dir_ + "\\lib";
  }
}

TEST_F(Distribution, BuildModeReadsBuildInfBesideTheProgram) {
  const std::string inf = dir_ + "\\prog\\BUILD.INF";
  struct Case {
    const char* what;
    std::optional<std::string> text;
    std::string message;
  } cases[] = {
      {"missing", std::nullopt,
       "Need to have a BUILD.INF file in this directory with the first line specifying the build "
       "directory"},
      {"empty", "", "Must be 1 line in BUILD.INF. This line should specify the build directory"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Application().Reinitialize();
    platform::DeleteFile(inf);
    if (c.text) WriteBytes(inf, *c.text);
    Run(Form(), {"-b"});
    EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Failed);
    EXPECT_EQ(LastMessage(), c.message);
    EXPECT_TRUE(Application().Terminated());
  }
  Application().Reinitialize();
  WriteBytes(inf, dir_ + "\\out\\built\r\nignored\r\n");
  Run(Form(), {"-b"});
  EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Installed)
      << testing::PrintToString(MessageTexts());
  SelfExtractTrailer t;
  ReadSelfExtractTrailer(dir_ + "\\out\\built\\setup.exe", t);
  EXPECT_TRUE(t.HasFiles());
}

class TestLocation : public TCustomNetInstallLocation {
 public:
  using TCustomNetInstallLocation::TCustomNetInstallLocation;
  std::string Hostname() const override { return "downloads.example.com"; }
  std::string Directory() const override { return "/product"; }
};

TEST_F(Distribution, WebBuildWritesTheRemoteFileList) {
  TCustomInstall* install = LoadForBuild(Form());
  auto* location = new TestLocation(root_.get());
  location->SetName("Web");
  install->SetNetLocation(location);
  install->SetDistributeType(dtWeb);
  install->Build(SetupProgramPath(), dir_ + "\\out", false);
  const std::string net = dir_ + "\\out\\" + RemoveBackslash(NetPath(install));
  const std::string list = ReadBytes(net + "\\filelist.lst");
  ASSERT_EQ(list.size(), 4u + 2 * 72) << net;
  EXPECT_EQ(At32(list, 0), 2);
  EXPECT_EQ(At32(list, 4), 21);  // readme.txt
  EXPECT_EQ(list.substr(16, 7), std::string("Readme\0", 7));
  EXPECT_EQ(At32(list, 76), 5000);
  EXPECT_EQ(list.substr(88, 5), std::string("Tool\0", 5));
  // The install run's reader gives every file what the list says.
  for (TCustomInstallFile* f : AllInstallFiles()) f->SetArchiveInformation(0, 0, "");
  ApplyRemoteFileList(net + "\\filelist.lst");
  for (TCustomInstallFile* f : AllInstallFiles()) EXPECT_GT(f->Size(), 0) << f->Name();
}

// Drive A: is a folder here (VANTOREL_DRIVE_A natively; under Wine unit tests get no drive A:):
// the copy of setup.exe and setup.1 block by block, and files.1 spanned onto the disk.
TEST_F(Distribution, FloppyTransferCopiesSetupInBlocksOf8K) {
#ifdef _WIN32
  GTEST_SKIP() << "drive A: is mapped to a folder only by the native backend here; the Wine "
                  "test of the loader covers floppies";
#endif
  const std::string floppy = dir_ + "\\floppy";
  ASSERT_TRUE(platform::CreateDirectory(floppy));
  platform::SetEnv("VANTOREL_DRIVE_A", platform::NativePath(floppy));
  for (size_t size : {size_t{8192}, size_t{8193}}) {
    SCOPED_TRACE(size);
    Application().Reinitialize();
    const std::string out = dir_ + "\\out";
    const std::string loader = Pattern(20000, 5), setup1 = Pattern(size, 6);
    WriteBytes(out + "\\setup.exe", loader);
    WriteBytes(out + "\\setup.1", setup1);
    {
      TForm form(nullptr);
      auto* install = new TInstall(&form);
      TVtrlCompress engine(nullptr);
      engine.SetCompressedFile(out + "\\files.1");
      TStringList files;
      files.Add(dir_ + "\\src\\tool.dll");
      engine.SetFilesToProcess(files);
      engine.Compress(lzcOverwrite, 2);
      install->MakeSelfExtractingExe(out + "\\setup.exe", out + "\\setup.1", out + "\\files.1");
    }
    Run(Form(), {"-f", "-esetup.exe", "-s" + out});
    EXPECT_EQ(Install()->Outcome(), TInstallOutcome::Installed)
        << testing::PrintToString(MessageTexts());
    EXPECT_EQ(Install()->FloppyBlocksOfSetup(), size == 8192 ? 1 : 2);
    EXPECT_TRUE(ReadBytes(floppy + "\\setup.exe") == loader);
    EXPECT_TRUE(ReadBytes(floppy + "\\setup.1") == setup1);
    // files.1 becomes a volume set of one disk: its files read back as they went in.
    TVtrlCompress engine(nullptr);
    engine.SetCompressedFile(floppy + "\\files.1");
    ASSERT_EQ(engine.FileCount(), 1);
    TStringList names;
    names.Add(dir_ + "\\src\\tool.dll");
    engine.SetFilesToProcess(names);
    engine.SetExtractDirectory(dir_ + "\\dest");
    engine.Extract();
    EXPECT_TRUE(ReadBytes(dir_ + "\\dest\\tool.dll") == Pattern(5000, 3));
  }
  platform::SetEnv("VANTOREL_DRIVE_A", std::nullopt);
}

}  // namespace
}  // namespace vantorel
