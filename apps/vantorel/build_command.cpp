// vantorel build FORM -o DIR: the distribution of a project, made natively by the same engine
// code that `vtsetup.exe -b` runs under Windows.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "apps/vantorel/commands.h"
#include "archive/compress.h"
#include "archive/deflate_pool.h"
#include "archive/deflate_stream.h"
#include "framework/streaming.h"
#include "install/attached_form.h"
#include "install/install.h"
#include "model/file_container.h"
#include "model/install_file.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/terminal.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

constexpr char kUsage[] =
    "usage: vantorel build FORM -o DIR [--self-extracting] [--library DIR] [--engine ENGINE]\n"
    "                      [--program PROGRAM] [--jobs N] [--deflate zlib|libdeflate]\n";

struct BuildOptions {
  std::string form, output, library, engine, program, jobs, deflate;
  bool self_extracting = false;
  int job_count = 0;
  TDeflater deflater = TDeflater::Zlib;
};

std::string ProgramDirectory() {
  return RemoveBackslash(ExtractFileDir(platform::GetModuleFileName()));
}

// A Windows program of the builder: beside this program (an installed builder), or in the win64
// tree beside the host tree this program was built in.
std::string FindWindowsProgram(const std::string& name) {
  const std::string beside = AddBackslash(ProgramDirectory()) + name;
  if (platform::FileExists(beside)) return beside;
  const std::string tree = ProgramDirectory() + "\\..\\..\\win64\\apps\\" + name;
  return platform::FileExists(tree) ? tree : beside;
}

std::string ParseBuild(const Args& args, BuildOptions& o) {
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string* value = a == "-o"          ? &o.output
                         : a == "--library" ? &o.library
                         : a == "--engine"  ? &o.engine
                         : a == "--program" ? &o.program
                         : a == "--jobs"    ? &o.jobs
                         : a == "--deflate" ? &o.deflate
                                            : nullptr;
    if (value != nullptr) {
      if (i + 1 >= args.size()) return a + " needs a value";
      *value = args[++i];
    } else if (a == "--self-extracting") {
      o.self_extracting = true;
    } else if (!a.empty() && a[0] == '-') {
      return "unknown option " + a;
    } else if (o.form.empty()) {
      o.form = a;
    } else {
      return "unexpected argument " + a;
    }
  }
  if (o.form.empty()) return "no form given";
  if (o.output.empty()) return "-o DIR is required";
  if (!o.engine.empty() && !o.program.empty()) return "--engine and --program exclude each other";
  o.job_count = TDeflatePool::MachineJobs();
  if (!o.jobs.empty()) {
    int n = 0;
    for (char c : o.jobs) {
      if (c < '0' || c > '9' || n > 1000) return "--jobs needs a number of threads from 1";
      n = n * 10 + (c - '0');
    }
    if (n < 1) return "--jobs needs a number of threads from 1";
    o.job_count = std::min(n, 256);
  }
  // libdeflate where this program has it: faster, other bytes than -b of the install program.
  o.deflater = LibdeflateAvailable() ? TDeflater::Libdeflate : TDeflater::Zlib;
  if (o.deflate == "zlib") {
    o.deflater = TDeflater::Zlib;
  } else if (o.deflate == "libdeflate") {
    if (!LibdeflateAvailable()) return "this vantorel was built without libdeflate";
    o.deflater = TDeflater::Libdeflate;
  } else if (!o.deflate.empty()) {
    return "--deflate needs zlib or libdeflate";
  }
  return "";
}

// The path the build compresses `program` from, spelled as the build spells it.
std::string SourcePathOf(const std::string& program) {
  return AddBackslash(RemoveBackslash(ExtractFileDir(program))) + ExtractFileName(program);
}

// Starts the deflate of every file the build will add, in the order it adds them, on `jobs`
// threads; the build's own thread writes what they make (one job: it deflates too, alone).
std::unique_ptr<TDeflatePool> PlanDeflate(int jobs, TDeflater deflater, TCustomInstall& install,
                                          const std::string& program) {
  if (jobs <= 1) return nullptr;
  auto pool = std::make_unique<TDeflatePool>(jobs, 24u << 20, 4u << 20, deflater);
  const int level = ZlibLevel(SharedArchiveEngine().CompressionLevel());
  if (install.UseLoadingProgram()) {
    pool->Schedule(SourcePathOf(program), level);
    for (const std::string& line : *install.PresetupFiles())
      pool->Schedule(SourcePathOf(line), level);
  }
  std::vector<TCustomInstallFile*> files;
  install.FilesInCompressionOrder(files);
  for (TCustomInstallFile* file : files) pool->Schedule(file->SourcePath(), level);
  return pool;
}

