// The archive engine: round trips, the overwrite rules, volume sets, events and failures.
#include "archive/compress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <thread>

#include "archive/version_resource.h"
#include "archive_test_util.h"
#include "framework/streaming.h"
#include "platform/system.h"
#include "routines/exceptions.h"
#include "routines/strings.h"

namespace vantorel {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteAll;

const uint32_t kStamp = test::Stamp(1999, 12, 31, 23, 59, 58);

std::string Message(const std::function<void()>& f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "no error";
}

void Compress(TVtrlCompress& engine, const std::string& archive,
              const std::vector<std::string>& files, TlzhCommand command = lzcOverwrite,
              int unique_id = 0) {
  TStrings list;
  for (const auto& f : files) list.Add(f);
  engine.SetCompressedFile(archive);
  engine.SetFilesToProcess(list);
  engine.Compress(command, unique_id);
}

void Extract(TVtrlCompress& engine, const std::string& archive, const std::string& directory,
             const std::vector<std::string>& names) {
  TStrings list;
  for (const auto& n : names) list.Add(n);
  engine.SetCompressedFile(archive);
  engine.SetExtractDirectory(directory);
  engine.SetFilesToProcess(list);
  engine.Extract();
}

TEST(VtrlCompress, RoundTripsKeepBytesAndDates) {
  TempDir dir;
  std::vector<uint8_t> boundary(65536), past(65537);
  for (size_t i = 0; i < past.size(); ++i) past[i] = static_cast<uint8_t>(i * 7 / 3);
  std::copy_n(past.begin(), boundary.size(), boundary.begin());
  const std::map<std::string, std::vector<uint8_t>> files = {
      {"empty.bin", {}},
      {"one.bin", {0x42}},
      {"boundary.bin", boundary},
      {"past.bin", past},
      {"noise.bin", test::RandomBytes(300000, 9)},  // incompressible: the stream is larger
  };
  std::vector<std::string> paths;
  uint32_t stamp = kStamp;
  for (const auto& [name, bytes] : files) {
    WriteAll(dir / name, bytes, stamp);
    paths.push_back(dir / name);
    stamp -= 1 << 16;  // a day earlier for each
  }
  for (TCompressionLevel level : {colNone, colFastest, colDefault, colMax}) {
    SCOPED_TRACE(EnumName(level));
    TVtrlCompress packer(nullptr), unpacker(nullptr);
    packer.SetCompressionLevel(level);
    Compress(packer, dir / "files.1", paths);
    Extract(unpacker, dir / "files.1", dir / "out", paths);
    for (const auto& [name, bytes] : files) {
      EXPECT_EQ(ReadAll(dir / ("out\\" + name)), bytes) << name;
      EXPECT_EQ(test::StampOf(dir / ("out\\" + name)), test::StampOf(dir / name)) << name;
    }
    TlzhFileStats stats;
    unpacker.GetFileStats(4, stats);
    ASSERT_EQ(stats.FileName, dir / "past.bin");
    if (level == colNone) {
      EXPECT_EQ(stats.Ratio, 100);  // stored, plus the stream's own few bytes
    } else {
      EXPECT_LT(stats.Ratio, 10);
    }
    test::RemoveTree(dir / "out");
  }
}

TEST(VtrlCompress, HundredMegabytesRoundTrip) {
  TempDir dir;
  const size_t size = 100u << 20;
  {
    // Mostly zeros, so that deflate is quick; every block carries its own number so that a
    // misplaced block shows.
    platform::File f =
        platform::File::Open(dir / "big.bin", platform::Access::Write, platform::kShareRead,
                             platform::Disposition::CreateAlways);
    std::vector<uint8_t> block(1 << 20);
    for (size_t b = 0; b < size / block.size(); ++b) {
      std::fill(block.begin(), block.end(), 0);
      for (size_t i = 0; i < block.size(); i += 4096)
        test::PutI32(block, i, static_cast<int32_t>(b * 1000 + i));
      ASSERT_EQ(f.Write(block.data(), block.size()), static_cast<int64_t>(block.size()));
    }
    ASSERT_TRUE(f.SetDosDateTime(kStamp));
  }
  TVtrlCompress engine(nullptr);
  int reports = 0;
  int32_t last_done = 0;
  engine.OnStatus = [&](TVtrlCompress*, const TlzhFileStats& s) {
    ++reports;
    EXPECT_GE(s.FileBytesDone, last_done);  // never backwards
    last_done = s.FileBytesDone;
  };
  Compress(engine, dir / "big.1", {dir / "big.bin"});
  // Reports are bounded by time as well as by bytes; the last one always comes.
  reports = 0;
  last_done = 0;
  Extract(engine, dir / "big.1", dir / "out", {dir / "big.bin"});
  EXPECT_GE(reports, 1);
  EXPECT_LE(reports, static_cast<int>(size / 65536) + 1);
  EXPECT_EQ(last_done, static_cast<int32_t>(size));
  // Without the time bound: one per 64 KB block, then the file's last one.
  reports = 0;
  last_done = 0;
  engine.SetProgressInterval(0);
  Extract(engine, dir / "big.1", dir / "out", {dir / "big.bin"});
  EXPECT_EQ(reports, static_cast<int>(size / 65536) + 1);
  const auto a = ReadAll(dir / "big.bin"), b = ReadAll(dir / "out\\big.bin");
  EXPECT_EQ(a.size(), size);
  EXPECT_TRUE(a == b);
  EXPECT_EQ(test::StampOf(dir / "out\\big.bin"), kStamp);
}

TEST(VtrlCompress, AddingAppendsAndOverwritingReplaces) {
  TempDir dir;
  WriteAll(dir / "a.txt", test::TextBytes("first a"), kStamp);
  WriteAll(dir / "b.txt", test::TextBytes("bee"), kStamp);
  TVtrlCompress engine(nullptr);
  Compress(engine, dir / "sub\\dir\\new.1", {dir / "a.txt"}, lzcOnlyAdd);  // creates it
  EXPECT_EQ(engine.FileCount(), 1);

  // Totals while adding count the entries already there.
  std::vector<int32_t> totals;
  engine.OnBeforeAdding = [&](TVtrlCompress*, const TlzhFileStats& s) {
    totals.push_back(s.TotalFileSize);
  };
  WriteAll(dir / "a.txt", test::TextBytes("second a, longer"), kStamp);
  Compress(engine, dir / "sub\\dir\\new.1", {dir / "b.txt", dir / "a.txt"}, lzcOnlyAdd, 5);
  EXPECT_EQ(totals, (std::vector<int32_t>{7 + 3 + 16, 7 + 3 + 16}));
  EXPECT_EQ(engine.FileCount(), 3);
  TVtrlCompress reader(nullptr);
  Extract(reader, dir / "sub\\dir\\new.1", dir / "out", {dir / "A.TXT", dir / "b.txt"});
  // The first entry wins, and it is written under its own name.
  EXPECT_EQ(ReadAll(dir / "out\\a.txt"), test::TextBytes("first a"));
  EXPECT_EQ(reader.IndexOfUniqueID(5), 2);
  EXPECT_EQ(reader.IndexOfUniqueID(0), 0);
  EXPECT_EQ(reader.IndexOfUniqueID(6), -1);
  EXPECT_EQ(reader.IndexOfUniqueID(-1), -1);
  EXPECT_EQ(reader.IndexOfUniqueID(2000), -1);

  engine.OnBeforeAdding = nullptr;
  Compress(engine, dir / "sub\\dir\\new.1", {dir / "b.txt"}, lzcOverwrite);
  EXPECT_EQ(engine.FileCount(), 1);
  EXPECT_EQ(engine.FilesToProcess()->Count(), 0);  // cleared after every compression
}

TEST(VtrlCompress, EventsAndStatisticsOfACompression) {
  TempDir dir;
  WriteAll(dir / "a.bin", test::RandomBytes(200000, 3), kStamp);
  WriteAll(dir / "b.bin", std::vector<uint8_t>(1000, 'b'), kStamp);
  TVtrlCompress engine(nullptr);
  std::vector<std::string> log;
  engine.OnBeforeAdding = [&](TVtrlCompress*, const TlzhFileStats& s) {
    log.push_back("before " + s.FileName.substr(s.FileName.size() - 5));
    EXPECT_EQ(s.CompressedSize, 0);
  };
  TlzhFileStats last_status;
  engine.OnStatus = [&](TVtrlCompress*, const TlzhFileStats& s) {
    if (s.FileDone) log.push_back("done " + std::to_string(s.FileBytesDone));
    last_status = s;
  };
  engine.OnAfterAdding = [&](TVtrlCompress*, const TlzhFileStats& s) {
    TFileHeader header(s.Header);
    log.push_back("after " + std::to_string(header.CompressedSize() == s.CompressedSize));
  };
  Compress(engine, dir / "x.1", {dir / "a.bin", dir / "b.bin"}, lzcOverwrite, 9);
  // The byte count runs one behind the source position, as it always has.
  EXPECT_EQ(log, (std::vector<std::string>{"before a.bin", "done 199999", "after 1", "before b.bin",
                                           "done 999", "after 1"}));
  EXPECT_EQ(last_status.TotalFileSize, 201000);
  EXPECT_EQ(last_status.FileSize, 1000);
  EXPECT_LT(last_status.Ratio, 10);
  EXPECT_EQ(last_status.TotalPercent, 100);
}

TEST(VtrlCompress, ExtractionRulesForNamesAndTargets) {
  TempDir dir;
  WriteAll(dir / "a.txt", test::TextBytes("alpha"), kStamp);
  WriteAll(dir / "b.txt", test::TextBytes("beta"), kStamp);
  TVtrlCompress engine(nullptr);
  Compress(engine, dir / "files.1", {dir / "a.txt", dir / "b.txt"});

  // TargetName names the first file of the next extraction only.
  engine.SetTargetName("renamed.txt");
  Extract(engine, dir / "files.1", dir / "out", {dir / "a.txt;ignored", dir / "b.txt"});
  EXPECT_EQ(ReadAll(dir / "out\\renamed.txt"), test::TextBytes("alpha"));
  EXPECT_EQ(ReadAll(dir / "out\\b.txt"), test::TextBytes("beta"));
  EXPECT_FALSE(platform::FileExists(dir / "out\\a.txt"));
  EXPECT_EQ(engine.TargetName(), "");
  EXPECT_EQ(engine.FilesToProcess()->Count(), 0);

  // A directory in TargetName is dropped; a handler may still move the file elsewhere.
  engine.SetTargetName("..\\..\\escape.txt");
  engine.OnBeforeExtracting = [&](TVtrlCompress* e, const TlzhFileStats&) {
    e->SetExtractDirectory(dir / "elsewhere");
  };
  Extract(engine, dir / "files.1", dir / "out", {dir / "a.txt"});
  EXPECT_EQ(ReadAll(dir / "elsewhere\\escape.txt"), test::TextBytes("alpha"));
  engine.OnBeforeExtracting = nullptr;

  EXPECT_EQ(
      Message([&] { Extract(engine, dir / "files.1", dir / "out", {dir / "c.txt"}); }),
      "The file <" + dir / "c.txt" + "> was not found in the archive <" + dir / "files.1" + ">");
  EXPECT_TRUE(engine.Abort());  // a failure leaves Abort set
  TStrings blanks{"", "  ", dir / "a.txt", "\t"};
  engine.SetFilesToProcess(blanks);
  EXPECT_EQ(blanks.Count(), 1);  // the caller's list loses its blank lines too
  EXPECT_EQ(engine.FilesToProcess()->Count(), 1);
}

TEST(VtrlCompress, ReplaceHandlerMayRedirectAndNeverKeepsButReports) {
  TempDir dir;
  WriteAll(dir / "a.txt", test::TextBytes("new"), kStamp);
  TVtrlCompress engine(nullptr);
  Compress(engine, dir / "files.1", {dir / "a.txt"});
  test::MakeDirs(dir / "out");
  WriteAll(dir / "out\\a.txt", test::TextBytes("old"), kStamp);

  int replaced = 0;
  engine.OnReplace = [&](TVtrlCompress* e, const TlzhFileStats& s) {
    ++replaced;
    EXPECT_EQ(s.FileName, dir / "a.txt");
    e->SetTargetName("a.new");
  };
  Extract(engine, dir / "files.1", dir / "out", {dir / "a.txt"});
  EXPECT_EQ(replaced, 1);
  EXPECT_EQ(ReadAll(dir / "out\\a.txt"), test::TextBytes("old"));
  EXPECT_EQ(ReadAll(dir / "out\\a.new"), test::TextBytes("new"));

  std::vector<bool> done;
  engine.OnStatus = [&](TVtrlCompress*, const TlzhFileStats& s) { done.push_back(s.FileDone); };
  engine.SetOverwrite(owNever);
  Extract(engine, dir / "files.1", dir / "out", {dir / "a.txt"});
  EXPECT_EQ(done, (std::vector<bool>{true}));
  EXPECT_EQ(replaced, 1);
  EXPECT_EQ(ReadAll(dir / "out\\a.txt"), test::TextBytes("old"));
}

// Every rule against a destination that is missing, older, equal or newer, by version and by
// date, through Extract and through CopyFile. The source is library version 1.2.
TEST(VtrlCompress, OverwriteTable) {
  TempDir dir;
  const uint32_t noon = test::Stamp(2001, 5, 5, 12, 0, 0);
  const uint32_t earlier = test::Stamp(2001, 5, 5, 11, 59, 58);
  const uint32_t later = test::Stamp(2001, 5, 6, 12, 0, 0);
  const std::string source = dir / "src\\vtver.dll";
  test::MakeDirs(dir / "src");
  WriteAll(source, ReadAll(test::VersionDll("v120")), noon);
  TVtrlCompress packer(nullptr);
  Compress(packer, dir / "files.1", {source});

  struct Row {
    const char* what;
    const char* dest;  // variant of the existing file; nullptr: none
    uint32_t dest_stamp;
    // Whether each rule replaces: owAlways, owNever, owVersion, owDate, owVersionDate.
    bool replaces[5];
  } rows[] = {
      {"missing", nullptr, 0, {true, true, true, true, true}},
      {"older version", "v100", noon, {true, false, true, false, true}},
      {"equal version", "v120alt", noon, {true, false, false, false, false}},
      {"newer version", "v200", noon, {true, false, false, false, false}},
      {"older date", "v120alt", earlier, {true, false, false, true, true}},
      {"equal date", "v120alt", noon, {true, false, false, false, false}},
      {"newer date", "v120alt", later, {true, false, false, false, false}},
  };
  const auto source_bytes = ReadAll(source);
  for (const Row& row : rows) {
    for (int mode = owAlways; mode <= owVersionDate; ++mode) {
      SCOPED_TRACE(std::string(row.what) + ", " + EnumName(static_cast<TOverwriteType>(mode)));
      for (bool copy : {false, true}) {
        const std::string out = dir / (copy ? "copied" : "extracted");
        const std::string dest = out + "\\vtver.dll";
        test::RemoveTree(out);
        test::MakeDirs(out);
        std::vector<uint8_t> before;
        if (row.dest) {
          before = ReadAll(test::VersionDll(row.dest));
          WriteAll(dest, before, row.dest_stamp);
        }
        TVtrlCompress engine(nullptr);
        engine.SetOverwrite(static_cast<TOverwriteType>(mode));
        int replace_events = 0;
        engine.OnReplace = [&](TVtrlCompress*, const TlzhFileStats&) { ++replace_events; };
        if (copy) {
          engine.CopyFile(source, dest);
        } else {
          Extract(engine, dir / "files.1", out, {source});
        }
        const bool replaced = ReadAll(dest) == source_bytes;
        EXPECT_EQ(replaced, row.replaces[mode]) << (copy ? "CopyFile" : "Extract");
        EXPECT_EQ(replace_events, row.dest && row.replaces[mode] ? 1 : 0);
        EXPECT_EQ(test::StampOf(dest), replaced ? noon : row.dest_stamp);
      }
    }
  }
}

TEST(VtrlCompress, FailedDecisionAndSizeAndDateChecks) {
  TempDir dir;
  WriteAll(dir / "a.txt", test::TextBytes("alpha"), kStamp);
  TVtrlCompress engine(nullptr);
  Compress(engine, dir / "files.1", {dir / "a.txt"});

  // A destination that is a folder cannot be opened for its date.
  test::MakeDirs(dir / "out\\a.txt");
  engine.SetOverwrite(owDate);
  EXPECT_EQ(Message([&] { Extract(engine, dir / "files.1", dir / "out", {dir / "a.txt"}); }),
            "Error comparing file versions in TVtrlCompress");

  auto bytes = ReadAll(dir / "files.1");
  test::PutI32(bytes, 5 + 128, 6);  // FileSize one more than the data give
  WriteAll(dir / "wrongsize.1", bytes);
  TVtrlCompress reader(nullptr);
  EXPECT_EQ(Message([&] { Extract(reader, dir / "wrongsize.1", dir / "ws", {dir / "a.txt"}); }),
            "The decompressed file's size does not match with the actual size of the file.  The "
            "file is " +
                dir / "a.txt");
  EXPECT_FALSE(platform::FileExists(dir / "ws\\a.txt"));  // no file that only looks extracted

  bytes = ReadAll(dir / "files.1");
  std::fill_n(bytes.begin() + 5 + 4, 8, 0xFF);  // FileDate: not a number
  WriteAll(dir / "nodate.1", bytes);
  EXPECT_EQ(Message([&] { Extract(reader, dir / "nodate.1", dir / "nd", {dir / "a.txt"}); }),
            "Cannot set the date of the file just extracted.");

  EXPECT_EQ(Message([&] { Extract(reader, dir / "missing.1", dir / "m", {dir / "a.txt"}); }),
            "Cannot open the compressed file " + dir / "missing.1");
  EXPECT_EQ(Message([&] { Compress(engine, dir / "files.1", {dir / "nothere.txt"}); }),
            "Cannot open the file " + dir / "nothere.txt");
  TlzhFileStats stats;
  EXPECT_EQ(Message([&] {
              reader.SetCompressedFile(dir / "nodate.1");
              reader.GetFileStats(1, stats);
            }),
            "Tried to access the 1th file. This file is not defined");
}

TEST(VtrlCompress, AbortEndsQuietlyWithTheEvent) {
  TempDir dir;
  WriteAll(dir / "big.bin", test::RandomBytes(400000, 5), kStamp);
  TVtrlCompress engine(nullptr);
  engine.SetProgressInterval(0);  // a report per block, however fast
  int aborted = 0;
  engine.OnAborted = [&](TObject* sender) {
    EXPECT_EQ(sender, &engine);
    ++aborted;
  };
  engine.OnStatus = [&](TVtrlCompress* e, const TlzhFileStats&) { e->SetAbort(true); };
  Compress(engine, dir / "files.1", {dir / "big.bin"});
  EXPECT_EQ(aborted, 1);
  EXPECT_TRUE(engine.Abort());

  engine.OnStatus = nullptr;
  Compress(engine, dir / "files.1", {dir / "big.bin"});
  EXPECT_FALSE(engine.Abort());
  engine.OnStatus = [&](TVtrlCompress* e, const TlzhFileStats&) { e->SetAbort(true); };
  Extract(engine, dir / "files.1", dir / "out", {dir / "big.bin"});
  EXPECT_EQ(aborted, 2);
  EXPECT_TRUE(engine.Abort());

  // The silent abort of a handler ends the operation without the event.
  engine.OnStatus = [&](TVtrlCompress*, const TlzhFileStats&) { throw EAbort(); };
  Extract(engine, dir / "files.1", dir / "out", {dir / "big.bin"});
  EXPECT_EQ(aborted, 2);
  // Any other exception passes through with Abort set.
  engine.OnStatus = [&](TVtrlCompress*, const TlzhFileStats&) { throw EAIUserAbort(); };
  EXPECT_THROW(Extract(engine, dir / "files.1", dir / "out", {dir / "big.bin"}), EAIUserAbort);
  EXPECT_TRUE(engine.Abort());

  // A copy stopped by Abort says nothing and leaves no part of the file.
  engine.OnStatus = [&](TVtrlCompress* e, const TlzhFileStats&) { e->SetAbort(true); };
  engine.CopyFile(dir / "big.bin", dir / "partial.bin");
  EXPECT_FALSE(platform::FileExists(dir / "partial.bin"));
  EXPECT_EQ(aborted, 2);
}

TEST(VtrlCompress, DirectoryLoadingRules) {
  TempDir dir;
  WriteAll(dir / "a.txt", test::TextBytes("alpha"), kStamp);
  TVtrlCompress engine(nullptr);
  Compress(engine, dir / "files.1", {dir / "a.txt"});
  WriteAll(dir / "other.1", {0, 0, 0, 0, 0});
  EXPECT_EQ(engine.FileCount(), 1);

  // After a compression the directory in memory answers, until another archive is named.
  WriteAll(dir / "files.1", {0, 0, 0, 0, 0});
  EXPECT_EQ(engine.FileCount(), 1);
  engine.SetCompressedFile(dir / "other.1");
  EXPECT_EQ(engine.FileCount(), 0);

  // Another volume of the same set keeps a loaded directory; another name drops it.
  Compress(engine, dir / "files.1", {dir / "a.txt"});
  TVtrlCompress reader(nullptr);
  reader.SetCompressedFile(dir / "files.1");
  EXPECT_EQ(reader.FileCount(), 1);
  platform::DeleteFile(dir / "files.1");
  reader.SetCompressedFile(dir / "FILES.2");
  EXPECT_EQ(reader.FileCount(), 1);
  reader.SetCompressedFile(dir / "other.1");
  EXPECT_EQ(reader.FileCount(), 0);
  reader.SetCompressedFile(dir / "files.1");
  EXPECT_EQ(Message([&] { reader.FileCount(); }),
            "Cannot open the compressed file " + dir / "files.1");
}

// An engine whose targets fill up: every volume holds `volume_capacity` bytes (the first
// `first_volume_capacity` when that is set), and `full_target` stops taking bytes after `limit`.
class SmallDisks : public TVtrlCompress {
 public:
  SmallDisks() : TVtrlCompress(nullptr) {}
  using TVtrlCompress::WriteTarget;
  int64_t volume_capacity = INT64_MAX;
  int64_t first_volume_capacity = -1;
  WriteTarget full_target = WriteTarget::Copy;
  int64_t limit = INT64_MAX;

