// Our reader of PE version resources: the values it finds, its safety on damaged files, and (in
// the win64 tree) its agreement with the system's own reader.
#include "platform/pe_version.h"

#include <gtest/gtest.h>

#include <random>

#include "archive_test_util.h"
#include "platform/version.h"

namespace vantorel {
namespace {

using platform::QueryVersionBlock;
using platform::ReadPeVersionResource;
using test::TempDir;

bool ReadBlockOf(const std::string& path, std::vector<uint8_t>& block) {
  platform::File f = platform::File::Open(path, platform::Access::Read, platform::kShareRead,
                                          platform::Disposition::OpenExisting);
  return f.IsOpen() && ReadPeVersionResource(f, block);
}

std::string Text(const std::vector<uint8_t>& block, const std::string& path) {
  std::vector<uint8_t> value;
  if (!QueryVersionBlock(block, path, value)) return "<absent>";
  return std::string(value.begin(), value.end());
}

TEST(PeVersionReader, FindsTheBlockOfATestLibrary) {
  std::vector<uint8_t> block;
  ASSERT_TRUE(ReadBlockOf(test::VersionDll("v120"), block));
  std::vector<uint8_t> value;
  ASSERT_TRUE(QueryVersionBlock(block, "\\", value));
  ASSERT_EQ(value.size(), 52u);
  EXPECT_EQ(test::I32At(value, 0), static_cast<int32_t>(platform::kFixedFileInfoSignature));
  EXPECT_EQ(test::I32At(value, 8), 0x00010002);  // 1.2
  EXPECT_EQ(test::I32At(value, 12), 0);          // .0.0
  ASSERT_TRUE(QueryVersionBlock(block, "\\VarFileInfo\\Translation", value));
  EXPECT_EQ(value, (std::vector<uint8_t>{0x09, 0x04, 0xE4, 0x04, 0x07, 0x04, 0xE4, 0x04}));

  // Texts come with their terminating zero, as the system's reader gives them.
  EXPECT_EQ(Text(block, "\\StringFileInfo\\040904E4\\FileVersion"), std::string("1.2.0.0\0", 8));
  EXPECT_EQ(Text(block, "\\stringfileinfo\\040904e4\\FILEVERSION"), std::string("1.2.0.0\0", 8));
  EXPECT_EQ(Text(block, "\\\\StringFileInfo\\\\040704E4\\CompanyName\\"),
            std::string("Vantorel Testhaus\0", 18));
  EXPECT_EQ(Text(block, "\\StringFileInfo\\040904E4\\LegalCopyright"),
            std::string("Copyright \xA9 1998 nobody\0", 24));
  EXPECT_EQ(Text(block, "\\StringFileInfo\\040904E4\\Missing"), "<absent>");
  EXPECT_EQ(Text(block, "\\StringFileInfo\\040904B0\\FileVersion"), "<absent>");
  EXPECT_EQ(Text(block, "\\StringFileInfo\\040904E4\\FileVersionX"), "<absent>");
  EXPECT_EQ(Text(block, "\\StringFileInfo\\040904E4\\FileVersio"), "<absent>");
  EXPECT_EQ(Text(block, "\\StringFileInfo"), "");  // a node without a value of its own
}

TEST(PeVersionReader, FilesWithoutAResource) {
  TempDir dir;
  std::vector<uint8_t> block;
  EXPECT_FALSE(ReadBlockOf(test::VersionDll("plain"), block));
  EXPECT_TRUE(block.empty());
  test::WriteAll(dir / "empty", {});
  EXPECT_FALSE(ReadBlockOf(dir / "empty", block));
  test::WriteAll(dir / "mz", test::TextBytes(std::string("MZ") + std::string(200, '\0')));
  EXPECT_FALSE(ReadBlockOf(dir / "mz", block));
  EXPECT_EQ(platform::GetFileVersionInfoSize(test::VersionDll("plain")), 0u);
  EXPECT_EQ(platform::GetFileVersionInfoSize(dir / "missing.dll"), 0u);
  EXPECT_GT(platform::GetFileVersionInfoSize(test::VersionDll("v100")), 0u);
  EXPECT_FALSE(QueryVersionBlock({}, "\\", block));
}

// The offset of the version block inside the file: where "VS_VERSION_INFO" stands in UTF-16.
size_t BlockOffset(const std::vector<uint8_t>& file) {
  const std::string key = "VS_VERSION_INFO";
  for (size_t i = 0; i + 2 * key.size() < file.size(); ++i) {
    bool match = true;
    for (size_t k = 0; k < key.size() && match; ++k) {
      match = file[i + 2 * k] == key[k] && file[i + 2 * k + 1] == 0;
    }
    if (match) return i - 6;
  }
  return std::string::npos;
}

// Every query a caller makes; on a damaged file none may read outside what it was given.
void QueryEverything(const std::vector<uint8_t>& block) {
  std::vector<uint8_t> value;
  for (const char* path :
       {"\\", "\\VarFileInfo\\Translation", "\\StringFileInfo\\040904E4\\CompanyName",
        "\\StringFileInfo\\040904E4\\ProductVersion", "\\StringFileInfo\\040704E4\\CompanyName",
        "\\StringFileInfo", "\\a\\b\\c\\d"}) {
    if (QueryVersionBlock(block, path, value)) {
      EXPECT_LE(value.size(), block.size());
    }
  }
}

TEST(PeVersionReader, DamagedFilesAreNoVersionNeverAnOutsideRead) {
  TempDir dir;
  const auto good = test::ReadAll(test::VersionDll("v120"));
  const size_t block_at = BlockOffset(good);
  ASSERT_NE(block_at, std::string::npos);
  const std::string path = dir / "damaged.bin";
  std::vector<uint8_t> block;

#ifdef _WIN32
  const size_t step = 64, rounds = 60;  // file operations under Wine cost more
#else
  const size_t step = 1, rounds = 1500;
#endif
  // Cut short anywhere: the headers, the tables, the block itself.
  const size_t middle_step = std::max<size_t>(97, good.size() / 64);
  for (size_t n = 0; n < good.size();
       n += (n < 1024 || n + 1024 > good.size()) ? step : middle_step) {
    test::WriteAll(path, {good.begin(), good.begin() + n});
    if (ReadBlockOf(path, block)) QueryEverything(block);
  }

  // Offsets and sizes that lie: random values put into the headers and the resource tree.
  std::mt19937 rng(20240601);
  const size_t resource_start = block_at > 256 ? block_at - 256 : 0;
  for (size_t i = 0; i < rounds; ++i) {
    auto bad = good;
    const int changes = 1 + static_cast<int>(rng() % 4);
    for (int c = 0; c < changes; ++c) {
      size_t at =
          (rng() % 2) ? rng() % 512 : resource_start + rng() % (good.size() - resource_start);
      at = std::min(at, bad.size() - 4);
      switch (rng() % 4) {
        case 0:
          bad[at] ^= static_cast<uint8_t>(1u << (rng() % 8));
          break;
        case 1:
          bad[at] = static_cast<uint8_t>(rng());
          break;
        case 2:
          test::PutI32(bad, at & ~size_t{3}, static_cast<int32_t>(rng()));
          break;
        default:
          test::PutI32(bad, at & ~size_t{3}, -1);
          break;
      }
    }
    test::WriteAll(path, bad);
    if (ReadBlockOf(path, block)) QueryEverything(block);
  }
}

TEST(PeVersionReader, DamagedBlocksAnswerWithinThemselves) {
  std::vector<uint8_t> good;
  ASSERT_TRUE(ReadBlockOf(test::VersionDll("v120"), good));
  std::mt19937 rng(7);
  for (size_t n = 0; n <= good.size(); ++n) QueryEverything({good.begin(), good.begin() + n});
  for (int i = 0; i < 5000; ++i) {
    auto bad = good;
    for (int c = 0; c < 3; ++c) {
      const size_t at = rng() % bad.size();
      bad[at] = (rng() % 3 == 0) ? 0xFF : static_cast<uint8_t>(rng());
    }
    bad.resize(rng() % 4 == 0 ? rng() % bad.size() : bad.size());
    QueryEverything(bad);
  }
}

TEST(PeVersionReader, TextsAreConvertedToWindows1252) {
  const uint16_t units[] = {'A', 0x00E9, 0x20AC, 0x2122, 0x0081, 0x4E2D, 0xD83D, 0xDE00, 'z'};
  EXPECT_EQ(platform::Utf16ToAnsi(units, std::size(units)), "A\xE9\x80\x99\x81??z");
}

#ifdef _WIN32
// The system's reader against ours, compiled into this very program, on every PE file we can
// find: the test libraries and the system folder of the Wine prefix.
TEST(PeVersionReader, AgreesWithTheSystemReader) {
  std::vector<std::string> files;
  for (const char* v : {"v100", "v120", "v120alt", "v200", "driver", "plain"}) {
    files.push_back(test::VersionDll(v));
  }
  const std::string system = platform::GetSystemDirectory();
  for (const char* pattern : {"*.dll", "*.exe", "*.ocx", "*.drv"}) {
    std::vector<platform::DirEntry> entries;
    ASSERT_TRUE(platform::ListDirectory(system, pattern, entries));
    for (const auto& e : entries) {
      if (!(e.attributes & platform::kAttrDirectory)) files.push_back(system + "\\" + e.name);
    }
  }
  ASSERT_GT(files.size(), 100u);

  const char* const keys[] = {
      "Comments",     "Comment",        "CompanyName",     "FileDescription", "FileVersion",
      "InternalName", "LegalCopyright", "LegalTrademarks", "LegalTradeMarks", "OriginalFilename",
      "PrivateBuild", "ProductName",    "ProductVersion",  "SpecialBuild"};
  int with_version = 0, texts = 0;
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const uint32_t size = platform::GetFileVersionInfoSize(file);
    std::vector<uint8_t> system_block, own_block;
    const bool system_ok = size > 0 && platform::GetFileVersionInfo(file, size, system_block);
    const bool own_ok = ReadBlockOf(file, own_block);
    ASSERT_EQ(system_ok, own_ok);
    if (!own_ok) continue;
    ++with_version;

    std::vector<uint8_t> a, b;
    const bool fixed = platform::VerQueryValue(system_block, "\\", a);
    ASSERT_EQ(fixed, QueryVersionBlock(own_block, "\\", b));
    EXPECT_EQ(a, b);
    std::vector<std::string> tables = {"040904E4", "040904B0"};
    if (platform::VerQueryValue(system_block, "\\VarFileInfo\\Translation", a)) {
      ASSERT_TRUE(QueryVersionBlock(own_block, "\\VarFileInfo\\Translation", b));
      EXPECT_EQ(a, b);
      for (size_t i = 0; i + 4 <= a.size(); i += 4) {
        char table[9];
        std::snprintf(table, sizeof table, "%04X%04X", a[i] | (a[i + 1] << 8),
                      a[i + 2] | (a[i + 3] << 8));
        tables.push_back(table);
      }
    }
    for (const std::string& table : tables) {
      for (const char* key : keys) {
        const std::string path = "\\StringFileInfo\\" + table + "\\" + key;
        const bool in_system = platform::VerQueryValue(system_block, path, a);
        ASSERT_EQ(in_system, QueryVersionBlock(own_block, path, b)) << path;
        if (!in_system) continue;
        EXPECT_EQ(std::string(a.begin(), a.end()), std::string(b.begin(), b.end())) << path;
        ++texts;
      }
    }
  }
  EXPECT_GT(with_version, 50);
  EXPECT_GT(texts, 200);
  std::printf("compared %zu files, %d with version information, %d texts\n", files.size(),
              with_version, texts);
}
#endif

}  // namespace
}  // namespace vantorel