// Progress of the files compressed: a bar on a terminal, a line per file otherwise.
class Progress {
 public:
  Progress(std::FILE* out, bool terminal, int files, int64_t bytes)
      : out_(out), terminal_(terminal), files_(files), bytes_(bytes) {}
  void FileDone(const std::string& name, int64_t size) {
    ++done_files_;
    done_bytes_ += size;
    if (!terminal_) {
      std::fprintf(out_, "compressed %s (%lld bytes)\n", name.c_str(),
                   static_cast<long long>(size));
      return;
    }
    constexpr int kWidth = 30;
    const double share = bytes_ > 0   ? static_cast<double>(done_bytes_) / bytes_
                         : files_ > 0 ? static_cast<double>(done_files_) / files_
                                      : 1.0;
    const int filled = static_cast<int>(share * kWidth + 0.5);
    std::fprintf(out_, "\r[%s%s] %d/%d files, %.1f/%.1f MB ", std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, ' ').c_str(), done_files_, files_,
                 done_bytes_ / 1048576.0, bytes_ / 1048576.0);
    std::fflush(out_);
  }
  void End() {
    if (terminal_ && done_files_ > 0) std::fprintf(out_, "\n");
  }
  int files() const { return done_files_; }
  int64_t bytes() const { return done_bytes_; }

 private:
  std::FILE* out_;
  bool terminal_;
  int files_;
  int64_t bytes_;
  int done_files_ = 0;
  int64_t done_bytes_ = 0;
};

// The files of a distribution folder and their sizes, sub-folders (net locations) included.
void ListOutput(const std::string& dir, const std::string& prefix,
                std::vector<std::pair<std::string, uint64_t>>& files) {
  std::vector<platform::DirEntry> entries;
  if (!platform::ListDirectory(dir, "*", entries)) return;
  for (const auto& e : entries) {
    const std::string path = AddBackslash(dir) + e.name;
    if (e.attributes & platform::kAttrDirectory) {
      ListOutput(path, prefix + e.name + "/", files);
    } else {
      uint64_t size = 0;
      platform::GetFileSize(path, size);
      files.emplace_back(prefix + e.name, size);
    }
  }
}

}  // namespace

