// Reading version resources into text, and the overwrite decision.
#include "archive/version_resource.h"

#include <gtest/gtest.h>

#include "archive_test_util.h"
#include "platform/files.h"

namespace vantorel {
namespace {

using test::TempDir;

TEST(CompareVersions, PartsCompareAsNumbersElseAsBytes) {
  struct Case {
    const char* a;
    const char* b;
    int want;
  } cases[] = {
      {"1.2", "1.10", 2},
      {"1.10", "1.2", 1},
      {"1.2a", "1.10", 1},
      {"", "", 0},
      {"", "1", 2},
      {"1", "", 1},
      {"1.0", "1.0.0", 2},
      {"1.0.0", "1.0", 1},
      {"1.2.0.0", "1.2.0.0", 0},
      {"2.0.0.0", "10.0.0.0", 2},
      {"1..5", "1..7", 0},
      {"1.b", "1.B", 1},
      {"1.-1", "1.0", 2},
      {"1. 2", "1.2", 2},
      {"1.99999999999", "1.2", 1},
      {"3.1.0.7", "3.1.0.7", 0},
      {"1.2.", "1.2", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TVersionResource::CompareVersions(c.a, c.b), c.want) << c.a << " vs " << c.b;
  }
}

TEST(VersionResource, ReadsFixedVersionAndStringTable) {
  TVersionResource v(nullptr);
  v.SetFileName(test::VersionDll("v120"));
  const TVersionInfo& info = *v.VersionInfo();
  EXPECT_EQ(info.FileVersion(), "1.2.0.0");
  EXPECT_EQ(info.ProductVersion(), "1.2.0.0 test");  // the string table's replaces the number
  EXPECT_EQ(info.Comment(), "Test library v120");
  EXPECT_EQ(info.CompanyName(), "Vantorel test");
  EXPECT_EQ(info.FileDescription(), "Library with a version resource");
  EXPECT_EQ(info.InternalName(), "vtver");
  EXPECT_EQ(info.LegalCopyright(), "Copyright \xA9 1998 nobody");
  EXPECT_EQ(info.LegalTradeMarks(), "none");
  EXPECT_EQ(info.OriginalFileName(), "vtver.dll");
  EXPECT_EQ(info.PrivateBuild(), "private v120");
  EXPECT_EQ(info.ProductName(), "Version test");
  EXPECT_EQ(info.SpecialBuild(), "v120");
  EXPECT_EQ(info.FileOS(), "Windows NT with 32 bit Windows");
  EXPECT_EQ(info.FileType(), "Dynamic-Link Library");
  EXPECT_EQ(info.FileSubType(), "");
  EXPECT_TRUE(v.FileNameStored());
}

TEST(VersionResource, LanguageAndCharacterSetChooseTheStringTable) {
  TVersionResource v(nullptr);
  v.SetFileName(test::VersionDll("v200"));
  v.SetLanguage(lnGerman);
  EXPECT_EQ(v.VersionInfo()->CompanyName(), "Vantorel Testhaus");
  EXPECT_EQ(v.VersionInfo()->ProductVersion(), "2.0.0.0 deutsch");
  EXPECT_EQ(v.VersionInfo()->Comment(), "");  // not in the German table
  EXPECT_EQ(v.VersionInfo()->FileVersion(), "2.0.0.0");
  // No table for this code page: the numbers only.
  v.SetCharacterSet(csCyrillic);
  EXPECT_EQ(v.VersionInfo()->CompanyName(), "");
  EXPECT_EQ(v.VersionInfo()->ProductVersion(), "2.0.0.0");
  EXPECT_EQ(LanguageIdentifier(lnSwissFrench), 0x100C);
  EXPECT_EQ(LanguageIdentifier(lnArabic), 0x0401);
  EXPECT_EQ(CodePage(csUnicode), 1200);
}

TEST(VersionResource, DriverTypeAndSubType) {
  TVersionResource v(nullptr);
  v.SetFileName(test::VersionDll("driver"));
  EXPECT_EQ(v.VersionInfo()->FileVersion(), "3.1.0.7");
  EXPECT_EQ(v.VersionInfo()->FileOS(), "32 bit Windows");
  EXPECT_EQ(v.VersionInfo()->FileType(), "Device Driver");
  EXPECT_EQ(v.VersionInfo()->FileSubType(), "Sound");
}

TEST(VersionResource, NoResourceOrNoFileLeavesEverythingEmpty) {
  TempDir dir;
  test::WriteAll(dir / "text.txt", test::TextBytes("MZ but nothing more"));
  TVersionResource v(nullptr);
  for (const std::string& path :
       {test::VersionDll("plain"), dir / "text.txt", dir / "missing.dll", std::string()}) {
    v.SetFileName(test::VersionDll("v100"));
    ASSERT_EQ(v.VersionInfo()->FileVersion(), "1.0.0.0");
    v.SetFileName(path);
    EXPECT_EQ(v.VersionInfo()->FileVersion(), "") << path;
    EXPECT_EQ(v.VersionInfo()->CompanyName(), "") << path;
    EXPECT_EQ(v.VersionInfo()->FileType(), "") << path;
  }
}

TEST(VersionResource, StartsWithTheProgramItself) {
  TVersionResource v(nullptr);
  EXPECT_EQ(v.FileName(), platform::GetModuleFileName());
  EXPECT_FALSE(v.FileNameStored());
  EXPECT_EQ(v.Language(), lnUSEnglish);
  EXPECT_EQ(v.CharacterSet(), csMultilingual);
  const TPropInfo* file_name = v.ClassType()->FindProperty("FileName");
  ASSERT_NE(file_name, nullptr);
  EXPECT_FALSE(file_name->IsStored(v));
  v.SetFileName(test::VersionDll("v100"));
  EXPECT_TRUE(file_name->IsStored(v));
  EXPECT_EQ(FindClass("TVersionResource"), v.ClassType());
}

// The decision table for a file known by its recorded version and date.
TEST(VersionResource, IsFileNewerDecidesByTheRule) {
  TempDir dir;
  const uint32_t noon = test::Stamp(2001, 5, 5, 12, 0, 0);
  const TDateTime stored = DosDateTimeToDateTime(noon);
  const std::string dest = dir / "vtver.dll";
  struct Row {
    const char* dest_variant;  // nullptr: destination missing
    uint32_t dest_stamp;
    const char* stored_version;
    int always, never, version, date, version_date;
  } rows[] = {
      // by version (equal dates)
      {"v100", noon, "1.2.0.0", 2, 3, 2, 1, 2},
      {"v120alt", noon, "1.2.0.0", 2, 3, 1, 1, 1},
      {"v200", noon, "1.2.0.0", 2, 3, 3, 1, 3},
      // by date (equal versions)
      {"v120alt", test::Stamp(2001, 5, 5, 11, 59, 58), "1.2.0.0", 2, 3, 1, 2, 2},
      {"v120alt", test::Stamp(2001, 5, 6, 12, 0, 0), "1.2.0.0", 2, 3, 1, 3, 3},
      // a stored file without a version is older than any that has one
      {"v100", noon, "", 2, 3, 3, 1, 3},
      {"plain", noon, "", 2, 3, 1, 1, 1},
      {"plain", noon, "1.0", 2, 3, 2, 1, 2},
      // nothing to compare the date with
      {nullptr, 0, "1.2.0.0", 2, 2, 2, 0, 2},
  };
  for (const Row& r : rows) {
    platform::DeleteFile(dest);
    if (r.dest_variant) {
      test::WriteAll(dest, test::ReadAll(test::VersionDll(r.dest_variant)), r.dest_stamp);
    }
    SCOPED_TRACE(std::string(r.dest_variant ? r.dest_variant : "missing") + " stamp " +
                 std::to_string(r.dest_stamp) + " stored " + r.stored_version);
    EXPECT_EQ(TVersionResource::IsFileNewer(r.stored_version, dest, owAlways, stored), r.always);
    EXPECT_EQ(TVersionResource::IsFileNewer(r.stored_version, dest, owNever, stored), r.never);
    EXPECT_EQ(TVersionResource::IsFileNewer(r.stored_version, dest, owVersion, stored), r.version);
    EXPECT_EQ(TVersionResource::IsFileNewer(r.stored_version, dest, owDate, stored), r.date);
    // owVersionDate with a missing destination: versions "" and 1.2 differ, no date needed.
    EXPECT_EQ(TVersionResource::IsFileNewer(r.stored_version, dest, owVersionDate, stored),
              r.version_date);
  }
  EXPECT_EQ(TVersionResource::IsFileNewer("1", "   ", owNever, stored), 2);
}

TEST(VersionResource, IsFileNewerByNameReadsBothFiles) {
  TempDir dir;
  const uint32_t noon = test::Stamp(2001, 5, 5, 12, 0, 0);
  test::WriteAll(dir / "new.dll", test::ReadAll(test::VersionDll("v200")), noon);
  test::WriteAll(dir / "old.dll", test::ReadAll(test::VersionDll("v100")),
                 test::Stamp(2001, 5, 5, 12, 0, 4));
  test::WriteAll(dir / "same.dll", test::ReadAll(test::VersionDll("v200")), noon);
  EXPECT_EQ(TVersionResource::IsFileNewerByName(dir / "new.dll", dir / "old.dll", owVersion), 2);
  EXPECT_EQ(TVersionResource::IsFileNewerByName(dir / "old.dll", dir / "new.dll", owVersion), 3);
  EXPECT_EQ(TVersionResource::IsFileNewerByName(dir / "new.dll", dir / "old.dll", owDate), 3);
  EXPECT_EQ(TVersionResource::IsFileNewerByName(dir / "new.dll", dir / "same.dll", owDate), 1);
  EXPECT_EQ(TVersionResource::IsFileNewerByName(dir / "new.dll", dir / "old.dll", owVersionDate),
            2);
  EXPECT_EQ(TVersionResource::IsFileNewerByName(dir / "missing", dir / "old.dll", owDate), 0);
  EXPECT_EQ(TVersionResource::IsFileNewerByName(dir / "new.dll", dir / "missing", owDate), 0);
  EXPECT_EQ(TVersionResource::IsFileNewerByName(dir / "new.dll", dir / "old.dll", owNever), 3);
  EXPECT_EQ(TVersionResource::IsFileNewerByName(dir / "new.dll", dir / "gone", owNever), 2);
}

}  // namespace
}  // namespace vantorel
