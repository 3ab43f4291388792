// Deflate run ahead on worker threads: the archive and every event are those of a one-thread
// build, whatever the number of threads, the sizes of the files or the order they are asked in.
#include "archive/deflate_pool.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "archive/compress.h"
#include "archive/deflate_stream.h"
#include "archive_test_util.h"
#include "routines/exceptions.h"
#include "routines/strings.h"

namespace vantorel {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteAll;

const uint32_t kStamp = test::Stamp(2001, 2, 3, 4, 5, 6);

// Every event of an engine, with every field that differs from file to file or block to block.
struct Trace {
  std::vector<std::string> lines;
  void Attach(TVtrlCompress& engine) {
    auto line = [this](const char* what, const TlzhFileStats& s) {
      std::ostringstream o;
      o << what << ' ' << s.FileName << " done=" << s.FileBytesDone
        << " packed=" << s.CompressedSize << " file%=" << int{s.FilePercent}
        << " ratio=" << int{s.Ratio} << " last=" << s.FileDone << " total=" << s.TotalBytesDone
        << '/' << s.TotalFileSize << " total%=" << int{s.TotalPercent}
        << " totalpacked=" << s.TotalCompressedSize
        << " header=" << std::string(s.Header.begin(), s.Header.end());
      lines.push_back(o.str());
    };
    engine.OnBeforeAdding = [line](TVtrlCompress*, const TlzhFileStats& s) { line("before", s); };
    engine.OnStatus = [line](TVtrlCompress*, const TlzhFileStats& s) { line("status", s); };
    engine.OnAfterAdding = [line](TVtrlCompress*, const TlzhFileStats& s) { line("after", s); };
    engine.OnAborted = [this](TObject*) { lines.push_back("aborted"); };
  }
};

// Adds each file on its own, as the install files of a build do.
void AddEach(TVtrlCompress& engine, const std::string& archive,
             const std::vector<std::string>& files, int first_id = 0) {
  int id = first_id;
  for (const std::string& f : files) {
    TStrings list;
    list.Add(f);
    engine.SetCompressedFile(archive);
    engine.SetFilesToProcess(list);
    engine.Compress(lzcOnlyAdd, id++);
  }
}

// Files of every kind of size: empty, small, around the 64 KB buffer, text and noise, and some
// larger than the pool keeps in memory.
std::vector<std::string> MakeFiles(const TempDir& dir, int count) {
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    std::vector<uint8_t> bytes;
    switch (i % 5) {
      case 0:
        bytes.resize(static_cast<size_t>(i) * 37);
        for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<uint8_t>('a' + k % 23);
        break;
      case 1:
        bytes = test::RandomBytes(65536 + static_cast<size_t>(i), static_cast<uint32_t>(i));
        break;
      case 2:
        bytes = test::RandomBytes(300000 + static_cast<size_t>(i) * 1000, static_cast<uint32_t>(i));
        break;
      case 3:
        for (int line = 0; line < 4000 + i * 10; ++line) {
          const std::string text =
              test::Numbered("line ", line * 7919 % 1000, " of a text file\r\n");
          bytes.insert(bytes.end(), text.begin(), text.end());
        }
        break;
      default:
        break;  // empty
    }
    const std::string path = dir / test::Numbered("f", i, ".bin");
    WriteAll(path, bytes, kStamp);
    files.push_back(path);
  }
  return files;
}

TEST(DeflatePool, ThreadsGiveTheSameArchiveAndTheSameEvents) {
  TempDir dir;
  const std::vector<std::string> files = MakeFiles(dir, 23);
  std::vector<TDeflater> deflaters = {TDeflater::Zlib};
  if (LibdeflateAvailable()) deflaters.push_back(TDeflater::Libdeflate);
  for (TDeflater deflater : deflaters)
    for (TCompressionLevel level : {colMax, colFastest}) {
      SCOPED_TRACE(EnumName(level));
      SCOPED_TRACE(deflater == TDeflater::Zlib ? "zlib" : "libdeflate");
      TVtrlCompress alone(nullptr);
      alone.SetCompressionLevel(level);
      alone.SetDeflater(deflater);
      Trace one;
      one.Attach(alone);
      AddEach(alone, dir / "one.1", files);
      // Whatever made it, each stream inflates with plain zlib to the file.
      const std::vector<uint8_t> archive = ReadAll(dir / "one.1");
      size_t header = 5;
      for (const std::string& f : files) {
        const int32_t start = test::I32At(archive, header + test::kDataStartField);
        const int32_t size = test::I32At(archive, header + test::kCompressedSizeField);
        std::vector<uint8_t> out;
        ASSERT_TRUE(test::InflateStream(archive.data() + start, static_cast<size_t>(size), out))
            << f;
        EXPECT_TRUE(out == ReadAll(f)) << f;
        header = static_cast<size_t>(test::I32At(archive, header + test::kNextHeaderField));
      }

      for (int workers : {1, 3}) {
        SCOPED_TRACE(workers);
        // A small budget and spill point, so that streams wait in memory and on disk alike.
        TDeflatePool pool(workers, 600000, 200000, deflater);
        for (const std::string& f : files) pool.Schedule(f, ZlibLevel(level));
        TVtrlCompress engine(nullptr);
        engine.SetCompressionLevel(level);
        engine.SetDeflater(deflater);
        engine.SetDeflatePool(&pool);
        Trace many;
        many.Attach(engine);
        const std::string archive = dir / test::Numbered("many", workers, ".1");
        AddEach(engine, archive, files);
        EXPECT_TRUE(ReadAll(archive) == ReadAll(dir / "one.1"));
        EXPECT_GT(pool.Served(), 0);  // the streams made ahead were used
        ASSERT_EQ(many.lines.size(), one.lines.size());
        for (size_t i = 0; i < one.lines.size(); ++i) ASSERT_EQ(many.lines[i], one.lines[i]) << i;
      }
    }
}

