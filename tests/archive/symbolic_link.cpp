// Symbolic links for the tests of what extraction does with them.
#include <algorithm>
#include <filesystem>

#include "archive_test_util.h"
#include "platform/files.h"
#include "platform/system.h"

// Last: its macros rename the platform layer's functions.
#ifdef _WIN32
#include <windows.h>
#endif

namespace vantorel::test {

#ifdef _WIN32
namespace {
// Wine shows a program a link to a file as that file and hides a dangling one, and its
// CreateSymbolicLink reports success and makes nothing. The host's ln makes the link; Wine starts
// a host program like any other, but cannot wait for it, so the link is awaited by its target.
bool MakeLinkUnderWine(const std::string& target, const std::string& link) {
  using UnixFileName = char*(CDECL*)(LPCWSTR);
  auto unix_file_name = reinterpret_cast<UnixFileName>(reinterpret_cast<void (*)()>(
      ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (unix_file_name == nullptr) return false;
  std::wstring wide(link.begin(), link.end());
  char* host = unix_file_name(wide.c_str());
  if (host == nullptr) return false;
  std::string command = "ln -s \"" + target + "\" \"" + host + "\"";
  ::HeapFree(::GetProcessHeap(), 0, host);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA("Z:\\bin\\ln", command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
    return false;
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  for (uint64_t start = platform::TickCount(); platform::TickCount() - start < 20000;
       platform::SleepMs(10)) {
    if (platform::FileExists(link)) return true;
  }
  return false;
}
}  // namespace
#endif

bool MakeSymbolicLink(const std::string& target, const std::string& link) {
#ifdef _WIN32
  if (MakeLinkUnderWine(target, link)) return true;
  // Windows itself makes them where the user may (developer mode, or the privilege).
  std::string windows_target = target;
  std::replace(windows_target.begin(), windows_target.end(), '/', '\\');
  std::error_code error;
  std::filesystem::create_symlink(windows_target, link, error);
  return !error && std::filesystem::is_symlink(link, error);
#else
  std::error_code error;
  std::filesystem::create_symlink(target, platform::NativePath(link), error);
  return !error;
#endif
}

}  // namespace vantorel::test
