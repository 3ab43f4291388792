// The build side of the install component: the loader and "setup.1", the self-extracting file,
// the build itself (-b), the remote file list and the copy onto floppy disks (-f).
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "archive/compress.h"
#include "archive/self_extract.h"
#include "install/install.h"
#include "model/exceptions.h"
#include "model/install_file.h"
#include "model/symbolic_paths.h"
#include "platform/files.h"
#include "routines/exceptions.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

constexpr char kLoaderProgram[] = "VantorelLoadProgram.exe";
constexpr char kLibraryKeyName[] = "\\Software\\Corvane\\T32V35";
constexpr size_t kFloppyBlock = 8192;

// The message of a failed trailer read, the same for every way it can fail.
IEInstall TrailerError(const std::string& path) {
  return IEInstall(
      "Could not read the extraction info from the archive file %s when trying to find the "
      "correct offset into the self extracting file",
      path);
}

// The lines of a text file; false when it cannot be read.
bool ReadTextLines(const std::string& path, TStringList& lines) {
  platform::File file = platform::File::OpenRegular(path, platform::Access::Read,
                                                    platform::kShareRead | platform::kShareWrite);
  if (!file.IsOpen()) return false;
  std::string text;
  char block[4096];
  for (int64_t n; (n = file.Read(block, sizeof block)) > 0;) text.append(block, n);
  lines.SetText(text);
  return true;
}

int64_t SizeOf(const std::string& path) {
  uint64_t size = 0;
  return platform::GetFileSize(path, size) ? static_cast<int64_t>(size) : -1;
}

// Appends all of `part` to `out` (at its end); the positions of its first and last byte.
void AppendPart(platform::File& out, const std::string& part, const std::string& target,
                int32_t& first, int32_t& last) {
  auto failed = [&] {
    return IEInstall("Cannot create the self-extracting exe because %s could not be loaded onto %s",
                     part, target);
  };
  platform::File in = platform::File::Open(part, platform::Access::Read, platform::kShareRead,
                                           platform::Disposition::OpenExisting);
  if (!in.IsOpen()) throw failed();
  const int64_t expected = in.Size();
  const int64_t start = out.Seek(0, platform::SeekOrigin::End);
  std::vector<uint8_t> buffer(64 * 1024);
  int64_t copied = 0;
  for (int64_t n; (n = in.Read(buffer.data(), buffer.size())) > 0; copied += n)
    if (out.Write(buffer.data(), static_cast<size_t>(n)) != n) throw failed();
  if (copied < expected) throw failed();
  first = static_cast<int32_t>(start);
  last = static_cast<int32_t>(out.Position() - 1);
}

}  // namespace

std::string& LibraryDirectoryOverride() {
  static std::string directory;
  return directory;
}

void ReadSelfExtractTrailer(const std::string& path, SelfExtractTrailer& trailer) {
  // Beyond what the format asks, the signature and the positions are checked: a cut or damaged
  // file must never be read past its end or at another archive's bytes.
  if (ReadSelfExtractTrailerOf(path, trailer) != TrailerProblem::None) throw TrailerError(path);
}

// ---- setup.exe and setup.1 ---------------------------------------------------------------------

