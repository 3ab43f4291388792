// `vantorel list` and `vantorel extract`.
#include "archive_commands.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "archive/compress.h"
#include "archive_test_util.h"
#include "platform/system.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantorel {
namespace {

using test::Pack;
using test::ReadAll;
using test::TempDir;
using test::WriteAll;

struct Outcome {
  int code;
  std::string out, err;
};

std::string Drain(std::FILE* f) {
  std::string text;
  std::rewind(f);
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
  std::fclose(f);
  return text;
}

Outcome Call(int (*command)(const std::vector<std::string>&, std::FILE*, std::FILE*),
             const std::vector<std::string>& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const int code = command(args, out, err);
  return {code, Drain(out), Drain(err)};
}

Outcome List(const std::vector<std::string>& args) {
  return Call(cli::ListArchive, args);
}
Outcome Extract(const std::vector<std::string>& args) {
  return Call(cli::ExtractArchive, args);
}

class ArchiveCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    test::MakeDirs(dir_ / "src\\one");
    test::MakeDirs(dir_ / "src\\two");
    WriteAll(dir_ / "src\\one\\same.txt", test::TextBytes("one"), test::Stamp(2003, 4, 5, 6, 7, 8));
    WriteAll(dir_ / "src\\two\\same.txt", test::TextBytes("two"), test::Stamp(2003, 4, 5, 6, 7, 8));
    WriteAll(dir_ / "src\\lib.dll", ReadAll(test::VersionDll("v200")),
             test::Stamp(2003, 4, 5, 6, 7, 8));
    Pack(dir_ / "files.1",
         {dir_ / "src\\lib.dll", dir_ / "src\\one\\same.txt", dir_ / "src\\two\\same.txt"}, 17);
    Pack(dir_ / "setup.1", {dir_ / "src\\one\\same.txt"}, 3);
  }

  // A loader, setup.1 and files.1 joined, with the trailer behind them.
  std::string SelfExtracting(bool with_files) {
    std::vector<uint8_t> exe = test::RandomBytes(20000, 31);
    const auto setup = ReadAll(dir_ / "setup.1"), files = ReadAll(dir_ / "files.1");
    std::vector<uint8_t> trailer(56, 0);
    trailer[0] = 14;
    std::memcpy(trailer.data() + 1, "SELFEXTRACTING", 14);
    test::PutI32(trailer, 16, static_cast<int32_t>(exe.size()));
    exe.insert(exe.end(), setup.begin(), setup.end());
    test::PutI32(trailer, 20, static_cast<int32_t>(exe.size() - 1));
    if (with_files) {
      test::PutI32(trailer, 24, static_cast<int32_t>(exe.size()));
      exe.insert(exe.end(), files.begin(), files.end());
      test::PutI32(trailer, 28, static_cast<int32_t>(exe.size() - 1));
    }
    exe.insert(exe.end(), trailer.begin(), trailer.end());
    const std::string path = dir_ / (with_files ? "setup.exe" : "bare.exe");
    WriteAll(path, exe);
    return path;
  }

  TempDir dir_;
};

