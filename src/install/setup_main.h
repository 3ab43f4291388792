#pragma once
// The entry point of the install program, shared by vtsetup and the test hosts that register
// event handlers before running it.
//
// Exit status (stable; scripts may rely on it):
//   0  installed
//   1  failed (also: no project form, or a form that cannot be loaded)
//   2  cancelled by the user
//   3  restart pending: the install finishes after Windows restarts

namespace vantorel {

enum SetupExitStatus { kInstalled = 0, kFailed = 1, kCancelled = 2, kRestartPending = 3 };

// Reads the program's own project form, runs the application and returns the exit status.
int RunSetup(int argc, char** argv);

}  // namespace vantorel