 protected:
  int64_t WriteTo(WriteTarget target, platform::File& file, const void* data,
                  size_t count) override {
    int64_t allowed = static_cast<int64_t>(count);
    if (target == WriteTarget::Volume) {
      const int64_t capacity =
          volume_ == 0 && first_volume_capacity >= 0 ? first_volume_capacity : volume_capacity;
      allowed = std::clamp<int64_t>(capacity - file.Position(), 0, allowed);
      // The engine moves to a fresh volume after every short write.
      if (allowed < static_cast<int64_t>(count)) ++volume_;
    }
    if (target == full_target) {
      allowed = std::clamp<int64_t>(limit - written_, 0, allowed);
      written_ += allowed;
    }
    return allowed == 0 ? 0 : TVtrlCompress::WriteTo(target, file, data, allowed);
  }

 private:
  int volume_ = 0;
  int64_t written_ = 0;
};

TEST(VtrlCompress, VolumeSetsSpanAndExtractBack) {
  TempDir dir;
  const std::map<std::string, std::vector<uint8_t>> files = {
      {"a.txt", test::TextBytes("a small file at the start")},
      {"big.bin", test::RandomBytes(50000, 11)},  // far larger than one volume
      {"c.txt", std::vector<uint8_t>(3000, 'c')},
  };
  std::vector<std::string> paths;
  for (const auto& [name, bytes] : files) {
    WriteAll(dir / name, bytes, kStamp);
    paths.push_back(dir / name);
  }
  TVtrlCompress packer(nullptr);
  Compress(packer, dir / "files.1", paths);

  SmallDisks spanner;
  spanner.volume_capacity = 9000;
  std::vector<int> asked;
  spanner.OnNewDisk = [&](TVtrlCompress*, int disk, std::string& path) {
    asked.push_back(disk);
    if (disk == 4) path = dir / "later";  // volumes from 4 on go elsewhere
    test::MakeDirs(path);
  };
  test::MakeDirs(dir / "disks");
  spanner.SetCompressedFile(dir / "files.1");
  spanner.SpanToDisks(dir / "disks", "files.1");
  ASSERT_GE(asked.size(), 5u);
  for (size_t i = 0; i < asked.size(); ++i) EXPECT_EQ(asked[i], static_cast<int>(i) + 2);
  const int volumes = asked.back();

  // Volume 1: the prefix and every header, back to back; no other volume has any.
  const auto first = ReadAll(dir / "disks\\files.1");
  EXPECT_EQ(test::I32At(first, 0), 3);
  EXPECT_EQ(first[4], 1);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(test::I32At(first, 5 + 172 * i + 124), 5 + 172 * (i + 1));
  EXPECT_TRUE(platform::FileExists(dir / "disks\\files.3"));
  EXPECT_FALSE(platform::FileExists(dir / "disks\\files.4"));
  EXPECT_TRUE(platform::FileExists(dir / ("later\\files." + std::to_string(volumes))));
  ASSERT_EQ(spanner.FileCount(), 3);
  TlzhFileStats stats;
  spanner.GetFileStats(1, stats);
  const TFileHeader big(stats.Header);
  EXPECT_GT(big.LastDisk(), big.FirstDisk() + 1);  // starts on one volume, ends several later
  EXPECT_EQ(big.FirstDisk(), 1);

  // Gather the volumes where a floppy user would have them: one folder, asked for by number.
  test::MakeDirs(dir / "floppy");
  for (int v = 1; v <= volumes; ++v) {
    const std::string name = "files." + std::to_string(v);
    const std::string from = v < 4 ? dir / ("disks\\" + name) : dir / ("later\\" + name);
    WriteAll(dir / ("floppy\\" + name), ReadAll(from));
  }
  TVtrlCompress reader(nullptr);
  std::vector<int> requests;
  reader.OnNewDisk = [&](TVtrlCompress*, int disk, std::string&) { requests.push_back(disk); };
  Extract(reader, dir / "floppy\\files.1", dir / "out", paths);
  EXPECT_TRUE(requests.empty());
  for (const auto& [name, bytes] : files) {
    EXPECT_EQ(ReadAll(dir / ("out\\" + name)), bytes) << name;
    EXPECT_EQ(test::StampOf(dir / ("out\\" + name)), kStamp) << name;
  }

  // A missing volume is asked for at most 4 times, then the extraction fails.
  platform::DeleteFile(dir / "floppy\\files.3");
  requests.clear();
  reader.OnNewDisk = [&](TVtrlCompress*, int disk, std::string& path) {
    requests.push_back(disk);
    EXPECT_EQ(path, dir / "floppy");
  };
  EXPECT_EQ(
      Message([&] { Extract(reader, dir / "floppy\\files.1", dir / "out", {dir / "big.bin"}); }),
      "Cannot open the compressed file " + dir / "floppy\\files.3");
  EXPECT_EQ(requests, (std::vector<int>{3, 3, 3, 3}));

  // Found on the second request, in another folder: the engine reads on from that folder and
  // asks again for the next volume, which is back in the first one.
  requests.clear();
  reader.OnNewDisk = [&](TVtrlCompress*, int disk, std::string& path) {
    requests.push_back(disk);
    if (disk == 3 && requests.size() == 2) path = dir / "disks";
    if (disk == 4) path = dir / "floppy";
  };
  Extract(reader, dir / "floppy\\files.1", dir / "again", {dir / "big.bin"});
  EXPECT_EQ(requests, (std::vector<int>{3, 3, 4}));
  EXPECT_EQ(ReadAll(dir / "again\\big.bin"), files.at("big.bin"));

  reader.OnNewDisk = nullptr;
  EXPECT_EQ(
      Message([&] { Extract(reader, dir / "floppy\\files.1", dir / "out", {dir / "big.bin"}); }),
      "Could not open the correct disk file 3");
}

TEST(VtrlCompress, SpanFailures) {
  TempDir dir;
  WriteAll(dir / "big.bin", test::RandomBytes(30000, 12), kStamp);
  TVtrlCompress packer(nullptr);
  Compress(packer, dir / "files.1", {dir / "big.bin"});
  test::MakeDirs(dir / "disks");

  SmallDisks no_handler;
  no_handler.volume_capacity = 9000;
  no_handler.SetCompressedFile(dir / "files.1");
  EXPECT_EQ(Message([&] { no_handler.SpanToDisks(dir / "disks", "files.1"); }),
            "There was no event handler for the OnNewDisk event, therefore no new disk could be "
            "inserted");
  EXPECT_TRUE(no_handler.Abort());

  SmallDisks tiny;
  tiny.first_volume_capacity = 9000;
  tiny.volume_capacity = 100;  // less than the rest of one chunk
  tiny.OnNewDisk = [](TVtrlCompress*, int, std::string&) {};
  tiny.SetCompressedFile(dir / "files.1");
  EXPECT_EQ(Message([&] { tiny.SpanToDisks(dir / "disks", "files.1"); }),
            "There is too little space on this disk to operate");

  int aborted = 0;
  TVtrlCompress stopped(nullptr);
  stopped.OnAborted = [&](TObject*) { ++aborted; };
  stopped.OnStatus = [](TVtrlCompress* e, const TlzhFileStats&) { e->SetAbort(true); };
  stopped.SetCompressedFile(dir / "files.1");
  stopped.SpanToDisks(dir / "disks", "files.1");
  EXPECT_EQ(aborted, 1);
}

TEST(VtrlCompress, FullDisksAskTheHandlerOrRaise) {
  TempDir dir;
  WriteAll(dir / "a.bin", test::RandomBytes(20000, 13), kStamp);
  TVtrlCompress packer(nullptr);
  Compress(packer, dir / "files.1", {dir / "a.bin"});

  SmallDisks full;
  full.full_target = SmallDisks::WriteTarget::Extracted;
  full.limit = 5000;
  EXPECT_THROW(Extract(full, dir / "files.1", dir / "out", {dir / "a.bin"}), EvcDiskFull);
  EXPECT_EQ(Message([&] { full.FullDisk(); }), "The disk is full");

  SmallDisks handled;
  handled.full_target = SmallDisks::WriteTarget::Archive;
  handled.limit = 1000;
  int calls = 0;
  handled.OnFullDisk = [&](TObject*) { ++calls; };
  Compress(handled, dir / "short.1", {dir / "a.bin"});  // goes on after the handler
  EXPECT_EQ(calls, 1);

  SmallDisks copy_full;
  copy_full.full_target = SmallDisks::WriteTarget::Copy;
  copy_full.limit = 100;
  EXPECT_THROW(copy_full.CopyFile(dir / "a.bin", dir / "copy.bin"), EvcDiskFull);
}

TEST(VtrlCompress, CopyFileCopiesBytesAndDate) {
  TempDir dir;
  const auto bytes = test::RandomBytes(8192 * 3, 14);  // a multiple of the chunk
  WriteAll(dir / "a.bin", bytes, kStamp);
  TVtrlCompress engine(nullptr);
  std::vector<int32_t> progress;
  engine.OnStatus = [&](TVtrlCompress*, const TlzhFileStats& s) {
    progress.push_back(s.FileDone ? -s.FilePercent : s.FileBytesDone);
  };
  engine.CopyFile(dir / "a.bin", dir / "b.bin");
  EXPECT_EQ(ReadAll(dir / "b.bin"), bytes);
  EXPECT_EQ(test::StampOf(dir / "b.bin"), kStamp);
  EXPECT_EQ(progress, (std::vector<int32_t>{8192, 16384, 24576, 24576, -100}));
  EXPECT_EQ(engine.ExtractDirectory(), dir.path());
  EXPECT_EQ(engine.TargetName(), "b.bin");
  EXPECT_EQ(Message([&] { engine.CopyFile(dir / "none.bin", dir / "c.bin"); }),
            "Cannot open the file " + dir / "none.bin");
}

// Makes a symbolic link for a test, or ends the test: skipped visibly, failed under CI.
#define MAKE_LINK_OR_SKIP(target, link)                                                 \
  do {                                                                                  \
    if (!test::MakeSymbolicLink(target, link)) {                                        \
      if (platform::GetEnv("CI").value_or("") == "true") FAIL() << "cannot make links"; \
      GTEST_SKIP() << "this system makes no symbolic links for the test";               \
    }                                                                                   \
  } while (false)

// A link planted in the destination folder, to a file outside it or to nothing, is replaced by
// the extracted file; nothing is written at the far end.
TEST(VtrlCompress, NothingIsWrittenThroughALinkInTheDestination) {
  TempDir dir;
  test::MakeDirs(dir / "src");
  test::MakeDirs(dir / "out");
  for (const char* name : {"link.txt", "dangling.txt", "copied.txt"})
    WriteAll(dir / ("src\\" + std::string(name)), test::TextBytes(name), kStamp);
  WriteAll(dir / "outside.txt", test::TextBytes("outside"));
  WriteAll(dir / "gone.txt", test::TextBytes("gone"));
  MAKE_LINK_OR_SKIP("../outside.txt", dir / "out\\link.txt");
  MAKE_LINK_OR_SKIP("../gone.txt", dir / "out\\dangling.txt");
  MAKE_LINK_OR_SKIP("../outside.txt", dir / "out\\copied.txt");
  ASSERT_TRUE(platform::DeleteFile(dir / "gone.txt"));

  TVtrlCompress engine(nullptr);
  Compress(engine, dir / "files.1", {dir / "src\\link.txt", dir / "src\\dangling.txt"});
  Extract(engine, dir / "files.1", dir / "out", {dir / "src\\link.txt", dir / "src\\dangling.txt"});
  engine.CopyFile(dir / "src\\copied.txt", dir / "out\\copied.txt");
  EXPECT_EQ(ReadAll(dir / "outside.txt"), test::TextBytes("outside"));
  EXPECT_FALSE(platform::FileExists(dir / "gone.txt"));
  for (const char* name : {"link.txt", "dangling.txt", "copied.txt"}) {
    EXPECT_EQ(ReadAll(dir / ("out\\" + std::string(name))), test::TextBytes(name)) << name;
    EXPECT_EQ(test::StampOf(dir / ("out\\" + std::string(name))), kStamp) << name;
  }
  EXPECT_EQ(test::Names(dir / "out"),
            (std::vector<std::string>{"copied.txt", "dangling.txt", "link.txt"}));

  // Folders are made under the destination only where nothing has their name: never through
  // a dangling link to a folder.
  test::MakeDirs(dir / "gonedir");
  MAKE_LINK_OR_SKIP("../gonedir", dir / "out\\sub");
  ASSERT_TRUE(platform::RemoveDirectory(dir / "gonedir"));
  TVtrlCompress reader(nullptr);  // a copy leaves its target name set
  EXPECT_EQ(Message([&] {
              Extract(reader, dir / "files.1", dir / "out\\sub\\deeper", {dir / "src\\link.txt"});
            }),
            "Cannot create the file " + dir / "out\\sub\\deeper\\link.txt");
  EXPECT_FALSE(platform::FileExists(dir / "gonedir"));
}

// An entry named like its own archive, extracted into the archive's folder, must not overwrite
// the archive it is being read from, whatever the spelling of the name. A plain copy onto itself
// keeps the file.
TEST(VtrlCompress, TheArchiveBeingReadIsNeverATarget) {
  TempDir dir;
  test::MakeDirs(dir / "src");
  WriteAll(dir / "src\\files.1", test::TextBytes("an entry, not the archive"), kStamp);
  WriteAll(dir / "src\\b.txt", test::TextBytes("bee"), kStamp);
  TVtrlCompress engine(nullptr);
  Compress(engine, dir / "files.1", {dir / "src\\b.txt", dir / "src\\files.1"});
  const auto archive = ReadAll(dir / "files.1");

  TVtrlCompress reader(nullptr);
  EXPECT_EQ(
      Message([&] {
        Extract(reader, dir / "files.1", dir.path(), {dir / "src\\b.txt", dir / "src\\files.1"});
      }),
      "The file " + dir / "src\\files.1" + " cannot be extracted onto " + dir / "files.1" +
          ", the archive it is read from");
  EXPECT_EQ(ReadAll(dir / "files.1"), archive);
  EXPECT_EQ(test::Names(dir.path()), (std::vector<std::string>{"b.txt", "files.1", "src"}));

  // The same through a self-extracting file: the archive starts inside the program.
  WriteAll(dir / "src\\setup.exe", test::RandomBytes(3000, 40), kStamp);
  TVtrlCompress packer(nullptr);
  Compress(packer, dir / "src\\inner.1", {dir / "src\\setup.exe"});
  std::vector<uint8_t> exe = test::RandomBytes(5000, 41);
  const auto inner = ReadAll(dir / "src\\inner.1");
  exe.insert(exe.end(), inner.begin(), inner.end());
  WriteAll(dir / "setup.exe", exe);
  TVtrlCompress self(nullptr);
  self.SetOffset(5000);
  EXPECT_NE(Message([&] {
              Extract(self, dir / "setup.exe", dir.path(), {dir / "src\\setup.exe"});
            }).find("the archive it is read from"),
            std::string::npos);
  EXPECT_EQ(ReadAll(dir / "setup.exe"), exe);

  // A copy onto itself keeps the file.
  engine.CopyFile(dir / "src\\b.txt", dir / "src\\b.txt");
  EXPECT_EQ(ReadAll(dir / "src\\b.txt"), test::TextBytes("bee"));
  EXPECT_EQ(test::StampOf(dir / "src\\b.txt"), kStamp);
}

// A caller that has just seen nothing at the destination says so, and the engine takes its
// word for that one file: what is there after all is replaced at the move, as a file that came
// during the extraction is, but never when it is the archive itself.
TEST(VtrlCompress, AVacantTargetIsTakenAtItsWordOnceButNeverOverTheArchive) {
  TempDir dir;
  test::MakeDirs(dir / "src");
  test::MakeDirs(dir / "out");
  WriteAll(dir / "src\\a.txt", test::TextBytes("new"), kStamp);
  TVtrlCompress packer(nullptr);
  Compress(packer, dir / "files.1", {dir / "src\\a.txt"});
  const std::string dest = dir / "out\\a.txt";

  struct Row {
    const char* what;
    std::string vacant;  // said before the extraction; empty: nothing said
    const char* after;   // what dest holds afterwards
    int replace_events;
  } rows[] = {
      {"nothing said: the rule keeps the file", "", "old", 0},
      {"another path said: the rule keeps the file", dir / "out\\b.txt", "old", 0},
      {"this path said: replaced at the move", dest, "new", 0},
      {"said, then the next extraction: the rule again", "", "old", 0},
  };
  TVtrlCompress engine(nullptr);
  engine.SetOverwrite(owNever);
  int replace_events = 0;
  engine.OnReplace = [&](TVtrlCompress*, const TlzhFileStats&) { ++replace_events; };
  bool said_before = false;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    WriteAll(dest, test::TextBytes("old"), kStamp);
    replace_events = 0;
    if (!row.vacant.empty()) engine.SetVacantTarget(row.vacant);
    // The last row: said for a run that failed before reaching the file.
    if (said_before) {
      engine.SetVacantTarget(dest);
      EXPECT_NE(Message([&] { Extract(engine, dir / "files.1", dir / "out", {"missing.txt"}); }),
                "no error");
    }
    said_before = row.vacant == dest;
    Extract(engine, dir / "files.1", dir / "out", {dir / "src\\a.txt"});
    EXPECT_EQ(ReadAll(dest), test::TextBytes(row.after));
    EXPECT_EQ(replace_events, row.replace_events);
    EXPECT_EQ(test::Names(dir / "out"), std::vector<std::string>{"a.txt"}) << "no temporary";
  }

