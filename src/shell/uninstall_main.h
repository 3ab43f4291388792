#pragma once
// The entry point of uninstall.exe, started by the system's list of installed programs as
//
//   "C:\Program Files\Product\uninstall.exe" Product Name       asks, then removes
//   "C:\Program Files\Product\uninstall.exe" /S Product Name    removes without a window
//
// (the product's name is the rest of the command line: the name of its uninstall key).
//
// Exit status (stable; scripts may rely on it):
//   0  removed
//   1  failed: no product name, a product that is not installed, or something could not be
//      removed (its records and uninstall.exe stay, for another run)
//   2  cancelled by the user
//   3  removed; files that were in use go when Windows restarts
#include <string>
#include <vector>

namespace vantorel {

enum UninstallExitStatus {
  kRemoved = 0,
  kUninstallFailed = 1,
  kUninstallCancelled = 2,
  kRemovedAtRestart = 3
};

int RunUninstall(int argc, char** argv);

// The work itself, in this process: `args` without the program, `hand_over` and `original` as
// the temporary copy receives them (both empty: running in place, where `original` names the
// program file to delete last, if any).
int Uninstall(const std::vector<std::string>& args, const std::string& hand_over,
              const std::string& original);

// The parsed command line: leading switches, then the product's name.
struct TUninstallCommandLine {
  bool silent = false;
  std::string product_name;
};
TUninstallCommandLine ParseUninstallCommandLine(const std::vector<std::string>& args);

}  // namespace vantorel
