#pragma once
// `vantorel list` and `vantorel extract`: the archive subcommands of the builder front end.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vantorel::cli {

// Exit codes beyond the front end's own (0 success, 2 usage error).
enum : int { kExitArchiveError = 3 };

// list ARCHIVE [--offset N] [--setup]
int ListArchive(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);
// extract ARCHIVE -C DIR [--offset N] [--setup] [--overwrite RULE] [NAMES...]
int ExtractArchive(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

// Where the parts of a self-extracting setup file begin, from its 56-byte trailer; -1 for a part
// that was not appended.
struct SelfExtractParts {
  int64_t setup_start = -1;
  int64_t files_start = -1;
};
// False when the file does not end in a self-extract trailer.
bool ReadSelfExtractParts(const std::string& path, SelfExtractParts& parts);

}  // namespace vantorel::cli
