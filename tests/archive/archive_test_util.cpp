#include "archive_test_util.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <stdexcept>

#include "archive/compress.h"
#include "platform/system.h"

namespace vantorel::test {
namespace {
std::string ParentOf(const std::string& path) {
  size_t at = path.find_last_of("\\/");
  return at == std::string::npos ? "" : path.substr(0, at);
}
}  // namespace

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const std::string base = platform::GetTempPath();
  if (base.empty()) throw std::runtime_error("no temporary directory");
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = base + "vtarc" + std::to_string(platform::TickCount() % 100000) + "_" +
            std::to_string(counter++);
    if (platform::CreateDirectory(path_)) return;
  }
  throw std::runtime_error("cannot make a temporary folder in " + base);
}

TempDir::~TempDir() {
  RemoveTree(path_);
}

void RemoveTree(const std::string& path) {
  std::vector<platform::DirEntry> entries;
  if (platform::ListDirectory(path, "*", entries)) {
    for (const auto& e : entries) {
      const std::string child = path + "\\" + e.name;
      if (e.attributes & platform::kAttrDirectory) {
        RemoveTree(child);
      } else {
        platform::SetFileAttributes(child, platform::kAttrNormal);
        platform::DeleteFile(child);
      }
    }
  }
  platform::RemoveDirectory(path);
}

void MakeDirs(const std::string& path) {
  if (path.empty() || platform::FileExists(path)) return;
  MakeDirs(ParentOf(path));
  platform::CreateDirectory(path);
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<platform::DirEntry> entries;
  std::vector<std::string> names;
  if (!platform::ListDirectory(folder, "*", entries)) return names;
  for (const auto& e : entries) names.push_back(e.name);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
  platform::File f = platform::File::Open(path, platform::Access::Read,
                                          platform::kShareRead | platform::kShareWrite,
                                          platform::Disposition::OpenExisting);
  if (!f.IsOpen()) throw std::runtime_error("cannot open " + path);
  std::vector<uint8_t> bytes(static_cast<size_t>(f.Size()));
  if (!bytes.empty() && f.Read(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) {
    throw std::runtime_error("cannot read " + path);
  }
  return bytes;
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes, uint32_t stamp) {
  // A new file rather than a truncated one: ext4 flushes a file cut to nothing on its close,
  // which made the loops over thousands of damaged files slow.
  platform::DeleteFile(path);
  platform::File f = platform::File::Open(path, platform::Access::ReadWrite, platform::kShareRead,
                                          platform::Disposition::CreateAlways);
  if (!f.IsOpen()) throw std::runtime_error("cannot create " + path);
  if (!bytes.empty() && f.Write(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) {
    throw std::runtime_error("cannot write " + path);
  }
  if (stamp != 0 && !f.SetDosDateTime(stamp)) throw std::runtime_error("cannot date " + path);
}

uint32_t StampOf(const std::string& path) {
  uint32_t stamp = 0;
  if (!platform::GetFileDosDateTime(path, stamp)) throw std::runtime_error("no date: " + path);
  return stamp;
}

void SetStamp(const std::string& path, uint32_t stamp) {
  if (!platform::SetFileDosDateTime(path, stamp)) throw std::runtime_error("cannot date " + path);
}

uint32_t Stamp(int year, int month, int day, int hour, int minute, int second) {
  uint32_t date = static_cast<uint32_t>(((year - 1980) << 9) | (month << 5) | day);
  uint32_t time = static_cast<uint32_t>((hour << 11) | (minute << 5) | (second / 2));
  return (date << 16) | time;
}

std::vector<uint8_t> RandomBytes(size_t count, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<uint8_t>(rng());
  return bytes;
}

std::vector<uint8_t> TextBytes(const std::string& text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

void Pack(const std::string& archive, const std::vector<std::string>& files, int unique_id) {
  TVtrlCompress engine(nullptr);
  TStrings list;
  for (const auto& f : files) list.Add(f);
  engine.SetCompressedFile(archive);
  engine.SetFilesToProcess(list);
  engine.Compress(lzcOverwrite, unique_id);
}

std::string VersionDll(const std::string& variant) {
  return ParentOf(platform::GetModuleFileName()) + "\\versiondlls\\" + variant + "\\vtver.dll";
}

int32_t I32At(const std::vector<uint8_t>& bytes, size_t at) {
  return static_cast<int32_t>(static_cast<uint32_t>(bytes.at(at)) |
                              (static_cast<uint32_t>(bytes.at(at + 1)) << 8) |
                              (static_cast<uint32_t>(bytes.at(at + 2)) << 16) |
                              (static_cast<uint32_t>(bytes.at(at + 3)) << 24));
}

void PutI32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.at(at + i) = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i));
}

std::string ShortStringAt(const std::vector<uint8_t>& bytes, size_t at) {
  return std::string(bytes.begin() + at + 1, bytes.begin() + at + 1 + bytes.at(at));
}

bool InflateStream(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
  out.clear();
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<uint8_t*>(data);
  z.avail_in = static_cast<uInt>(size);
  uint8_t buffer[16384];
  int result;
  do {
    z.next_out = buffer;
    z.avail_out = sizeof buffer;
    result = inflate(&z, Z_NO_FLUSH);
    out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
  } while (result == Z_OK);
  bool complete = result == Z_STREAM_END && z.avail_in == 0;
  inflateEnd(&z);
  return complete;
}

}  // namespace vantorel::test

namespace vantorel::test {

std::string Numbered(const std::string& prefix, int i, const std::string& suffix) {
  std::string text = prefix;
  text += std::to_string(i);
  text += suffix;
  return text;
}

std::vector<uint8_t> MakeArchive(const std::vector<RawEntry>& entries) {
  std::vector<uint8_t> bytes(5, 0);
  PutI32(bytes, 0, static_cast<int32_t>(entries.size()));
  const double date = 37000.5;  // 1 April 2001, noon
  int32_t index = 0;
  for (const RawEntry& e : entries) {
    uLongf packed_size = compressBound(static_cast<uLong>(e.data.size()));
    std::vector<uint8_t> packed(packed_size);
    if (compress2(packed.data(), &packed_size, e.data.data(), static_cast<uLong>(e.data.size()),
                  9) != Z_OK) {
      throw std::runtime_error("compress2 failed");
    }
    packed.resize(packed_size);
    const size_t at = bytes.size();
    bytes.resize(at + kHeaderSize, 0);
    const int32_t start = static_cast<int32_t>(at + kHeaderSize);
    const int32_t next = start + static_cast<int32_t>(packed.size());
    PutI32(bytes, at, index + 1);
    std::memcpy(bytes.data() + at + 4, &date, sizeof date);
    PutI32(bytes, at + kLastByteField, next - 1);
    bytes[at + kNameField] = static_cast<uint8_t>(std::min<size_t>(e.name.size(), 100));
    std::memcpy(bytes.data() + at + kNameField + 1, e.name.data(), bytes[at + kNameField]);
    PutI32(bytes, at + kNextHeaderField, next);
    PutI32(bytes, at + 128, static_cast<int32_t>(e.data.size()));
    PutI32(bytes, at + kDataStartField, start);
    PutI32(bytes, at + kCompressedSizeField, static_cast<int32_t>(packed.size()));
    PutI32(bytes, at + 144, index);
    bytes.insert(bytes.end(), packed.begin(), packed.end());
    ++index;
  }
  return bytes;
}

}  // namespace vantorel::test
