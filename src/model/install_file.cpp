#include "model/install_file.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>

#include "archive/compress.h"
#include "archive/version_resource.h"
#include "framework/application.h"
#include "model/exceptions.h"
#include "model/file_container.h"
#include "model/parameters.h"
#include "model/symbolic_paths.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/selfreg.h"
#include "platform/system.h"
#include "platform/version.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {

namespace msg = install_file_message;

namespace {

struct UniqueIDTable {
  std::array<bool, kMaxInstallFiles> taken{};
  bool initialised = false;
};

UniqueIDTable& UniqueIDs() {
  static UniqueIDTable table;
  return table;
}

constexpr const char* kHelpKey = "SOFTWARE\\Microsoft\\Windows\\Help";
constexpr const char* kSharedDLLsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

std::string UpperExt(const std::string& file_name) {
  return UpperCase(ExtractFileExt(file_name));
}

bool HasOleSelfRegisterAt(const std::string& path) {
  uint32_t size = platform::GetFileVersionInfoSize(path);
  if (size == 0) return false;
  std::vector<uint8_t> block;
  if (!platform::GetFileVersionInfo(path, size, block)) return false;
  std::vector<uint8_t> translation;
  if (!platform::VerQueryValue(block, "\\VarFileInfo\\Translation", translation) ||
      translation.size() < 4)
    return false;
  unsigned language = translation[0] | (translation[1] << 8);
  unsigned code_page = translation[2] | (translation[3] << 8);
  char key[64];
  std::snprintf(key, sizeof key, "\\StringFileInfo\\%04X%04X\\OLESelfRegister", language,
                code_page);
  std::vector<uint8_t> value;
  return platform::VerQueryValue(block, key, value);
}

}  // namespace

void ResetUniqueIDs() {
  UniqueIDs() = UniqueIDTable{};
}

// ---- life ------------------------------------------------------------------------------------

TCustomInstallFile::TCustomInstallFile(TComponent* owner) : TFileRelated(owner) {
  SetInstallable(true);
  SetInclude(true);
  SetNet(false);
  // Without a free number the file waits, unnamed as it still is, for its name (or its build)
  // to refuse it with a message that says which file it is.
  TakeUniqueID();
  AllInstallFiles().Add(this);
}

TCustomInstallFile::~TCustomInstallFile() {
  if (numbered_ && unique_id_ >= 0 && unique_id_ < kMaxInstallFiles)
    UniqueIDs().taken[unique_id_] = false;
  AllInstallFiles().Remove(this);
  SelfRegistrationQueue().Remove(this);
}

void TCustomInstallFile::Loaded() {
  TFileRelated::Loaded();
  auto& table = UniqueIDs();
  // Numbers stored with the project win over the ones handed out while it was being read.
  if (!table.initialised) {
    table.taken.fill(false);
    table.initialised = true;
  }
  numbered_ = unique_id_ >= 0 && unique_id_ < kMaxInstallFiles;
  if (numbered_) table.taken[unique_id_] = true;
}

bool TCustomInstallFile::TakeUniqueID() {
  if (numbered_) return true;
  auto& table = UniqueIDs();
  auto free = std::find(table.taken.begin(), table.taken.end(), false);
  if (free == table.taken.end()) return false;
  *free = true;
  unique_id_ = static_cast<int32_t>(free - table.taken.begin());
  numbered_ = true;
  return true;
}

void TCustomInstallFile::RequireUniqueID(const std::string& name) {
  // Two files with one number would share an archive entry, and one of them would be installed
  // with the other's data: refuse instead.
  if (TakeUniqueID()) return;
  if (!Trim(name).empty()) throw IECustomInstallFile(msg::kTooManyFiles, name);
  throw IECustomInstallFile(msg::kTooManyFilesBySource, SourcePath());
}

void TCustomInstallFile::SetName(const std::string& name) {
  // A file being read takes the number its project stored, when it is loaded.
  if (!IsLoading() && !name.empty()) RequireUniqueID(name);
  TFileRelated::SetName(name);
}

// ---- properties and their consistency ---------------------------------------------------------

TCustomInstallFile::Settings TCustomInstallFile::Current() const {
  return Settings{Container(), include_from_dir_,           file_name_, dest_name_,
                  DestDir(),   TFileRelated::DestDirType(), file_type_, active_x_};
}

void TCustomInstallFile::SetContainer(TInstallContainer* v) {
  if (IsLoading()) return TFileRelated::SetContainer(v);
  Settings s = Current();
  s.container = v;
  Apply(s);
}

