// The archive format, byte for byte, and the directory reader on damaged input.
#include "archive/file_header.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "archive/compress.h"
#include "archive_test_util.h"
#include "routines/exceptions.h"

namespace vantorel {
namespace {

using test::I32At;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;

constexpr uint32_t kStamp = 0x24CF6452;  // 1998-06-15 12:34:36

// Compresses `files` (name, bytes) into `archive` with a fresh engine.
void MakeArchive(const std::string& archive, const TempDir& dir,
                 const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files,
                 int unique_id = 7) {
  TVtrlCompress engine(nullptr);
  TStrings list;
  for (const auto& [name, bytes] : files) {
    WriteAll(dir / name, bytes, kStamp);
    list.Add(dir / name);
  }
  engine.SetCompressedFile(archive);
  engine.SetFilesToProcess(list);
  engine.Compress(lzcOverwrite, unique_id);
}

std::string ExpectReadError(const std::vector<uint8_t>& bytes, const TempDir& dir,
                            int64_t base = 0) {
  WriteAll(dir / "bad.1", bytes);
  platform::File f =
      platform::File::Open(dir / "bad.1", platform::Access::Read, platform::kShareRead,
                           platform::Disposition::OpenExisting);
  TFileHeaders headers;
  try {
    headers.LoadFromStream(f, base);
  } catch (const EVtrlCompress& e) {
    return e.Message();
  }
  return "no error";
}

TEST(ArchiveFormat, EmptyArchiveIsTheFiveBytePrefix) {
  TempDir dir;
  MakeArchive(dir / "empty.1", dir, {});
  EXPECT_EQ(ReadAll(dir / "empty.1"), (std::vector<uint8_t>{0, 0, 0, 0, 0}));
}

TEST(ArchiveFormat, OneStoredFileIsPrefixHeaderAndStream) {
  TempDir dir;
  const auto content = test::TextBytes(
      "The quick brown fox jumps over the lazy dog, twice: "
      "the quick brown fox jumps over the lazy dog.");
  MakeArchive(dir / "one.1", dir, {{"fox.txt", content}}, 42);
  const auto bytes = ReadAll(dir / "one.1");
  ASSERT_GT(bytes.size(), 177u);
  const int32_t c = static_cast<int32_t>(bytes.size()) - 177;

  EXPECT_EQ(I32At(bytes, 0), 1);
  EXPECT_EQ(bytes[4], 0);
  const size_t h = 5;
  EXPECT_EQ(I32At(bytes, h + 0), 1);  // ListIndex
  double date;
  std::memcpy(&date, bytes.data() + h + 4, 8);
  EXPECT_EQ(date, DosDateTimeToDateTime(kStamp));
  EXPECT_EQ(bytes[h + 12], 0);               // LastDisk
  EXPECT_EQ(I32At(bytes, h + 16), 176 + c);  // LastByte
  EXPECT_EQ(test::ShortStringAt(bytes, h + 20), dir / "fox.txt");
  EXPECT_EQ(I32At(bytes, h + 124), 177 + c);  // NextHeader
  EXPECT_EQ(I32At(bytes, h + 128), static_cast<int32_t>(content.size()));
  EXPECT_EQ(I32At(bytes, h + 132), 177);               // DataStart
  EXPECT_EQ(I32At(bytes, h + 136), c);                 // CompressedSize
  EXPECT_EQ(bytes[h + 140], 0);                        // FirstDisk
  EXPECT_EQ(I32At(bytes, h + 144), 42);                // UniqueID
  EXPECT_EQ(test::ShortStringAt(bytes, h + 148), "");  // a text file has no version
  for (size_t pad : {h + 13, h + 14, h + 15, h + 121, h + 122, h + 123, h + 141, h + 142, h + 143,
                     h + 169, h + 170, h + 171}) {
    EXPECT_EQ(bytes[pad], 0) << "pad byte " << pad - h;
  }
  // Level 9: the zlib header says "maximum compression".
  EXPECT_EQ(bytes[177], 0x78);
  EXPECT_EQ(bytes[178], 0xDA);
  std::vector<uint8_t> inflated;
  ASSERT_TRUE(test::InflateStream(bytes.data() + 177, c, inflated));
  EXPECT_EQ(inflated, content);
}

TEST(ArchiveFormat, EmptyFileStillHasAStream) {
  TempDir dir;
  MakeArchive(dir / "zero.1", dir, {{"zero.bin", {}}});
  const auto bytes = ReadAll(dir / "zero.1");
  EXPECT_EQ(I32At(bytes, 5 + 128), 0);
  const int32_t c = I32At(bytes, 5 + 136);
  EXPECT_GT(c, 0);
  EXPECT_EQ(bytes.size(), 177u + c);
  std::vector<uint8_t> inflated;
  EXPECT_TRUE(test::InflateStream(bytes.data() + 177, c, inflated));
  EXPECT_TRUE(inflated.empty());
}

TEST(ArchiveFormat, VersionOfAStoredLibraryIsRecorded) {
  TempDir dir;
  MakeArchive(dir / "lib.1", dir, {{"vtver.dll", ReadAll(test::VersionDll("v120"))}});
  EXPECT_EQ(test::ShortStringAt(ReadAll(dir / "lib.1"), 5 + 148), "1.2.0.0");
}

TEST(ArchiveFormat, ArchiveAppendedToAHostFileReadsTheSameAtItsOffset) {
  TempDir dir;
  const auto a = test::RandomBytes(3000, 1), b = test::TextBytes("second file");
  MakeArchive(dir / "files.1", dir, {{"a.bin", a}, {"b.txt", b}});
  const auto archive = ReadAll(dir / "files.1");
  const size_t p = 12345;
  std::vector<uint8_t> host = test::RandomBytes(p, 2);
  host.insert(host.end(), archive.begin(), archive.end());
  host.resize(host.size() + 56, 0);  // something behind the archive, as a trailer would be
  WriteAll(dir / "setup.exe", host);

  TVtrlCompress standalone(nullptr), appended(nullptr);
  standalone.SetCompressedFile(dir / "files.1");
  appended.SetCompressedFile(dir / "setup.exe");
  appended.SetOffset(static_cast<int32_t>(p));
  ASSERT_EQ(appended.FileCount(), 2);
  for (int i = 0; i < 2; ++i) {
    TlzhFileStats x, y;
    standalone.GetFileStats(i, x);
    appended.GetFileStats(i, y);
    EXPECT_EQ(x.Header, y.Header);
    EXPECT_EQ(x.TotalFileSize, y.TotalFileSize);
  }
  TStrings names{dir / "a.bin", dir / "b.txt"};
  appended.SetExtractDirectory(dir / "out");
  appended.SetFilesToProcess(names);
  appended.Extract();
  EXPECT_EQ(ReadAll(dir / "out\\a.bin"), a);
  EXPECT_EQ(ReadAll(dir / "out\\b.txt"), b);
}

TEST(ArchiveFormat, RewritingAVolumeDirectoryKeepsPadBytesAndListIndex) {
  TempDir dir;
  MakeArchive(dir / "files.1", dir, {{"a.txt", test::TextBytes("alpha")}});
  auto bytes = ReadAll(dir / "files.1");
  // Bytes this version never writes, as a later version might.
  bytes[5 + 0] = 77;  // ListIndex
  for (size_t pad : {13u, 14u, 15u, 121u, 122u, 123u, 141u, 142u, 143u, 169u, 170u, 171u}) {
    bytes[5 + pad] = static_cast<uint8_t>(0xA0 + pad % 16);
  }
  bytes[5 + 20 + 1 + 60] = 0x5A;  // behind the name's text
  WriteAll(dir / "files.1", bytes);

  platform::File in =
      platform::File::Open(dir / "files.1", platform::Access::Read, platform::kShareRead,
                           platform::Disposition::OpenExisting);
  TFileHeaders headers;
  headers.LoadFromStream(in, 0);
  ASSERT_TRUE(headers.GetFileHeaders(0)->Loaded());
  headers.SetSpanned(true);
  platform::File out =
      platform::File::Open(dir / "copy.1", platform::Access::ReadWrite, platform::kShareRead,
                           platform::Disposition::CreateAlways);
  headers.SaveToStream(out);
  out.Close();
  const auto rewritten = ReadAll(dir / "copy.1");
  ASSERT_EQ(rewritten.size(), 5u + 172u);
  EXPECT_EQ(rewritten[4], 1);
  for (size_t i = 0; i < 172; ++i) {
    if (i >= 124 && i < 128) continue;  // NextHeader is the one field a rewrite sets
    EXPECT_EQ(rewritten[5 + i], bytes[5 + i]) << "record byte " << i;
  }
  EXPECT_EQ(I32At(rewritten, 5 + 124), 5 + 172);
}

TEST(ArchiveFormat, AppendingLeavesTheEarlierRecordsAlone) {
  TempDir dir;
  MakeArchive(dir / "files.1", dir, {{"a.txt", test::TextBytes("alpha")}});
  auto before = ReadAll(dir / "files.1");
  before[5 + 13] = 0xEE;  // a pad byte
  WriteAll(dir / "files.1", before);
  WriteAll(dir / "b.txt", test::TextBytes("beta"), kStamp);

  TVtrlCompress engine(nullptr);
  TStrings list{dir / "b.txt"};
  engine.SetCompressedFile(dir / "files.1");
  engine.SetFilesToProcess(list);
  engine.Compress(lzcOnlyAdd, 3);
  const auto after = ReadAll(dir / "files.1");
  EXPECT_EQ(I32At(after, 0), 2);
  ASSERT_GT(after.size(), before.size());
  EXPECT_TRUE(std::equal(before.begin() + 4, before.end(), after.begin() + 4));
  // The new record starts where the old archive ended and is numbered from 1 again.
  EXPECT_EQ(I32At(after, before.size()), 1);
  EXPECT_EQ(I32At(after, before.size() + 132), static_cast<int32_t>(before.size() + 172));
}

TEST(ArchiveFormat, LookupByNameIgnoresCaseAndFieldsAndFindsTheFirst) {
  TempDir dir;
  WriteAll(dir / "Read Me.TXT", test::TextBytes("1"));
  TFileHeaders headers;
  headers.AddFiles({dir / "Read Me.TXT;x;y", dir / "Read Me.TXT"}, false);
  ASSERT_EQ(headers.Count(), 2);
  EXPECT_EQ(headers.GetFileHeaders(0)->ListIndex(), 1);
  EXPECT_EQ(headers.GetFileHeaders(1)->ListIndex(), 2);
  EXPECT_EQ(headers.GetFileHeaders(0)->FileName(), dir / "Read Me.TXT");
  EXPECT_EQ(headers.IndexOfFile(dir / "read me.txt"), 0);
  EXPECT_EQ(headers.IndexOfFile(dir / "READ ME.txt;anything"), 0);
  EXPECT_EQ(headers.IndexOfFile(dir / "Read Me.TX"), -1);

  headers.AddFiles({dir / "Read Me.TXT"}, false);
  EXPECT_EQ(headers.Count(), 1);
}

TEST(ArchiveFormat, LongNamesAreStoredTruncatedAndCannotBeFoundWhole) {
  TempDir dir;
  const std::string deep = dir / std::string(120, 'd');
  test::MakeDirs(deep);
  const std::string path = deep + "\\file.txt";
  WriteAll(path, test::TextBytes("deep"), kStamp);
  TVtrlCompress engine(nullptr);
  TStrings list{path};
  engine.SetCompressedFile(dir / "files.1");
  engine.SetFilesToProcess(list);
  engine.Compress(lzcOverwrite, 0);  // still compressed from its whole path
  TlzhFileStats stats;
  engine.GetFileStats(0, stats);
  EXPECT_EQ(stats.FileName, path.substr(0, 100));
  EXPECT_EQ(stats.FileSize, 4);

  TFileHeaders headers;
  headers.AddFiles({path}, false);
  EXPECT_EQ(headers.IndexOfFile(path), -1);
  EXPECT_EQ(headers.IndexOfFile(path.substr(0, 100)), 0);
}

TEST(ArchiveFormat, DirectoryErrors) {
  TempDir dir;
  TFileHeaders headers;
  EXPECT_THROW(headers.Add(std::make_unique<TFileHeader>()), EVtrlCompress);
  auto blank = std::make_unique<TFileHeader>();
  blank->SetFileName("  \t");
  try {
    headers.Add(std::move(blank));
    FAIL();
  } catch (const EVtrlCompress& e) {
    EXPECT_EQ(e.Message(), "Tried to add an invalid file header");
  }
  try {
    headers.GetFileHeaders(0);
    FAIL();
  } catch (const EVtrlCompress& e) {
    EXPECT_EQ(e.Message(), "0 is an invalid TFileHeader index in TFileHeaders.GetFileHeaders");
  }
  try {
    headers.AddFiles({dir / "missing.txt;1"}, false);
    FAIL();
  } catch (const EVtrlCompress& e) {
    EXPECT_EQ(e.Message(), "Cannot open the file " + dir / "missing.txt");
  }
}

TEST(ArchiveFormat, DamagedDirectoriesAreReportedNotFollowed) {
  TempDir dir;
  MakeArchive(dir / "files.1", dir,
              {{"a.txt", test::TextBytes("alpha")}, {"b.txt", test::TextBytes("beta")}});
  const auto good = ReadAll(dir / "files.1");
  const std::string count_error = "Could not read the file header count for the compressed file";
  const std::string header_error =
      "Could not read the file headers for the compressed file. The Archive file could possible "
      "be corrupt";
  const size_t second = static_cast<size_t>(I32At(good, 5 + 124));

  for (size_t n = 0; n < 5; ++n) {
    EXPECT_EQ(ExpectReadError({good.begin(), good.begin() + n}, dir), count_error) << n;
  }
  EXPECT_EQ(ExpectReadError(good, dir, static_cast<int64_t>(good.size()) + 10), count_error);
  EXPECT_EQ(ExpectReadError({good.begin(), good.begin() + 5 + 171}, dir), header_error);

  struct Patch {
    const char* what;
    size_t at;
    int32_t value;
  } patches[] = {
      {"count larger than the file can hold", 0, 1000000},
      {"count of almost 2^31", 0, INT32_MAX},
      {"chain points back at itself", 5 + 124, 5},
      {"chain points backwards", second + 124, 5},
      {"chain points outside the file", 5 + 124, 1 << 30},
      {"chain points before the archive", 5 + 124, -100},
      {"negative file size", 5 + 128, -1},
      {"negative compressed size", 5 + 136, -5},
      {"negative data start", 5 + 132, -177},
      {"last byte outside the file", 5 + 16, 1 << 30},
  };
  for (const Patch& p : patches) {
    auto bad = good;
    test::PutI32(bad, p.at, p.value);
    EXPECT_EQ(ExpectReadError(bad, dir), header_error) << p.what;
  }
  auto spanned_flag = good;
  spanned_flag[4] = 1;  // disk numbers 0 in a volume set
  EXPECT_EQ(ExpectReadError(spanned_flag, dir), header_error);
  auto no_name = good;
  no_name[5 + 20] = 0;
  EXPECT_EQ(ExpectReadError(no_name, dir), "Tried to add an invalid file header");
  // A zero or negative count is an empty archive, whatever follows.
  auto empty = good;
  test::PutI32(empty, 0, -3);
  EXPECT_EQ(ExpectReadError(empty, dir), "no error");
}

TEST(ArchiveFormat, TotalsSumTheDirectory) {
  TFileHeaders headers;
  for (int32_t size : {1000, 3000}) {
    auto e = std::make_unique<TFileHeader>();
    e->SetFileName("x");
    e->SetFileSize(size);
    e->SetCompressedSize(size / 4);
    headers.Add(std::move(e));
  }
  TlzhFileStats stats;
  stats.TotalBytesDone = 5;
  stats.TotalPercent = 50;
  stats.FileDone = true;
  headers.Totals(stats);
  EXPECT_EQ(stats.TotalFileSize, 4000);
  EXPECT_EQ(stats.TotalCompressedSize, 1000);
  EXPECT_EQ(stats.TotalRatio, 25);
  EXPECT_EQ(stats.TotalBytesDone, 0);
  EXPECT_EQ(stats.TotalPercent, 0);
  EXPECT_FALSE(stats.FileDone);
}

TEST(ArchiveFormat, DatesComeFromDosStampsAndGoBackToThem) {
  EXPECT_DOUBLE_EQ(DosDateTimeToDateTime(test::Stamp(1980, 1, 1, 0, 0, 0)), 29221.0);
  EXPECT_DOUBLE_EQ(DosDateTimeToDateTime(test::Stamp(2000, 3, 1, 12, 0, 0)), 36586.5);
  EXPECT_EQ(DosDateTimeToDateTime(0), 0);  // month 0: no date
  uint32_t back = 0;
  for (uint32_t stamp :
       {test::Stamp(1980, 1, 1, 0, 0, 0), test::Stamp(1998, 6, 15, 12, 34, 36),
        test::Stamp(2024, 2, 29, 23, 59, 58), test::Stamp(2107, 12, 31, 23, 59, 58)}) {
    ASSERT_TRUE(DateTimeToDosDateTime(DosDateTimeToDateTime(stamp), back));
    EXPECT_EQ(back, stamp);
  }
  EXPECT_FALSE(DateTimeToDosDateTime(1000.0, back));  // 1902
  EXPECT_FALSE(DateTimeToDosDateTime(std::numeric_limits<double>::quiet_NaN(), back));
  EXPECT_FALSE(DateTimeToDosDateTime(1e300, back));
}

TEST(ArchiveFormat, PercentagesRoundHalvesToEvenAndFailToZero) {
  EXPECT_EQ(Percent(1, 8), 12);     // 12.5
  EXPECT_EQ(Percent(3, 8), 38);     // 37.5
  EXPECT_EQ(Percent(5, 0), 0);      // no divisor
  EXPECT_EQ(Percent(300, 100), 0);  // 300 does not fit a byte
  EXPECT_EQ(Percent(-1, 10), 0);
  EXPECT_EQ(Percent(101, 100), 101);
}

}  // namespace
}  // namespace vantorel
