#pragma once
// Facts about the running system and the few system services the engine needs.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace vantorel::platform {

struct OsVersion {
  uint32_t platform_id = 0;  // 0 Win32s, 1 the 95 family, 2 NT
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  std::string service_pack;
};

// The posix backend reports NT 6.1 build 7601 "Service Pack 1" (the NT family).
bool GetOsVersion(OsVersion& version);
// The posix backend derives it from LC_ALL, LC_MESSAGES or LANG ("de_DE.UTF-8" -> 0x0407);
// US English when none names a known language.
uint16_t GetUserDefaultLangID();

// Starts a command line (program and arguments) and returns without waiting for it to end.
// The posix backend runs the command line with /bin/sh as it is (host paths, see NativePath);
// it only fails when the shell cannot be started.
bool StartProgram(const std::string& command_line, bool shown);

inline constexpr uint32_t kWaitForever = 0xFFFFFFFFu;

// Starts a command line and waits for it to end, at most `timeout_ms` (or kWaitForever), for
// programs such as a server's "/REGSERVER" run whose outcome matters. True once it has ended,
// with its exit code. False when it cannot be started, or with kErrorWaitTimeout when it runs
// past the timeout; it is left running then (it may be halfway through its work). The posix
// backend runs the command line with /bin/sh -c as it is; a program the shell cannot find is
// started and ends with 127, and one ended by signal N gives 128 + N, as the shell reports them.
bool StartProgramAndWait(const std::string& command_line, bool shown, uint32_t timeout_ms,
                         uint32_t& exit_code);

std::optional<std::string> GetEnv(const std::string& name);
// Sets a variable of this process (and of the programs it starts); nullopt removes it.
bool SetEnv(const std::string& name, const std::optional<std::string>& value);

// The id of this process; unique among the running processes, handy for unique names.
uint32_t CurrentProcessId();

// INI files, as GetPrivateProfileString/WritePrivateProfileString treat them: sections and keys
// compare without regard to case, values are trimmed and lose enclosing quotes, a missing file or
// key gives the default, a write creates the file and the section. A bare file name (no folder)
// means the Windows folder. Writes fail when the folder does not exist.
std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& default_value);
bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value);

// A loaded library. Move-only; freed by the destructor. The posix backend cannot load Windows
// libraries and always fails with kErrorModNotFound.
class Library {
 public:
  Library() = default;
  ~Library() { Free(); }
  Library(Library&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
  Library& operator=(Library&& other) noexcept {
    if (this != &other) {
      Free();
      handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  static Library Load(const std::string& name);
  bool IsLoaded() const { return handle_ != nullptr; }
  void* Symbol(const std::string& name) const;  // nullptr when missing
  void Free();

 private:
  void* handle_ = nullptr;
};

// Milliseconds since some fixed point; for timeouts, not for dates.
uint64_t TickCount();
void SleepMs(uint32_t ms);

}  // namespace vantorel::platform
