#include "routines/system_routines.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "routines/exceptions.h"
#include "routines/strings.h"

namespace vantorel {
namespace {

TEST(SystemRoutines, WindowsVersionCodes) {
  struct Case {
    uint32_t platform_id, major, minor;
    uint8_t code;
  } cases[] = {
      {0, 3, 11, 0},   // Win32s
      {1, 4, 0, 1},    // the 95 family
      {1, 4, 10, 1},   //
      {2, 3, 51, 3},   // NT 3.51
      {2, 3, 5, 3},    // NT 3.5
      {2, 4, 0, 2},    // NT 4.0
      {2, 6, 1, 2},    //
      {2, 13, 50, 3},  // the text "13.50" holds "3.5": the rule is textual
      {3, 10, 0, 4},   // anything else
  };
  for (const auto& c : cases)
    EXPECT_EQ(WindowsVersionCode(c.platform_id, c.major, c.minor), c.code)
        << c.platform_id << " " << c.major << "." << c.minor;
  EXPECT_EQ(GetWindowsVersion(), 2);
}

TEST(SystemRoutines, TempFileKeepsOnlyWhenAsked) {
  std::string kept = GetTempFile(true);
  std::string dropped = GetTempFile(false);
  EXPECT_NE(kept, dropped);
  EXPECT_EQ(UpperCase(ExtractFileName(kept)).rfind("BAT", 0), 0u) << kept;
  EXPECT_TRUE(platform::FileExists(kept));
  EXPECT_FALSE(platform::FileExists(dropped));
  EXPECT_TRUE(platform::DeleteFile(kept));
}

TEST(SystemRoutines, DirectoriesAndForceDirectories) {
  std::string base = ChangeFileExt(GetTempFile(false), ".dir");
  std::string deep = base + "\\a\\b\\c\\";
  EXPECT_FALSE(DirectoryExists(base));
  ForceDirectories(deep);
  EXPECT_TRUE(DirectoryExists(RemoveBackslash(deep)));
  ForceDirectories(deep);  // existing: nothing to do, no error
  EXPECT_THROW(ForceDirectories(""), Exception);
  for (const char* d : {"\\a\\b\\c", "\\a\\b", "\\a", ""})
    EXPECT_TRUE(platform::RemoveDirectory(base + d)) << d;
  // A file is not a directory.
  std::string file = GetTempFile(true);
  EXPECT_FALSE(DirectoryExists(file));
  platform::DeleteFile(file);
}

TEST(SystemRoutines, WindowsAndSystemDirectories) {
  std::string windows = GetWindowsDir();
  std::string system = GetSystemDir();
  EXPECT_TRUE(DirectoryExists(windows)) << windows;
  EXPECT_EQ(UpperCase(system).rfind(UpperCase(windows), 0), 0u) << system;
  EXPECT_FALSE(ShortPathName(windows).empty());
}

}  // namespace
}  // namespace vantorel
