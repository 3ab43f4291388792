// `vantorel check` and `vantorel program`: what they accept, what they refuse, and their exit
// codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "apps/vantorel/commands.h"
#include "framework/application.h"
#include "install/attached_form.h"
#include "platform/files.h"
#include "platform/system.h"

namespace vantorel {
namespace {

struct Outcome {
  int code;
  std::string out, err;
};

std::string Drain(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  return text;
}

Outcome Call(int (*command)(const Args&, std::FILE*, std::FILE*), const Args& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int code = command(args, out, err);
  return {code, Drain(out), Drain(err)};
}

bool Write(const std::string& path, const std::string& bytes) {
  platform::File f = platform::File::Open(path, platform::Access::Write, platform::kShareRead,
                                          platform::Disposition::CreateAlways);
  return f.IsOpen() && f.Write(bytes.data(), bytes.size()) == static_cast<int64_t>(bytes.size());
}

std::string Read(const std::string& path) {
  std::string text;
  return ReadTextFile(path, text) ? text : "(unreadable)";
}

const char kForm[] =
    "object Form1: TForm1\n"
    "  object Label1: TLabel\n"
    "    Caption = 'Hello'\n"
    "  end\n"
    "end\n";

// A folder of its own under the temporary folder, which is also the current directory while the
// test runs, so that relative names can be tried.
class FormCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Reinitialize();
    dir_ = platform::GetTempPath() + "vtforms" + std::to_string(platform::CurrentProcessId());
    Clean();
    ASSERT_TRUE(platform::CreateDirectory(dir_)) << dir_;
    ASSERT_TRUE(platform::CreateDirectory(dir_ + "\\sub"));
    saved_cwd_ = platform::GetCurrentDirectory();
    ASSERT_TRUE(platform::SetCurrentDirectory(dir_));
    ASSERT_TRUE(Write(Path("form.vform"), kForm));
  }
  void TearDown() override {
    platform::SetCurrentDirectory(saved_cwd_);
    Clean();
    Application().Reinitialize();
  }
  void Clean() {
    std::vector<platform::DirEntry> entries;
    for (const char* sub : {"\\sub", ""}) {
      std::string folder = dir_ + sub;
      if (platform::ListDirectory(folder, "*", entries))
        for (const auto& e : entries)
          if (!(e.attributes & platform::kAttrDirectory))
            platform::DeleteFile(folder + "\\" + e.name);
      platform::RemoveDirectory(folder);
    }
  }
  std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

  // A sample program of engine_samples/ (tests/install/engine_samples.cmake).
  std::string Sample(const std::string& name) {
    auto samples = platform::GetEnv("VANTOREL_ENGINE_SAMPLES");
    if (!samples) {
      if (platform::GetEnv("CI").value_or("") == "true")
        ADD_FAILURE() << "VANTOREL_ENGINE_SAMPLES is not set";
      return "";
    }
    return *samples + "\\" + name;
  }

  std::string dir_, saved_cwd_;
};

TEST_F(FormCommands, AMissingFormIsAFileThatCouldNotBeRead) {
  Outcome check = Call(CheckCommand, {Path("none.vform")});
  EXPECT_EQ(check.code, kExitFailed);
  EXPECT_NE(check.err.find("none.vform: cannot read the file"), std::string::npos) << check.err;

  Outcome program =
      Call(ProgramCommand, {Path("none.vform"), "-o", Path("setup.exe"), "--engine", Path("e")});
  EXPECT_EQ(program.code, kExitFailed);
  EXPECT_NE(program.err.find("none.vform: cannot read the file"), std::string::npos) << program.err;

  // A form that reads but has errors stays exit code 1.
  ASSERT_TRUE(Write(Path("bad.vform"), "object Form1: TForm1\n  Nonsense = 1\nend\n"));
  EXPECT_EQ(Call(CheckCommand, {Path("bad.vform")}).code, kExitFormErrors);
  EXPECT_EQ(Call(ProgramCommand, {Path("bad.vform"), "-o", Path("setup.exe")}).code,
            kExitFormErrors);
}

// A device or a folder is no form: /dev/zero would be read until memory ran out.
TEST_F(FormCommands, OnlyAFileOnADiskIsReadAsAForm) {
#ifdef _WIN32
  const std::vector<std::string> others = {"NUL", dir_ + "\\sub"};
#else
  const std::vector<std::string> others = {"/dev/zero", "/dev/null", dir_ + "/sub"};
#endif
  for (const std::string& other : others) {
    Outcome check = Call(CheckCommand, {other});
    EXPECT_EQ(check.code, kExitFailed) << other;
    EXPECT_NE(check.err.find("cannot read the file"), std::string::npos) << other << check.err;
  }
}

