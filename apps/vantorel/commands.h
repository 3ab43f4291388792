#pragma once
// The subcommands of the builder front end beyond `check`, one file each.
#include <string>
#include <vector>

namespace vantorel {

using Args = std::vector<std::string>;

// Stable exit codes of every command.
enum ExitCode { kExitOk = 0, kExitFormErrors = 1, kExitUsage = 2, kExitFailed = 3 };

bool ReadTextFile(const std::string& path, std::string& text);
int ProgramCommand(const Args& args);

}  // namespace vantorel