void TCustomInstallFile::SetIncludeFromDir(const std::string& v) {
  if (IsLoading()) {
    include_from_dir_ = v;
    return;
  }
  Settings s = Current();
  s.include_from_dir = v;
  Apply(s);
}

void TCustomInstallFile::SetFileName(const std::string& v) {
  if (IsLoading()) {
    file_name_ = v;
    return;
  }
  Settings s = Current();
  s.file_name = v;
  Apply(s);
}

void TCustomInstallFile::SetDestName(const std::string& v) {
  if (IsLoading()) {
    dest_name_ = v;
    return;
  }
  Settings s = Current();
  s.dest_name = v;
  Apply(s);
}

void TCustomInstallFile::SetDestDir(const std::string& v) {
  if (IsLoading()) return TFileRelated::SetDestDir(v);
  Settings s = Current();
  s.dest_dir = v;
  Apply(s);
}

void TCustomInstallFile::SetDestDirType(TCustomPathSpecifier* v) {
  if (IsLoading()) return TFileRelated::SetDestDirType(v);
  Settings s = Current();
  s.dest_dir_type = v;
  Apply(s);
}

void TCustomInstallFile::SetFileType(TInstallFileType v) {
  if (IsLoading()) {
    file_type_ = v;
    return;
  }
  Settings s = Current();
  s.file_type = v;
  Apply(s);
}

void TCustomInstallFile::SetActiveX(bool v) {
  if (IsLoading()) {
    active_x_ = v;
    return;
  }
  Settings s = Current();
  s.active_x = v;
  Apply(s);
}

void TCustomInstallFile::Apply(Settings s) {
  auto* file_container = dynamic_cast<TFileContainer*>(s.container);
  if (s.container != nullptr && file_container == nullptr)
    throw IECustomInstallFile(msg::kNeedsFileContainer, Name());
  const bool name_changed = s.file_name != file_name_;
  const bool dir_changed = s.include_from_dir != include_from_dir_;
  // A file without a name has no source yet, so it cannot clash with another.
  if (file_container != nullptr && !Trim(s.file_name).empty() &&
      (name_changed || dir_changed || s.container != Container())) {
    std::string source = AddBackslash(s.include_from_dir) + s.file_name;
    TCustomInstallFile* found = file_container->FindFileBySource(source);
    if (found != nullptr && found != this) throw IEfcDuplicateFile(msg::kDuplicate, source);
  }
  if (!SameText(s.file_name, file_name_) && !Trim(s.file_name).empty()) s.dest_name = s.file_name;
  const std::string ext = UpperExt(s.file_name);
  if (name_changed || dir_changed) {
    register_as_help_ = ext == ".HLP" || ext == ".CNT";
    if (ext == ".OCX") {
      s.active_x = true;
    } else {
      try {
        s.active_x = HasOleSelfRegisterAt(AddBackslash(s.include_from_dir) + s.file_name);
      } catch (const Exception&) {
        s.active_x = false;
      }
    }
  }
  if (s.active_x && !active_x_) s.file_type = iftSystemWideDLL;
  if (s.dest_dir_type != TFileRelated::DestDirType() && ext.size() == 4 &&
      std::string(".DLL,.OCX,.BLL,.EXE").find(ext) != std::string::npos) {
    if (dynamic_cast<TpsWindow*>(s.dest_dir_type) || dynamic_cast<TpsBDEDLL*>(s.dest_dir_type))
      overwrite_mode_ = owVersionDate;
    else if (dynamic_cast<TpsSystem*>(s.dest_dir_type))
      s.file_type = iftSystemWideDLL;
  }
  if (s.file_type != file_type_) {
    if (s.file_type == iftJustADLL || s.file_type == iftApplicationSpecificDLL) {
      overwrite_mode_ = owVersionDate;
    } else if (s.file_type == iftVendorSharedDLL || s.file_type == iftSystemWideDLL) {
      update_dll_counter_ = true;
      overwrite_mode_ = owVersionDate;
    }
  }
  // The new values are stored before the container changes, so that the container's
  // defaults (which it sets on a change) see them.
  file_type_ = s.file_type;
  TFileRelated::SetDestDirType(s.dest_dir_type);
  TFileRelated::SetContainer(s.container);
  switch (s.file_type) {
    case iftApplicationSpecificDLL:
      s.dest_dir = "\\System";
      s.dest_dir_type = StandardPathSpecifiers().FindByClass<TpsMainInstall>();
      break;
    case iftVendorSharedDLL:
      s.dest_dir = "\\System";
      s.dest_dir_type = StandardPathSpecifiers().FindByClass<TpsCommonFiles>();
      break;
    case iftSystemWideDLL:
      s.dest_dir.clear();
      s.dest_dir_type = StandardPathSpecifiers().FindByClass<TpsSystem>();
      break;
    default:
      s.dest_dir_type = nullptr;
      break;
  }
  if (s.dest_dir_type != nullptr) TFileRelated::SetDestDirType(s.dest_dir_type);
  include_from_dir_ = s.include_from_dir;
  file_name_ = s.file_name;
  TFileRelated::SetDestDir(s.dest_dir);
  dest_name_ = s.dest_name;
  file_type_ = s.file_type;
  active_x_ = s.active_x;
}