  // The archive at the destination, said vacant: still refused, still whole.
  WriteAll(dir / "src\\files.1", test::TextBytes("an entry named like the archive"), kStamp);
  Compress(packer, dir / "files.1", {dir / "src\\a.txt", dir / "src\\files.1"});
  const auto archive = ReadAll(dir / "files.1");
  TVtrlCompress reader(nullptr);
  reader.SetVacantTarget(dir / "files.1");
  EXPECT_NE(Message([&] { Extract(reader, dir / "files.1", dir.path(), {dir / "src\\files.1"}); })
                .find("the archive it is read from"),
            std::string::npos);
  EXPECT_EQ(ReadAll(dir / "files.1"), archive);
}

// Whatever stops an extraction or a copy half-way leaves the file that was there before as it
// was (or no file), and no temporary file beside it.
TEST(VtrlCompress, AFailureLeavesTheOldFileAndNoTemporary) {
  TempDir dir;
  WriteAll(dir / "a.bin", test::RandomBytes(100000, 41), kStamp);
  TVtrlCompress packer(nullptr);
  Compress(packer, dir / "files.1", {dir / "a.bin"});
  const auto good = ReadAll(dir / "files.1");
  auto bytes = good;
  test::PutI32(bytes, 5 + 128, 100001);  // FileSize one more than the data give
  WriteAll(dir / "wrongsize.1", bytes);
  bytes = good;
  for (size_t i = 5 + 172 + 20000; i < 5 + 172 + 20100; ++i) bytes[i] ^= 0x5A;
  WriteAll(dir / "damaged.1", bytes);
  bytes = good;
  std::fill_n(bytes.begin() + 5 + 4, 8, 0xFF);  // FileDate: not a number
  WriteAll(dir / "nodate.1", bytes);
  const uint32_t old_stamp = test::Stamp(1990, 1, 2, 3, 4, 6);

  struct Case {
    const char* what;
    std::string archive;
    bool copy;
    std::function<void(SmallDisks&)> setup;
    std::string error;  // the start of the message; "?": any; empty: ends without one
  } cases[] = {
      {"wrong size", dir / "wrongsize.1", false, nullptr, "The decompressed file's size"},
      {"damaged stream", dir / "damaged.1", false, nullptr, "?"},
      {"no date", dir / "nodate.1", false, nullptr, "Cannot set the date"},
      {"disk full", dir / "files.1", false,
       [](SmallDisks& e) {
         e.full_target = SmallDisks::WriteTarget::Extracted;
         e.limit = 50000;
       },
       "The disk is full"},
      {"user abort", dir / "files.1", false,
       [](SmallDisks& e) {
         e.OnStatus = [](TVtrlCompress* s, const TlzhFileStats& st) {
           if (st.FileBytesDone > 40000) s->SetAbort(true);
         };
       },
       ""},
      {"copy disk full", "", true,
       [](SmallDisks& e) {
         e.full_target = SmallDisks::WriteTarget::Copy;
         e.limit = 50000;
       },
       "The disk is full"},
      {"copy abort", "", true,
       [](SmallDisks& e) {
         e.OnStatus = [](TVtrlCompress* s, const TlzhFileStats& st) {
           if (st.FileBytesDone > 40000) s->SetAbort(true);
         };
       },
       ""},
  };
  for (const Case& c : cases) {
    for (bool existed : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (existed ? ", replacing" : ", new"));
      const std::string out = dir / "out", dest = dir / "out\\a.bin";
      test::RemoveTree(out);
      test::MakeDirs(out);
      if (existed) WriteAll(dest, test::TextBytes("the old file"), old_stamp);
      SmallDisks engine;
      engine.SetProgressInterval(0);
      if (c.setup) c.setup(engine);
      int aborted = 0;
      engine.OnAborted = [&](TObject*) { ++aborted; };
      const std::string message = Message([&] {
        if (c.copy) {
          engine.CopyFile(dir / "a.bin", dest);
        } else {
          Extract(engine, c.archive, out, {dir / "a.bin"});
        }
      });
      if (c.error.empty()) {
        EXPECT_EQ(message, "no error");
        EXPECT_TRUE(engine.Abort());
        EXPECT_EQ(aborted, c.copy ? 0 : 1);
      } else if (c.error == "?") {
        EXPECT_NE(message, "no error");
      } else {
        EXPECT_EQ(message.rfind(c.error, 0), 0u) << message;
      }
      if (existed) {
        EXPECT_EQ(ReadAll(dest), test::TextBytes("the old file"));
        EXPECT_EQ(test::StampOf(dest), old_stamp);
        EXPECT_EQ(test::Names(out), std::vector<std::string>{"a.bin"});
      } else {
        EXPECT_EQ(test::Names(out), std::vector<std::string>{});
      }
    }
  }
}