TEST_F(FormCommands, OnlyTheInstallProgramIsAnEngine) {
  std::string marked = Sample("marked.exe"), plain = Sample("plain.exe");
  if (marked.empty()) GTEST_SKIP() << "no sample programs (VANTOREL_ENGINE_SAMPLES)";
  ASSERT_TRUE(Write(Path("garbage.exe"), "MZ but nothing of a program follows this line"));
  ASSERT_TRUE(Write(Path("empty.exe"), ""));
  struct Case {
    std::string engine;
    std::string problem;  // "" when it is accepted
  } cases[] = {
      {Path("garbage.exe"), "not a Windows program"},
      {Path("empty.exe"), "not a Windows program"},
      {Path("missing.exe"), "cannot read the file"},
      {Path("form.vform"), "not a Windows program"},
      {plain, "not the install program"},
      {marked, ""},
  };
  for (const Case& c : cases) {
    platform::DeleteFile(Path("setup.exe"));
    Outcome r = Call(ProgramCommand, {"form.vform", "-o", "setup.exe", "--engine", c.engine});
    if (c.problem.empty()) {
      EXPECT_EQ(r.code, kExitOk) << c.engine << ": " << r.err;
      EXPECT_EQ(ReadAppendedForm(Path("setup.exe")).value_or(""), kForm);
    } else {
      EXPECT_EQ(r.code, kExitFailed) << c.engine;
      EXPECT_NE(r.err.find(c.problem), std::string::npos) << c.engine << ": " << r.err;
      EXPECT_FALSE(platform::FileExists(Path("setup.exe"))) << c.engine;
    }
  }
}

TEST_F(FormCommands, TheRealInstallProgramIsAnEngine) {
  auto engine = platform::GetEnv("VANTOREL_ENGINE");
  if (!engine) GTEST_SKIP() << "the win64 tree hands its vtsetup.exe over (VANTOREL_ENGINE)";
  Outcome r = Call(ProgramCommand, {"form.vform", "-o", "setup.exe", "--engine", *engine});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(ReadAppendedForm(Path("setup.exe")).value_or(""), kForm);
  // A project's install program can serve as the engine of another: its form is replaced.
  ASSERT_TRUE(Write(Path("sub\\other.vform"), "object Form2: TForm1\nend\n"));
  r = Call(ProgramCommand, {"sub\\other.vform", "-o", "other.exe", "--engine", "setup.exe"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  EXPECT_EQ(ReadAppendedForm(Path("other.exe")).value_or(""), "object Form2: TForm1\nend\n");
}

TEST_F(FormCommands, TheOutputIsNeverTheFormNorTheEngine) {
  ASSERT_TRUE(Write(Path("engine.exe"), "an engine"));
  // Each spelling names form.vform (in the current folder) or engine.exe.
  const char* forms[] = {"form.vform", "./form.vform", "sub/../form.vform", "sub\\..\\form.vform",
                         ".//sub/./..//form.vform"};
  for (const char* spelling : forms) {
    for (const std::string& output : {std::string(spelling), Path(spelling)}) {
      Outcome r = Call(ProgramCommand, {"form.vform", "-o", output, "--engine", "engine.exe"});
      EXPECT_EQ(r.code, kExitUsage) << output;
      EXPECT_NE(r.err.find("is the form itself"), std::string::npos) << output << ": " << r.err;
      r = Call(ProgramCommand, {Path("form.vform"), "-o", output, "--engine", "engine.exe"});
      EXPECT_EQ(r.code, kExitUsage) << output;
    }
  }
  Outcome r =
      Call(ProgramCommand, {"form.vform", "-o", "sub/../engine.exe", "--engine", "engine.exe"});
  EXPECT_EQ(r.code, kExitUsage);
  EXPECT_NE(r.err.find("is the engine itself"), std::string::npos) << r.err;
  EXPECT_EQ(Read(Path("form.vform")), kForm);
  EXPECT_EQ(Read(Path("engine.exe")), "an engine");
  // A file of the same name in another folder is another file.
  ASSERT_TRUE(Write(Path("sub\\form.vform"), kForm));
  EXPECT_NE(
      Call(ProgramCommand, {"sub/form.vform", "-o", "form.vform", "--engine", "engine.exe"}).code,
      kExitUsage);
}

TEST_F(FormCommands, CheckPrintsTheTreeOfAFormOfManySiblings) {
  // Quadratic work here took minutes; the output is what is checked.
  constexpr int kSiblings = 16000;
  std::string text = "object Form1: TForm1\n";
  for (int i = 0; i < kSiblings; ++i)
    text +=
        "  object L" + std::to_string(i) + ": TLabel\n    Tag = " + std::to_string(i) + "\n  end\n";
  text += "end\n";
  ASSERT_TRUE(Write(Path("many.vform"), text));
  Outcome r = Call(CheckCommand, {"many.vform"});
  ASSERT_EQ(r.code, kExitOk) << r.err;
  std::string expected = "Form1: TForm1\n";
  for (int i = 0; i < kSiblings; ++i)
    expected += "  L" + std::to_string(i) + ": TLabel\n    Tag = " + std::to_string(i) + "\n";
  EXPECT_TRUE(r.out == expected) << r.out.substr(0, 300);
}

}  // namespace
}  // namespace vantorel
