#include "routines/strings.h"

#include <gtest/gtest.h>

namespace vantorel {
namespace {

TEST(PathStrings, BackslashRules) {
  struct Case {
    std::string in, added, removed;
  } cases[] = {
      {"", "", ""},
      {"C:", "C:\\", "C:"},
      {"C:\\", "C:\\", "C:"},
      {"C:\\dir", "C:\\dir\\", "C:\\dir"},
      {"C:\\dir\\\\", "C:\\dir\\\\", "C:\\dir\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AddBackslash(c.in), c.added) << c.in;
    EXPECT_EQ(RemoveBackslash(c.in), c.removed) << c.in;
  }
}

TEST(PathStrings, FieldsBySeparator) {
  struct Case {
    std::string s;
    int count;
    std::vector<std::string> fields;
  } cases[] = {
      {"", 0, {}},
      {"a", 1, {"a"}},
      {"a;b", 2, {"a", "b"}},
      {"a;b;", 2, {"a", "b"}},
      {";", 1, {""}},
      {";a", 2, {"", "a"}},
      {"a;;b", 3, {"a", "", "b"}},
      {"a;b;c", 3, {"a", "b", "c"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FieldCount(c.s, ';'), c.count) << c.s;
    EXPECT_EQ(SplitFields(c.s, ';'), c.fields) << c.s;
  }
  EXPECT_EQ(Field("a;b;c", 3, ';'), "c");
  EXPECT_EQ(Field("a", 3, ';'), "");
  EXPECT_EQ(Field("a;b", 0, ';'), "");
  EXPECT_EQ(Field("a;b;c", 4, ';'), "");
  // Another separator follows the same rule: its own trailing separator ends the list, so a
  // ";" in the data is kept, not lost.
  EXPECT_EQ(FieldCount("a,b;", ','), 2);
  EXPECT_EQ(Field("a,b;", 2, ','), "b;");
  EXPECT_EQ(FieldCount("a,b,", ','), 2);
}

TEST(PathStrings, AfterColonLeavesOutputWithoutColon) {
  std::string out = "unchanged";
  AfterColon("nocolon", out);
  EXPECT_EQ(out, "unchanged");
  AfterColon("C:\\dir\\file", out);
  EXPECT_EQ(out, "\\dir\\file");
  AfterColon("a:b:c", out);
  EXPECT_EQ(out, "b:c");
}

TEST(PathStrings, CleanFileName) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a/b:c?.txt", "a-bc.txt"},
      {"\"*:;<>?\\|", ""},
      {"tab\there \x01\xE9", "tab\there \x01\xE9"},
      {"My Product 1.0", "My Product 1.0"},
  };
  for (const auto& c : cases) EXPECT_EQ(CleanFileName(c.in), c.out) << c.in;
}

TEST(PathStrings, FileNameParts) {
  struct Case {
    std::string path, dir, path_part, name, ext;
  } cases[] = {
      {"C:\\dir\\name.ext", "C:\\dir", "C:\\dir\\", "name.ext", ".ext"},
      {"C:\\name", "C:\\", "C:\\", "name", ""},
      {"name.tar.gz", "", "", "name.tar.gz", ".gz"},
      {"C:\\a.b\\name", "C:\\a.b", "C:\\a.b\\", "name", ""},
      {"C:name.txt", "C:", "C:", "name.txt", ".txt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ExtractFileDir(c.path), c.dir) << c.path;
    EXPECT_EQ(ExtractFilePath(c.path), c.path_part) << c.path;
    EXPECT_EQ(ExtractFileName(c.path), c.name) << c.path;
    EXPECT_EQ(ExtractFileExt(c.path), c.ext) << c.path;
  }
  EXPECT_EQ(ChangeFileExt("C:\\t\\bat12.tmp", ".bat"), "C:\\t\\bat12.bat");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\name", ".1"), "C:\\a.b\\name.1");
}

TEST(PathStrings, CaseAndTrim) {
  EXPECT_TRUE(SameText("Install0", "INSTALL0"));
  EXPECT_FALSE(SameText("Install0", "Install01"));
  EXPECT_EQ(UpperCase("TInstallBDE"), "TINSTALLBDE");
  EXPECT_EQ(Trim("  \tx y \r\n"), "x y");
  EXPECT_EQ(Trim(" \t "), "");
}

TEST(PathStrings, NumbersFromStoredText) {
  struct Case {
    std::string text;
    bool ok;
    int value;
  } cases[] = {
      {"0", true, 0},
      {"12", true, 12},
      {" 7 ", true, 7},
      {"-3", true, -3},
      {"2147483647", true, 2147483647},
      {"2147483648", false, 0},
      {"99999999999", false, 0},
      {"", false, 0},
      {"  ", false, 0},
      {"12abc", false, 0},
      {"abc", false, 0},
      {"0x10", false, 0},
      {"+5", false, 0},
      {"1 2", false, 0},
  };
  for (const Case& c : cases) {
    int value = 42;
    EXPECT_EQ(TryStrToInt(c.text, value), c.ok) << "'" << c.text << "'";
    EXPECT_EQ(value, c.ok ? c.value : 42) << "'" << c.text << "'";
  }
}

}  // namespace
}  // namespace vantorel
