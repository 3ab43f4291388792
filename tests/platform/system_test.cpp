#include "platform/system.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/files.h"
#include "scratch.h"

namespace vantorel::platform {
namespace {

using testing::EnvGuard;
using testing::Quoted;
using testing::ReadText;
using testing::Scratch;
using testing::WriteText;

TEST(System, OsVersion) {
  OsVersion version;
  ASSERT_TRUE(GetOsVersion(version));
  EXPECT_EQ(version.platform_id, 2u) << "the NT family";
  EXPECT_GE(version.major, 5u);
#ifndef _WIN32
  EXPECT_EQ(version.major, 6u);
  EXPECT_EQ(version.minor, 1u);
  EXPECT_EQ(version.build, 7601u);
  EXPECT_EQ(version.service_pack, "Service Pack 1");
#endif
}

TEST(System, UserLanguage) {
  uint16_t id = GetUserDefaultLangID();
  EXPECT_NE(id & 0x3FF, 0) << "a primary language";
#ifndef _WIN32
  EnvGuard env;
  env.Set("LC_ALL", std::nullopt);
  env.Set("LC_MESSAGES", std::nullopt);
  env.Set("LANG", "de_DE.UTF-8");
  EXPECT_EQ(GetUserDefaultLangID(), 0x0407);
  env.Set("LC_MESSAGES", "fr_CA");
  EXPECT_EQ(GetUserDefaultLangID(), 0x0C0C);
  env.Set("LC_ALL", "ja_JP");
  EXPECT_EQ(GetUserDefaultLangID(), 0x0411);
  env.Set("LC_ALL", std::nullopt);
  env.Set("LC_MESSAGES", std::nullopt);
  env.Set("LANG", std::nullopt);
  EXPECT_EQ(GetUserDefaultLangID(), 0x0409);
#endif
}

TEST(System, Environment) {
  EnvGuard env;
  const std::string name = "VANTOREL_TEST_" + std::to_string(CurrentProcessId());
  EXPECT_EQ(GetEnv(name), std::nullopt);
  env.Set(name, "value with spaces");
  EXPECT_EQ(GetEnv(name), "value with spaces");
  env.Set(name, "");
  EXPECT_EQ(GetEnv(name), "") << "set but empty is not missing";
  env.Set(name, std::nullopt);
  EXPECT_EQ(GetEnv(name), std::nullopt);
  EXPECT_NE(CurrentProcessId(), 0u);
  EXPECT_EQ(CurrentProcessId(), CurrentProcessId());
}

bool WaitForFile(const std::string& path) {
  for (uint64_t start = TickCount(); TickCount() - start < 20000; SleepMs(20))
    if (FileExists(path) && !ReadText(path).empty()) return true;
  return false;
}

TEST(System, StartProgramDoesNotWait) {
  Scratch dir;
  std::string marker = dir / "started.txt";
#ifdef _WIN32
  std::string command = "cmd.exe /c echo started> \"" + marker + "\"";
#else
  std::string command = "sleep 1; echo started > '" + NativePath(marker) + "'";
#endif
  ASSERT_TRUE(StartProgram(command, false)) << LastError();
#ifndef _WIN32
  EXPECT_FALSE(FileExists(marker)) << "returned before the program ended";
#endif
  ASSERT_TRUE(WaitForFile(marker));
  EXPECT_EQ(ReadText(marker).substr(0, 7), "started");
#ifdef _WIN32
  EXPECT_FALSE(StartProgram("no-such-program-vantorel.exe", true));
  EXPECT_EQ(LastError(), kErrorFileNotFound);
#else
  std::string shown = dir / "shown.txt";
  ASSERT_TRUE(StartProgram("echo shown > '" + NativePath(shown) + "'", true));
  EXPECT_TRUE(WaitForFile(shown));
#endif
}

TEST(System, StartProgramAndWaitGivesTheExitCode) {
  Scratch dir;
  std::string marker = dir / "done.txt";
  uint32_t code = 99;
#ifdef _WIN32
  struct Case {
    std::string command;
    uint32_t code;
  } cases[] = {
      {"cmd.exe /c exit 0", 0},
      {"cmd.exe /c exit 3", 3},
      {"cmd.exe /c echo done> " + Quoted(marker), 0},
  };
#else
  struct Case {
    std::string command;
    uint32_t code;
  } cases[] = {
      {"true", 0},
      {"exit 3", 3},
      {"sleep 0.1; echo done > '" + NativePath(marker) + "'", 0},
      {"no-such-program-vantorel", 127},
      {"kill -9 $$", 128 + 9},
  };
#endif
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    code = 99;
    EXPECT_TRUE(StartProgramAndWait(c.command, false, 20000, code)) << LastError();
    EXPECT_EQ(LastError(), kErrorSuccess);
    EXPECT_EQ(code, c.code);
  }
  EXPECT_EQ(ReadText(marker).substr(0, 4), "done") << "it waited for the program to end";
#ifdef _WIN32
  EXPECT_FALSE(StartProgramAndWait("no-such-program-vantorel.exe", false, 1000, code));
  EXPECT_EQ(LastError(), kErrorFileNotFound);
#else
  uint64_t start = TickCount();
  EXPECT_FALSE(StartProgramAndWait("sleep 2", true, 50, code));
  EXPECT_EQ(LastError(), kErrorWaitTimeout);
  EXPECT_LT(TickCount() - start, 1500u) << "it gave up at the timeout";
#endif
}

TEST(System, Libraries) {
#ifdef _WIN32
  Library kernel = Library::Load("kernel32.dll");
  ASSERT_TRUE(kernel.IsLoaded());
  EXPECT_NE(kernel.Symbol("GetTickCount"), nullptr);
  EXPECT_EQ(kernel.Symbol("NoSuchEntryPoint"), nullptr);
  EXPECT_EQ(LastError(), kErrorProcNotFound);
  Library moved = std::move(kernel);
  EXPECT_FALSE(kernel.IsLoaded());
  EXPECT_TRUE(moved.IsLoaded());
  moved.Free();
  EXPECT_FALSE(moved.IsLoaded());
#endif
  Library missing = Library::Load("no-such-library-vantorel.dll");
  EXPECT_FALSE(missing.IsLoaded());
  EXPECT_EQ(LastError(), kErrorModNotFound);
  EXPECT_EQ(missing.Symbol("Anything"), nullptr);
}

TEST(System, TicksAndSleep) {
  uint64_t before = TickCount();
  SleepMs(50);
  uint64_t after = TickCount();
  EXPECT_GE(after - before, 30u);  // coarse clocks tick in steps of up to 16 ms
}

TEST(Ini, ReadAndWrite) {
  Scratch dir;
  std::string file = dir / "setup.ini";
  EXPECT_EQ(ReadIniString(file, "Setup", "Name", "fallback"), "fallback");
  EXPECT_TRUE(WriteIniString(file, "Setup", "Name", "  My Program  "));
  EXPECT_TRUE(WriteIniString(file, "Setup", "Version", "1.0"));
  EXPECT_TRUE(WriteIniString(file, "Other", "Name", "other"));
  EXPECT_TRUE(WriteIniString(file, "SETUP", "VERSION", "2.0"));
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  } cases[] = {
      {"Setup", "Name", "My Program"}, {"setup", "NAME", "My Program"},
      {"Setup", "Version", "2.0"},     {"Other", "name", "other"},
      {"Setup", "Missing", "default"}, {"Missing", "Name", "default"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReadIniString(file, c.section, c.key, "default"), c.value) << c.section << c.key;
#ifndef _WIN32
  EXPECT_EQ(ReadText(file),
            "[Setup]\r\nName=My Program\r\nVersion=2.0\r\n\r\n[Other]\r\nName=other\r\n");
#endif
  EXPECT_FALSE(WriteIniString(dir / "none\\x.ini", "A", "b", "c"));
}

TEST(Ini, ReadsHandWrittenFiles) {
  Scratch dir;
  std::string file = dir / "hand.ini";
  ASSERT_TRUE(WriteText(file,
                        "; comment\r\n[Paths]\r\n  Target =  C:\\App  \r\nQuoted=\"a b\"\r\n"
                        "Empty=\r\n[Next]\r\nTarget=next\r\n"));
  EXPECT_EQ(ReadIniString(file, "paths", "target", "?"), "C:\\App");
  EXPECT_EQ(ReadIniString(file, "Paths", "Quoted", "?"), "a b");
  EXPECT_EQ(ReadIniString(file, "Paths", "Empty", "?"), "");
  EXPECT_EQ(ReadIniString(file, "Next", "Target", "?"), "next");
}

TEST(Ini, BareNamesMeanTheWindowsFolder) {
#ifndef _WIN32
  Scratch c;
  EnvGuard env;
  env.Set("VANTOREL_DRIVE_C", NativePath(c.path()));
  ASSERT_TRUE(CreateDirectory("C:\\WINDOWS"));
#endif
  std::string name = "vtplat" + std::to_string(CurrentProcessId()) + ".ini";
  std::string full = GetWindowsDirectory() + "\\" + name;
  ASSERT_TRUE(WriteIniString(name, "S", "K", "in windows"));
  EXPECT_EQ(ReadIniString(full, "S", "K", ""), "in windows");
  EXPECT_EQ(ReadIniString(name, "S", "K", ""), "in windows");
  EXPECT_TRUE(DeleteFile(full));
}

}  // namespace
}  // namespace vantorel::platform
