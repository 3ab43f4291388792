// `vantorel build`: what it refuses and with which exit code, and a build that goes through.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "apps/vantorel/commands.h"
#include "archive/compress.h"
#include "archive/deflate_stream.h"
#include "archive/self_extract.h"
#include "dist_fixture.h"
#include "framework/application.h"
#include "install/install.h"
#include "platform/files.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

using namespace dist_testing;

struct Result {
  int code;
  std::string out, err;
};

std::string Drain(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
  std::fclose(f);
  return text;
}

class BuildCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Reinitialize();
    dir_ = ChangeFileExt(GetTempFile(false), ".bld");
    ForceDirectories(dir_ + "\\lib");
    WriteBytes(dir_ + "\\lib\\VantorelLoadProgram.exe", std::string(20000, 'L'));
    WriteBytes(dir_ + "\\program.exe", std::string(3000, 'P'));
    WriteBytes(dir_ + "\\readme.txt", "read me");
    WriteBytes(dir_ + "\\not-an-engine.exe", "MZ and nothing else");
    form_ = dir_ + "\\project.vform";
    WriteBytes(form_,
               "object Form1: TForm1\n"
               "  object Install1: TInstall\n"
               "  end\n"
               "  object Readme: TInstallFile\n"
               "    Container = Install1\n"
               "    DestDirType = psContainerDestDir\n"
               "    ArchiveFileType = psContainerArchiveFile\n"
               "    FileName = 'readme.txt'\n"
               "    IncludeFromDir = '" +
                   dir_ +
                   "'\n"
                   "  end\n"
                   "  object psContainerDestDir: TpsContainerDestDir\n  end\n"
                   "  object psContainerArchiveFile: TpsContainerArchiveFile\n  end\n"
                   "  object psMainArchiveFile: TpsMainArchiveFile\n  end\n"
                   "  object psProgramFiles: TpsProgramFiles\n  end\n"
                   "end\n");
  }
  void TearDown() override {
    Application().Reinitialize();
    LibraryDirectoryOverride().clear();
  }
  Result Build(const Args& args) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const int code = BuildCommand(args, out, err);
    Result r{code, Drain(out), Drain(err)};
    Application().Reinitialize();
    return r;
  }
  std::string dir_, form_;
};

