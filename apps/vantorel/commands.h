#pragma once
// The subcommands of the builder front end, one file each.
#include <cstdio>
#include <string>
#include <vector>

namespace vantorel {

using Args = std::vector<std::string>;

// Stable exit codes of every command.
enum ExitCode { kExitOk = 0, kExitFormErrors = 1, kExitUsage = 2, kExitFailed = 3 };

bool ReadTextFile(const std::string& path, std::string& text);
// Why `engine` cannot be the install program (vtsetup.exe, known by its marker resource), or ""
// when it can.
std::string EngineProblem(const std::string& engine);
// check FORM: reads the form (in design mode) and prints its component tree with the properties
// the text sets.
int CheckCommand(const Args& args, std::FILE* out, std::FILE* err);
// program FORM -o PROGRAM [--engine ENGINE]
int ProgramCommand(const Args& args, std::FILE* out, std::FILE* err);
// build FORM -o DIR [--self-extracting] [--library DIR] [--engine ENGINE | --program PROGRAM]
int BuildCommand(const Args& args, std::FILE* out, std::FILE* err);

}  // namespace vantorel