// A destination another opener holds without delete sharing (a running program) cannot be
// replaced: the extraction fails with the file's name, the file stays, no temporary is left.
TEST(VtrlCompress, AHeldDestinationFailsCleanly) {
  TempDir dir;
  WriteAll(dir / "a.txt", test::TextBytes("new"), kStamp);
  TVtrlCompress engine(nullptr);
  Compress(engine, dir / "files.1", {dir / "a.txt"});
  test::MakeDirs(dir / "out");
  WriteAll(dir / "out\\a.txt", test::TextBytes("old"));
  platform::File held = platform::File::Open(dir / "out\\a.txt", platform::Access::Read,
                                             platform::kShareRead | platform::kShareWrite,
                                             platform::Disposition::OpenExisting);
  ASSERT_TRUE(held.IsOpen());
  EXPECT_EQ(Message([&] { Extract(engine, dir / "files.1", dir / "out", {dir / "a.txt"}); }),
            "Cannot create the file " + dir / "out\\a.txt");
  EXPECT_EQ(Message([&] { engine.CopyFile(dir / "a.txt", dir / "out\\a.txt"); }),
            "Cannot create the file " + dir / "out\\a.txt");
  held.Close();
  EXPECT_EQ(ReadAll(dir / "out\\a.txt"), test::TextBytes("old"));
  EXPECT_EQ(test::Names(dir / "out"), std::vector<std::string>{"a.txt"});
  Extract(engine, dir / "files.1", dir / "out", {dir / "a.txt"});
  EXPECT_EQ(ReadAll(dir / "out\\a.txt"), test::TextBytes("new"));
}