void TCustomInstallFile::SetArchiveInformation(int32_t size, TDateTime date,
                                               const std::string& version) {
  size_ = size;
  file_date_ = date;
  version_ = version.substr(0, 20);
}

void TCustomInstallFile::SetState(TInstallFileState v) {
  state_ = v;
  struct Reset {
    TInstallFileState& state;
    ~Reset() { state = ifsNone; }
  } reset{state_};
  switch (v) {
    case ifsCompress:
      CompressFile();
      break;
    case ifsInstall:
      Process();
      break;
    case ifsCopying:
      CopyFile();
      break;
    case ifsNone:
      break;
  }
}

std::string TCustomInstallFile::DestPath() {
  return AddBackslash(GetFullDestDir()) + DestName();
}

std::string TCustomInstallFile::SourcePath() const {
  return AddBackslash(include_from_dir_) + file_name_;
}

bool TCustomInstallFile::NeedsOwnArchive() const {
  return NetLocation() != nullptr || overwrite_mode_ == owVersion || overwrite_mode_ == owDate ||
         overwrite_mode_ == owVersionDate;
}

void TCustomInstallFile::NotifyContainer(int code, TObject* po) {
  if (Container() != nullptr) Container()->DoInformationEventControl(this, code, po);
}

void TCustomInstallFile::RequireDestination() {
  if (Trim(GetFullDestDir()).empty()) throw IECustomInstallFile(msg::kBlankDestination, Name());
}

void TCustomInstallFile::RequireArchive() {
  if (Trim(GetFullArchiveFile()).empty()) throw IECustomInstallFile(msg::kBlankArchive, file_name_);
}

// ---- archive paths and information ------------------------------------------------------------

std::string TCustomInstallFile::GetFullArchiveFile() {
  TDistributeType type = CurrentDistributeType();
  if (state_ == ifsInstall && (type == dtWeb || (type == dtTraditionalNet && Net()))) {
    if (NeedsOwnArchive() && HasLocalArchive()) return LocalArchivePath();
    auto* container = dynamic_cast<TFileContainer*>(Container());
    if (container != nullptr && container->HasLocalArchive()) return container->LocalArchivePath();
  }
  return TFileRelated::GetFullArchiveFile();
}

void TCustomInstallFile::ReadFileInfo() {
  platform::File file = platform::File::Open(SourcePath(), platform::Access::Read,
                                             platform::kShareRead | platform::kShareWrite,
                                             platform::Disposition::OpenExisting);
  uint32_t stamp = 0;
  if (!file.IsOpen() || !file.GetDosDateTime(stamp))
    throw IECustomInstallFile(
        "Could not open or find the following file when trying to read the Size, Date, and "
        "Version :%s",
        SourcePath());
  int64_t length = file.Size();
  file.Close();
  SetArchiveInformation(static_cast<int32_t>(std::clamp<int64_t>(length, 0, INT32_MAX)),
                        DosDateTimeToDateTime(stamp),
                        TVersionResource::FileVersionOf(SourcePath()));
}

