// VantorelLoadProgram.exe, the "setup.exe" of a distribution. It unpacks "setup.1" (beside it,
// or inside itself when the distribution is one self-extracting file) into a fresh working
// folder, starts the install program found first in it, waits, removes the folder and ends with
// the install program's exit status: 0 installed, 1 failed, 2 cancelled, 3 restart pending.
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "archive/date_time.h"
#include "archive/file_header.h"
#include "archive/self_extract.h"
#include "archive/stored_name.h"
#include "framework/exception.h"
#include "platform/files.h"
#include "platform/system.h"
#include "platform/ui.h"
#include "routines/strings.h"

namespace vantorel {
namespace {

constexpr int kFailed = 1;
constexpr int kRestartPending = 3;

// A string as the headless transcript quotes it.
std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\r' || c == '\n') {
      out += c == '\r' ? "\\r" : "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

// The loader's one dialog. Unattended (VANTOREL_UI=headless) it is written to the transcript as
// the install program writes its message boxes, and nothing waits for an answer.
int Fail(const std::string& text) {
  if (platform::GetEnv("VANTOREL_UI").value_or("") == "headless") {
    const std::string path = platform::GetEnv("VANTOREL_TRANSCRIPT").value_or("");
    const std::string block = "message \"Setup\" error\n  text " + Quote(text) +
                              "\n  button \"OK\" default\n  pressed \"OK\"\n  result 1\nend\n";
    platform::File transcript =
        path.empty() ? platform::File()
                     : platform::File::Open(path, platform::Access::Write, platform::kShareRead,
                                            platform::Disposition::OpenAlways);
    if (transcript.IsOpen()) {
      transcript.Seek(0, platform::SeekOrigin::End);
      transcript.Write(block.data(), block.size());
    }
  } else {
    platform::ui::MessageBox(0, text, "Setup", 0x10 /* MB_ICONERROR */);
  }
  return kFailed;
}

// Unpacks every entry of the archive at `offset` in `archive` into `folder`, under the file-name
// part of its stored name; returns the name of the first entry (the install program). The
// loader reads the archive format itself with zlib rather than through the archive engine: the
// engine pumps the application's messages and would bring the whole user interface into a
// program that must fit on a floppy disk with room to spare.
std::string Unpack(const std::string& archive, int32_t offset, const std::string& folder) {
  platform::File in = platform::File::OpenRegular(archive, platform::Access::Read,
                                                  platform::kShareRead | platform::kShareWrite);
  if (!in.IsOpen()) throw Exception("cannot open " + archive);
  TFileHeaders directory;
  directory.LoadFromStream(in, offset);
  if (directory.Count() == 0) throw Exception("the archive holds no install program");
  std::string first;
  std::vector<uint8_t> input(64 * 1024), output(64 * 1024);
  for (int i = 0; i < directory.Count(); ++i) {
    const TFileHeader& entry = *directory.GetFileHeaders(i);
    const std::string name = ExtractFileName(entry.FileName());
    if (name.empty() || IsDeviceName(name) || HasFieldSeparator(name))
      throw Exception("the archive names a file that cannot be written: " + entry.FileName());
    if (i == 0) first = name;
    const std::string target = AddBackslash(folder) + name;
    platform::File out = platform::File::Open(target, platform::Access::Write, platform::kShareNone,
                                              platform::Disposition::CreateAlways);
    if (!out.IsOpen()) throw Exception("cannot create " + target);
    const int64_t start = int64_t{offset} + entry.DataStart();
    if (in.Seek(start, platform::SeekOrigin::Begin) != start)
      throw Exception("cannot read " + archive);
    z_stream z{};
    if (inflateInit(&z) != Z_OK) throw Exception("cannot start inflating");
    struct End {
      z_stream& z;
      ~End() { inflateEnd(&z); }
    } end{z};
    int64_t left = entry.CompressedSize(), written = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
      if (z.avail_in == 0) {
        if (left <= 0) break;
        const int64_t n = in.Read(input.data(), static_cast<size_t>(std::min<int64_t>(
                                                    left, static_cast<int64_t>(input.size()))));
        if (n <= 0) throw Exception("the archive ends early: " + archive);
        left -= n;
        z.next_in = input.data();
        z.avail_in = static_cast<uInt>(n);
      }
      z.next_out = output.data();
      z.avail_out = static_cast<uInt>(output.size());
      rc = inflate(&z, Z_NO_FLUSH);
      if (rc != Z_OK && rc != Z_STREAM_END)
        throw Exception("the compressed data of " + name + " are damaged");
      const size_t produced = output.size() - z.avail_out;
      written += static_cast<int64_t>(produced);
      if (written > entry.FileSize() ||
          out.Write(output.data(), produced) != static_cast<int64_t>(produced))
        throw Exception("cannot write " + target);
    }
    if (rc != Z_STREAM_END || written != entry.FileSize() || z.avail_in != 0 || left != 0)
      throw Exception("the compressed data of " + name + " are damaged");
    uint32_t stamp = 0;
    if (DateTimeToDosDateTime(entry.FileDate(), stamp)) out.SetDosDateTime(stamp);
  }
  return first;
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
    program = Unpack(archive, offset, work.path());
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
  return vantorel::Run(std::vector<std::string>(argv + 1, argv + argc));
}