TEST(VtrlCompress, IsAComponentWithItsProperties) {
  TVtrlCompress engine(nullptr);
  EXPECT_EQ(FindClass("TVtrlCompress"), engine.ClassType());
  std::vector<std::string> names;
  for (const TPropInfo* p : engine.ClassType()->Properties()) names.push_back(p->name);
  for (const char* expected : {"Abort", "CompressedFile", "CompressionLevel", "ExtractDirectory",
                               "FilesToProcess", "Offset", "Overwrite", "OnAborted", "OnNewDisk",
                               "OnReplace", "OnStatus", "OnFullDisk", "OnListing"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  }
  EXPECT_EQ(engine.CompressionLevel(), colMax);
  EXPECT_EQ(engine.Overwrite(), owAlways);
  EXPECT_EQ(engine.Offset(), 0);
}

TEST(VtrlCompress, ReadAndWrittenWithAForm) {
  const std::string text =
      "object Root: TComponent\n"
      "  object Archive1: TVtrlCompress\n"
      "    CompressedFile = 'C:\\dist\\files.1'\n"
      "    CompressionLevel = colFastest\n"
      "    FilesToProcess.Strings = (\n"
      "      'a.txt'\n"
      "      '  '\n"
      "      'b.txt')\n"
      "    Offset = 20000\n"
      "    Overwrite = owVersionDate\n"
      "  end\n"
      "  object Version1: TVersionResource\n"
      "    FileName = 'C:\\lib\\x.dll'\n"
      "    Language = lnGerman\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TComponent> root = ReadForm(text);
  auto* engine = dynamic_cast<TVtrlCompress*>(root->FindComponent("Archive1"));
  ASSERT_NE(engine, nullptr);
  EXPECT_EQ(engine->CompressedFile(), "C:\\dist\\files.1");
  EXPECT_EQ(engine->CompressionLevel(), colFastest);
  EXPECT_EQ(engine->FilesToProcess()->Text(), "a.txt\r\nb.txt\r\n");  // blank lines dropped
  EXPECT_EQ(engine->Offset(), 20000);
  EXPECT_EQ(engine->Overwrite(), owVersionDate);
  auto* version = dynamic_cast<TVersionResource*>(root->FindComponent("Version1"));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->Language(), lnGerman);

  const std::string written = WriteForm(*root);
  EXPECT_NE(written.find("CompressionLevel = colFastest"), std::string::npos) << written;
  EXPECT_NE(written.find("Language = lnGerman"), std::string::npos) << written;
  EXPECT_NE(written.find("FileName = "), std::string::npos) << written;
  EXPECT_EQ(written.find("Abort"), std::string::npos) << written;
  EXPECT_EQ(written.find("CharacterSet"), std::string::npos) << written;
  EXPECT_EQ(written.find("VersionInfo"), std::string::npos) << written;
}