void TCustomInstall::CopyLoaderProgram(const std::string& build_dir, const std::string& program) {
  if (!use_loading_program_) {
    if (OnBeforeCopyProgram) OnBeforeCopyProgram(this);
    ForceDirectories(build_dir);
    const std::string target = AddBackslash(build_dir) + ExtractFileName(program);
    if (!SameText(target, program) && !platform::CopyFile(program, target, false))
      throw IEInstall("Cannot copy the installation application from %s to %s", program, target);
    if (OnAfterCopyProgram) OnAfterCopyProgram(this);
    return;
  }
  try {
    CreateSetupArchive(build_dir, program);
  } catch (const EvcDiskFull&) {
    throw IEInstall(
        "The disk that you have specified has been determined to be either too full or is "
        "corrupt while trying to copy the SETUP.1 archive file. You should probably clear all "
        "files off of the drive. Minimally, you should leave enough space on the drive for the "
        "SETUP.1 archive file.");
  }
  std::string library = LibraryDirectoryOverride();
  if (library.empty()) {
    try {
      library = FindLibraryDirectory(true);
    } catch (const Exception&) {
      throw IEInstall(
          "The HKEY_LOCAL_MACHINE | %s key in the registry is either missing or points to an "
          "invalid Vantorel directory",
          std::string(kLibraryKeyName));
    }
  }
  const std::string loader = AddBackslash(library) + kLoaderProgram;
  if (!platform::FileExists(loader)) throw IEInstall("The loader program %s was not found", loader);
  const std::string target = AddBackslash(build_dir) + "setup.exe";
  if (!platform::CopyFile(loader, target, false))
    throw IEInstall("Cannot copy the loading program from %s to %s", loader, target);
}

void TCustomInstall::CreateSetupArchive(const std::string& build_dir, const std::string& program) {
  if (Trim(program).empty()) throw IEInstall("Cannot create setup file. Executable is blank");
  if (OnBeforeCreateSetupArchive) OnBeforeCreateSetupArchive(this);
  if (!platform::FileExists(program))
    throw IEInstall("TInstall: Cannot find the executable file %s", program);
  const std::string archive = AddBackslash(build_dir) + "setup.1";
  auto add = [&](const std::string& path, TlzhCommand command) {
    auto file = std::make_unique<TInstallFile>(nullptr);
    file->SetNet(false);
    file->SetFileName(ExtractFileName(path));
    file->SetIncludeFromDir(RemoveBackslash(ExtractFileDir(path)));
    file->SetAddToArchive(command);
    file->SetArchiveFileType(nullptr);
    file->SetArchiveFile(archive);
    file->CompressFile();
  };
  add(program, lzcOverwrite);
  for (const std::string& line : presetup_files_) add(line, lzcOnlyAdd);
  if (OnAfterCreateSetupArchive) OnAfterCreateSetupArchive(this);
}

void TCustomInstall::MakeSelfExtractingExe(const std::string& setup_exe, const std::string& setup_1,
                                           const std::string& files_1) {
  if (OnBeforeSelfExtract) OnBeforeSelfExtract(this);
  const bool has_files = platform::FileExists(files_1);
  // The trailer holds signed 32-bit positions: a file that would reach 2 GB could not say where
  // its archives lie. Refused before a byte is added.
  const int64_t parts[] = {SizeOf(setup_exe), SizeOf(setup_1), has_files ? SizeOf(files_1) : 0};
  int64_t total = static_cast<int64_t>(kSelfExtractTrailerSize);
  for (int64_t size : parts) total += size < 0 ? 0 : size;
  if (total > INT32_MAX)
    throw IEInstall(
        "Cannot create the self-extracting exe %s: with its archives it would be %s bytes, and a "
        "self-extracting file must stay below 2 GB. Build it without --self-extracting and ship "
        "the archives beside setup.exe",
        setup_exe, std::to_string(total));

  SelfExtractTrailer trailer;
  platform::File out =
      platform::File::Open(setup_exe, platform::Access::ReadWrite, platform::kShareRead,
                           platform::Disposition::OpenExisting);
  if (!out.IsOpen())
    throw IEInstall("Cannot create the self-extracting exe because %s could not be loaded onto %s",
                    setup_1, setup_exe);
  AppendPart(out, setup_1, setup_exe, trailer.setup_first, trailer.setup_last);
  if (has_files) AppendPart(out, files_1, setup_exe, trailer.files_first, trailer.files_last);
  const std::string bytes = EncodeSelfExtractTrailer(trailer);
  if (out.Write(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size()))
    throw IEInstall("Cannot create the self-extracting exe because %s could not be loaded onto %s",
                    setup_1, setup_exe);
  out.Close();
  if (OnAfterSelfExtract) OnAfterSelfExtract(this);
}

