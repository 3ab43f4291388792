// vtbench: the speed and memory figures of the archive engine and the builder, each against its
// peer measured in the same run on the same files (plain zlib calls, makensis, an NSIS installer
// under Wine). Prints one Markdown table. Never a test: figures depend on the machine and its load.
//
//   vtbench [--quick] --root DIR --vantorel PROGRAM [--source DIR] [--no-wine]
//
// scripts/bench.sh (`make bench`) builds it and passes these.
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "apps/bench/corpus.h"
#include "apps/bench/engine_figures.h"
#include "apps/bench/process.h"
#include "apps/bench/projects.h"

namespace vantorel::bench {
namespace {
namespace fs = std::filesystem;

constexpr double kMB = 1048576.0;
constexpr double kMemoryBoundMB = 64;
constexpr double kBuildTimeout = 3600;
constexpr size_t kMostProjectFiles = 1999;  // with the install program, 2000 install files

struct Scale {
  CorpusSpec mixed, small;
  size_t small_subset = 0;  // the per-file cost is compared at this many files and at all
  uint64_t large_bytes = 0;
  int repeats = 0;
  double figure_budget = 0;  // seconds after which a figure stops repeating (one run at least)
};

Scale FullScale() {
  // 1,999 files: with the install program, the most install files a project holds.
  return {{"mixed-1999", 1999, 200 << 20, 1024, 4 << 20, 0x13A},
          {"small-20000", 20000, 0, 1024, 16384, 0x5A11},
          2000,
          uint64_t{1} << 30,
          3,
          240};
}

Scale QuickScale() {
  return {{"mixed-200", 200, 20 << 20, 1024, 4 << 20, 0x13A},
          {"small-2000", 2000, 0, 1024, 16384, 0x5A11},
          200,
          uint64_t{64} << 20,
          3,
          20};
}

struct Options {
  bool quick = false;
  bool wine = true;
  fs::path root, vantorel, source;
};

void Say(const std::string& text) {
  std::cerr << "bench: " << text << std::endl;
}

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// Thousands separated, as the table's file counts.
std::string Count(uint64_t n) {
  std::string digits = std::to_string(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

std::string Files(size_t n) {
  return Count(n) + (n == 1 ? " file" : " files");
}

// The best of several runs: on a shared machine other work only ever adds time, so the fastest
// run is the one least disturbed.
double Best(const std::vector<double>& values) {
  return *std::min_element(values.begin(), values.end());
}

// Runs `once`, which returns the seconds it measured, after flushing the writes of the run
// before: no run pays for another's.
double Timed(const std::function<double()>& once) {
  sync();
  return once();
}

// Runs `once` `repeats` times or until `budget` seconds have gone by; the best time.
double BestOf(int repeats, double budget, const std::function<double()>& once) {
  std::vector<double> seconds;
  double spent = 0;
  for (int i = 0; i < repeats && (i == 0 || spent < budget); ++i) {
    seconds.push_back(Timed(once));
    spent += seconds.back();
  }
  return Best(seconds);
}

void Fresh(const fs::path& folder) {
  fs::remove_all(folder);
  fs::create_directories(folder);
}

// Reads every file once, so that the first measured run finds them in the cache as the later
// ones do.
void WarmUp(const Corpus& corpus) {
  std::vector<char> buffer(1 << 20);
  for (const CorpusFile& f : corpus.files) {
    std::ifstream in(corpus.Path(f), std::ios::binary);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
    }
  }
}

std::string FirstLine(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string Slurp(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string CpuModel() {
  std::ifstream in("/proc/cpuinfo");
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("model name", 0) == 0) return line.substr(line.find(':') + 2);
  }
  return "unknown CPU";
}

std::string LoadAverage() {
  std::istringstream in(FirstLine("/proc/loadavg"));
  std::string one, five;
  in >> one >> five;
  return one + " (1 min), " + five + " (5 min)";
}

// --- the table -----------------------------------------------------------------------------------

struct Row {
  std::string figure, vantorel, peer, ratio, target, mark;
};

std::string Mark(std::optional<bool> met, bool goal_met = false) {
  if (!met) return "not measured";
  if (!*met) return "**miss**";
  return goal_met ? "pass (goal met)" : "pass";
}

void PrintTable(std::ostream& out, const std::vector<std::string>& notes,
                const std::vector<Row>& rows) {
  for (const std::string& n : notes) out << n << "\n";
  out << "\n| figure | Vantorel | peer | ratio | target | |\n|---|---:|---:|---:|---|---|\n";
  for (const Row& r : rows) {
    out << "| " << r.figure << " | " << r.vantorel << " | " << r.peer << " | " << r.ratio << " | "
        << r.target << " | " << r.mark << " |\n";
  }
}

// --- the whole build -------------------------------------------------------------------------

struct Build {
  RunResult run;
  uint64_t setup_size = 0;
};

// The corpus folders are on drive D: for the builder, so that the source paths stay short.
std::string IncludeDir(const Corpus& corpus) {
  return "D:\\" + corpus.folder.filename().string();
}

// Files and bytes under `folder`.
std::pair<uint64_t, uint64_t> Tally(const fs::path& folder) {
  uint64_t files = 0, bytes = 0;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::end(it);
       it.increment(ec)) {
    if (it->is_regular_file()) {
      ++files;
      bytes += it->file_size();
    }
  }
  return {files, bytes};
}

// --- the figures ---------------------------------------------------------------------------------

class Bench {
 public:
  explicit Bench(const Options& o) : o_(o), scale_(o.quick ? QuickScale() : FullScale()) {}
  int Main();