// An engine whose extracted files go to a slow disk: each block takes `delay`.
class SlowDisk : public TVtrlCompress {
 public:
  SlowDisk() : TVtrlCompress(nullptr) {}
  std::chrono::milliseconds delay{10};
  int blocks = 0;

 protected:
  int64_t WriteTo(WriteTarget target, platform::File& file, const void* data,
                  size_t count) override {
    if (target == WriteTarget::Extracted) {
      ++blocks;
      std::this_thread::sleep_for(delay);
    }
    return TVtrlCompress::WriteTo(target, file, data, count);
  }
};

TEST(VtrlCompress, ASlowExtractionStillReportsAndStopsAtTheNextBlock) {
  TempDir dir;
  const auto bytes = test::RandomBytes(16 * 65536, 21);
  WriteAll(dir / "a.bin", bytes, kStamp);
  TVtrlCompress packer(nullptr);
  Compress(packer, dir / "files.1", {dir / "a.bin"});

  // 16 blocks of 10 ms: reports come every 50 ms or so, not every block, and the last one.
  SlowDisk slow;
  std::vector<int32_t> done;
  slow.OnStatus = [&](TVtrlCompress*, const TlzhFileStats& s) { done.push_back(s.FileBytesDone); };
  const auto started = std::chrono::steady_clock::now();
  Extract(slow, dir / "files.1", dir / "out", {dir / "a.bin"});
  const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now() - started)
                           .count();
  EXPECT_EQ(slow.blocks, 16);
  // The first block's, at least two more over 150 ms and more, the last; never two within
  // 50 ms between those.
  EXPECT_GE(done.size(), 4u);
  EXPECT_LE(static_cast<int64_t>(done.size()), elapsed / 50 + 2);
  EXPECT_EQ(done.back(), static_cast<int32_t>(bytes.size()));
  EXPECT_TRUE(ReadAll(dir / "out\\a.bin") == bytes);

  // Cancel from a report: not one more block is written, and nothing is left.
  SlowDisk cancelled;
  int aborted = 0;
  int blocks_at_cancel = -1;
  cancelled.OnStatus = [&](TVtrlCompress* e, const TlzhFileStats&) {
    if (blocks_at_cancel < 0) blocks_at_cancel = cancelled.blocks;
    e->SetAbort(true);
  };
  cancelled.OnAborted = [&](TObject*) { ++aborted; };
  Extract(cancelled, dir / "files.1", dir / "out2", {dir / "a.bin"});
  EXPECT_EQ(aborted, 1);
  EXPECT_GT(blocks_at_cancel, 0);
  EXPECT_EQ(cancelled.blocks, blocks_at_cancel);
  EXPECT_EQ(test::Names(dir / "out2"), std::vector<std::string>{});
}