void TCustomInstallFile::ReadInfoFrom(const std::string& archive_path) {
  if (Trim(archive_path).empty()) throw IECustomInstallFile(msg::kBlankArchive, file_name_);
  std::unique_ptr<TVtrlCompress> own;
  TVtrlCompress* engine = nullptr;
  IInstallComponent* install = InstallComponent();
  if (install != nullptr && SameText(archive_path, install->AsContainer()->GetFullArchiveFile())) {
    engine = &SharedArchiveEngine();
  } else {
    own = std::make_unique<TVtrlCompress>(nullptr);
    engine = own.get();
  }
  engine->SetCompressedFile(archive_path);
  int index = engine->IndexOfUniqueID(unique_id_);
  if (index < 0) return;
  TlzhFileStats stats;
  engine->GetFileStats(index, stats);
  TFileHeader header(stats.Header);
  compressed_size_ = header.CompressedSize();
  SetArchiveInformation(header.FileSize(), header.FileDate(), header.FileVersion());
  SetArchiveInfoRead(true);
}

void TCustomInstallFile::ReadInfoFromArchive() {
  if (InstallRunning() && ArchiveInfoRead()) return;
  TDistributeType type = CurrentDistributeType();
  if (type == dtTraditional || (type == dtTraditionalNet && !Net())) {
    ReadInfoFrom(GetFullArchiveFile());
    return;
  }
  if (NeedsOwnArchive() && HasLocalArchive()) {
    ReadInfoFrom(LocalArchivePath());
  } else if (auto* container = dynamic_cast<TFileContainer*>(Container())) {
    if (container->HasLocalArchive()) ReadInfoFrom(container->LocalArchivePath());
  } else {
    throw IECustomInstallFile(
        "%s cannot perform ReadInfoFromArchive because either no container is assigned or the "
        "container is not TFileContainer",
        Name());
  }
}

// ---- engine callbacks -------------------------------------------------------------------------

void TCustomInstallFile::AbortRequested() {
  throw EAIUserAbort();
}

void TCustomInstallFile::AttachCallbacks(TVtrlCompress& engine) {
  engine.OnAborted = [this](TObject*) { AbortRequested(); };
  engine.OnStatus = [this](TVtrlCompress* sender, const TlzhFileStats& stats) {
    ReportStatus(stats);
    // Cancel sets the shared engine's flag; a private engine must stop for it as well.
    if (sender != nullptr && SharedArchiveEngine().Abort()) sender->SetAbort(true);
  };
  engine.OnNewDisk = [this](TVtrlCompress*, int disk, std::string& path) {
    path = RequestDisk(disk);
  };
}

void TCustomInstallFile::ReportStatus(const TlzhFileStats& stats) {
  TFileStatusParameter status;
  status.BytesDone = stats.FileBytesDone;
  status.FilePercentDone = stats.FilePercent;
  status.FileName = file_name_;
  status.EngineStatus = stats;
  status.TotalBytesDone = stats.TotalBytesDone;
  status.TotalPercentDone = stats.TotalPercent;
  if (OnStatus) OnStatus(this, status.FilePercentDone, status.TotalPercentDone);
  BroadcastComponentCall(this, ccFileStatus, &status);
  TParameterList list;
  list.Add(this);
  list.Add(&status);
  int code = state_ == ifsCompress  ? ieCompressProgress
             : state_ == ifsCopying ? ieCopyProgress
                                    : ieExtractProgress;
  NotifyContainer(code, &list);
}

std::string TCustomInstallFile::RequestDisk(int disk) {
  SetTag(0);
  struct ResetTag {
    TCustomInstallFile* self;
    ~ResetTag() { self->SetTag(0); }
  } reset{this};
  TDiskParameter parameter;
  parameter.NewDisk = disk;
  parameter.Path = RemoveBackslash(ExtractFileDir(GetFullArchiveFile()));
  TParameterList list;
  list.Add(this);
  list.Add(&parameter);
  if (OnNewDisk) OnNewDisk(this, disk, parameter.Path);
  BroadcastComponentCall(this, ccNewDisk, &list);
  NotifyContainer(ieNewDisk, &list);
  if (!OnNewDisk && Tag() == 0) {
    std::string text = Format(TranslateString("Please insert disk #%d"), disk);
    if (Application().MessageBox(text, Application().Title(), MB_OKCANCEL | MB_ICONINFORMATION) ==
        IDCANCEL)
      SharedArchiveEngine().SetAbort(true);
  }
  return RemoveBackslash(parameter.Path);
}

// ---- compress and copy ------------------------------------------------------------------------

namespace {
struct StateScope {
  TInstallFileState& state;
  StateScope(TInstallFileState& s, TInstallFileState v) : state(s) { state = v; }
  ~StateScope() { state = ifsNone; }
};
}  // namespace

