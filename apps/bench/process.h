#pragma once
// Runs a program as a child and measures it: wall time and peak resident memory. Linux only, as
// the benchmark is: the peak comes from the kernel's own account of the child (wait4), which no
// portable facility gives.
#include <string>
#include <utility>
#include <vector>

namespace vantorel::bench {

struct RunResult {
  int status = -1;     // the exit status; -1 when it did not exit normally
  double seconds = 0;  // wall time from start to exit
  double peak_mb = 0;  // peak resident set of the child (the largest of its own children too)
  bool timed_out = false;
  bool ok() const { return status == 0 && !timed_out; }
};

struct RunOptions {
  std::vector<std::pair<std::string, std::string>> env;  // set in the child
  std::string output = "/dev/null";                      // where stdout and stderr go
  double timeout_seconds = 0;  // 0: none; past it the child's process group is killed
};

RunResult Run(const std::vector<std::string>& argv, const RunOptions& options = {});

// The path of this program, to run parts of it as children.
std::string SelfPath();

}  // namespace vantorel::bench