TEST(VtrlCompress, AddingFileByFileKeepsTheBytesOfReadingTheDirectoryEachTime) {
  TempDir dir;
  std::vector<std::string> files;
  for (int i = 0; i < 12; ++i) {
    const std::string path = dir / test::Numbered("f", i, ".bin");
    WriteAll(path,
             i % 2 ? test::RandomBytes(1000 + i * 9000, i) : std::vector<uint8_t>(i * 5000, 'z'),
             kStamp);
    files.push_back(path);
  }
  auto record = [](TVtrlCompress& e, std::vector<std::string>& log) {
    auto line = [&log](const char* what, const TlzhFileStats& s) {
      log.push_back(std::string(what) + " " + s.FileName + " " + std::to_string(s.FileBytesDone) +
                    " " + std::to_string(s.CompressedSize) + " " +
                    std::to_string(s.TotalBytesDone) + "/" + std::to_string(s.TotalFileSize) + " " +
                    std::to_string(s.TotalCompressedSize) + " " + std::to_string(s.TotalRatio));
    };
    e.OnBeforeAdding = [line](TVtrlCompress*, const TlzhFileStats& s) { line("before", s); };
    e.OnStatus = [line](TVtrlCompress*, const TlzhFileStats& s) { line("status", s); };
    e.OnAfterAdding = [line](TVtrlCompress*, const TlzhFileStats& s) { line("after", s); };
  };
  // One engine for the whole build, and a fresh one (which must read the directory) per file.
  std::vector<std::string> kept_log, fresh_log;
  TVtrlCompress kept(nullptr);
  record(kept, kept_log);
  for (size_t i = 0; i < files.size(); ++i) {
    Compress(kept, dir / "kept.1", {files[i]}, i == 0 ? lzcOverwrite : lzcOnlyAdd,
             static_cast<int>(i));
    TVtrlCompress fresh(nullptr);
    record(fresh, fresh_log);
    Compress(fresh, dir / "fresh.1", {files[i]}, i == 0 ? lzcOverwrite : lzcOnlyAdd,
             static_cast<int>(i));
  }
  EXPECT_TRUE(ReadAll(dir / "kept.1") == ReadAll(dir / "fresh.1"));
  EXPECT_EQ(kept_log, fresh_log);
  EXPECT_EQ(kept.FileCount(), 12);
  TlzhFileStats stats;
  kept.GetFileStats(11, stats);
  EXPECT_EQ(TFileHeader(stats.Header).UniqueID(), 11);
}