void TCustomInstallFile::CompressFile() {
  StateScope scope(state_, ifsCompress);
  TVtrlCompress& engine = SharedArchiveEngine();
  try {
    if (OnBeforeCompress) OnBeforeCompress(this);
    NotifyContainer(ieCompressBegin, this);
    RequireArchive();
    if (!Include()) throw EAbort();
    RequireUniqueID(Name());
    // The archive keeps 100 characters of the path and the install looks the file up by it: a
    // longer one would make a distribution that fails on the user's machine, not here.
    if (SourcePath().size() > kMaxStoredFileName)
      throw IECustomInstallFile(msg::kSourcePathTooLong, Name(), SourcePath());
    ForceDirectories(ExtractFileDir(GetFullArchiveFile()));
    engine.SetCompressedFile(GetFullArchiveFile());
    AttachCallbacks(engine);
    TStringList files;
    files.Add(SourcePath());
    engine.SetFilesToProcess(files);
    engine.Compress(AddToArchive(), unique_id_);
    compressed_marker_ = 2;
    last_archive_path_ = engine.CompressedFile();
    if (OnAfterCompress) OnAfterCompress(this);
    NotifyContainer(ieCompressDone, this);
  } catch (const EAbort&) {
  }
  engine.OnStatus = nullptr;
  engine.OnNewDisk = nullptr;
  state_ = ifsNone;
  try {
    BroadcastComponentCall(this, ccPhaseEnd, nullptr);
  } catch (...) {
    engine.SetAbort(true);
  }
}

void TCustomInstallFile::CopyFile() {
  StateScope scope(state_, ifsCopying);
  TVtrlCompress& engine = SharedArchiveEngine();
  try {
    if (OnBeforeCopy) OnBeforeCopy(this);
    NotifyContainer(ieCopyBegin, this);
    if (!Include()) throw EAbort();
    RequireDestination();
    ForceDirectories(GetFullDestDir());
    AttachCallbacks(engine);
    engine.SetOverwrite(overwrite_mode_);
    engine.CopyFile(SourcePath(), DestPath());
    if (OnAfterCopy) OnAfterCopy(this);
    NotifyContainer(ieCopyDone, this);
  } catch (const EAbort&) {
  }
  engine.OnStatus = nullptr;
  engine.OnNewDisk = nullptr;
  state_ = ifsNone;
  BroadcastComponentCall(this, ccPhaseEnd, nullptr);
}

// ---- install ----------------------------------------------------------------------------------

void TCustomInstallFile::InstallObjects() {
  replaced_at_reboot_ = false;
  try {
    NotifyContainer(ieInstallBegin, this);
    if (OnBeforeInstall) OnBeforeInstall(this);
  } catch (const EAbort&) {
    NotifyContainer(ieSkipped, this);
    return;
  }
  RequireDestination();
  target_existed_ = platform::FileExists(DestPath());
  // Nothing at the destination means nothing to keep, whatever the mode: compared by version, a
  // file without a version resource would otherwise be "equal" to the missing one and skipped.
  int decision = target_existed_ ? TVersionResource::IsFileNewer(version_, DestPath(),
                                                                 overwrite_mode_, file_date_)
                                 : kNewerReplace;
  should_install_ = decision == kNewerFailed || decision == kNewerReplace;
  if (should_install_) {
    try {
      PrepareReplace();
    } catch (const EAbort&) {
      should_install_ = false;
    }
  }
  if (!should_install_) {
    NotifyContainer(ieHandledWithoutCopy, this);
    AfterInstallSteps();
    if (OnAfterInstall) OnAfterInstall(this);
    NotifyContainer(ieInstallDone, this);
    TFileRelated::InstallObjects();
    return;
  }
  std::unique_ptr<TVtrlCompress> own;
  TVtrlCompress* engine = nullptr;
  TDistributeType type = CurrentDistributeType();
  if (type != dtTraditional && (Net() || type == dtWeb)) {
    // Only a download leaves a record, for the run that resumes after it.
    std::string recorded = ReadLocalFileRecord();
    if (!recorded.empty()) SetLocalArchivePath(recorded);
    if (NeedsOwnArchive()) {
      DownloadArchive();
    } else if (auto* container = dynamic_cast<TFileContainer*>(Container());
               container != nullptr && !container->HasLocalArchive()) {
      container->DownloadArchive();
    }
  } else if (IInstallComponent* install = InstallComponent();
             install != nullptr &&
             SameText(GetFullArchiveFile(), install->AsContainer()->GetFullArchiveFile())) {
    engine = &SharedArchiveEngine();
  }
  if (engine == nullptr) {
    own = std::make_unique<TVtrlCompress>(nullptr);
    engine = own.get();
  }
  Extract(*engine);
}

