// VantorelLoadProgram.exe, the "setup.exe" of a distribution. It unpacks "setup.1" (beside it,
// or inside itself when the distribution is one self-extracting file) into a fresh working
// folder, starts the install program found first in it, waits, removes the folder and ends with
// the install program's exit status: 0 installed, 1 failed, 2 cancelled, 3 restart pending.
#include <string>
#include <vector>

#include "archive/compress.h"
#include "archive/self_extract.h"
#include "framework/application.h"
#include "framework/exception.h"
#include "platform/files.h"
#include "platform/system.h"
#include "routines/strings.h"

namespace vantorel {
namespace {

constexpr int kFailed = 1;
constexpr int kRestartPending = 3;

int Fail(const std::string& text) {
  Application().MessageBox(text, "Setup", MB_OK | MB_ICONERROR);
  return kFailed;
}

// Removes a folder and what it holds (the loader wrote only plain files into it).
bool RemoveTree(const std::string& dir) {
  std::vector<platform::DirEntry> entries;
  if (platform::ListDirectory(dir, "*", entries)) {
    for (const auto& e : entries) {
      const std::string path = AddBackslash(dir) + e.name;
      if (e.attributes & platform::kAttrDirectory)
        RemoveTree(path);
      else
        platform::DeleteFile(path);
    }
  }
  return platform::RemoveDirectory(dir) || !platform::FileExists(dir);
}

// The working folder goes on every path out, also when the install failed. A program that has
// just ended may keep its file open for a moment, hence the retries.
class WorkingFolder {
 public:
  WorkingFolder() {
    const std::string temp = platform::GetTempPath();
    std::string name = temp.empty() ? "" : platform::GetTempFileName(temp, "vtl");
    if (name.empty()) return;
    platform::DeleteFile(name);
    if (platform::CreateDirectory(name)) path_ = name;
  }
  ~WorkingFolder() {
    if (path_.empty() || keep_) return;
    for (int attempt = 0; attempt < 50 && !RemoveTree(path_); ++attempt) platform::SleepMs(100);
  }
  WorkingFolder(const WorkingFolder&) = delete;
  WorkingFolder& operator=(const WorkingFolder&) = delete;
  const std::string& path() const { return path_; }
  // A restart will run the install program from here again; its own clean-up removes it then.
  void Keep() { keep_ = true; }

 private:
  std::string path_;
  bool keep_ = false;
};

std::string Quoted(const std::string& text) {
  std::string quoted(1, '"');
  quoted.append(text).push_back('"');
  return quoted;
}

int Run(const std::vector<std::string>& args) {
  const std::string self = platform::GetModuleFileName();
  const std::string dir = RemoveBackslash(ExtractFileDir(self));
  bool to_disk = false;
  for (const std::string& a : args)
    if (SameText(a, "*TODISK")) to_disk = true;

  // Where "setup.1" lies: inside this file when it ends in a trailer, else beside it.
  std::string archive = AddBackslash(dir) + "setup.1";
  int32_t offset = 0;
  SelfExtractTrailer trailer;
  const TrailerProblem problem = ReadSelfExtractTrailerOf(self, trailer);
  const bool self_extracting = problem == TrailerProblem::None;
  const std::string damaged =
      "Setup cannot continue: the setup file " + self +
      " is damaged or incomplete. Copy or download the setup again and start it anew.";
  if (self_extracting) {
    archive = self;
    offset = trailer.setup_first;
  } else if (problem == TrailerProblem::OutOfBounds || problem == TrailerProblem::CannotRead) {
    return Fail(damaged);
  } else if (!platform::FileExists(archive)) {
    // A self-extracting file cut short has lost its trailer: it cannot be told from a loader
    // whose "setup.1" is missing, so the message names both.
    return Fail("Setup cannot continue: the setup file " + self +
                " is damaged or incomplete, or the file setup.1 that belongs beside it is "
                "missing. Copy or download the setup again and start it anew.");
  }
  if (to_disk && !self_extracting)
    return Fail("Only a self-extracting setup file can be copied to floppy disks: " + self);

  WorkingFolder work;
  if (work.path().empty())
    return Fail("Setup cannot create its working folder in " + platform::GetTempPath());
  std::string program;
  try {
    TVtrlCompress engine(nullptr);
    engine.SetCompressedFile(archive);
    engine.SetOffset(offset);
    const int count = engine.FileCount();
    if (count == 0) throw Exception("the archive holds no install program");
    TStringList names;
    TlzhFileStats stats;
    for (int i = 0; i < count; ++i) {
      engine.GetFileStats(i, stats);
      if (i == 0) program = ExtractFileName(stats.FileName);
      names.Add(stats.FileName);
    }
    engine.SetExtractDirectory(work.path());
    engine.SetOverwrite(owAlways);
    engine.SetFilesToProcess(names);
    engine.Extract();
  } catch (const Exception& e) {
    return Fail(self_extracting ? damaged + "\n\n" + e.Message()
                                : "Setup cannot unpack " + archive + ": " + e.Message());
  }

  // "-s" first and "-c" second: the install program finds the distribution's folder from them
  // again when a restart resumes it.
  std::string command =
      Quoted(AddBackslash(work.path()) + program) + " " + Quoted("-s" + dir) + " -c";
  if (self_extracting) command += " " + Quoted("-e" + ExtractFileName(self));
  if (to_disk) command += " -f";
  uint32_t status = kFailed;
  if (!platform::StartProgramAndWait(command, true, platform::kWaitForever, status))
    return Fail("Setup cannot start the install program " + AddBackslash(work.path()) + program);
  if (status == kRestartPending) work.Keep();
  return static_cast<int>(status);
}

}  // namespace
}  // namespace vantorel

int main(int argc, char** argv) {
  vantorel::Application().SetTitle("Setup");
  return vantorel::Run(std::vector<std::string>(argv + 1, argv + argc));
}
