#pragma once
// Windows facts. Every failure raises EAPIRoutines with the routine's own message.
#include <cstdint>
#include <string>

namespace vantorel {

// 0 Win32s, 1 the 95 family, 2 NT (other than 3.5x), 3 NT 3.5 and 3.51, 4 anything else.
uint8_t GetWindowsVersion();
// The code for a version as the system reports it; split out so every case can be tested.
uint8_t WindowsVersionCode(uint32_t platform_id, uint32_t major, uint32_t minor);
// A new unique name in the temporary directory (prefix "bat"); the file is created by the system
// and, unless `keep`, deleted again at once so that only the name is reserved.
std::string GetTempFile(bool keep);
std::string GetSystemDir();
std::string GetWindowsDir();
// The short (8.3) form of `path`; no failure check.
std::string ShortPathName(const std::string& path);

bool DirectoryExists(const std::string& path);
// Creates `path` and its missing parents. An empty path raises; a failure to create is ignored,
// so callers that must know test DirectoryExists afterwards.
void ForceDirectories(const std::string& path);

// The string value from an INI file; empty when absent.
std::string ReadIniString(const std::string& file_name, const std::string& section,
                          const std::string& ident);

// Changes the current directory for a scope and goes back at its end; a failure to change is of
// no consequence (a server that loads libraries of its own folder expects to be run from it).
class TCurrentDirectoryScope {
 public:
  explicit TCurrentDirectoryScope(const std::string& dir);
  ~TCurrentDirectoryScope();
  TCurrentDirectoryScope(const TCurrentDirectoryScope&) = delete;
  TCurrentDirectoryScope& operator=(const TCurrentDirectoryScope&) = delete;

 private:
  std::string former_;
};

}  // namespace vantorel