// ---- the build ---------------------------------------------------------------------------------

void TCustomInstall::BuildFromBuildInf() {
  try {
    const std::string inf = AddBackslash(ExtractFileDir(SetupProgramPath())) + "BUILD.INF";
    if (!platform::FileExists(inf))
      throw IEInstall(
          "Need to have a BUILD.INF file in this directory with the first line specifying the "
          "build directory");
    TStringList lines;
    if (!ReadTextLines(inf, lines) || lines.Count() == 0)
      throw IEInstall("Must be 1 line in BUILD.INF. This line should specify the build directory");
    Build(SetupProgramPath(), lines[0], true);
    outcome_ = TInstallOutcome::Installed;
  } catch (const Exception& e) {
    outcome_ = TInstallOutcome::Failed;
    Application().MessageBox(e.Message(), "Setup", MB_OK);
  }
  Application().Terminate();
}

TCompressOptions BuildCompressOptions(TDistributeType type) {
  TCompressOptions options{coRelative, coUnused2, coIncludeAll};
  if (type == dtTraditional) options.Include(coForceNetFilesLocal);
  if (type == dtWeb) options.Include(coForceFilesNet);
  return options;
}

void TCustomInstall::Build(const std::string& program, const std::string& build_dir,
                           bool self_extracting) {
  if (self_extracting && !use_loading_program_)
    throw IEInstall(
        "Cannot build a stand alone executable if the UseLoadingProgram property of the TInstall "
        "is set to False");
  const std::string base = AddBackslash(Trim(build_dir));
  const std::string setup_exe = base + "setup.exe", setup_1 = base + "setup.1",
                    files_1 = base + "files.1";
  CopyLoaderProgram(RemoveBackslash(base), program);
  if (OnBeforeBuild) OnBeforeBuild(this);
  {
    struct Restore {
      TCustomInstall* self;
      TCustomPathSpecifier* type;
      std::string file;
      ~Restore() { self->RestoreArchive(type, file); }
    } restore{this, ArchiveFileType(), ArchiveFile()};
    SetArchiveFileType(nullptr);
    SetArchiveFile(files_1);
    Compress(BuildCompressOptions(distribute_type_));
    if (distribute_type_ == dtWeb || distribute_type_ == dtTraditionalNet) WriteRemoteFileList();
  }
  if (OnAfterBuild) OnAfterBuild(this);
  if (self_extracting) MakeSelfExtractingExe(setup_exe, setup_1, files_1);
}

void TCustomInstall::Compress(TCompressOptions options) {
  for (TCustomInstallFile* file : AllInstallFiles()) file->ClearBuildMarks();
  TFileContainer::Compress(options);
}

void TCustomInstall::WriteRemoteFileList() {
  const std::string dir =
      AddBackslash(ExtractFileDir(ArchiveFile())) + RemoveBackslash(NetPath(this));
  ForceDirectories(dir);
  const std::string path = AddBackslash(dir) + "filelist.lst";
  std::vector<TCustomInstallFile*> compressed;
  for (TCustomInstallFile* file : AllInstallFiles())
    if (file->CompressedMarker() != 0) compressed.push_back(file);
  std::string bytes;
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(v >> (8 * i)));
  };
  auto put_text = [&](const std::string& text, size_t field) {
    std::string value = text.substr(0, field);
    value.resize(field, '\0');
    bytes += value;
  };
  put32(static_cast<uint32_t>(compressed.size()));
  for (TCustomInstallFile* file : compressed) {
    put32(static_cast<uint32_t>(file->Size()));
    double date = file->FileDate();
    uint64_t bits;
    static_assert(sizeof bits == sizeof date);
    std::memcpy(&bits, &date, sizeof bits);
    for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>(bits >> (8 * i)));
    put_text(file->Name(), 40);
    put_text(file->Version(), 20);
  }
  platform::File out =
      platform::File::Open(path, platform::Access::Write, 0, platform::Disposition::CreateAlways);
  if (!out.IsOpen() || out.Write(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size()))
    throw IEInstall("Cannot write the remote list of files: %s", path);
}