int BuildCommand(const Args& args, std::FILE* out, std::FILE* err) {
  BuildOptions o;
  if (std::string problem = ParseBuild(args, o); !problem.empty()) {
    std::fprintf(err, "vantorel build: %s\n%s", problem.c_str(), kUsage);
    return kExitUsage;
  }
  const auto started = std::chrono::steady_clock::now();
  std::string text;
  if (!ReadTextFile(o.form, text)) {
    std::fprintf(err, "%s: cannot read the file\n", o.form.c_str());
    return kExitFailed;
  }
  std::unique_ptr<TComponent> root;
  try {
    // Design mode: the form's event handlers belong to the install program, not to the builder.
    TReadOptions options;
    options.source_name = o.form;
    options.design_mode = true;
    root = ReadForm(text, options);
  } catch (const Exception& e) {
    std::fprintf(err, "%s\n", e.Message().c_str());
    return kExitFormErrors;
  }
  auto* install = InstallComponent()
                      ? dynamic_cast<TCustomInstall*>(InstallComponent()->AsContainer())
                      : nullptr;
  if (install == nullptr) {
    std::fprintf(err, "%s: the form has no install component (TInstall)\n", o.form.c_str());
    return kExitFormErrors;
  }

  const std::string dir = RemoveBackslash(o.output);
  // The install program packed into setup.1: the one given, or the engine with this form
  // attached, made in the build folder under the form's name and removed again when setup.1
  // carries it.
  std::string program = o.program;
  bool made_program = false;
  if (program.empty()) {
    const std::string engine = o.engine.empty() ? FindWindowsProgram("vtsetup.exe") : o.engine;
    if (std::string problem = EngineProblem(engine); !problem.empty()) {
      std::fprintf(err, "vantorel build: the engine %s: %s\n", engine.c_str(), problem.c_str());
      return kExitFailed;
    }
    program = AddBackslash(dir) + ChangeFileExt(ExtractFileName(o.form), ".exe");
    try {
      ForceDirectories(dir);
      AttachForm(engine, text, program);
    } catch (const Exception& e) {
      std::fprintf(err, "vantorel build: %s\n", e.Message().c_str());
      return kExitFailed;
    }
    made_program = true;
  } else if (!platform::FileExists(program)) {
    std::fprintf(err, "vantorel build: the install program %s was not found\n", program.c_str());
    return kExitFailed;
  }
  LibraryDirectoryOverride() =
      o.library.empty()
          ? RemoveBackslash(ExtractFileDir(FindWindowsProgram("VantorelLoadProgram.exe")))
          : o.library;

  int file_count = 0;
  int64_t input_bytes = 0;
  for (TCustomInstallFile* file : AllInstallFiles()) {
    uint64_t size = 0;
    if (platform::GetFileSize(file->SourcePath(), size)) input_bytes += static_cast<int64_t>(size);
    ++file_count;
  }
  Progress progress(err, platform::IsTerminal(2), file_count, input_bytes);
  for (TCustomInstallFile* file : AllInstallFiles())
    file->OnAfterCompress = [&](TCustomInstallFile* f) {
      uint64_t size = 0;
      platform::GetFileSize(f->SourcePath(), size);
      progress.FileDone(f->FileName(), static_cast<int64_t>(size));
    };
  std::fprintf(out, "building %s into %s%s\n", o.form.c_str(), dir.c_str(),
               o.self_extracting ? " (self-extracting)" : "");
  std::fflush(out);  // before the progress on the other stream
  try {
    std::unique_ptr<TDeflatePool> pool = PlanDeflate(o.job_count, o.deflater, *install, program);
    struct Detach {
      ~Detach() {
        SharedArchiveEngine().SetDeflatePool(nullptr);
        SharedArchiveEngine().SetDeflater(TDeflater::Zlib);
      }
    } detach;
    SharedArchiveEngine().SetDeflater(o.deflater);
    SharedArchiveEngine().SetDeflatePool(pool.get());
    install->Build(program, dir, o.self_extracting);
  } catch (const Exception& e) {
    progress.End();
    std::fprintf(err, "vantorel build: %s\n", e.Message().c_str());
    return kExitFailed;
  }
  progress.End();
  uint64_t program_size = 0;
  platform::GetFileSize(program, program_size);
  if (made_program && install->UseLoadingProgram()) platform::DeleteFile(program);

  // In: what the archives carry (the project's files, the install program and its presetup
  // files); packed: the archives; the distribution adds the loader and, self-extracting, the
  // archives again inside setup.exe.
  int64_t carried = input_bytes;
  if (install->UseLoadingProgram()) {
    uint64_t size = 0;
    carried += static_cast<int64_t>(program_size);
    for (const std::string& line : *install->PresetupFiles())
      if (platform::GetFileSize(line, size)) carried += static_cast<int64_t>(size);
  }
  std::vector<std::pair<std::string, uint64_t>> files;
  ListOutput(dir, "", files);
  int archives = 0;
  uint64_t packed = 0, total = 0;
  for (const auto& [name, size] : files) {
    std::fprintf(out, "  %-24s %12llu bytes\n", name.c_str(),
                 static_cast<unsigned long long>(size));
    total += size;
    if (name.size() > 2 && name.compare(name.size() - 2, 2, ".1") == 0) {
      ++archives;
      packed += size;
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::fprintf(out,
               "%d archive%s, %d file%s, %.2f MB in, %.2f MB packed (%.0f%%), distribution "
               "%.2f MB, %.1f seconds\n",
               archives, archives == 1 ? "" : "s", progress.files(),
               progress.files() == 1 ? "" : "s", carried / 1048576.0, packed / 1048576.0,
               carried > 0 ? 100.0 * static_cast<double>(packed) / carried : 0.0, total / 1048576.0,
               seconds);
  return kExitOk;
}

}  // namespace vantorel
