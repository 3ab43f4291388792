#pragma once
// Restarting Windows, as an installer does when files could only be replaced at the restart.
namespace vantorel::platform {

// Asks the system to log off and restart (no force). With `enable_shutdown_privilege` the
// process first enables SeShutdownPrivilege, as NT requires; every step must succeed. False
// when any step failed (LastError tells which); the posix backend cannot restart and says so.
bool RestartWindows(bool enable_shutdown_privilege);

}  // namespace vantorel::platform
