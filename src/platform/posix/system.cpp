#include "platform/system.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/ini_text.h"
#include "platform/language.h"
#include "platform/posix/host_io.h"
#include "platform/posix/host_path.h"

extern char** environ;

namespace vantorel::platform {

using posix::Fail;

// The host is no Windows; it reports the NT version the engine is tested against most
// (Windows 7 with its service pack), so that version-dependent paths take their NT branch.
bool GetOsVersion(OsVersion& version) {
  version.platform_id = 2;
  version.major = 6;
  version.minor = 1;
  version.build = 7601;
  version.service_pack = "Service Pack 1";
  return true;
}

// The locale of messages, as the C library chooses it: LC_ALL, then LC_MESSAGES, then LANG.
uint16_t GetUserDefaultLangID() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return LangIdFromLocale(value);
  }
  return LangIdFromLocale("");
}

// The command line goes to /bin/sh as it is (no path mapping: it names host programs). An
// intermediate shell puts the command in the background and ends at once, so the program runs
// on as a child of init: nobody has to wait for it and it leaves no zombie. It gets a session
// of its own and no input; a hidden program also writes nowhere.
bool StartProgram(const std::string& command_line, bool shown) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  posix_spawn_file_actions_init(&actions);
  posix_spawnattr_init(&attributes);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (!shown) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  const char* argv[] = {"/bin/sh", "-c", "/bin/sh -c \"$1\" &", "sh", command_line.c_str(),
                        nullptr};
  pid_t pid;
  int rc =
      posix_spawn(&pid, "/bin/sh", &actions, &attributes, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) return Fail(posix::ErrorFromErrno(rc, "/bin/sh"));
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return Fail(kErrorGenFailure);
  SetLastError(kErrorSuccess);
  return true;
}

// Here the shell runs the command itself, as our child, so that its end and status reach us.
bool StartProgramAndWait(const std::string& command_line, bool shown, uint32_t timeout_ms,
                         uint32_t& exit_code) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (!shown) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  }
  const char* argv[] = {"/bin/sh", "-c", command_line.c_str(), nullptr};
  pid_t pid;
  int rc = posix_spawn(&pid, "/bin/sh", &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return Fail(posix::ErrorFromErrno(rc, "/bin/sh"));
  // Polled rather than blocked on, for the timeout; the pause grows so that a quick program is
  // seen at once and a slow one costs little.
  const uint64_t start = TickCount();
  uint32_t pause = 1;
  int status = 0;
  while (true) {
    pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (done < 0 && errno != EINTR) return Fail(kErrorGenFailure);
    if (timeout_ms != kWaitForever && TickCount() - start >= timeout_ms)
      return Fail(kErrorWaitTimeout);
    SleepMs(pause);
    pause = std::min<uint32_t>(pause * 2, 20);
  }
  if (WIFEXITED(status))
    exit_code = static_cast<uint32_t>(WEXITSTATUS(status));
  else
    exit_code = 128 + static_cast<uint32_t>(WTERMSIG(status));
  SetLastError(kErrorSuccess);
  return true;
}

std::optional<std::string> GetEnv(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

bool SetEnv(const std::string& name, const std::optional<std::string>& value) {
  int rc = value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
  return rc == 0 || Fail(kErrorInvalidParameter);
}

uint32_t CurrentProcessId() {
  return static_cast<uint32_t>(::getpid());
}

namespace {

// A bare file name means the Windows folder, as for the profile functions.
bool IniHostPath(const std::string& file, std::string& host) {
  std::string path = file;
  if (file.find_first_of("\\/:") == std::string::npos) {
    std::string windows = GetWindowsDirectory();
    if (windows.empty()) return false;
    path = windows + "\\" + file;
  }
  return posix::ToHostPath(path, host);
}

}  // namespace

std::string ReadIniString(const std::string& file, const std::string& section,
                          const std::string& key, const std::string& default_value) {
  std::string host, text;
  if (!IniHostPath(file, host) || !posix::ReadHostFile(host, text)) return default_value;
  return IniLookup(text, section, key).value_or(default_value);
}

bool WriteIniString(const std::string& file, const std::string& section, const std::string& key,
                    const std::string& value) {
  std::string host, text;
  if (!IniHostPath(file, host)) return false;
  if (!posix::ReadHostFile(host, text) && LastError() != kErrorFileNotFound) return false;
  return posix::ReplaceHostFile(host, IniStore(text, section, key, value));
}

// Windows libraries cannot be loaded here; callers take their "library missing" path.
Library Library::Load(const std::string&) {
  Fail(kErrorModNotFound);
  return Library();
}

void* Library::Symbol(const std::string&) const {
  Fail(kErrorProcNotFound);
  return nullptr;
}

void Library::Free() {
  handle_ = nullptr;
}

uint64_t TickCount() {
  struct timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}

void SleepMs(uint32_t ms) {
  struct timespec ts {
    static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000
  };
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace vantorel::platform
