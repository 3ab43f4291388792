#include "archive_commands.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

#include "archive/compress.h"
#include "archive/file_header.h"
#include "archive/stored_name.h"
#include "framework/exception.h"
#include "platform/files.h"
#include "routines/strings.h"

namespace vantorel::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr size_t kTrailerSize = 56;

struct Options {
  std::string archive;
  std::string directory;
  int64_t offset = -1;  // -1: from the self-extract trailer, else 0
  bool setup = false;
  TOverwriteType overwrite = owAlways;
  std::vector<std::string> names;
};

bool ParseOffset(const std::string& text, int64_t& value) {
  if (text.empty() || text.size() > 10) return false;
  value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value <= INT32_MAX;
}

bool ParseOverwrite(const std::string& text, TOverwriteType& rule) {
  static const std::pair<const char*, TOverwriteType> kRules[] = {
      {"always", owAlways},           {"never", owNever}, {"version", owVersion}, {"date", owDate},
      {"versiondate", owVersionDate},
  };
  for (const auto& [name, value] : kRules) {
    if (text == name || text == EnumName(value)) {
      rule = value;
      return true;
    }
  }
  return false;
}

// The error of a malformed command line, or "" when it is fine.
std::string Parse(const std::vector<std::string>& args, bool extract, Options& o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool has_value = i + 1 < args.size();
    if (a == "--offset") {
      if (!has_value || !ParseOffset(args[++i], o.offset)) {
        return "--offset needs a byte position below 2 GB";
      }
    } else if (a == "--setup") {
      o.setup = true;
    } else if (extract && (a == "-C" || a == "--directory")) {
      if (!has_value) return a + " needs a folder";
      o.directory = args[++i];
    } else if (extract && a == "--overwrite") {
      if (!has_value || !ParseOverwrite(args[++i], o.overwrite)) {
        return "--overwrite needs one of always, never, version, date, versiondate";
      }
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + a;
    } else if (o.archive.empty()) {
      o.archive = a;
    } else if (extract) {
      o.names.push_back(a);
    } else {
      return "list takes one archive";
    }
  }
  if (o.archive.empty()) return "no archive given";
  if (extract && o.directory.empty()) return "extract needs -C FOLDER";
  if (o.setup && o.offset >= 0) return "--setup and --offset exclude each other";
  return "";
}

// Where the archive begins, and a note for the reader when a trailer told it.
bool ResolveOffset(const Options& o, int64_t& offset, std::string& note, std::string& error) {
  note.clear();
  if (o.offset >= 0) {
    offset = o.offset;
    return true;
  }
  SelfExtractParts parts;
  if (!ReadSelfExtractParts(o.archive, parts)) {
    if (o.setup) {
      error = o.archive + " is not a self-extracting setup file";
      return false;
    }
    offset = 0;
    return true;
  }
  // The main archive unless the setup part is asked for (or is all there is).
  const bool setup = o.setup || parts.files_start < 0;
  offset = setup ? parts.setup_start : parts.files_start;
  if (offset < 0) {
    error = o.archive + ": the self-extract trailer names no archive";
    return false;
  }
  note = std::string("self-extracting file: ") + (setup ? "setup.1" : "files.1") + " at offset " +
         std::to_string(offset);
  return true;
}

std::string DateText(TDateTime date) {
  uint32_t stamp = 0;
  if (!DateTimeToDosDateTime(date, stamp)) return "?";
  const uint32_t d = stamp >> 16, t = stamp & 0xFFFF;
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", 1980 + (d >> 9), (d >> 5) & 15,
                d & 31, t >> 11, (t >> 5) & 63, (t & 31) * 2);
  return text;
}

std::string VolumesText(const TFileHeader& h) {
  if (h.FirstDisk() == 0) return "-";
  if (h.FirstDisk() == h.LastDisk()) return std::to_string(h.FirstDisk());
  return std::to_string(h.FirstDisk()) + "-" + std::to_string(h.LastDisk());
}

int Usage(std::FILE* err, const std::string& command, const std::string& problem) {
  std::fprintf(err, "vantorel %s: %s\n", command.c_str(), problem.c_str());
  return kExitUsage;
}

int Failure(std::FILE* err, const std::string& message) {
  std::fprintf(err, "vantorel: %s\n", message.c_str());
  return kExitArchiveError;
}

}  // namespace

bool ReadSelfExtractParts(const std::string& path, SelfExtractParts& parts) {
  platform::File file = platform::File::OpenRegular(path, platform::Access::Read,
                                                    platform::kShareRead | platform::kShareWrite);
  if (!file.IsOpen()) return false;
  const int64_t size = file.Size();
  uint8_t t[kTrailerSize];
  if (size < static_cast<int64_t>(kTrailerSize) ||
      file.Seek(size - static_cast<int64_t>(kTrailerSize), platform::SeekOrigin::Begin) < 0 ||
      file.Read(t, sizeof t) != static_cast<int64_t>(sizeof t)) {
    return false;
  }
  if (t[0] != 14 || std::memcmp(t + 1, "SELFEXTRACTING", 14) != 0 || t[15] != 0) return false;
  auto at = [&](size_t i) {
    return static_cast<int32_t>(t[i] | (t[i + 1] << 8) | (t[i + 2] << 16) |
                                (static_cast<uint32_t>(t[i + 3]) << 24));
  };
  const int32_t setup = at(16), files = at(24);
  parts.setup_start = setup >= 0 && setup < size ? setup : -1;
  parts.files_start = files > 0 && files < size ? files : -1;
  return true;
}

