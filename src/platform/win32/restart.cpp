#include "platform/restart.h"

#include <windows.h>

namespace vantorel::platform {

bool RestartWindows(bool enable_shutdown_privilege) {
  if (enable_shutdown_privilege) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token))
      return false;
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    bool ok =
        LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid) &&
        AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr) &&
        GetLastError() == ERROR_SUCCESS;
    CloseHandle(token);
    if (!ok) return false;
  }
  return ExitWindowsEx(EWX_REBOOT, 0) != 0;
}

}  // namespace vantorel::platform