TEST_F(BuildCommandTest, RefusalsAndTheirExitCodes) {
  const std::string out = dir_ + "\\dist";
  WriteBytes(dir_ + "\\broken.vform",
             "object Form1: TForm1\n  object X: TNoSuchClass\n  end\nend\n");
  WriteBytes(dir_ + "\\empty.vform", "object Form1: TForm1\nend\n");
  struct Case {
    Args args;
    int code;
    const char* says;
  } cases[] = {
      {{form_}, kExitUsage, "-o DIR is required"},
      {{"-o", out}, kExitUsage, "no form given"},
      {{form_, "-o", out, "--fast"}, kExitUsage, "unknown option --fast"},
      {{form_, "-o", out, "--engine", "a", "--program", "b"}, kExitUsage, "exclude each other"},
      {{form_, "-o"}, kExitUsage, "-o needs a value"},
      {{dir_ + "\\missing.vform", "-o", out}, kExitFailed, "cannot read the file"},
      {{dir_ + "\\broken.vform", "-o", out}, kExitFormErrors, "TNoSuchClass"},
      {{dir_ + "\\empty.vform", "-o", out}, kExitFormErrors, "no install component"},
      {{form_, "-o", out, "--engine", dir_ + "\\not-an-engine.exe"},
       kExitFailed,
       "not a Windows program"},
      {{form_, "-o", out, "--program", dir_ + "\\missing.exe"}, kExitFailed, "was not found"},
      {{form_, "-o", out, "--jobs", "0"}, kExitUsage, "--jobs needs a number"},
      {{form_, "-o", out, "--jobs", "two"}, kExitUsage, "--jobs needs a number"},
      {{form_, "-o", out, "--deflate", "lzma"}, kExitUsage, "--deflate needs zlib or libdeflate"},
      {{form_, "-o", out, "--program", dir_ + "\\program.exe", "--library", dir_},
       kExitFailed,
       "VantorelLoadProgram.exe was not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    const Result r = Build(c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

TEST_F(BuildCommandTest, ABuildEndsWithItsSummary) {
  const std::string out = dir_ + "\\dist";
  const Result r = Build({form_, "-o", out, "--program", dir_ + "\\program.exe", "--library",
                          dir_ + "\\lib", "--self-extracting"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_NE(r.err.find("compressed readme.txt (7 bytes)"), std::string::npos) << r.err;
  EXPECT_NE(r.out.find("2 archives, 1 file, "), std::string::npos) << r.out;
  SelfExtractTrailer trailer;
  EXPECT_EQ(ReadSelfExtractTrailerOf(out + "\\setup.exe", trailer), TrailerProblem::None);
  EXPECT_EQ(trailer.setup_first, 20000);
  EXPECT_TRUE(trailer.HasFiles());
}

TEST_F(BuildCommandTest, ThreadsMakeTheSameDistributionWithTheSameProgress) {
  // Two groups with archives of their own and files at the root, of sizes around and far above
  // the engine's 64 KB buffer, text and noise.
  std::string objects;
  int id = 0;
  auto add_file = [&](const std::string& container, const std::string& name,
                      const std::string& bytes) {
    WriteBytes(dir_ + "\\src\\" + name, bytes);
    objects += "  object F" + std::to_string(id) + ": TInstallFile\n    Container = " + container +
               "\n    DestDirType = psContainerDestDir\n    ArchiveFileType = "
               "psContainerArchiveFile\n    FileName = '" +
               name + "'\n    IncludeFromDir = '" + dir_ +
               "\\src'\n    UniqueID = " + std::to_string(id) + "\n  end\n";
    ++id;
  };
  ForceDirectories(dir_ + "\\src");
  uint32_t seed = 7;
  auto noise = [&](size_t size) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>((seed = seed * 1103515245 + 12345) >> 16);
    return bytes;
  };
  for (int i = 0; i < 18; ++i) {
    const std::string container = i % 3 == 0 ? "Install1" : i % 3 == 1 ? "GroupA" : "GroupB";
    std::string name = "file";
    name += std::to_string(i);
    name += ".dat";
    std::string bytes = i % 2 == 0 ? noise(1000 + i * 23000) : std::string();
    for (int line = 0; i % 2 == 1 && line < 2000 * i; ++line) bytes += "a line of text\r\n";
    add_file(container, name, bytes);
  }
  const std::string form = dir_ + "\\many.vform";
  WriteBytes(form,
             "object Form1: TForm1\n  object Install1: TInstall\n  end\n"
             "  object GroupA: TInstallFileGroup\n    Container = Install1\n"
             "    DestDirType = psContainerDestDir\n    ArchiveFile = '\\a.1'\n"
             "    ArchiveFileType = psInstallSource\n  end\n"
             "  object GroupB: TInstallFileGroup\n    Container = Install1\n"
             "    DestDirType = psContainerDestDir\n    ArchiveFile = '\\b.1'\n"
             "    ArchiveFileType = psInstallSource\n  end\n" +
                 objects +
                 "  object psContainerDestDir: TpsContainerDestDir\n  end\n"
                 "  object psContainerArchiveFile: TpsContainerArchiveFile\n  end\n"
                 "  object psInstallSource: TpsInstallSource\n  end\n"
                 "  object psMainArchiveFile: TpsMainArchiveFile\n  end\n"
                 "  object psProgramFiles: TpsProgramFiles\n  end\n"
                 "end\n");
  std::vector<std::string> deflaters = {"zlib"};
  if (LibdeflateAvailable()) deflaters.push_back("libdeflate");
  const std::vector<std::string> parts = {"setup.exe", "setup.1", "files.1", "a.1", "b.1"};
  for (const std::string& deflate : deflaters) {
    SCOPED_TRACE(deflate);
    auto build = [&](const std::string& jobs) {
      const std::string out = dir_ + "\\dist-" + deflate + jobs;
      const Result r =
          Build({form, "-o", out, "--program", dir_ + "\\program.exe", "--library", dir_ + "\\lib",
                 "--self-extracting", "--jobs", jobs, "--deflate", deflate});
      EXPECT_EQ(r.code, kExitOk) << r.err;
      return r;
    };
    const Result one = build("1");
    EXPECT_NE(one.err.find("compressed file17.dat"), std::string::npos) << one.err;
    for (const std::string jobs : {"2", "5"}) {
      SCOPED_TRACE(jobs);
      const Result many = build(jobs);
      // The progress the build printed, file by file in the same order.
      EXPECT_EQ(many.err, one.err);
      for (const std::string& part : parts) {
        const std::string a = ReadBytes(dir_ + "\\dist-" + deflate + "1\\" + part);
        EXPECT_FALSE(a.empty()) << part;
        EXPECT_TRUE(a == ReadBytes(dir_ + "\\dist-" + deflate + jobs + "\\" + part)) << part;
      }
    }
  }
  if (deflaters.size() == 2) {
    // Other bytes, the same files: what libdeflate made installs like zlib's.
    EXPECT_FALSE(ReadBytes(dir_ + "\\dist-zlib1\\a.1") ==
                 ReadBytes(dir_ + "\\dist-libdeflate1\\a.1"));
    for (const char* part : {"a.1", "b.1", "files.1"}) {
      TVtrlCompress a(nullptr), b(nullptr);
      a.SetCompressedFile(dir_ + "\\dist-zlib1\\" + part);
      b.SetCompressedFile(dir_ + "\\dist-libdeflate1\\" + part);
      ASSERT_EQ(a.FileCount(), b.FileCount());
      TStrings names;
      for (int i = 0; i < a.FileCount(); ++i) {
        TlzhFileStats stats;
        a.GetFileStats(i, stats);
        names.Add(stats.FileName);
      }
      for (const auto& [engine, to] :
           {std::pair{&a, "\\x-zlib"}, std::pair{&b, "\\x-libdeflate"}}) {
        TStrings copy;
        copy.Assign(names);
        engine->SetExtractDirectory(dir_ + to);
        engine->SetFilesToProcess(copy);
        engine->Extract();
      }
    }
    for (int i = 0; i < 18; ++i) {
      std::string name = "\\file";
      name += std::to_string(i);
      name += ".dat";
      EXPECT_EQ(ReadBytes(dir_ + "\\x-libdeflate" + name), ReadBytes(dir_ + "\\src" + name));
      EXPECT_EQ(ReadBytes(dir_ + "\\x-zlib" + name), ReadBytes(dir_ + "\\src" + name));
    }
  }
}

}  // namespace
}  // namespace vantorel
