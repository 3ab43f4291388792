#include "routines/system_routines.h"

#include "platform/files.h"
#include "platform/system.h"
#include "routines/exceptions.h"
#include "routines/strings.h"

namespace vantorel {

uint8_t WindowsVersionCode(uint32_t platform_id, uint32_t major, uint32_t minor) {
  switch (platform_id) {
    case 0:
      return 0;
    case 1:
      return 1;
    case 2: {
      std::string text = std::to_string(major) + "." + std::to_string(minor);
      return text.find("3.5") != std::string::npos ? 3 : 2;
    }
    default:
      return 4;
  }
}

uint8_t GetWindowsVersion() {
  platform::OsVersion version;
  if (!platform::GetOsVersion(version))
    throw EAPIRoutines("Could not get information about the current version of Windows");
  return WindowsVersionCode(version.platform_id, version.major, version.minor);
}

std::string GetTempFile(bool keep) {
  std::string dir = platform::GetTempPath();
  std::string name = dir.empty() ? "" : platform::GetTempFileName(dir, "bat");
  if (name.empty()) throw EAPIRoutines("Cannot create a temporary file");
  if (!keep) platform::DeleteFile(name);
  return name;
}

std::string GetSystemDir() {
  std::string dir = platform::GetSystemDirectory();
  if (dir.empty() || dir.size() > 260)
    throw EAPIRoutines("Could not retrieve the system directroy from windows");
  return dir;
}

std::string GetWindowsDir() {
  std::string dir = platform::GetWindowsDirectory();
  if (dir.empty() || dir.size() > 260)
    throw EAPIRoutines("Could not retrieve the windows directory from windows");
  return dir;
}

std::string ShortPathName(const std::string& path) {
  std::string short_path = platform::GetShortPathName(path);
  return short_path.size() > 400 ? short_path.substr(0, 400) : short_path;
}

bool DirectoryExists(const std::string& path) {
  uint32_t attributes = platform::GetFileAttributes(path);
  return attributes != platform::kInvalidAttributes && (attributes & platform::kAttrDirectory);
}

void ForceDirectories(const std::string& path) {
  if (path.empty()) throw Exception("Unable to create directory");
  std::string dir = RemoveBackslash(path);
  if (dir.size() <= 2 || DirectoryExists(dir)) return;
  std::string parent = ExtractFileDir(dir);
  if (!parent.empty() && parent != dir) ForceDirectories(parent);
  platform::CreateDirectory(dir);
}

std::string ReadIniString(const std::string& file_name, const std::string& section,
                          const std::string& ident) {
  return platform::ReadIniString(file_name, section, ident, "");
}

TCurrentDirectoryScope::TCurrentDirectoryScope(const std::string& dir)
    : former_(platform::GetCurrentDirectory()) {
  platform::SetCurrentDirectory(dir);
}

TCurrentDirectoryScope::~TCurrentDirectoryScope() {
  platform::SetCurrentDirectory(former_);
}

}  // namespace vantorel