 private:
  void EngineFigures(const Corpus& mixed);
  void BuildFigures(const Corpus& mixed);
  void PerFileFigures(const Corpus& small);
  void MemoryFigures();
  void InstallFigures(const Corpus& mixed);
  std::vector<std::string> JobsOption();
  Build VantorelBuild(const std::vector<std::string>& jobs, const std::filesystem::path& form,
                      const std::filesystem::path& out, bool self_extracting,
                      const std::filesystem::path& log);

  const Options o_;
  const Scale scale_;
  fs::path work_;
  std::vector<std::string> notes_;
  std::vector<Row> rows_;
  fs::path setup_exe_, nsis_exe_;
  std::optional<double> many_files_peak_;  // MB
  int errors_ = 0;
};

Build Bench::VantorelBuild(const std::vector<std::string>& jobs, const fs::path& form,
                           const fs::path& out, bool self_extracting, const fs::path& log) {
  fs::remove_all(out);
  std::vector<std::string> argv = {o_.vantorel.string(), "build", form.string(), "-o",
                                   out.string()};
  if (self_extracting) argv.push_back("--self-extracting");
  argv.insert(argv.end(), jobs.begin(), jobs.end());
  sync();
  Build b;
  b.run = Run(argv, {.env = {{"VANTOREL_DRIVE_D", (o_.root / "corpus").string()}},
                     .output = log.string(),
                     .timeout_seconds = kBuildTimeout});
  std::error_code ec;
  if (self_extracting) b.setup_size = fs::file_size(out / "setup.exe", ec);
  return b;
}

std::vector<std::string> Bench::JobsOption() {
  // Passed only where the builder has it, so that the same benchmark measures either.
  const fs::path help = work_ / "build-help.txt";
  Run({o_.vantorel.string(), "build", "--help"}, {.env = {}, .output = help.string()});
  if (Slurp(help).find("--jobs") == std::string::npos) return {};
  return {"--jobs", std::to_string(std::max(1u, std::thread::hardware_concurrency()))};
}

void Bench::EngineFigures(const Corpus& mixed) {
  const int level = EngineZlibLevel();
  const fs::path zlib_archive = work_ / "zlib.streams", engine_archive = work_ / "engine.1";
  const fs::path zlib_out = work_ / "out-zlib", engine_out = work_ / "out-engine";
  std::vector<std::string> paths;
  for (const CorpusFile& f : mixed.files) paths.push_back(mixed.Path(f).string());
  std::vector<StreamSpan> spans;

  Say("compress: plain zlib and the engine, alternately, " + std::to_string(scale_.repeats) +
      " times");
  std::vector<double> zlib_c, engine_c;
  for (int i = 0; i < scale_.repeats; ++i) {
    zlib_c.push_back(Timed([&] { return ZlibCompress(mixed, zlib_archive, level, spans); }));
    engine_c.push_back(Timed([&] { return EngineCompress(paths, engine_archive); }));
  }
  Say("extract: plain zlib and the engine, alternately");
  std::vector<double> zlib_x, engine_x;
  for (int i = 0; i < scale_.repeats; ++i) {
    Fresh(zlib_out);
    zlib_x.push_back(Timed([&] { return ZlibExtract(mixed, zlib_archive, spans, zlib_out); }));
    Fresh(engine_out);
    engine_x.push_back(Timed([&] { return EngineExtract(paths, engine_archive, engine_out); }));
  }
  const int bad_zlib = Mismatches(mixed, zlib_out), bad_engine = Mismatches(mixed, engine_out);
  if (bad_zlib + bad_engine > 0) {
    ++errors_;
    notes_.push_back("**Wrong output:** " + std::to_string(bad_engine) +
                     " files extracted by the engine and " + std::to_string(bad_zlib) +
                     " by zlib differ from the corpus.");
  }
  fs::remove_all(zlib_out);
  fs::remove_all(engine_out);
  uint64_t zlib_bytes = 0;
  for (const StreamSpan& s : spans) zlib_bytes += s.length;
  const uint64_t engine_bytes = fs::file_size(engine_archive);
  fs::remove(zlib_archive);
  fs::remove(engine_archive);

  const double mb = static_cast<double>(mixed.bytes) / kMB;
  const double zc = mb / Best(zlib_c), ec = mb / Best(engine_c);
  const double zx = mb / Best(zlib_x), ex = mb / Best(engine_x);
  const std::string of = Fixed(mb, 0) + " MB, " + Count(mixed.files.size()) + " files";
  rows_.push_back({"compress through `TVtrlCompress` vs zlib level " + std::to_string(level) +
                       " (" + of + "), MB/s",
                   Fixed(ec, 1), "zlib " + Fixed(zc, 1), Fixed(ec / zc, 2), "≥ 0.9",
                   Mark(ec / zc >= 0.9)});
  rows_.push_back({"extract through `TVtrlCompress` vs inflate (" + of + "), MB/s", Fixed(ex, 1),
                   "zlib " + Fixed(zx, 1), Fixed(ex / zx, 2), "≥ 0.9", Mark(ex / zx >= 0.9)});
  rows_.push_back({"compressed size (archive vs the zlib streams alone), MB",
                   Fixed(static_cast<double>(engine_bytes) / kMB, 1),
                   "zlib " + Fixed(static_cast<double>(zlib_bytes) / kMB, 1),
                   Fixed(static_cast<double>(engine_bytes) / static_cast<double>(zlib_bytes), 3),
                   "", ""});
}

void Bench::BuildFigures(const Corpus& mixed) {
  const fs::path form = work_ / "mixed.vform", script = work_ / "mixed.nsi";
  const fs::path dist = work_ / "dist-mixed";
  nsis_exe_ = work_ / "nsis-setup.exe";
  WriteProjectForm(mixed, mixed.files.size(), IncludeDir(mixed), "Vantorel Bench", form);
  WriteNsisScript(mixed, "NSIS Bench", nsis_exe_, script);
  const std::vector<std::string> jobs = JobsOption();
  bool have_makensis = Run({"makensis", "-VERSION"}).ok();

  Say("vantorel build" + std::string(jobs.empty() ? "" : " " + jobs[0] + " " + jobs[1]) +
      " and makensis of the same files, alternately");
  std::vector<double> ours, theirs;
  uint64_t setup_size = 0, nsis_size = 0;
  bool failed = false;
  for (int i = 0; i < scale_.repeats; ++i) {
    const Build b = VantorelBuild(jobs, form, dist, true, work_ / "build-mixed.log");
    if (!b.run.ok()) {
      failed = true;
      break;
    }
    ours.push_back(b.run.seconds);
    setup_size = b.setup_size;
    if (have_makensis) {
      fs::remove(nsis_exe_);
      sync();
      const RunResult n =
          Run({"makensis", "-V2", script.string()}, {.env = {},
                                                     .output = (work_ / "makensis.log").string(),
                                                     .timeout_seconds = kBuildTimeout});
      if (!n.ok()) {
        have_makensis = false;
        notes_.push_back("makensis failed: see " + (work_ / "makensis.log").string());
        ++errors_;
      } else {
        theirs.push_back(n.seconds);
        nsis_size = fs::file_size(nsis_exe_);
      }
    }
  }
  const std::string what = "`vantorel build --self-extracting` vs `makensis` zlib (" +
                           Fixed(static_cast<double>(mixed.bytes) / kMB, 0) + " MB, " +
                           Count(mixed.files.size()) + " files)";
  if (failed) {
    ++errors_;
    notes_.push_back("**vantorel build failed:** see " + (work_ / "build-mixed.log").string());
    rows_.push_back({what + ", s", "failed", "", "", "≥ 2× faster (goal 4×)", Mark(std::nullopt)});
    return;
  }
  setup_exe_ = dist / "setup.exe";
  const double t = Best(ours);
  const double mbps = static_cast<double>(mixed.bytes) / kMB / t;
  if (theirs.empty()) {
    rows_.push_back({what + ", s", Fixed(t, 2) + " s, " + Fixed(mbps, 1) + " MB/s",
                     "makensis: not installed", "", "≥ 2× faster (goal 4×)", Mark(std::nullopt)});
    return;
  }
  const double n = Best(theirs), speedup = n / t;
  rows_.push_back({what + ", s", Fixed(t, 2) + " s, " + Fixed(mbps, 1) + " MB/s",
                   "makensis " + Fixed(n, 2) + " s", "speed-up " + Fixed(speedup, 2) + "×",
                   "≥ 2× faster (goal 4×)", Mark(speedup >= 2, speedup >= 4)});
  const double size_ratio = static_cast<double>(setup_size) / static_cast<double>(nsis_size);
  rows_.push_back({"installer size (setup.exe vs the NSIS installer), MB",
                   Fixed(static_cast<double>(setup_size) / kMB, 2),
                   "NSIS " + Fixed(static_cast<double>(nsis_size) / kMB, 2), Fixed(size_ratio, 3),
                   "≤ 1×", Mark(size_ratio <= 1)});
}

void Bench::PerFileFigures(const Corpus& small) {
  // A project holds at most 2000 install files (one of them the install program), so the cost
  // of 20,000 is measured where it grows: the engine adding the files one by one to one archive,
  // as a build adds a project's files, each run in a process of its own for its peak memory.
  const size_t counts[] = {1, scale_.small_subset, small.files.size()};
  std::vector<double> seconds;
  for (size_t count : counts) {
    const fs::path list = work_ / ("list-" + std::to_string(count) + ".txt");
    {
      std::ofstream out(list);
      for (size_t i = 0; i < count; ++i) out << small.Path(small.files[i]).string() << "\n";
    }
    Say("the engine adds " + Files(count) + " one by one");
    bool failed = false, timed_out = false;
    double peak = 0;
    const double t = BestOf(scale_.repeats, scale_.figure_budget, [&] {
      const RunResult r = Run({SelfPath(), "add-each", list.string(), (work_ / "each.1").string()},
                              {.env = {},
                               .output = (work_ / "add-each.log").string(),
                               .timeout_seconds = kBuildTimeout});
      failed |= !r.ok();
      timed_out |= r.timed_out;
      peak = std::max(peak, r.peak_mb);
      return r.seconds;
    });
    fs::remove(work_ / "each.1");
    if (failed) {
      ++errors_;
      notes_.push_back("**Adding " + Count(count) + " files failed" +
                       (timed_out ? " (timed out)" : "") + ":** see " +
                       (work_ / "add-each.log").string());
      rows_.push_back({"build cost per file at " + Count(count) + " files", "failed", "", "", "",
                       Mark(std::nullopt)});
      return;
    }
    seconds.push_back(t);
    if (count == small.files.size()) many_files_peak_ = peak;
  }
  // The fixed cost (the process, the engine) is that of adding one file.
  const double few = (seconds[1] - seconds[0]) / static_cast<double>(counts[1] - 1);
  const double many = (seconds[2] - seconds[0]) / static_cast<double>(counts[2] - 1);
  rows_.push_back({"build cost per file: " + Count(counts[1]) +
                       " files of 1–16 KB added one by one through `TVtrlCompress`, ms",
                   Fixed(few * 1000, 3), "", "", "(the base)", ""});
  rows_.push_back({"build cost per file: " + Count(counts[2]) + " such files, ms",
                   Fixed(many * 1000, 3), "", Fixed(many / few, 2) + "× the base", "≤ 1.2×",
                   Mark(many / few <= 1.2)});

  // The whole builder on the largest project there can be, for the fixed costs it adds.
  const size_t most = std::min<size_t>(kMostProjectFiles, small.files.size());
  const std::vector<std::string> jobs = JobsOption();
  std::vector<double> build_seconds;
  for (size_t count : {size_t{1}, most}) {
    const fs::path form = work_ / ("small-" + std::to_string(count) + ".vform");
    const fs::path log = work_ / ("build-small-" + std::to_string(count) + ".log");
    WriteProjectForm(small, count, IncludeDir(small), "Vantorel Small", form);
    Say("vantorel build of " + Files(count));
    bool failed = false;
    build_seconds.push_back(BestOf(scale_.repeats, scale_.figure_budget, [&] {
      const Build b = VantorelBuild(jobs, form, work_ / "dist-small", false, log);
      failed |= !b.run.ok();
      return b.run.seconds;
    }));
    if (failed) {
      ++errors_;
      notes_.push_back("**vantorel build of " + Count(count) + " files failed:** see " +
                       log.string());
      return;
    }
  }
  fs::remove_all(work_ / "dist-small");
  rows_.push_back(
      {"`vantorel build` cost per file: " + Count(most) +
           " such files (the most a project holds), ms",
       Fixed((build_seconds[1] - build_seconds[0]) / static_cast<double>(most - 1) * 1000, 3), "",
       "", "", ""});
}

void Bench::MemoryFigures() {
  bool reused = false;
  Say("the large file for the memory figures");
  const fs::path large = MakeLargeFile(o_.root / "corpus", scale_.large_bytes, reused);
  const fs::path archive = work_ / "large.1", out = work_ / "out-large";
  const std::string size = Fixed(static_cast<double>(scale_.large_bytes) / kMB / 1024, 2) + " GB";
  Say("compress and extract of the " + size + " file, each in a process of its own");
  sync();
  const RunResult c = Run({SelfPath(), "compress-one", large.string(), archive.string()});
  Fresh(out);
  sync();
  const RunResult x =
      c.ok() ? Run({SelfPath(), "extract-one", archive.string(), out.string(), large.string()})
             : RunResult{};
  std::error_code ec;
  const bool same = x.ok() && fs::file_size(out / large.filename(), ec) == scale_.large_bytes;
  fs::remove_all(out);
  fs::remove(archive);
  if (!c.ok() || !same) {
    ++errors_;
    notes_.push_back("**The compress or extract of the large file failed.**");
  }
  auto row = [&](const std::string& figure, const RunResult& r) {
    rows_.push_back({figure, r.ok() ? Fixed(r.peak_mb, 1) : "failed", "", "", "< 64 MB",
                     r.ok() ? Mark(r.peak_mb < kMemoryBoundMB) : Mark(std::nullopt)});
  };
  row("peak resident memory, compress of one " + size + " file, MB", c);
  row("peak resident memory, extract of that file, MB", x);
  if (many_files_peak_) {
    RunResult adding;
    adding.status = 0;
    adding.peak_mb = *many_files_peak_;
    row("peak resident memory, adding " + Count(scale_.small.files) +
            " files one by one (as a build), MB",
        adding);
  }
}

void Bench::InstallFigures(const Corpus& mixed) {
  const std::string what = "install under Wine: setup.exe headless vs the NSIS installer `/S`, s";
  if (!o_.wine) {
    rows_.push_back({what, "skipped", "", "", "≤ 1× (goal 0.5×)", "not measured"});
    return;
  }
  if (setup_exe_.empty() || !fs::exists(nsis_exe_)) {
    rows_.push_back({what, "no installers", "", "", "≤ 1× (goal 0.5×)", Mark(std::nullopt)});
    return;
  }
  const fs::path prefix = o_.root / "wineprefix";
  const std::vector<std::pair<std::string, std::string>> env = {
      {"WINEPREFIX", prefix.string()},
      {"WINEDEBUG", "-all"},
      {"WINEDLLOVERRIDES", "mscoree,mshtml="},
      {"VANTOREL_UI", "headless"}};
  Say("Wine: the prefix and a persistent server");
  // wine-run makes the prefix when needed and leaves its server running, so that both installs
  // start as fast.
  if (!Run({(o_.source / "scripts" / "wine-run").string(), "cmd", "/c", "exit"},
           {.env = env, .output = (work_ / "wine-boot.log").string(), .timeout_seconds = 600})
           .ok()) {
    ++errors_;
    rows_.push_back({what, "Wine failed", "", "", "≤ 1× (goal 0.5×)", Mark(std::nullopt)});
    return;
  }
  const fs::path program_files = prefix / "drive_c" / "Program Files";
  const fs::path ours_dir = program_files / "Vantorel Bench";
  const fs::path theirs_dir = program_files / "NSIS Bench";
  // An install before is moved aside, not deleted, until the end: ext4 makes the next thousands
  // of files slow to create for a while after thousands were deleted, and the two installers
  // would then be measured in different weather.
  const fs::path trash = work_ / "installs-done";
  int moved = 0;
  auto move_aside = [&](const fs::path& dir) {
    fs::create_directories(trash);
    if (fs::exists(dir)) fs::rename(dir, trash / std::to_string(++moved));
  };
  // The product's uninstall record grows by an entry per file with each install over it; an
  // uninstall would take it away, so it goes before each run, outside the time.
  const std::vector<std::string> forget_record = {
      "wine", "reg", "delete",
      "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantorel Bench", "/f"};
  std::vector<double> ours, theirs;
  bool complete = true;
  for (int i = 0; i < scale_.repeats; ++i) {
    Say("install " + std::to_string(i + 1) + " of " + std::to_string(scale_.repeats) +
        ": setup.exe, then the NSIS installer");
    move_aside(ours_dir);
    move_aside(theirs_dir);
    Run(forget_record, {.env = env, .output = (work_ / "forget-record.log").string()});
    sync();
    const RunResult a = Run(
        {"wine", setup_exe_.string()},
        {.env = env, .output = (work_ / "install-vantorel.log").string(), .timeout_seconds = 1200});
    sync();
    const RunResult b =
        Run({"wine", nsis_exe_.string(), "/S"},
            {.env = env, .output = (work_ / "install-nsis.log").string(), .timeout_seconds = 1200});
    const auto [our_files, our_bytes] = Tally(ours_dir);
    const auto [their_files, their_bytes] = Tally(theirs_dir);
    if (!a.ok() || !b.ok() || our_files != mixed.files.size() || our_bytes != mixed.bytes ||
        their_files != mixed.files.size() || their_bytes != mixed.bytes) {
      notes_.push_back("**An install under Wine failed or left other files:** setup.exe status " +
                       std::to_string(a.status) + ", " + std::to_string(our_files) +
                       " files; NSIS status " + std::to_string(b.status) + ", " +
                       std::to_string(their_files) + " files (logs in " + work_.string() + ").");
      complete = false;
      ++errors_;
      break;
    }
    ours.push_back(a.seconds);
    theirs.push_back(b.seconds);
  }
  fs::remove_all(ours_dir);
  fs::remove_all(theirs_dir);
  fs::remove_all(trash);
  Run(forget_record, {.env = env, .output = (work_ / "forget-record.log").string()});
  Run({"wineserver", "-k"}, {.env = env});
  if (!complete) {
    rows_.push_back({what, "failed", "", "", "≤ 1× (goal 0.5×)", Mark(std::nullopt)});
    return;
  }
  const double t = Best(ours), n = Best(theirs), ratio = t / n;
  rows_.push_back({what, Fixed(t, 2), "NSIS " + Fixed(n, 2), Fixed(ratio, 2) + "×",
                   "≤ 1× (goal 0.5×)", Mark(ratio <= 1, ratio <= 0.5)});
}

int Bench::Main() {
  work_ = o_.root / "run";
  Fresh(work_);
  const std::string load_before = LoadAverage();
  Say(std::string(o_.quick ? "quick" : "full") + " run; the corpus under " +
      (o_.root / "corpus").string());
  const Corpus mixed = MakeCorpus(o_.root / "corpus", scale_.mixed);
  const Corpus small = MakeCorpus(o_.root / "corpus", scale_.small);
  WarmUp(mixed);
  WarmUp(small);

  EngineFigures(mixed);
  BuildFigures(mixed);
  PerFileFigures(small);
  MemoryFigures();
  InstallFigures(mixed);

  const std::string makensis_version = [&] {
    const fs::path v = work_ / "makensis-version.txt";
    return Run({"makensis", "-VERSION"}, {.env = {}, .output = v.string()}).ok() ? FirstLine(v)
                                                                                 : "not installed";
  }();
  std::vector<std::string> head = {
      std::string("**`make bench`") + (o_.quick ? " (BENCH=quick)" : "") + "** on " +
          std::to_string(std::thread::hardware_concurrency()) + " cores (" + CpuModel() +
          "); load average " + load_before + " before, " + LoadAverage() + " after.",
      "",
      "Corpus: " + Count(mixed.files.size()) + " files, " +
          Fixed(static_cast<double>(mixed.bytes) / kMB, 1) +
          " MB (half text-like, three tenths binary, one fifth incompressible, 1 KB to a few "
          "MB); " +
          Count(small.files.size()) + " files of 1–16 KB, " +
          Fixed(static_cast<double>(small.bytes) / kMB, 1) + " MB. MB = 2^20 bytes. Each time " +
          "is the best of " + std::to_string(scale_.repeats) +
          " runs, the two sides alternating, caches warm. zlib " + zlibVersion() + ", makensis " +
          makensis_version + ".",
  };
  PrintTable(std::cout, head, rows_);
  std::ofstream saved(o_.root / "results.md");
  PrintTable(saved, head, rows_);
  Say("the table is also in " + (o_.root / "results.md").string());
  return errors_ == 0 ? 0 : 1;
}

int Usage() {
  std::cerr << "usage: vtbench [--quick] --root DIR --vantorel PROGRAM [--source DIR] "
               "[--no-wine]\n";
  return 2;
}

}  // namespace
}  // namespace vantorel::bench

