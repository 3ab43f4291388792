// Archives made to do harm, and names no archive should carry: each is refused with a message
// that says which entry and why, before anything is written.
#include <gtest/gtest.h>

#include <functional>

#include "archive/compress.h"
#include "archive/stored_name.h"
#include "archive_test_util.h"
#include "routines/exceptions.h"
#include "routines/strings.h"

namespace vantorel {
namespace {

using test::MakeArchive;
using test::RawEntry;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;

// Counts what reaches an extracted file, wherever the system sends it.
class CountingEngine : public TVtrlCompress {
 public:
  CountingEngine() : TVtrlCompress(nullptr) {}
  int64_t extracted_bytes = 0;

 protected:
  int64_t WriteTo(WriteTarget target, platform::File& file, const void* data,
                  size_t count) override {
    if (target == WriteTarget::Extracted) extracted_bytes += static_cast<int64_t>(count);
    return TVtrlCompress::WriteTo(target, file, data, count);
  }
};

std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<platform::DirEntry> entries;
  platform::ListDirectory(folder, "*", entries);
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  return names;
}

// The message of what `body` raised; "" when it raised nothing.
template <typename Body>
std::string MessageOf(Body body) {
  try {
    body();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "";
}

TEST(StoredNames, DeviceNames) {
  struct Case {
    const char* name;
    bool device;
  } cases[] = {
      {"AUX", true},         {"aux", true},         {"AUX.txt", true},       {"Aux.tar.gz", true},
      {"PRN", true},         {"CON", true},         {"con.", true},          {"NUL", true},
      {"nul ", true},        {"NUL .txt", true},    {"nul...", true},        {"COM1", true},
      {"com9.log", true},    {"LPT1", true},        {"lpt9", true},          {"COM1:", true},
      {"CONIN$", true},      {"conout$.x", true},   {"COM\xB9", true},       {"LPT\xB3.txt", true},
      {"auxiliary", false},  {"AUX1", false},       {"COM0", false},         {"COM10", false},
      {"LPT", false},        {"LPT0.txt", false},   {"nul_file", false},     {" NUL", false},
      {"CONFIG.SYS", false}, {"readme.con", false}, {"prn-list.txt", false}, {"", false},
  };
  for (const Case& c : cases) EXPECT_EQ(IsDeviceName(c.name), c.device) << "'" << c.name << "'";
}

class HostileArchive : public ::testing::Test {
 protected:
  // An archive of one entry named `name`, extracted with the engine into "out".
  std::string ExtractOne(const std::string& name, CountingEngine& engine) {
    WriteAll(dir_ / "hostile.1", MakeArchive({{name, test::TextBytes("payload")}}));
    TStrings list;
    list.Add(name);
    engine.SetCompressedFile(dir_ / "hostile.1");
    engine.SetExtractDirectory(dir_ / "out");
    engine.SetFilesToProcess(list);
    return MessageOf([&] { engine.Extract(); });
  }

  TempDir dir_;
};

TEST_F(HostileArchive, EntriesNamedLikeDevicesAreNotExtracted) {
  for (const char* name :
       {"AUX", "aux.txt", "src\\PRN", "CON", "Nul", "NUL .txt", "aux.", "COM1", "lpt9.dat"}) {
    SCOPED_TRACE(name);
    CountingEngine engine;
    const std::string message = ExtractOne(name, engine);
    EXPECT_EQ(message, "The file " + std::string(name) + " cannot be extracted: " +
                           ExtractFileName(name) + " is a name Windows reserves for a device");
    EXPECT_EQ(engine.extracted_bytes, 0);
    EXPECT_TRUE(engine.Abort());
    EXPECT_TRUE(FilesIn(dir_ / "out").empty());
  }
  // Names that only look alike are files.
  CountingEngine engine;
  EXPECT_EQ(ExtractOne("auxiliary.txt", engine), "");
  EXPECT_EQ(ReadAll(dir_ / "out\\auxiliary.txt"), test::TextBytes("payload"));
}

TEST_F(HostileArchive, ATargetNameOfADeviceIsRefusedToo) {
  CountingEngine engine;
  engine.OnBeforeExtracting = [](TVtrlCompress* e, const TlzhFileStats&) {
    e->SetTargetName("nul.txt");
  };
  EXPECT_NE(ExtractOne("plain.txt", engine).find("nul.txt is a name Windows reserves"),
            std::string::npos);
  EXPECT_EQ(engine.extracted_bytes, 0);
}

TEST_F(HostileArchive, DeviceNamesAreNotCompressed) {
  // Linux has such files; on Windows the name is the device itself (the NUL one swallows this
  // write harmlessly).
  WriteAll(dir_ / "nul.txt", test::TextBytes("text"));
  TVtrlCompress engine(nullptr);
  TStrings list;
  list.Add(dir_ / "nul.txt");
  engine.SetCompressedFile(dir_ / "out.1");
  engine.SetFilesToProcess(list);
  EXPECT_EQ(MessageOf([&] { engine.Compress(lzcOverwrite, 1); }),
            "The file " + dir_ / "nul.txt" +
                " cannot be stored: Windows takes nul.txt for a device, so the file could "
                "never be installed. Rename it");
}

TEST_F(HostileArchive, SemicolonsInSourcePathsAreRefusedClearly) {
  WriteAll(dir_ / "a", test::TextBytes("the wrong file"));
  WriteAll(dir_ / "a;b.txt", test::TextBytes("the file meant"));
  WriteAll(dir_ / "c;d.txt", test::TextBytes("another"));
  WriteAll(dir_ / "e.txt", test::TextBytes("fields after the path"));
  const std::string refusal =
      " cannot be stored: a \";\" ends the path of a file to compress (the text after it is "
      "ignored), so a file whose name holds one cannot be named. Rename it";
  for (const char* name : {"a;b.txt", "c;d.txt"}) {
    SCOPED_TRACE(name);
    TVtrlCompress engine(nullptr);
    TStrings list;
    list.Add(dir_ / name);
    engine.SetCompressedFile(dir_ / "out.1");
    engine.SetFilesToProcess(list);
    EXPECT_EQ(MessageOf([&] { engine.Compress(lzcOverwrite, 1); }),
              "The file " + dir_ / name + refusal);
  }
  // Fields after the path of a file that exists stay what they always were.
  TVtrlCompress engine(nullptr);
  TStrings list;
  list.Add(dir_ / "e.txt;1;extra");
  engine.SetCompressedFile(dir_ / "out.1");
  engine.SetFilesToProcess(list);
  engine.Compress(lzcOverwrite, 1);
  engine.SetCompressedFile(dir_ / "out.1");
  TlzhFileStats stats;
  engine.GetFileStats(0, stats);
  EXPECT_EQ(stats.FileName, dir_ / "e.txt");
}

TEST_F(HostileArchive, AStoredSemicolonNameNeverAnswersForAnother) {
  WriteAll(dir_ / "semi.1", MakeArchive({{"x;y", test::TextBytes("A")},
                                         {"x", test::TextBytes("B")},
                                         {"X", test::TextBytes("C")}}));
  platform::File file =
      platform::File::Open(dir_ / "semi.1", platform::Access::Read, platform::kShareRead,
                           platform::Disposition::OpenExisting);
  TFileHeaders headers;
  headers.LoadFromStream(file, 0);
  EXPECT_EQ(headers.IndexOfFile("x"), 1);
  EXPECT_EQ(headers.IndexOfFile("X;y"), 1);  // the request ends at its ";"
  EXPECT_EQ(headers.IndexOfFile("y"), -1);

  TVtrlCompress engine(nullptr);
  TStrings list;
  list.Add("x");
  engine.SetCompressedFile(dir_ / "semi.1");
  engine.SetExtractDirectory(dir_ / "out");
  engine.SetFilesToProcess(list);
  engine.Extract();
  EXPECT_EQ(ReadAll(dir_ / "out\\x"), test::TextBytes("B"));
}

// Headers that share or reach into data not their own: an archive of a few kilobytes that
// unpacks to gigabytes, or one whose data are its own directory.
TEST_F(HostileArchive, DataRangesThatOverlapAreRefusedWhenTheDirectoryLoads) {
  std::vector<RawEntry> entries;
  for (int i = 0; i < 40; ++i) {
    entries.push_back({test::Numbered("f", i), std::vector<uint8_t>(100000, 'z')});
  }
  const auto good = MakeArchive(entries);
  std::vector<size_t> header{5};
  for (int i = 1; i < 40; ++i) {
    header.push_back(
        static_cast<size_t>(test::I32At(good, header.back() + test::kNextHeaderField)));
  }
  auto field = [&](const std::vector<uint8_t>& bytes, int entry, size_t at) {
    return test::I32At(bytes, header[entry] + at);
  };
  auto point = [&](std::vector<uint8_t>& bytes, int entry, int at_entry) {
    test::PutI32(bytes, header[entry] + test::kDataStartField,
                 field(bytes, at_entry, test::kDataStartField));
    test::PutI32(bytes, header[entry] + test::kLastByteField,
                 field(bytes, at_entry, test::kLastByteField));
  };
  struct Case {
    const char* what;
    std::function<void(std::vector<uint8_t>&)> damage;
  } cases[] = {
      {"every entry shares the last stream",
       [&](std::vector<uint8_t>& b) {
         for (int i = 0; i < 39; ++i) point(b, i, 39);
       }},
      {"two entries share a stream behind both headers", [&](auto& b) { point(b, 20, 30); }},
      {"data before their own header", [&](auto& b) { point(b, 30, 2); }},
      {"data reaching into the next header",
       [&](auto& b) {
         test::PutI32(b, header[4] + test::kLastByteField, static_cast<int32_t>(header[5] + 10));
       }},
      {"data starting inside their own header",
       [&](auto& b) {
         test::PutI32(b, header[7] + test::kDataStartField, static_cast<int32_t>(header[7] + 100));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto bad = good;
    c.damage(bad);
    WriteAll(dir_ / "bomb.1", bad);
    TVtrlCompress engine(nullptr);
    engine.SetCompressedFile(dir_ / "bomb.1");
    EXPECT_EQ(MessageOf([&] { engine.FileCount(); }), archive_message::kReadHeaders);
  }
  WriteAll(dir_ / "good.1", good);
  TVtrlCompress engine(nullptr);
  engine.SetCompressedFile(dir_ / "good.1");
  EXPECT_EQ(engine.FileCount(), 40);
}

TEST_F(HostileArchive, VolumeSetsWithOverlappingDataAreRefused) {
  WriteAll(dir_ / "set.1", MakeArchive({{"a", test::RandomBytes(3000, 1)},
                                        {"b", test::RandomBytes(3000, 2)},
                                        {"c", test::RandomBytes(3000, 3)}}));
  TVtrlCompress spanner(nullptr);
  test::MakeDirs(dir_ / "disks");
  spanner.SetCompressedFile(dir_ / "set.1");
  spanner.SpanToDisks(dir_ / "disks", "vol.1");
  const auto good = ReadAll(dir_ / "disks\\vol.1");
  const size_t a = 5, b = 5 + test::kHeaderSize;
  struct Case {
    const char* what;
    size_t at;
    int32_t value;
  } cases[] = {
      {"b starts where a does", b + test::kDataStartField,
       test::I32At(good, a + test::kDataStartField)},
      {"a ends inside b", a + test::kLastByteField, test::I32At(good, b + test::kDataStartField)},
      {"a starts in the headers", a + test::kDataStartField, 100},
      {"b ends beyond volume 1", b + test::kLastByteField, static_cast<int32_t>(good.size())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto bad = good;
    test::PutI32(bad, c.at, c.value);
    WriteAll(dir_ / "disks\\bad.1", bad);
    TVtrlCompress engine(nullptr);
    engine.SetCompressedFile(dir_ / "disks\\bad.1");
    EXPECT_EQ(MessageOf([&] { engine.FileCount(); }), archive_message::kReadHeaders);
  }
  TVtrlCompress engine(nullptr);
  engine.SetCompressedFile(dir_ / "disks\\vol.1");
  EXPECT_EQ(engine.FileCount(), 3);
}

TEST_F(HostileArchive, ZlibFailuresNameTheEntryAndTheCause) {
  auto bytes = MakeArchive({{"src\\damaged.txt", test::TextBytes("some text to pack")}});
  bytes[5 + test::kHeaderSize + 1] = 0;  // the stream's header no longer checks
  WriteAll(dir_ / "zlib.1", bytes);
  TVtrlCompress engine(nullptr);
  TStrings list;
  list.Add("src\\damaged.txt");
  engine.SetCompressedFile(dir_ / "zlib.1");
  engine.SetExtractDirectory(dir_ / "out");
  engine.SetFilesToProcess(list);
  EXPECT_EQ(MessageOf([&] { engine.Extract(); }),
            "error in the compressed data of the file src\\damaged.txt: incorrect header check");
}

// Large directories: every step is linear or n log n, so these finish at once; a quadratic
// step would take many minutes here.
TEST_F(HostileArchive, LargeDirectoriesLoadAndAnswerByName) {
  const int count = 60000;
  std::vector<RawEntry> entries;
  for (int i = 0; i < count; ++i) entries.push_back({test::Numbered("dir\\F", i, ".txt"), {'x'}});
  entries.push_back({"DIR\\f7.TXT", {'y'}});  // a duplicate: the first entry keeps the name
  WriteAll(dir_ / "many.1", MakeArchive(entries));

  TVtrlCompress engine(nullptr);
  engine.SetCompressedFile(dir_ / "many.1");
  ASSERT_EQ(engine.FileCount(), count + 1);
  TlzhFileStats stats;
  for (int i = 0; i <= count; ++i) engine.GetFileStats(i, stats);
  EXPECT_EQ(stats.TotalFileSize, count + 1);

  platform::File file =
      platform::File::Open(dir_ / "many.1", platform::Access::Read, platform::kShareRead,
                           platform::Disposition::OpenExisting);
  TFileHeaders headers;
  headers.LoadFromStream(file, 0);
  for (int i = 0; i < count; ++i) {
    ASSERT_EQ(headers.IndexOfFile(test::Numbered("dir\\f", i, ".TXT;field")), i);
  }
  EXPECT_EQ(headers.IndexOfFile("dir\\F7.txt"), 7);

  TStrings list;
  for (int i = 0; i < count; i += 97) list.Add(test::Numbered("dir\\F", i, ".txt"));
  list.Add("dir\\f7.txt");
  engine.SetExtractDirectory(dir_ / "out");
  engine.SetFilesToProcess(list);
  engine.Extract();
  EXPECT_EQ(FilesIn(dir_ / "out").size(), static_cast<size_t>((count + 96) / 97 + 1));
  EXPECT_EQ(ReadAll(dir_ / "out\\F7.txt"), std::vector<uint8_t>{'x'});
}

}  // namespace
}  // namespace vantorel
