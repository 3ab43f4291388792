// Damaged archives: every one ends in one of the engine's messages, never in a crash, a hang or
// an allocation the file's size does not bound.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

#include "archive/compress.h"
#include "archive_test_util.h"
#include "routines/exceptions.h"

namespace vantorel {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteAll;

// The beginnings of every message a damaged archive may give.
const char* const kExpected[] = {
    "Could not read the file header count for the compressed file",
    "Could not read the file headers for the compressed file. The Archive file could possible be "
    "corrupt",
    "Tried to add an invalid file header",
    "The file <",  // a damaged name no longer matches
    "The decompressed file's size does not match",
    "The compressed data of the file",
    "Cannot set the date of the file just extracted.",
    "Cannot read the file",
    "Could not open the correct disk file",
    "error",  // zlib's own
};

bool IsExpected(const std::string& message) {
  for (const char* prefix : kExpected) {
    if (message.rfind(prefix, 0) == 0) return true;
  }
  return false;
}

class CorruptArchive : public ::testing::Test {
 protected:
  void SetUp() override {
    files_ = {
        {dir_ / "a.txt", test::TextBytes("alpha alpha alpha alpha alpha")},
        {dir_ / "b.bin", test::RandomBytes(3000, 21)},
        {dir_ / "c.txt", std::vector<uint8_t>(5000, 'c')},
    };
    TStrings list;
    for (const auto& [path, bytes] : files_) {
      WriteAll(path, bytes, test::Stamp(2002, 2, 2, 2, 2, 2));
      list.Add(path);
    }
    TVtrlCompress engine(nullptr);
    engine.SetCompressedFile(dir_ / "good.1");
    engine.SetFilesToProcess(list);
    engine.Compress(lzcOverwrite, 1);
    good_ = ReadAll(dir_ / "good.1");
  }

  // Reads the directory of `bytes` and extracts every file; returns "" when all went well, the
  // message otherwise. Anything but the engine's exceptions fails the test.
  std::string Try(const std::vector<uint8_t>& bytes) {
    WriteAll(dir_ / "bad.1", bytes);
    TVtrlCompress engine(nullptr);
    TStrings list;
    for (const auto& f : files_) list.Add(f.first);
    engine.SetCompressedFile(dir_ / "bad.1");
    engine.SetExtractDirectory(dir_ / "out");
    engine.SetFilesToProcess(list);
    most_done_ = 0;
    c_done_ = 0;
    engine.OnStatus = [&](TVtrlCompress*, const TlzhFileStats& s) {
      most_done_ = std::max(most_done_, s.FileBytesDone);
      if (s.FileName == dir_ / "c.txt") c_done_ = std::max(c_done_, s.FileBytesDone);
    };
    try {
      engine.FileCount();
      engine.Extract();
    } catch (const Exception& e) {
      return e.Message();
    }
    // What extracted without complaint must be what went in (damage confined to, say, a pad
    // byte or the list index).
    for (const auto& [path, bytes] : files_) {
      const std::string name = path.substr(path.find_last_of('\\') + 1);
      EXPECT_EQ(ReadAll(dir_ / ("out\\" + name)), bytes) << name;
    }
    return "";
  }

  size_t HeaderAt(int index) const {
    size_t at = 5;
    for (int i = 0; i < index; ++i) at = static_cast<size_t>(test::I32At(good_, at + 124));
    return at;
  }