void TCustomInstallFile::Extract(TVtrlCompress& engine) {
  state_ = ifsInstall;
  struct Finish {
    TCustomInstallFile* self;
    TVtrlCompress& engine;
    ~Finish() {
      engine.OnStatus = nullptr;
      engine.OnNewDisk = nullptr;
      engine.OnAborted = nullptr;
      if (engine.Abort()) SharedArchiveEngine().SetAbort(true);
      self->state_ = ifsNone;
    }
  } finish{this, engine};
  ForceDirectories(GetFullDestDir());
  RequireArchive();
  engine.SetCompressedFile(GetFullArchiveFile());
  engine.SetExtractDirectory(GetFullDestDir());
  engine.SetTargetName(DestName());
  engine.SetOverwrite(overwrite_mode_);
  // PrepareReplace has left nothing at the destination (or chose a name nothing has).
  engine.SetVacantTarget(DestPath());
  AttachCallbacks(engine);
  TStringList files;
  files.Add(SourcePath());
  engine.SetFilesToProcess(files);
  try {
    engine.Extract();
  } catch (const EAIUserAbort&) {
    // The engine stops inside the file; half a program at its destination is worse than none.
    platform::DeleteFile(DestPath());
    throw;
  }
  // From here on the file is known by the name it will have after the restart: its help entry,
  // shared count, uninstall record and the registration after the restart name that file.
  if (replaced_at_reboot_) dest_name_ = replaced_dest_name_;
  AfterInstallSteps();
  if (OnAfterInstall) OnAfterInstall(this);
  NotifyContainer(ieInstallDone, this);
  TFileRelated::InstallObjects();
  try {
    BroadcastComponentCall(this, ccPhaseEnd, nullptr);
  } catch (...) {
    engine.SetAbort(true);
    throw;
  }
}

void TCustomInstallFile::PrepareReplace() {
  if (OnReplacing) OnReplacing(this);
  BroadcastComponentCall(this, ccReplacing, this);
  NotifyContainer(ieReplacing, this);
  should_install_ = true;
  std::string target = DestPath();
  // Nothing was there a moment ago: no second look (under Wine a look for a missing name reads
  // the whole folder, and a large install puts thousands of files in one).
  if (!target_existed_ || !platform::FileExists(target) || platform::DeleteFile(target)) return;

  replaced_at_reboot_ = true;
  std::string dir = AddBackslash(GetFullDestDir());
  std::string temp_name;
  for (int n = 1;; ++n) {
    temp_name = ChangeFileExt(DestName(), "." + std::to_string(n));
    if (!platform::FileExists(dir + temp_name)) break;
  }
  replaced_dest_name_ = DestName();
  dest_name_ = temp_name;
  std::string short_target = ShortPathName(target);
  std::string short_temp = AddBackslash(ExtractFileDir(short_target)) + temp_name;
  IInstallComponent* install = InstallComponent();
  if (GetWindowsVersion() == 1) {
    platform::WriteIniString(AddBackslash(GetWindowsDir()) + "WININIT.INI", "Rename", short_target,
                             short_temp);
    if (install != nullptr) install->SetReboot(true);
    return;
  }
  if (install != nullptr) install->SetReboot(true);
  // The old file is still there at the restart, so the move must be allowed to replace it.
  if (platform::MoveFileAtReboot(dir + temp_name, target) || install == nullptr) return;
  std::string batch = ChangeFileExt(GetTempFile(false), ".bat");
  {
    platform::File file = platform::File::Open(batch, platform::Access::Write, 0,
                                               platform::Disposition::CreateAlways);
    std::string text =
        "erase " + short_target + "\r\nmove " + short_temp + " " + short_target + "\r\n";
    if (!file.IsOpen() || file.Write(text.data(), text.size()) != static_cast<int64_t>(text.size()))
      throw IECustomInstallFile("Cannot create the file %s", batch);
  }
  install->AddUnfinished(batch, 1);
  if (!AddRunOnce("VantorelBatFile", batch, true))
    throw IECustomInstallFile(
        "%s cannot register a routine in the register to move the files after the computer is "
        "reboot",
        Name());
}

