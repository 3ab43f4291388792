#pragma once
// Files and folders for the archive tests, made through the platform layer so that the same
// tests run in both trees.
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/files.h"

namespace vantorel::test {

// A fresh folder in the temporary directory, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return path_; }
  // `name` inside the folder (a relative path with "\" separators is fine).
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

void RemoveTree(const std::string& path);
void MakeDirs(const std::string& path);
// The names in a folder, sorted; a temporary file left behind shows here.
std::vector<std::string> Names(const std::string& folder);

// Makes `link` a symbolic link to `target`, a path relative to the link's folder with "/"
// separators that names an existing file or folder (it may be removed afterwards to leave the
// link dangling). False where no link can be made.
bool MakeSymbolicLink(const std::string& target, const std::string& link);

std::vector<uint8_t> ReadAll(const std::string& path);
// Writes `bytes` to `path` (replacing it) and, when `stamp` is not 0, gives it that DOS stamp.
void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes, uint32_t stamp = 0);
uint32_t StampOf(const std::string& path);
void SetStamp(const std::string& path, uint32_t stamp);
// A DOS date-time stamp (the seconds are rounded down to even).
uint32_t Stamp(int year, int month, int day, int hour, int minute, int second);

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed);
std::vector<uint8_t> TextBytes(const std::string& text);

// The test library built with version resource `variant` (v100, v120, v120alt, v200, driver,
// plain): versiondlls\<variant>\vtver.dll beside the test program.
std::string VersionDll(const std::string& variant);

// Compresses `files` into a new `archive` through the engine, each entry with `unique_id`.
void Pack(const std::string& archive, const std::vector<std::string>& files, int unique_id);

// Little-endian fields of raw archive bytes, read independently of the classes under test.
int32_t I32At(const std::vector<uint8_t>& bytes, size_t at);
void PutI32(std::vector<uint8_t>& bytes, size_t at, int32_t value);
std::string ShortStringAt(const std::vector<uint8_t>& bytes, size_t at);

// Inflates one complete zlib stream; false when it is not one (or has bytes behind it).
bool InflateStream(const uint8_t* data, size_t size, std::vector<uint8_t>& out);

// A single-file archive written byte by byte, independently of the classes under test, so that
// a test can store names the engine would refuse to write. Entry i carries UniqueID i.
struct RawEntry {
  std::string name;
  std::vector<uint8_t> data;
};
std::vector<uint8_t> MakeArchive(const std::vector<RawEntry>& entries);
// prefix + i + suffix, built by appending (GCC 12 warns falsely about "literal" + to_string).
std::string Numbered(const std::string& prefix, int i, const std::string& suffix = "");
// Offsets of the fields of a header record.
enum : size_t {
  kLastByteField = 16,
  kNameField = 20,
  kNextHeaderField = 124,
  kDataStartField = 132,
  kCompressedSizeField = 136,
  kHeaderSize = 172,
};

}  // namespace vantorel::test
