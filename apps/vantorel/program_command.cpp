// vantorel program FORM -o PROGRAM [--engine ENGINE]: an install program is the engine with the
// project form attached.
#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

#include "apps/vantorel/commands.h"
#include "framework/streaming.h"
#include "install/attached_form.h"
#include "platform/files.h"
#include "platform/pe_version.h"
#include "routines/strings.h"

namespace vantorel {

namespace {

// The RCDATA resource that apps/setup/engine.rc gives the install program.
constexpr char kEngineMarker[] = "VANTORELENGINE";
constexpr uint16_t kRtRcData = 10;

// The engine beside this program.
std::string DefaultEngine() {
  return AddBackslash(ExtractFileDir(platform::GetModuleFileName())) + "vtsetup.exe";
}

// The full path, with "." and ".." resolved and the separators unified, upper-cased; on Linux the
// host path behind a mapped drive. Two names of one file compare equal unless a link stands
// between them: the platform layer has no notion of file identity to ask instead. Case is ignored
// on Linux too: refusing "Form.exe" for "form.exe" costs less than destroying a form.
std::string ComparablePath(const std::string& path) {
#ifdef _WIN32
  constexpr bool kRootOfCurrentDrive = true;
#else
  constexpr bool kRootOfCurrentDrive = false;  // "/x" is Z:\x, as under Wine
#endif
  std::string full = path;
  bool rooted = !full.empty() && (full[0] == '\\' || full[0] == '/');
  bool drive = full.size() >= 2 && full[1] == ':';
  std::string current = platform::GetCurrentDirectory();
  if (!rooted && !drive)
    full = AddBackslash(current) + full;
  else if (rooted && kRootOfCurrentDrive && current.size() >= 2 && current[1] == ':')
    full = current.substr(0, 2) + full;
  std::string native = platform::NativePath(full);
  if (!native.empty()) full = native;

  std::vector<std::string> parts;
  std::string prefix, part;
  size_t at = 0;
  if (full.size() >= 2 && full[1] == ':') {
    prefix = full.substr(0, 2);
    at = 2;
  }
  for (; at <= full.size(); ++at) {
    char c = at < full.size() ? full[at] : '\\';
    if (c != '\\' && c != '/') {
      part += c;
      continue;
    }
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  }
  std::string out = prefix;
  for (const std::string& p : parts) out += "\\" + p;
  return UpperCase(out);
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string& text) {
  // Only a file on a disk: /dev/zero would be read until memory ran out, a FIFO would block.
  platform::File file = platform::File::OpenRegular(path, platform::Access::Read,
                                                    platform::kShareRead | platform::kShareWrite);
  if (!file.IsOpen()) return false;
  text.clear();
  // Read in place at its final size: growing by doubling would copy a large form many times
  // and hold twice its size at the end.
  if (int64_t size = file.Size(); size > 0) text.reserve(static_cast<size_t>(size));
  char buffer[1 << 16];
  int64_t n;
  while ((n = file.Read(buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
  return n == 0;
}

// Why `engine` cannot be the install program, or "" when it can: a form attached to anything
// else makes a file that runs as something else, or not at all, and nobody would notice before
// the users do.
std::string EngineProblem(const std::string& engine) {
  platform::File file = platform::File::Open(engine, platform::Access::Read,
                                             platform::kShareRead | platform::kShareWrite,
                                             platform::Disposition::OpenExisting);
  if (!file.IsOpen()) return "cannot read the file";
  if (!platform::IsPeProgram(file)) return "not a Windows program";
  std::vector<uint8_t> marker;
  if (!platform::ReadPeResource(file, kRtRcData, kEngineMarker, marker))
    return "a Windows program, but not the install program vtsetup.exe";
  return "";
}

int ProgramCommand(const Args& args, std::FILE* out, std::FILE* err) {
  std::string form_path, output, engine;
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "-o" || args[i] == "--engine") && i + 1 < args.size()) {
      (args[i] == "-o" ? output : engine) = args[i + 1];
      ++i;
    } else if (form_path.empty() && !args[i].empty() && args[i][0] != '-') {
      form_path = args[i];
    } else {
      std::fprintf(err, "vantorel: program: unexpected argument '%s'\n", args[i].c_str());
      return kExitUsage;
    }
  }
  if (form_path.empty() || output.empty()) {
    std::fprintf(err, "usage: vantorel program FORM -o PROGRAM [--engine ENGINE]\n");
    return kExitUsage;
  }
  if (engine.empty()) engine = DefaultEngine();
  // The output is made by copying the engine over it: naming the form or the engine would
  // destroy the very file being read.
  std::string target = ComparablePath(output);
  for (const auto& [input, role] : {std::pair{form_path, "the form"}, {engine, "the engine"}}) {
    if (ComparablePath(input) == target) {
      std::fprintf(err, "vantorel: program: the output %s is %s itself\n", output.c_str(), role);
      return kExitUsage;
    }
  }

  std::string text;
  if (!ReadTextFile(form_path, text)) {
    std::fprintf(err, "%s: cannot read the file\n", form_path.c_str());
    return kExitFailed;
  }
  try {
    // The form must load before it is shipped; design mode needs no event handlers.
    TReadOptions options;
    options.source_name = form_path;
    options.design_mode = true;
    ReadForm(text, options).reset();
  } catch (const Exception& e) {
    std::fprintf(err, "%s\n", e.Message().c_str());
    return kExitFormErrors;
  }
  if (std::string problem = EngineProblem(engine); !problem.empty()) {
    std::fprintf(err, "vantorel: program: the engine %s: %s\n", engine.c_str(), problem.c_str());
    return kExitFailed;
  }
  try {
    AttachForm(engine, text, output);
  } catch (const Exception& e) {
    std::fprintf(err, "vantorel: program: %s\n", e.Message().c_str());
    return kExitFailed;
  }
  std::fprintf(out, "%s: %s with the form %s\n", output.c_str(), ExtractFileName(engine).c_str(),
               form_path.c_str());
  return kExitOk;
}

}  // namespace vantorel