void TCustomInstallFile::AfterInstallSteps() {
  if (register_as_help_)
    WriteRegString(kRootLocalMachine, kHelpKey, UpperCase(DestName()), GetFullDestDir());
  if (update_dll_counter_ && !IncrementSharedDLLCount())
    throw IECustomInstallFile("Cannot update the DLL count for the following file :%s:",
                              file_name_);
  IInstallComponent* install = InstallComponent();
  if (replaced_at_reboot_ && install != nullptr) {
    install->AddUnfinished(Name(), 0);
  } else if (active_x_) {
    try {
      Register();
    } catch (const EAbort&) {
      throw;
    } catch (const EAIUserAbort&) {
      throw;
    } catch (const Exception&) {
      if (!InstallRunning()) throw;
      // Another file this one needs may not be in place yet: try again at the end of the run.
      SelfRegistrationQueue().Add(this);
    }
  }
}

bool TCustomInstallFile::IncrementSharedDLLCount() {
  platform::RegKey key =
      platform::RegKey::Open(platform::Root::LocalMachine, kSharedDLLsKey, true, true);
  if (!key.IsOpen())
    throw IECustomInstallFile(
        "Could not open the key SharedDLLs key in the registry. File component %s. GetLastError "
        "return: %d",
        Name(), static_cast<int>(platform::LastError()));
  std::string full = DestPath();
  std::string short_name = platform::GetShortPathName(full);
  uint32_t count = 0;
  if (!short_name.empty() && key.ReadDWord(short_name, count))
    return key.WriteDWord(short_name, count + 1);
  count = 0;
  if (!key.ReadDWord(full, count)) count = 0;
  return key.WriteDWord(full, count + 1);
}

// ---- self-registration ------------------------------------------------------------------------

void TCustomInstallFile::Register() {
  if (UpperExt(file_name_) == ".EXE")
    RegisterServerExe();
  else
    RegisterServerDll();
}

void TCustomInstallFile::RegisterServerDll() {
  std::string target = DestPath();
  if (Trim(GetFullDestDir() + DestName()).empty() || !platform::FileExists(target))
    throw IECustomInstallFile(msg::kBlankDestination, Name());
  TCurrentDirectoryScope directory(GetFullDestDir());
  platform::SelfRegOutcome outcome = platform::RegisterServerDll(target, false);
  switch (outcome.result) {
    case platform::SelfRegResult::Ok:
      return;
    case platform::SelfRegResult::LoadFailed:
      throw IECustomInstallFile(
          "Could not register the ActiveX component, %s, because the LoadLibrary(%s) procedure "
          "returned a value of 0. The file component is %s. The following value is the value of "
          "the GetLastError function: %d",
          target, target, Name(), static_cast<int>(platform::LastError()));
    case platform::SelfRegResult::NoEntryPoint:
      throw IECustomInstallFile(
          "Could not register the ActiveX component, %s, because the DllRegisterServer function "
          "could not be found. The file component is %s. The following value is the value of "
          "the GetLastError function: %d",
          target, Name(), static_cast<int>(platform::LastError()));
    case platform::SelfRegResult::CallFailed:
      throw IECustomInstallFile(
          "Could not register the ActiveX component, %s, because the DllRegisterServer function "
          "returned a value of %d. The file component is %s",
          target, static_cast<int>(outcome.hresult), Name());
  }
}

void TCustomInstallFile::RegisterServerExe() {
  std::string target = DestPath();
  if (Trim(GetFullDestDir() + DestName()).empty() || !platform::FileExists(target))
    throw IECustomInstallFile(msg::kBlankDestination, Name());
  TCurrentDirectoryScope directory(GetFullDestDir());
  // Quoted: a destination under "Program Files" holds blanks.
  if (!platform::StartProgram("\"" + target + "\" /REGSERVER", false))
    throw IECustomInstallFile(
        "Could not register the ActiveX component, %s, because the WinExec(%s,SW_HIDE) function "
        "returned a value < 32. The file component is %s. The following value is the value of "
        "the GetLastError function: %d",
        target, target, Name(), static_cast<int>(platform::LastError()));
}

bool TCustomInstallFile::HasOleSelfRegister() {
  return HasOleSelfRegisterAt(SourcePath());
}

void TCustomInstallFile::ResumeAfterReboot() {
  if (active_x_) Register();
}

// ---- uninstall records ------------------------------------------------------------------------

