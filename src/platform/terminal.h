#pragma once
// Whether a standard stream goes to a terminal: progress bars are drawn only there, plain lines
// go to files and pipes.

namespace vantorel::platform {

// `stream`: 1 standard output, 2 standard error.
bool IsTerminal(int stream);

}  // namespace vantorel::platform