int main(int argc, char** argv) {
  using namespace vantorel::bench;
  const std::vector<std::string> args(argv + 1, argv + argc);
  try {
    // The children of the memory figures: one engine operation in a process of its own.
    if (args.size() == 3 && args[0] == "compress-one") {
      EngineCompress({args[1]}, args[2]);
      return 0;
    }
    if (args.size() == 3 && args[0] == "add-each") {
      std::ifstream in(args[1]);
      std::vector<std::string> files;
      for (std::string line; std::getline(in, line);) files.push_back(line);
      EngineAddEach(files, args[2]);
      return 0;
    }
    if (args.size() == 4 && args[0] == "extract-one") {
      EngineExtract({args[3]}, args[1], args[2]);
      return 0;
    }
    Options o;
    o.source = fs::current_path();
    for (size_t i = 0; i < args.size(); ++i) {
      const std::string& a = args[i];
      const bool has_value = i + 1 < args.size();
      if (a == "--quick") {
        o.quick = true;
      } else if (a == "--no-wine") {
        o.wine = false;
      } else if (a == "--root" && has_value) {
        o.root = fs::absolute(args[++i]);
      } else if (a == "--vantorel" && has_value) {
        o.vantorel = fs::absolute(args[++i]);
      } else if (a == "--source" && has_value) {
        o.source = fs::absolute(args[++i]);
      } else {
        return Usage();
      }
    }
    if (o.root.empty() || o.vantorel.empty()) return Usage();
    return Bench(o).Main();
  } catch (const std::exception& e) {
    std::cerr << "vtbench: " << e.what() << "\n";
    return 1;
  }
}