  TempDir dir_;
  int32_t most_done_ = 0;  // the most bytes of one file written by the last Try
  int32_t c_done_ = 0;     // of c.txt
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files_;
  std::vector<uint8_t> good_;
};

TEST_F(CorruptArchive, TheUndamagedArchiveExtracts) {
  EXPECT_EQ(Try(good_), "");
}

TEST_F(CorruptArchive, TruncatedAnywhere) {
#ifdef _WIN32
  const size_t short_step = 3, long_step = 29;  // file operations under Wine cost more
#else
  const size_t short_step = 1, long_step = 7;
#endif
  for (size_t n = 0; n < good_.size(); n += n < 400 ? short_step : long_step) {
    const std::string message = Try({good_.begin(), good_.begin() + n});
    EXPECT_TRUE(IsExpected(message)) << n << ": " << message;
  }
}

TEST_F(CorruptArchive, HeaderFieldsThatLie) {
  const size_t b = HeaderAt(1);
  const int32_t b_start = test::I32At(good_, b + 132), b_last = test::I32At(good_, b + 16);
  struct Case {
    const char* what;
    size_t at;
    int32_t value;
    const char* message;
  } cases[] = {
      {"more headers than the file holds", 0, 4000,
       "Could not read the file headers for the compressed file."},
      {"next header backwards", b + 124, 5, "Could not read the file headers"},
      {"next header outside the file", b + 124, 1 << 29, "Could not read the file headers"},
      {"negative file size", b + 128, -3000, "Could not read the file headers"},
      {"negative compressed size", b + 136, -1, "Could not read the file headers"},
      {"stream cut short", b + 16, b_last - 100, "The decompressed file's size does not match"},
      {"stream cut by its checksum", b + 16, b_last - 4, "The compressed data of the file"},
      {"data start inside the header", b + 132, b_start - 50, "Could not read the file headers"},
      {"file size larger", b + 128, 3001, "The decompressed file's size does not match"},
      {"file size smaller", b + 128, 2999, "The decompressed file's size does not match"},
      {"file size zero", b + 128, 0, "The decompressed file's size does not match"},
  };
  for (const Case& c : cases) {
    auto bad = good_;
    test::PutI32(bad, c.at, c.value);
    const std::string message = Try(bad);
    EXPECT_EQ(message.rfind(c.message, 0), 0u) << c.what << ": " << message;
  }
}

TEST_F(CorruptArchive, TrailingGarbageBehindAStream) {
  // Four bytes more inside b's data range: the stream ends before its last byte.
  const size_t b = HeaderAt(1), c = HeaderAt(2);
  auto bad = good_;
  bad.insert(bad.begin() + c, {0xDE, 0xAD, 0xBE, 0xEF});
  test::PutI32(bad, b + 16, test::I32At(bad, b + 16) + 4);    // LastByte
  test::PutI32(bad, b + 124, test::I32At(bad, b + 124) + 4);  // NextHeader
  test::PutI32(bad, b + 136, test::I32At(bad, b + 136) + 4);  // CompressedSize
  const size_t moved = c + 4;
  for (size_t field : {size_t{16}, size_t{124}, size_t{132}}) {
    test::PutI32(bad, moved + field, test::I32At(bad, moved + field) + 4);
  }
  const std::string message = Try(bad);
  EXPECT_EQ(message, "The compressed data of the file " + dir_ / "b.bin" +
                         " are followed by bytes that do not belong to it. The Archive file "
                         "could possible be corrupt");
}

TEST_F(CorruptArchive, StreamsThatInflateBeyondTheirSizeStopThere) {
  // A file recorded as 10 bytes whose stream holds 5,000: extraction stops one byte past the
  // size instead of writing everything out.
  const size_t c = HeaderAt(2);
  auto bad = good_;
  test::PutI32(bad, c + 128, 10);
  const std::string message = Try(bad);
  EXPECT_EQ(message.rfind("The decompressed file's size does not match", 0), 0u) << message;
  EXPECT_EQ(c_done_, 11);
  EXPECT_FALSE(platform::FileExists(dir_ / "out\\c.txt"));
}

TEST_F(CorruptArchive, RandomBytes) {
  for (uint32_t seed = 0; seed < 200; ++seed) {
    auto bytes = test::RandomBytes(seed * 13 % 2000, seed);
    if (seed % 2 && bytes.size() >= 5) {
      test::PutI32(bytes, 0, static_cast<int32_t>(seed % 5));  // a plausible count
      bytes[4] = static_cast<uint8_t>(seed % 3 == 0);
    }
    const std::string message = Try(bytes);
    EXPECT_TRUE(IsExpected(message) || message.empty()) << seed << ": " << message;
  }
}

TEST_F(CorruptArchive, ThousandsOfMutations) {
  std::mt19937 rng(4242);
  std::set<std::string> seen;
#ifdef _WIN32
  const int rounds = 1000;  // file operations under Wine cost more
#else
  const int rounds = 4000;
#endif
  for (int round = 0; round < rounds; ++round) {
    auto bad = good_;
    const int changes = 1 + static_cast<int>(rng() % 3);
    for (int k = 0; k < changes; ++k) {
      // Most damage goes to the directory, where it does the most harm.
      const size_t header = HeaderAt(static_cast<int>(rng() % 3));
      const size_t at =
          rng() % 3 ? (rng() % 2 ? rng() % 5 : header + rng() % 172) : rng() % bad.size();
      switch (rng() % 6) {
        case 0:
          bad[at] ^= static_cast<uint8_t>(1u << (rng() % 8));
          break;
        case 1:
          bad[at] = static_cast<uint8_t>(rng());
          break;
        case 2:
          if (at + 4 <= bad.size()) test::PutI32(bad, at, static_cast<int32_t>(rng()));
          break;
        case 3:
          if (at + 4 <= bad.size()) {
            test::PutI32(bad, at, test::I32At(bad, at) + static_cast<int32_t>(rng() % 64) - 32);
          }
          break;
        case 4:
          bad.resize(rng() % bad.size());
          break;
        default: {
          const auto noise = test::RandomBytes(1 + rng() % 64, rng());
          bad.insert(bad.begin() + std::min(at, bad.size()), noise.begin(), noise.end());
          break;
        }
      }
      if (bad.empty()) break;
    }
    const std::string message = Try(bad);
    ASSERT_TRUE(message.empty() || IsExpected(message)) << "round " << round << ": " << message;
    seen.insert(message.substr(0, 30));
    test::RemoveTree(dir_ / "out");
  }
  // The damage reached every stage: the directory, the data and the checks after them.
  EXPECT_GE(seen.size(), 6u);
}

}  // namespace
}  // namespace vantorel
