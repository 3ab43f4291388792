// The posix registry's REGEDIT4 file: its exact text, sharing it with other processes, and
// refusing corrupt files.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/errors.h"
#include "platform/registry.h"
#include "scratch.h"

namespace vantorel::platform {
namespace {

using testing::EnvGuard;
using testing::Scratch;

std::string Slurp(const std::string& host) {
  std::ifstream in(host, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// What another process does: replace the file with new text.
void WriteFromOutside(const std::string& host, const std::string& text) {
  std::ofstream(host + ".other", std::ios::binary) << text;
  std::filesystem::rename(host + ".other", host);
}

// A registry file of its own in a fresh folder.
class RegistryFile : public ::testing::Test {
 protected:
  RegistryFile() { env_.Set("VANTOREL_REGISTRY", file_); }
  ~RegistryFile() override {
    env_.Set("VANTOREL_REGISTRY", folder_ + "/unused.reg");
    KeyExists(Root::CurrentUser, "x");  // lets go of the file before the folder goes
  }
  Scratch scratch_;
  std::string folder_ = NativePath(scratch_.path());
  std::string file_ = folder_ + "/registry.reg";
  EnvGuard env_;
};

TEST_F(RegistryFile, TextAfterWrites) {
  RegKey key = RegKey::Open(Root::CurrentUser, "Software\\Vt", true, true);
  ASSERT_TRUE(key.IsOpen());
  ASSERT_TRUE(key.WriteString("", "default"));
  ASSERT_TRUE(key.WriteString("Text", "a \"q\" \\ b"));
  ASSERT_TRUE(key.WriteDWord("Number", 10));
  ASSERT_TRUE(key.WriteBinary("Bytes", {1, 2, 0xFF}));
  ASSERT_TRUE(key.WriteExpandString("Expand", "%A%"));
  ASSERT_TRUE(key.WriteMultiString("Multi", {"a", "b"}));
  ASSERT_TRUE(key.WriteString("Break", "x\ny"));
  EXPECT_FALSE(std::filesystem::exists(file_)) << "written when the key is closed";
  key.Close();
  ASSERT_TRUE(RegKey::Open(Root::LocalMachine, "SOFTWARE\\Empty", true, false).IsOpen());

  EXPECT_EQ(Slurp(file_),
            "REGEDIT4\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software]\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Vt]\n"
            "@=\"default\"\n"
            "\"Text\"=\"a \\\"q\\\" \\\\ b\"\n"
            "\"Number\"=dword:0000000a\n"
            "\"Bytes\"=hex:01,02,ff\n"
            "\"Expand\"=hex(2):25,41,25,00\n"
            "\"Multi\"=hex(7):61,00,62,00,00\n"
            "\"Break\"=hex(1):78,0a,79,00\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Empty]\n"
            "\n");

  ASSERT_TRUE(DeleteKeyTree(Root::CurrentUser, "Software"));
  EXPECT_EQ(
      Slurp(file_),
      "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE]\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Empty]\n\n")
      << "a deletion is written at once";
}

TEST_F(RegistryFile, FlushWritesAndLeavesNoTemporaryFile) {
  RegKey key = RegKey::Open(Root::CurrentUser, "Software\\Vt", true, true);
  std::vector<uint8_t> long_data(40);
  for (size_t i = 0; i < long_data.size(); ++i) long_data[i] = static_cast<uint8_t>(i * 7);
  ASSERT_TRUE(key.WriteBinary("Long", long_data));
  ASSERT_TRUE(key.Flush());
  std::string text = Slurp(file_);
  EXPECT_NE(text.find("\"Long\"=hex:00,07,0e,"), std::string::npos) << text;
  EXPECT_NE(text.find(",\\\n  "), std::string::npos) << "long data continues on a new line";
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);

  for (int i = 0; i < 5; ++i) ASSERT_TRUE(key.WriteDWord("n" + std::to_string(i), i));
  key.Close();
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder_))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{"registry.reg"});

  WriteFromOutside(file_, Slurp(file_));  // the same text, read again from the file
  key = RegKey::Open(Root::CurrentUser, "Software\\Vt", false, false);
  std::vector<uint8_t> data;
  ASSERT_TRUE(key.ReadBinary("Long", data));
  EXPECT_EQ(data, long_data);
}

