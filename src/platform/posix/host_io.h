#pragma once
// Whole-file reads and atomic replacement on host paths, for the backend's own stores (the
// registry file, INI files).
#include <cstdint>
#include <optional>
#include <string>

namespace vantorel::platform::posix {

// False with LastError() set (kErrorFileNotFound for a missing file).
bool ReadHostFile(const std::string& host_path, std::string& content);

// Writes a temporary file in the same folder and renames it over `host_path`, so that a reader
// sees either the old or the new content, never a part. The folder must exist. A replaced file
// keeps its permission bits.
bool ReplaceHostFile(const std::string& host_path, const std::string& content);

// What tells one version of a file from the next: a rename gives a new inode, a rewrite a new
// modification time or size.
struct FileIdentity {
  uint64_t device = 0, inode = 0, size = 0;
  int64_t mtime_ns = 0;
  bool operator==(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentityOf(const std::string& host_path);

}  // namespace vantorel::platform::posix
