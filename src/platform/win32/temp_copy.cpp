#include "platform/temp_copy.h"

#include <cinttypes>
#include <cstdio>
#include <utility>

#include "platform/errors.h"
#include "platform/win32/windows_api.h"

namespace vantorel::platform {

namespace {

constexpr char kHandOver[] = "/HANDOVER:";

class Handle {
 public:
  Handle() = default;
  explicit Handle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~Handle() { Close(); }
  Handle(Handle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
  Handle& operator=(Handle&& o) noexcept {
    if (this != &o) {
      Close();
      h_ = std::exchange(o.h_, nullptr);
    }
    return *this;
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Close() {
    if (h_) ::CloseHandle(std::exchange(h_, nullptr));
  }

 private:
  HANDLE h_ = nullptr;
};

// Keeps the error of the failed step across the clean-up that follows it.
bool Fail() {
  DWORD error = ::GetLastError();
  return ::SetLastError(error), false;
}

}  // namespace

bool IsHandOverArgument(const std::string& argument) {
  return argument.starts_with(kHandOver);
}

bool RunTemporaryCopy(const std::string& arguments, uint32_t& status) {
  char self[MAX_PATH];
  DWORD length = ::GetModuleFileNameA(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return Fail();
  char temp_dir[MAX_PATH], copy[MAX_PATH];
  DWORD dir_length = ::GetTempPathA(MAX_PATH, temp_dir);
  if (dir_length == 0 || dir_length >= MAX_PATH) return Fail();
  if (::GetTempFileNameA(temp_dir, "vtu", 0, copy) == 0) return Fail();
  if (!::CopyFileA(self, copy, FALSE)) {
    DWORD error = ::GetLastError();
    ::DeleteFileA(copy);
    return ::SetLastError(error), false;
  }
  // From here the copy's only name is this handle's: closing its last inherited duplicate (the
  // copy ending, or this process when the start fails) deletes the file.
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  Handle doomed(::CreateFileA(copy, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit,
                              OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
  if (!doomed) {
    DWORD error = ::GetLastError();
    ::DeleteFileA(copy);
    return ::SetLastError(error), false;
  }
  HANDLE read_end = nullptr, write_end = nullptr;
  if (!::CreatePipe(&read_end, &write_end, &inherit, 0)) return Fail();
  Handle reader(read_end), writer(write_end);
  ::SetHandleInformation(reader.get(), HANDLE_FLAG_INHERIT, 0);

  char hand_over[64];
  std::snprintf(hand_over, sizeof hand_over, "%s%lu:%" PRIuPTR, kHandOver,
                static_cast<unsigned long>(::GetCurrentProcessId()),
                reinterpret_cast<uintptr_t>(writer.get()));
  std::string command(1, '"');  // appended: GCC 12 warns falsely about "\"" + a temporary
  command.append(copy).append("\" ").append(hand_over).append(" ").append(arguments);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessA(copy, command.data(), nullptr, nullptr, TRUE, 0, nullptr, temp_dir,
                        &startup, &info))
    return Fail();
  Handle process(info.hProcess), thread(info.hThread);
  // Only the copy holds these now: the pipe breaks and the file goes when it ends.
  writer.Close();
  doomed.Close();

  uint32_t reported = 0;
  DWORD read = 0;
  if (::ReadFile(reader.get(), &reported, sizeof reported, &read, nullptr) &&
      read == sizeof reported) {
    status = reported;
    return true;
  }
  // It ended without a word (it failed early, or was ended): its exit code says how.
  ::WaitForSingleObject(process.get(), INFINITE);
  DWORD exit_code = 1;
  ::GetExitCodeProcess(process.get(), &exit_code);
  status = exit_code;
  return true;
}

bool ReleaseOriginal(const std::string& hand_over, uint32_t status, uint32_t timeout_ms) {
  unsigned long pid = 0;
  uintptr_t pipe = 0;
  if (!IsHandOverArgument(hand_over) ||
      std::sscanf(hand_over.c_str() + sizeof kHandOver - 1, "%lu:%" SCNuPTR, &pid, &pipe) != 2) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  // Only the pipe the original handed over is written to and closed, never another handle that
  // a made-up argument happens to name.
  HANDLE handle = reinterpret_cast<HANDLE>(pipe);
  if (::GetFileType(handle) != FILE_TYPE_PIPE) {
    ::SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  // Opened before the word is given: the original cannot end, and its id be reused, before.
  Handle original(::OpenProcess(SYNCHRONIZE, FALSE, pid));
  Handle writer(handle);
  DWORD written = 0;
  if (!::WriteFile(writer.get(), &status, sizeof status, &written, nullptr) ||
      written != sizeof status)
    return Fail();
  writer.Close();
  if (!original) return true;  // it has ended already
  DWORD waited = ::WaitForSingleObject(original.get(), timeout_ms);
  if (waited == WAIT_OBJECT_0) return true;
  ::SetLastError(waited == WAIT_TIMEOUT ? ERROR_TIMEOUT : ::GetLastError());
  return false;
}

}  // namespace vantorel::platform