TEST_F(RegistryFile, SeesWhatAnotherProcessWrote) {
  RegKey mine = RegKey::Open(Root::CurrentUser, "Software\\Mine", true, true);
  ASSERT_TRUE(mine.WriteString("A", "from this process"));
  ASSERT_TRUE(mine.Flush());
  ASSERT_TRUE(mine.WriteString("B", "not yet written"));

  WriteFromOutside(
      file_, Slurp(file_) + "[HKEY_CURRENT_USER\\Software\\Theirs]\n\"C\"=\"from the other\"\n");
  RegKey theirs = RegKey::Open(Root::CurrentUser, "software\\theirs", false, false);
  ASSERT_TRUE(theirs.IsOpen()) << "the changed file is read again at open";
  std::string text;
  EXPECT_TRUE(theirs.ReadString("c", text));
  EXPECT_EQ(text, "from the other");
  EXPECT_TRUE(mine.ReadString("B", text)) << "changes not yet written survive the reload";
  EXPECT_EQ(text, "not yet written");

  mine.Close();
  std::string file = Slurp(file_);
  EXPECT_NE(file.find("\"A\"=\"from this process\""), std::string::npos) << file;
  EXPECT_NE(file.find("\"B\"=\"not yet written\""), std::string::npos) << file;
  EXPECT_NE(file.find("\"C\"=\"from the other\""), std::string::npos) << file;
}

TEST_F(RegistryFile, MissingFileIsAnEmptyRegistry) {
  EXPECT_FALSE(KeyExists(Root::LocalMachine, "SOFTWARE"));
  EXPECT_FALSE(RegKey::Open(Root::LocalMachine, "SOFTWARE", false, false).IsOpen());
  EXPECT_FALSE(std::filesystem::exists(file_)) << "reading writes nothing";
}

TEST_F(RegistryFile, CorruptFilesAreReportedWithFileAndLine) {
  struct Case {
    const char* what;
    std::string text;
    int line;
  } cases[] = {
      {"bad header", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\X]\n", 1},
      {"empty file", "", 1},
      {"garbage line", "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"A\"=\"ok\"\ngarbage\n", 5},
      {"bad dword", "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"A\"=dword:xyz\n", 4},
      {"long dword", "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"A\"=dword:123456789\n", 4},
      {"bad hex", "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"A\"=hex:01,zz,03\n", 4},
      {"bad continued hex", "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"A\"=hex:01,\\\n  0g\n", 4},
      {"unterminated value", "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"A\"=\"abc\n", 4},
      {"unterminated name", "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"A=\"abc\"\n", 4},
      {"unknown root", "REGEDIT4\n\n[HKEY_NOWHERE\\X]\n", 3},
      {"value before a key", "REGEDIT4\n\n\"A\"=\"abc\"\n", 3},
      {"unclosed key", "REGEDIT4\n\n[HKEY_CURRENT_USER\\X\n", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    WriteFromOutside(file_, c.text);
    std::string message;
    try {
      RegKey::Open(Root::CurrentUser, "X", true, true);
    } catch (const PlatformError& e) {
      message = e.what();
    }
    EXPECT_NE(message.find(file_), std::string::npos) << message;
    EXPECT_NE(message.find("line " + std::to_string(c.line) + ":"), std::string::npos) << message;
    EXPECT_THROW(KeyExists(Root::CurrentUser, "X"), PlatformError) << "every time, not once";
    EXPECT_EQ(Slurp(file_), c.text) << "a corrupt file is left as it is";
  }
}

TEST(RegistryLocation, DefaultsToTheHomeFolder) {
  Scratch home;
  EnvGuard env;
  env.Set("VANTOREL_REGISTRY", std::nullopt);
  env.Set("HOME", NativePath(home.path()));
  ASSERT_TRUE(RegKey::Open(Root::CurrentUser, "Software\\Home", true, true).IsOpen());
  EXPECT_TRUE(std::filesystem::exists(NativePath(home / ".vantorel\\registry.reg")));
  env.Set("VANTOREL_REGISTRY", NativePath(home / "elsewhere.reg"));
  EXPECT_FALSE(KeyExists(Root::CurrentUser, "Software\\Home"));
}

}  // namespace
}  // namespace vantorel::platform
#endif