namespace {

// A record key open for writing and the count it holds (none when the count is damaged).
struct RecordKey {
  std::string path;
  platform::RegKey key;
  std::optional<int> entries;
};

// The record key last written, while a TUninstallRecordCache lives.
struct RecordCache {
  int scopes = 0;
  std::optional<RecordKey> last;
};

RecordCache& Records() {
  static RecordCache cache;
  return cache;
}

std::optional<RecordKey> TakeKeptRecordKey(const std::string& path) {
  std::optional<RecordKey> kept;
  RecordCache& cache = Records();
  if (cache.last && SameText(cache.last->path, path)) kept.swap(cache.last);
  return kept;
}

RecordKey OpenRecordKey(const std::string& path) {
  RecordKey record{path, platform::RegKey::Open(platform::Root::LocalMachine, path, true, true),
                   std::nullopt};
  if (record.key.IsOpen()) {
    std::string entries;
    if (!record.key.ReadString("Entries", entries)) entries = "0";
    int n = 0;
    if (TryStrToInt(entries, n) && n >= 0 && n < std::numeric_limits<int>::max())
      record.entries = n;
  }
  return record;
}

// Adds `value` as the next entry, "File<n>", then the count. False when the key takes no write.
bool AddEntry(RecordKey& record, const std::string& value, std::string& name) {
  const int n = record.entries.value_or(0) + 1;
  name = "File" + std::to_string(n);
  if (!record.key.IsOpen() || !record.key.WriteString(name, value) ||
      !record.key.WriteString("Entries", std::to_string(n)))
    return false;
  record.entries = n;
  return true;
}

void KeepRecordKey(RecordKey record) {
  if (Records().scopes > 0) Records().last = std::move(record);
}

}  // namespace

TUninstallRecordCache::TUninstallRecordCache() {
  ++Records().scopes;
}

TUninstallRecordCache::~TUninstallRecordCache() {
  if (--Records().scopes == 0) Records().last.reset();
}

void TCustomInstallFile::WriteUninstallInfo(const std::string& key) {
  // A self-registering file's record also says how it registered: ";1" a program, ";0" a library.
  const std::string base = key + (active_x_ ? "\\ActiveX" : "\\Files");
  const std::string value =
      active_x_ ? DestPath() + (UpperExt(file_name_) == ".EXE" ? ";1" : ";0") : DestPath();
  // A record key that cannot take the entry (its count is damaged, or writing fails) is left as
  // it is and the entry goes to the next one: Files, Files1, Files2, ... (ActiveX likewise), so
  // one damaged key from an earlier install neither fails this one nor loses the record.
  constexpr int kRecordKeys = 1000;
  for (int k = 0; k < kRecordKeys; ++k) {
    const std::string record_key = base + (k == 0 ? std::string() : std::to_string(k));
    std::string name;
    // A key kept from the entry before may have gone since; then it is opened anew.
    if (std::optional<RecordKey> kept = TakeKeptRecordKey(record_key);
        kept && AddEntry(*kept, value, name)) {
      KeepRecordKey(std::move(*kept));
      return;
    }
    RecordKey record = OpenRecordKey(record_key);
    if (record.key.IsOpen() && !record.entries) continue;
    if (AddEntry(record, value, name)) {
      KeepRecordKey(std::move(record));
      return;
    }
    if (k == kRecordKeys - 1)
      throw EIRCannotWriteValue(Format("Cannot install into registry. Key: %s Ident: %s Value %s",
                                       record_key, name, value));
  }
  throw IECustomInstallFile("%s cannot write its uninstall record: the keys %s to %s%d are damaged",
                            Name(), base, base, kRecordKeys - 1);
}

// ---- the published class and the lists --------------------------------------------------------

TInstallFile::TInstallFile(TComponent* owner) : TCustomInstallFile(owner) {}

void TCustomInstallFileList::Add(TCustomInstallFile* file) {
  if (file == nullptr)
    throw IECustomInstallFileList("Cannot add a blank entry to the TCustomInstallFileList object");
  items_.push_back(file);
}

void TCustomInstallFileList::Remove(TCustomInstallFile* file) {
  // From the back: files go in the reverse of their creation, most of the time.
  auto it = std::find(items_.rbegin(), items_.rend(), file);
  if (it != items_.rend()) items_.erase(std::next(it).base());
}

TCustomInstallFileList& AllInstallFiles() {
  static TCustomInstallFileList list;
  return list;
}

TCustomInstallFileList& SelfRegistrationQueue() {
  static TCustomInstallFileList list;
  return list;
}

}  // namespace vantorel