// ---- floppies ----------------------------------------------------------------------------------

void TCustomInstall::TransferToFloppies(const std::string& target) {
  TVtrlCompress& engine = SharedArchiveEngine();
  try {
    TCursorScope hourglass(crHourGlass);
    Application().ProcessMessages();
    if (!HasSwitch('e'))
      throw IEInstall(
          "Sorry... You can only transfer this installation to floppies through the "
          "self-extracting file. Usage example: setup.exe *TODISK");
    const std::string source =
        StandardPathSpecifiers().FindByClass<TpsMainArchiveFile>()->Expand(this);
    SelfExtractTrailer trailer;
    ReadSelfExtractTrailer(source, trailer);
    const std::string drive = AddBackslash(target);
    PushStatusMessage("Transferring this installation to floppies. Please wait...");
    {
      struct Pop {
        TCustomInstall* self;
        ~Pop() { self->PopStatusMessage(); }
      } pop{this};
      platform::File in = platform::File::Open(source, platform::Access::Read,
                                               platform::kShareRead | platform::kShareWrite,
                                               platform::Disposition::OpenExisting);
      if (!in.IsOpen()) throw TrailerError(source);
      auto copy = [&](const std::string& name, int64_t from, int64_t to, const char* message) {
        platform::File out = platform::File::Open(drive + name, platform::Access::Write, 0,
                                                  platform::Disposition::CreateAlways);
        if (!out.IsOpen()) throw IEInstall(message);
        in.Seek(from, platform::SeekOrigin::Begin);
        std::vector<uint8_t> block(kFloppyBlock);
        for (int64_t left = to - from; left > 0;) {
          const size_t want = static_cast<size_t>(std::min<int64_t>(left, kFloppyBlock));
          const int64_t n = in.Read(block.data(), want);
          if (n != static_cast<int64_t>(want) || out.Write(block.data(), want) != n)
            throw IEInstall(message);
          left -= n;
          ++floppy_blocks_;
          Application().ProcessMessages();
        }
      };
      floppy_blocks_ = 0;
      copy("setup.exe", 0, trailer.setup_first,
           "Cannot create setup.exe on the A drive. Probably not enough room");
      floppy_blocks_ = 0;
      copy("setup.1", trailer.setup_first, int64_t{trailer.setup_last} + 1,
           "Cannot create setup.1 on the A drive. Probably not enough room");
    }
    struct Clear {
      TVtrlCompress& engine;
      ~Clear() {
        engine.OnNewDisk = nullptr;
        engine.OnStatus = nullptr;
      }
    } clear{engine};
    engine.OnNewDisk = [this](TVtrlCompress*, int disk, std::string&) { DiskPrompt(disk); };
    engine.OnStatus = [this](TVtrlCompress*, const TlzhFileStats&) {
      if (OnFloppyProgress) OnFloppyProgress(this);
      Application().ProcessMessages();
    };
    engine.SetCompressedFile(source);
    engine.SetOffset(trailer.files_first);
    engine.SpanToDisks(drive, "files.1");
    outcome_ = TInstallOutcome::Installed;
  } catch (const Exception& e) {
    outcome_ = TInstallOutcome::Failed;
    Application().MessageBox(e.Message(), "Setup", MB_OK);
  }
  Application().ProcessMessages();
  Application().Terminate();
}

void TCustomInstall::DiskPrompt(int disk) {
  TCursorScope arrow(crDefault);
  if (Application().MessageBox(Format("Please insert disk %d", disk), "Setup",
                               MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
    throw IEInstall("Aborted by user");
}

}  // namespace vantorel