TEST(VtrlCompress, AnArchiveChangedBetweenAdditionsIsReadAgain) {
  TempDir dir;
  for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
    WriteAll(dir / name, test::TextBytes(std::string("the file ") + name), kStamp);
  TVtrlCompress first(nullptr), second(nullptr);
  Compress(first, dir / "files.1", {dir / "a.txt"}, lzcOnlyAdd);
  Compress(second, dir / "files.1", {dir / "b.txt"}, lzcOnlyAdd);  // another writer
  Compress(first, dir / "files.1", {dir / "c.txt"}, lzcOnlyAdd);
  // Made anew by another writer at the very same size: the last record differs.
  Compress(second, dir / "files.1", {dir / "d.txt"}, lzcOverwrite);
  Compress(second, dir / "files.1", {dir / "b.txt"}, lzcOnlyAdd);
  Compress(second, dir / "files.1", {dir / "a.txt"}, lzcOnlyAdd);
  Compress(first, dir / "files.1", {dir / "c.txt"}, lzcOnlyAdd);
  TVtrlCompress reader(nullptr);
  reader.SetCompressedFile(dir / "files.1");
  ASSERT_EQ(reader.FileCount(), 4);
  std::vector<std::string> names;
  TlzhFileStats stats;
  for (int i = 0; i < 4; ++i) {
    reader.GetFileStats(i, stats);
    names.push_back(ExtractFileName(stats.FileName));
  }
  EXPECT_EQ(names, (std::vector<std::string>{"d.txt", "b.txt", "a.txt", "c.txt"}));
  Extract(reader, dir / "files.1", dir / "out", {dir / "c.txt", dir / "d.txt"});
  EXPECT_EQ(ReadAll(dir / "out\\c.txt"), test::TextBytes("the file c.txt"));
  EXPECT_EQ(ReadAll(dir / "out\\d.txt"), test::TextBytes("the file d.txt"));
}

TEST(VtrlCompress, TheArchiveKeptOpenBetweenExtractionsIsNoObstacle) {
  TempDir dir;
  WriteAll(dir / "a.txt", test::TextBytes("alpha"), kStamp);
  WriteAll(dir / "b.txt", test::TextBytes("beta"), kStamp);
  TVtrlCompress packer(nullptr);
  Compress(packer, dir / "one.1", {dir / "a.txt", dir / "b.txt"});
  WriteAll(dir / "a.txt", test::TextBytes("another alpha"), kStamp);
  Compress(packer, dir / "two.1", {dir / "a.txt"});

  // File by file, as an install extracts; between archives and back.
  TVtrlCompress engine(nullptr);
  Extract(engine, dir / "one.1", dir / "out1", {dir / "a.txt"});
  Extract(engine, dir / "one.1", dir / "out1", {dir / "b.txt"});
  Extract(engine, dir / "two.1", dir / "out2", {dir / "a.txt"});
  Extract(engine, dir / "one.1", dir / "out3", {dir / "a.txt"});
  EXPECT_EQ(ReadAll(dir / "out1\\a.txt"), test::TextBytes("alpha"));
  EXPECT_EQ(ReadAll(dir / "out1\\b.txt"), test::TextBytes("beta"));
  EXPECT_EQ(ReadAll(dir / "out2\\a.txt"), test::TextBytes("another alpha"));
  EXPECT_EQ(ReadAll(dir / "out3\\a.txt"), test::TextBytes("alpha"));

  // Still open, it can be removed: the install's clean-up must not fail on it.
  EXPECT_TRUE(platform::DeleteFile(dir / "one.1"));
  // The same engine writing the archive it extracted from, then reading it again.
  Extract(engine, dir / "two.1", dir / "out4", {dir / "a.txt"});
  Compress(engine, dir / "two.1", {dir / "b.txt"}, lzcOverwrite);
  Extract(engine, dir / "two.1", dir / "out4", {dir / "b.txt"});
  EXPECT_EQ(ReadAll(dir / "out4\\b.txt"), test::TextBytes("beta"));
  // And it is never a target while it is kept open.
  engine.SetTargetName("two.1");
  EXPECT_NE(Message([&] { Extract(engine, dir / "two.1", dir.path(), {dir / "b.txt"}); }),
            "no error");
  engine.ReleaseArchive();
  EXPECT_TRUE(platform::DeleteFile(dir / "two.1"));
}

}  // namespace
}  // namespace vantorel
