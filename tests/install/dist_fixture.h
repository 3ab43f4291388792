#pragma once
// What the tests of the distribution share: whole files read and written through the platform
// layer, bytes that do not repeat, and folders removed with their content.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace vantorel::dist_testing {

// 11 April 2025, 12:00: the date the tests give their source files.
inline constexpr uint32_t kStamp = 0x5A8B6000;

inline std::string ReadBytes(const std::string& path) {
  platform::File f = platform::File::Open(path, platform::Access::Read, platform::kShareRead,
                                          platform::Disposition::OpenExisting);
  std::string bytes;
  char block[65536];
  for (int64_t n; f.IsOpen() && (n = f.Read(block, sizeof block)) > 0;) bytes.append(block, n);
  return bytes;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  platform::File f = platform::File::Open(path, platform::Access::Write, platform::kShareNone,
                                          platform::Disposition::CreateAlways);
  ASSERT_TRUE(f.IsOpen()) << path;
  ASSERT_EQ(f.Write(bytes.data(), bytes.size()), static_cast<int64_t>(bytes.size()));
  ASSERT_TRUE(f.SetDosDateTime(kStamp));
}

// Bytes that do not repeat (and do not compress), so that a part copied to the wrong place shows.
inline std::string Pattern(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    bytes[i] = static_cast<char>(seed >> 16);
  }
  return bytes;
}

inline std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<platform::DirEntry> entries;
  std::vector<std::string> names;
  if (platform::ListDirectory(dir, "*", entries))
    for (const auto& e : entries)
      if (!(e.attributes & platform::kAttrDirectory)) names.push_back(e.name);
  return names;
}

inline void ClearTree(const std::string& dir) {
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(dir, "*", entries)) return;
  for (const auto& e : entries) {
    if (e.attributes & platform::kAttrDirectory)
      ClearTree(dir + "\\" + e.name);
    else
      platform::DeleteFile(dir + "\\" + e.name);
  }
  platform::RemoveDirectory(dir);
}

}  // namespace vantorel::dist_testing