// Reads the options of `command` and where its archive starts in the file; -1 when both are
// good, else the exit code of the failure (already reported on `err`).
int ReadOptions(const char* command, bool extracting, const std::vector<std::string>& args,
                std::FILE* err, Options& o, int64_t& offset, std::string& note) {
  if (std::string problem = Parse(args, extracting, o); !problem.empty())
    return Usage(err, command, problem);
  std::string error;
  if (!ResolveOffset(o, offset, note, error)) return Failure(err, error);
  return -1;
}

int ListArchive(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  Options o;
  int64_t offset;
  std::string note;
  if (int code = ReadOptions("list", false, args, err, o, offset, note); code >= 0) return code;
  try {
    TVtrlCompress engine(nullptr);
    engine.SetCompressedFile(o.archive);
    engine.SetOffset(static_cast<int32_t>(offset));
    const int count = engine.FileCount();
    if (!note.empty()) std::fprintf(out, "%s\n", note.c_str());
    std::fprintf(out, "%10s %10s %5s %-19s %-20s %4s %-7s %s\n", "Size", "Packed", "Ratio", "Date",
                 "Version", "ID", "Volumes", "Name");
    TlzhFileStats stats;
    for (int i = 0; i < count; ++i) {
      engine.GetFileStats(i, stats);
      const TFileHeader h(stats.Header);
      std::fprintf(out, "%10d %10d %4u%% %-19s %-20s %4d %-7s %s\n", h.FileSize(),
                   h.CompressedSize(), stats.Ratio, DateText(h.FileDate()).c_str(),
                   h.FileVersion().c_str(), h.UniqueID(), VolumesText(h).c_str(),
                   h.FileName().c_str());
    }
    if (count > 0) engine.GetFileStats(0, stats);
    std::fprintf(out, "%d file%s, %d bytes, %d packed (%u%%)\n", count, count == 1 ? "" : "s",
                 count > 0 ? stats.TotalFileSize : 0, count > 0 ? stats.TotalCompressedSize : 0,
                 count > 0 ? stats.TotalRatio : 0u);
  } catch (const Exception& e) {
    return Failure(err, o.archive + ": " + e.Message());
  }
  return kExitOk;
}

int ExtractArchive(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  Options o;
  int64_t offset;
  std::string note;
  if (int code = ReadOptions("extract", true, args, err, o, offset, note); code >= 0) return code;
  try {
    TVtrlCompress engine(nullptr);
    engine.SetCompressedFile(o.archive);
    engine.SetOffset(static_cast<int32_t>(offset));
    // Each stored name once, in directory order (a twin is the first one's, as in the engine),
    // and the stored names behind each bare file name.
    std::vector<std::string> stored;
    std::unordered_set<std::string> seen;
    std::unordered_map<std::string, std::vector<std::string>> by_bare_name;
    TlzhFileStats stats;
    const int count = engine.FileCount();
    for (int i = 0; i < count; ++i) {
      engine.GetFileStats(i, stats);
      if (!seen.insert(LowerCase(stats.FileName)).second) continue;
      stored.push_back(stats.FileName);
      by_bare_name[LowerCase(ExtractFileName(stats.FileName))].push_back(stats.FileName);
    }

    // Names as stored, or the bare file name of exactly one stored file.
    TStrings lines;
    std::unordered_set<std::string> listed;
    auto add = [&](const std::string& name) -> bool {
      // The engine looks a name up by the text before its ";": such an entry cannot be asked
      // for, and the request would bring out another one.
      if (HasFieldSeparator(name)) return false;
      if (listed.insert(LowerCase(name)).second) lines.Add(name);
      return true;
    };
    auto unreachable = [&](const std::string& name) {
      return Failure(err, o.archive + ": " + name +
                              " cannot be extracted: a stored name holding \";\" cannot be asked "
                              "for by name");
    };
    if (o.names.empty()) {
      for (const std::string& s : stored) {
        if (!add(s)) return unreachable(s);
      }
    }
    for (const std::string& name : o.names) {
      if (seen.count(LowerCase(name)) > 0) {
        if (!add(name)) return unreachable(name);
        continue;
      }
      const auto found = by_bare_name.find(LowerCase(name));
      if (found == by_bare_name.end()) return Failure(err, name + " is not in " + o.archive);
      if (found->second.size() > 1) {
        return Failure(err,
                       name + " names several files of " + o.archive + "; give the whole name");
      }
      if (!add(found->second.front())) return unreachable(found->second.front());
    }

    if (!note.empty()) std::fprintf(out, "%s\n", note.c_str());
    bool existed = false, replaced = false;
    int extracted = 0, kept = 0;
    std::string current;
    engine.OnBeforeExtracting = [&](TVtrlCompress* e, const TlzhFileStats& s) {
      current = s.FileName;
      existed = platform::FileExists(AddBackslash(e->ExtractDirectory()) +
                                     ExtractFileName(e->TargetName()));
      replaced = false;
    };
    engine.OnReplace = [&](TVtrlCompress*, const TlzhFileStats&) { replaced = true; };
    engine.OnStatus = [&](TVtrlCompress*, const TlzhFileStats& s) {
      if (!s.FileDone) return;
      if (existed && !replaced) {
        ++kept;
        std::fprintf(out, "kept      %s (the existing file stays by the %s rule)\n",
                     current.c_str(), EnumName(o.overwrite).c_str());
      } else {
        ++extracted;
        std::fprintf(out, "extracted %s\n", current.c_str());
      }
    };
    engine.SetExtractDirectory(o.directory);
    engine.SetOverwrite(o.overwrite);
    engine.SetFilesToProcess(lines);
    engine.Extract();
    std::fprintf(out, "%d extracted, %d kept, into %s\n", extracted, kept, o.directory.c_str());
  } catch (const Exception& e) {
    return Failure(err, o.archive + ": " + e.Message());
  }
  return kExitOk;
}

}  // namespace vantorel::cli