TEST_F(ArchiveCommands, ListShowsEveryField) {
  const Outcome r = List({dir_ / "files.1"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("Size"), std::string::npos);
  EXPECT_NE(r.out.find("2003-04-05 06:07:08 2.0.0.0"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  17 -       " + dir_ / "src\\lib.dll"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("         3"), std::string::npos);
  EXPECT_NE(r.out.find(dir_ / "src\\two\\same.txt"), std::string::npos);
  EXPECT_NE(r.out.find("3 files, "), std::string::npos);
  EXPECT_EQ(r.out.find("self-extracting"), std::string::npos);
}

TEST_F(ArchiveCommands, SelfExtractingFilesListTheirArchives) {
  const std::string exe = SelfExtracting(true);
  Outcome r = List({exe});
  ASSERT_EQ(r.code, 0) << r.err;
  const auto setup_size = ReadAll(dir_ / "setup.1").size();
  EXPECT_NE(r.out.find("files.1 at offset " + std::to_string(20000 + setup_size)),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("3 files"), std::string::npos);

  r = List({exe, "--setup"});
  EXPECT_NE(r.out.find("setup.1 at offset 20000"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("1 file, 3 bytes"), std::string::npos) << r.out;

  r = List({"--offset", "20000", exe});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("1 file, 3 bytes"), std::string::npos) << r.out;

  // Without an appended files.1 the setup archive is what there is.
  r = List({SelfExtracting(false)});
  EXPECT_NE(r.out.find("setup.1 at offset 20000"), std::string::npos) << r.out;

  r = List({dir_ / "files.1", "--setup"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("is not a self-extracting setup file"), std::string::npos);
}

TEST_F(ArchiveCommands, ListsVolumeRanges) {
  WriteAll(dir_ / "src\\noise.bin", test::RandomBytes(40000, 32));
  Pack(dir_ / "big.1", {dir_ / "src\\noise.bin"}, 1);
  TVtrlCompress spanner(nullptr);
  test::MakeDirs(dir_ / "disks");
  spanner.SetCompressedFile(dir_ / "big.1");
  spanner.SpanToDisks(dir_ / "disks", "vol.1");  // one volume: the disk never fills here
  const Outcome r = List({dir_ / "disks\\vol.1"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find(" 1       " + dir_ / "src\\noise.bin"), std::string::npos) << r.out;
}

TEST_F(ArchiveCommands, ExtractByStoredOrBareName) {
  Outcome r = Extract({dir_ / "files.1", "-C", dir_ / "all"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadAll(dir_ / "all\\lib.dll"), ReadAll(dir_ / "src\\lib.dll"));
  // Two stored files share a name; the later one lands on the earlier, as the engine does.
  EXPECT_EQ(ReadAll(dir_ / "all\\same.txt"), test::TextBytes("two"));
  EXPECT_NE(r.out.find("3 extracted, 0 kept"), std::string::npos) << r.out;

  r = Extract({dir_ / "files.1", "-C", dir_ / "some", "LIB.DLL"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(platform::FileExists(dir_ / "some\\lib.dll"));
  EXPECT_FALSE(platform::FileExists(dir_ / "some\\same.txt"));

  r = Extract({dir_ / "files.1", "-C", dir_ / "some", dir_ / "src\\one\\SAME.txt"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadAll(dir_ / "some\\same.txt"), test::TextBytes("one"));

  r = Extract({dir_ / "files.1", "-C", dir_ / "some", "same.txt"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("names several files"), std::string::npos) << r.err;
  r = Extract({dir_ / "files.1", "-C", dir_ / "some", "none.txt"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("none.txt is not in"), std::string::npos) << r.err;

  r = Extract({dir_ / "files.1", "-C", dir_ / "some", "--overwrite", "never", "lib.dll"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("kept"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("0 extracted, 1 kept"), std::string::npos) << r.out;
}

// A damaged entry fails every time it is asked for: the failed run leaves no file that a rerun
// which keeps existing files would then take for the extracted one.
TEST_F(ArchiveCommands, AFailedExtractionLeavesNothingARerunCouldKeep) {
  WriteAll(dir_ / "src\\big.bin", test::RandomBytes(60000, 34), test::Stamp(2003, 4, 5, 6, 7, 8));
  Pack(dir_ / "big.1", {dir_ / "src\\big.bin"}, 1);
  auto bytes = ReadAll(dir_ / "big.1");
  for (size_t i = bytes.size() - 8; i < bytes.size(); ++i) bytes[i] ^= 0xFF;  // the checksum
  WriteAll(dir_ / "big.1", bytes);
  for (const char* rule : {"always", "never", "date", "versiondate"}) {
    SCOPED_TRACE(rule);
    const Outcome r = Extract({dir_ / "big.1", "-C", dir_ / "out", "--overwrite", rule});
    EXPECT_EQ(r.code, 3) << r.out;
    EXPECT_EQ(r.out.find("kept"), std::string::npos) << r.out;
    EXPECT_EQ(test::Names(dir_ / "out"), std::vector<std::string>{});
  }
}

// Links in the target folder are replaced, never written through; the archive itself is never a
// target.
TEST_F(ArchiveCommands, ExtractRefusesToWriteOutsideOrOntoItsArchive) {
  WriteAll(dir_ / "outside.txt", test::TextBytes("outside"));
  test::MakeDirs(dir_ / "out");
  if (!test::MakeSymbolicLink("../outside.txt", dir_ / "out\\lib.dll")) {
    if (platform::GetEnv("CI").value_or("") == "true") FAIL() << "cannot make links";
    GTEST_SKIP() << "this system makes no symbolic links for the test";
  }
  Outcome r = Extract({dir_ / "files.1", "-C", dir_ / "out", "lib.dll"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadAll(dir_ / "outside.txt"), test::TextBytes("outside"));
  EXPECT_EQ(ReadAll(dir_ / "out\\lib.dll"), ReadAll(dir_ / "src\\lib.dll"));

  WriteAll(dir_ / "src\\setup.1", test::TextBytes("not an archive"));
  Pack(dir_ / "setup.1", {dir_ / "src\\setup.1"}, 3);
  const auto archive = ReadAll(dir_ / "setup.1");
  r = Extract({dir_ / "setup.1", "-C", dir_.path()});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("the archive it is read from"), std::string::npos) << r.err;
  EXPECT_EQ(ReadAll(dir_ / "setup.1"), archive);
}

TEST_F(ArchiveCommands, UsageAndArchiveErrors) {
  EXPECT_EQ(List({}).code, 2);
  EXPECT_EQ(List({"a", "b"}).code, 2);
  EXPECT_EQ(List({dir_ / "files.1", "--offset"}).code, 2);
  EXPECT_EQ(List({dir_ / "files.1", "--offset", "-5"}).code, 2);
  EXPECT_EQ(List({dir_ / "files.1", "--bogus"}).code, 2);
  EXPECT_EQ(Extract({dir_ / "files.1"}).code, 2);
  EXPECT_EQ(Extract({dir_ / "files.1", "-C", "x", "--overwrite", "sometimes"}).code, 2);

  Outcome r = List({dir_ / "missing.1"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("Cannot open the compressed file"), std::string::npos) << r.err;
  auto junk = test::RandomBytes(100, 33);
  test::PutI32(junk, 0, 3);  // three records promised in 100 bytes
  WriteAll(dir_ / "junk.1", junk);
  r = List({dir_ / "junk.1"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("could possible be corrupt"), std::string::npos) << r.err;
}

TEST_F(ArchiveCommands, EntriesNamedLikeDevicesFailTheExtraction) {
  WriteAll(dir_ / "devices.1", test::MakeArchive({{"dir\\readme.txt", test::TextBytes("r")},
                                                  {"dir\\AUX.txt", test::TextBytes("a")}}));
  for (const std::vector<std::string>& names :
       {std::vector<std::string>{}, std::vector<std::string>{"aux.txt"}}) {
    std::vector<std::string> args = {dir_ / "devices.1", "-C", dir_ / "out"};
    args.insert(args.end(), names.begin(), names.end());
    const Outcome r = Extract(args);
    EXPECT_EQ(r.code, 3);
    EXPECT_NE(r.err.find("The file dir\\AUX.txt cannot be extracted: AUX.txt is a name Windows "
                         "reserves for a device"),
              std::string::npos)
        << r.err;
    // Listed, not asked for by name: on Windows the device "exists" in every folder.
    std::vector<platform::DirEntry> written;
    platform::ListDirectory(dir_ / "out", "aux*", written);
    EXPECT_TRUE(written.empty());
  }
}

TEST_F(ArchiveCommands, StoredNamesWithSemicolonsAreNotTakenForOthers) {
  WriteAll(dir_ / "semi.1",
           test::MakeArchive({{"x;y", test::TextBytes("A")}, {"x", test::TextBytes("B")}}));
  Outcome r = List({dir_ / "semi.1"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find(" x;y\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(" x\n"), std::string::npos) << r.out;

  // The engine looks names up by the text before a ";", so "x;y" cannot be asked for: it is
  // refused, not replaced by "x".
  r = Extract({dir_ / "semi.1", "-C", dir_ / "all"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("x;y cannot be extracted: a stored name holding \";\" cannot be asked for"),
            std::string::npos)
      << r.err;
  EXPECT_FALSE(platform::FileExists(dir_ / "all\\x"));
  r = Extract({dir_ / "semi.1", "-C", dir_ / "some", "x;y"});
  EXPECT_EQ(r.code, 3);
  EXPECT_FALSE(platform::FileExists(dir_ / "some\\x"));

  r = Extract({dir_ / "semi.1", "-C", dir_ / "some", "X"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(ReadAll(dir_ / "some\\x"), test::TextBytes("B"));
}

// What is not a file on a disk is not an archive: a device reads as endless zeros or nothing, a
// FIFO blocks its reader until someone writes.
TEST_F(ArchiveCommands, OnlyRegularFilesAreArchives) {
#ifdef _WIN32
  const std::vector<std::string> devices = {"NUL", "CON"};
#else
  const std::vector<std::string> devices = {"/dev/zero", "/dev/null"};
#endif
  for (const std::string& device : devices) {
    for (bool extracting : {false, true}) {
      const Outcome r = extracting ? Extract({device, "-C", dir_ / "out"}) : List({device});
      EXPECT_EQ(r.code, 3) << device << r.out;
      EXPECT_EQ(r.err,
                "vantorel: " + device + ": Cannot open the compressed file " + device + "\n");
    }
  }
  EXPECT_EQ(List({dir_.path()}).code, 3);
#ifndef _WIN32
  const std::string fifo = dir_ / "fifo.1";
  const std::string host = platform::NativePath(fifo);
  ASSERT_EQ(::mkfifo(host.c_str(), 0600), 0);
  // Should the command block in spite of all, a writer that comes and goes lets it go on.
  std::atomic<bool> done{false};
  std::thread unblock([&] {
    for (int i = 0; !done; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (i < 50) continue;
      const int fd = ::open(host.c_str(), O_WRONLY | O_NONBLOCK);
      if (fd >= 0) ::close(fd);
    }
  });
  const Outcome r = List({fifo});
  done = true;
  unblock.join();
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("Cannot open the compressed file"), std::string::npos) << r.err;
#endif
}

// Every step of list and extract is linear in the entries or close to it: a quadratic one would
// take many minutes here.
TEST_F(ArchiveCommands, ManyEntriesListAndExtract) {
  const int count = 40000;
  std::vector<test::RawEntry> entries;
  for (int i = 0; i < count; ++i) entries.push_back({test::Numbered("d\\f", i), {'1'}});
  WriteAll(dir_ / "many.1", test::MakeArchive(entries));
  Outcome r = List({dir_ / "many.1"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("40000 files, 40000 bytes"), std::string::npos);
  EXPECT_NE(r.out.find(" d\\f39999\n"), std::string::npos);

  std::vector<std::string> args = {dir_ / "many.1", "-C", dir_ / "some"};
  for (int i = 0; i < count; i += 400) args.push_back(test::Numbered(i % 800 ? "f" : "D\\F", i));
  r = Extract(args);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("100 extracted, 0 kept"), std::string::npos) << r.out;
  EXPECT_EQ(ReadAll(dir_ / "some\\f39600"), test::TextBytes("1"));
}

}  // namespace
}  // namespace vantorel
