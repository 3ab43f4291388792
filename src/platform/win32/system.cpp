#include "platform/system.h"

#include <vector>

#include "platform/errors.h"
#include "platform/win32/windows_api.h"

namespace vantorel::platform {

// RtlGetVersion tells the truth where GetVersionExA reports what the program's manifest asks
// for; the latter remains for systems without it.
bool GetOsVersion(OsVersion& version) {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
  auto rtl_get_version = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(ntdll ? ::GetProcAddress(ntdll, "RtlGetVersion") : nullptr));
  OSVERSIONINFOEXW wide{};
  wide.dwOSVersionInfoSize = sizeof wide;
  if (rtl_get_version && rtl_get_version(&wide) == 0) {
    version.platform_id = wide.dwPlatformId;
    version.major = wide.dwMajorVersion;
    version.minor = wide.dwMinorVersion;
    version.build = wide.dwBuildNumber;
    char text[256] = {};
    ::WideCharToMultiByte(CP_ACP, 0, wide.szCSDVersion, -1, text, sizeof text, nullptr, nullptr);
    version.service_pack = text;
    return true;
  }
  OSVERSIONINFOA ansi{};
  ansi.dwOSVersionInfoSize = sizeof ansi;
  if (!::GetVersionExA(&ansi)) return false;
  version.platform_id = ansi.dwPlatformId;
  version.major = ansi.dwMajorVersion;
  version.minor = ansi.dwMinorVersion;
  version.build = ansi.dwBuildNumber;
  version.service_pack = ansi.szCSDVersion;
  return true;
}

uint16_t GetUserDefaultLangID() {
  return ::GetUserDefaultLangID();
}

namespace {

// Closes a kernel handle at the end of its scope.
class OwnedHandle {
 public:
  explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
  ~OwnedHandle() {
    if (handle_) ::CloseHandle(handle_);
  }
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The process handle of the started program; null on failure.
HANDLE Spawn(const std::string& command_line, bool shown) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = shown ? SW_SHOWNORMAL : SW_HIDE;
  PROCESS_INFORMATION process{};
  std::vector<char> line(command_line.begin(), command_line.end());
  line.push_back('\0');  // CreateProcessA may write into the command line
  // A hidden console program must not open a console window either.
  DWORD flags = shown ? 0 : CREATE_NO_WINDOW;
  if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, &process))
    return nullptr;
  ::CloseHandle(process.hThread);
  return process.hProcess;
}

}  // namespace

bool StartProgram(const std::string& command_line, bool shown) {
  OwnedHandle process(Spawn(command_line, shown));
  return process.get() != nullptr;
}

bool StartProgramAndWait(const std::string& command_line, bool shown, uint32_t timeout_ms,
                         uint32_t& exit_code) {
  OwnedHandle process(Spawn(command_line, shown));
  if (!process.get()) return false;
  static_assert(kWaitForever == INFINITE);
  switch (::WaitForSingleObject(process.get(), timeout_ms)) {
    case WAIT_OBJECT_0:
      break;
    case WAIT_TIMEOUT:
      ::SetLastError(WAIT_TIMEOUT);
      return false;
    default:
      return false;
  }
  DWORD code = 0;
  if (!::GetExitCodeProcess(process.get(), &code)) return false;
  exit_code = code;
  ::SetLastError(ERROR_SUCCESS);
  return true;
}

std::optional<std::string> GetEnv(const std::string& name) {
  DWORD size = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  while (size > 0) {
    std::string value(size, '\0');
    DWORD n = ::GetEnvironmentVariableA(name.c_str(), value.data(), size);
    if (n < size) {
      value.resize(n);
      return value;
    }
    size = n;  // it grew meanwhile
  }
  return std::nullopt;
}

bool SetEnv(const std::string& name, const std::optional<std::string>& value) {
  return ::SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr) != 0;
}

uint32_t CurrentProcessId() {
  return ::GetCurrentProcessId();
}

std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& default_value) {
  std::string buffer(1024, '\0');
  while (true) {
    DWORD n =
        ::GetPrivateProfileStringA(section.c_str(), key.c_str(), default_value.c_str(),
                                   buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
    if (n + 1 < buffer.size()) {  // size - 1 means the value was cut short
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 4);
  }
}

bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
  return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) !=
         0;
}

Library Library::Load(const std::string& name) {
  Library library;
  library.handle_ = ::LoadLibraryA(name.c_str());
  return library;
}

void* Library::Symbol(const std::string& name) const {
  if (!handle_) return ::SetLastError(ERROR_INVALID_HANDLE), nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name.c_str()));
}

void Library::Free() {
  if (!handle_) return;
  ::FreeLibrary(static_cast<HMODULE>(handle_));
  handle_ = nullptr;
}

uint64_t TickCount() {
  return ::GetTickCount64();
}

void SleepMs(uint32_t ms) {
  ::Sleep(ms);
}

}  // namespace vantorel::platform