TEST(DeflatePool, FilesAskedOutOfPlanOrChangedSinceAreDeflatedAgain) {
  TempDir dir;
  const std::vector<std::string> files = MakeFiles(dir, 8);
  TDeflatePool pool(2);
  for (const std::string& f : files) pool.Schedule(f, 9);
  // Changed after it was planned (and perhaps already deflated): its new bytes are stored.
  WriteAll(files[3], test::TextBytes("changed since it was planned"), kStamp + 2);
  TVtrlCompress engine(nullptr);
  engine.SetDeflatePool(&pool);
  // Asked in another order, with a file the plan does not hold and one it passed.
  const std::vector<std::string> order = {files[0], files[2], dir / "extra.bin", files[1],
                                          files[3], files[7], files[5]};
  WriteAll(dir / "extra.bin", test::RandomBytes(70000, 77), kStamp);
  AddEach(engine, dir / "files.1", order);

  TVtrlCompress reader(nullptr);
  TStrings list;
  for (const std::string& f : order) list.Add(f);
  reader.SetCompressedFile(dir / "files.1");
  reader.SetExtractDirectory(dir / "out");
  reader.SetFilesToProcess(list);
  reader.Extract();
  for (const std::string& f : order) {
    EXPECT_EQ(ReadAll(dir / ("out\\" + ExtractFileName(f))), ReadAll(f)) << f;
  }
  EXPECT_EQ(reader.FileCount(), static_cast<int>(order.size()));
}

TEST(DeflatePool, CancelStopsAtTheNextBlockOfAFileMadeAhead) {
  TempDir dir;
  WriteAll(dir / "big.bin", test::RandomBytes(1000000, 5), kStamp);
  WriteAll(dir / "next.bin", test::RandomBytes(1000000, 6), kStamp);
  TDeflatePool pool(2);
  pool.Schedule(dir / "big.bin", 9);
  pool.Schedule(dir / "next.bin", 9);
  TVtrlCompress engine(nullptr);
  engine.SetDeflatePool(&pool);
  int statuses = 0, aborted = 0;
  engine.OnStatus = [&](TVtrlCompress* e, const TlzhFileStats&) {
    ++statuses;
    e->SetAbort(true);
  };
  engine.OnAborted = [&](TObject*) { ++aborted; };
  AddEach(engine, dir / "files.1", {dir / "big.bin"});
  EXPECT_EQ(statuses, 1);  // nothing after the block that saw Abort
  EXPECT_EQ(aborted, 1);
  EXPECT_TRUE(engine.Abort());
  // The pool goes on serving the rest of the plan.
  engine.OnStatus = nullptr;
  AddEach(engine, dir / "other.1", {dir / "next.bin"});
  EXPECT_FALSE(engine.Abort());
  EXPECT_EQ(engine.FileCount(), 1);
}

TEST(DeflatePool, LargeStreamsWaitOnDiskAndAnUnfinishedPlanEnds) {
  TempDir dir;
  const std::vector<std::string> files = MakeFiles(dir, 12);
  TDeflatePool pool(3, 1 << 20, 1 << 16);
  for (const std::string& f : files) pool.Schedule(f, 9);
  pool.Schedule(dir / "missing.bin", 9);
  // Once it has been made: files[2] is 300 KB of noise, more than the pool keeps in memory.
  for (int wait = 0; wait < 1000 && pool.Finished() < 3; ++wait) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::unique_ptr<TDeflatedFile> big = pool.Take(files[2], 9);
  ASSERT_NE(big, nullptr);
  {
    ASSERT_FALSE(big->spill.empty());
    EXPECT_TRUE(big->data.empty());
    EXPECT_EQ(big->source_read, 302000);
    EXPECT_GT(big->size, 302000);  // noise grows a little
    EXPECT_EQ(big->marks.size(), static_cast<size_t>(big->size / 65536));
    const std::string spill = big->spill;
    EXPECT_TRUE(platform::FileExists(spill));
    big.reset();
    EXPECT_FALSE(platform::FileExists(spill));  // gone with the stream
  }
  EXPECT_EQ(pool.Take(dir / "missing.bin", 9), nullptr);  // its job failed or never ran
  // The pool is destroyed with planned files never asked for.
}

}  // namespace
}  // namespace vantorel
