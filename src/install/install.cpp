#include "install/install.h"

#include <algorithm>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <utility>

#include "archive/compress.h"
#include "dialogs/theme_bitmap.h"
#include "model/exceptions.h"
#include "model/install_file.h"
#include "model/net_location.h"
#include "model/symbolic_paths.h"
#include "platform/files.h"
#include "platform/system.h"
#include "routines/component_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"
#include "translate/translator.h"

namespace vantorel {
namespace {

TDateTime g_run_start = 0;

// A path in double quotes, for a command line.
std::string Quoted(const std::string& path) {
  std::string quoted(1, '"');
  quoted.append(path).push_back('"');
  return quoted;
}

// A zero-terminated text in a fixed-size field; the field's end ends it when no zero does.
std::string FixedText(const uint8_t* field, size_t size) {
  const uint8_t* end = std::find(field, field + size, uint8_t{0});
  return std::string(reinterpret_cast<const char*>(field), static_cast<size_t>(end - field));
}

}  // namespace

std::vector<std::string>& CommandLineParameters() {
  static std::vector<std::string> parameters;
  return parameters;
}

std::string& SetupProgramPath() {
  static std::string path;
  if (path.empty()) path = platform::GetModuleFileName();
  return path;
}

TDateTime RunStartTime() {
  return g_run_start;
}

TDateTime Now() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  std::tm* parts = std::localtime(&t);
  if (parts != nullptr) local = *parts;
  // Days from 1899-12-30 to the date, by the civil-from-days arithmetic.
  int y = local.tm_year + 1900, m = local.tm_mon + 1, d = local.tm_mday;
  y -= m <= 2;
  int era = (y >= 0 ? y : y - 399) / 400;
  int yoe = y - era * 400;
  int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  long days_since_1970 = era * 146097L + doe - 719468L;
  double days = static_cast<double>(days_since_1970 + 25569);
  return days + (local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) / 86400.0;
}

void TInstallInformation::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TInstallInformation*>(&source);
  if (other == nullptr) return TPersistent::Assign(source);
  CompanyName = other->CompanyName;
  ProductName = other->ProductName;
  Version = other->Version;
}

void TBuildInfo::Assign(const TPersistent& source) {
  auto* other = dynamic_cast<const TBuildInfo*>(&source);
  if (other == nullptr) return TPersistent::Assign(source);
  AppName = other->AppName;
  AppURL = other->AppURL;
  BuildDirectory = other->BuildDirectory;
  CredentialsFile = other->CredentialsFile;
  OCXName = other->OCXName;
  PrivateKeyFile = other->PrivateKeyFile;
  SignCode = other->SignCode;
  URLPath = other->URLPath;
}

// ---- construction ----------------------------------------------------------------------------

TCustomInstall::TCustomInstall(TComponent* owner) : TFileContainer(owner) {
  ClearSwitches();
  if (InstallComponent() != nullptr)
    throw IEInstall(
        "The TInstall component does not currently support the use of 2 TInstall components in "
        "the same project");
  // A project's root may be a form or a data module, as the form reader allows.
  if (dynamic_cast<TForm*>(owner) == nullptr && dynamic_cast<TDataModule*>(owner) == nullptr)
    throw IEInstall(
        "The Owner of the TInstall component must either be a class of type TCustomForm (Delphi "
        "3) or TForm (Delphi 2.0,C++Builder 1.0)");
  SetDestDir("\\MyApplication");
  StoreDestDirType(StandardPathSpecifiers().FindByClass<TpsProgramFiles>());
  StoreArchiveFileType(StandardPathSpecifiers().FindByClass<TpsMainArchiveFile>());
  SetGroupName("Main");
  SetAllowChoice(false);
  dialog_theme_bitmap_.SetData(LoadInstallThemeBitmap());
  SetInstallComponent(this);
  if (InDesignMode(this)) {
    CreateMainTranslator();
  } else {
    Application().OnException = [this](TObject* sender, Exception& e) {
      HandleException(sender, e);
    };
  }
}

TCustomInstall::~TCustomInstall() {
  if (!InDesignMode(this) && hook_installed_ && main_form_ != nullptr &&
      !main_form_->IsDestroying()) {
    main_form_->OnActivate = saved_on_activate_;
  }
  if (InstallComponent() == this) SetInstallComponent(nullptr);
  if (!InDesignMode(this)) Application().OnException = nullptr;
  // Quoted: the temporary folder may hold blanks ("Documents and Settings").
  if (batch_pending_ && !cleanup_batch_.empty())
    platform::StartProgram(Quoted(cleanup_batch_), false);
}

// A new project in a designer gets its translator with the install component. A project being
// read brings its own (later in the file, perhaps), so none is made then.
void TCustomInstall::CreateMainTranslator() {
  TComponent* owner = Owner();
  if (owner == nullptr || owner->IsLoading()) return;
  for (int i = 0; i < owner->ComponentCount(); ++i)
    if (dynamic_cast<TTranslator*>(owner->Components(i)) != nullptr) return;
  auto translator = std::make_unique<TTranslator>(owner);
  UniqueComponentName(*translator, "MainTranslator");
  created_translator_ = translator.release();
  created_translator_->FreeNotification(this);
}

// ---- properties ------------------------------------------------------------------------------

void TCustomInstall::SetAutoMaximizeWindow(bool v) {
  auto_maximize_window_ = v;
  if (!IsLoading() && v) hide_main_form_ = false;
}

void TCustomInstall::SetHideMainForm(bool v) {
  hide_main_form_ = v;
  if (!IsLoading() && v) auto_maximize_window_ = false;
}

void TCustomInstall::SetUseLoadingProgram(bool v) {
  use_loading_program_ = v;
  if (!IsLoading() && v) {
    SetArchiveFileType(StandardPathSpecifiers().FindByClass<TpsMainArchiveFile>());
    SetArchiveFile("");
  }
}

void TCustomInstall::SetPresetupFiles(const TStrings& v) {
  TStringList cleaned;
  for (const std::string& line : v)
    if (!Trim(line).empty()) cleaned.Add(line);
  presetup_files_.Assign(cleaned);
}

void TCustomInstall::SetDistributeType(TDistributeType v) {
  if (IsLoading()) {
    distribute_type_ = v;
    return;
  }
  if (!InDesignMode(this)) throw IEInstall("DistributeType can only be set at design-time");
  if (v != dtTraditional && NetLocation() == nullptr)
    throw IEInstallNetLocNil(
        "Must assign a net location via the NetLocation property before you can set the "
        "distribute type");
  distribute_type_ = v;
}

void TCustomInstall::SetNetLocation(TCustomNetInstallLocation* v) {
  TFileRelated::SetNetLocation(v);
  DefaultNetLocation() = v;
  if (v == nullptr) distribute_type_ = dtTraditional;
}

void TCustomInstall::Notification(TComponent* component, TOperation operation) {
  bool was_net_location = operation == opRemove && component == NetLocation();
  TFileContainer::Notification(component, operation);
  if (was_net_location) {
    if (DefaultNetLocation() == component) DefaultNetLocation() = nullptr;
  }
  if (operation == opRemove && component == main_form_) main_form_ = nullptr;
  if (operation == opRemove && component == created_translator_) created_translator_ = nullptr;
}

// ---- switches --------------------------------------------------------------------------------

int TCustomInstall::SwitchIndex(char sw) {
  char lower = static_cast<char>(sw >= 'A' && sw <= 'Z' ? sw - 'A' + 'a' : sw);
  for (int i = 0; i < 7; ++i)
    if (kSwitches[i] == lower) return i;
  return -1;
}

void TCustomInstall::ClearSwitches() {
  switch_given_.fill(false);
  for (auto& argument : switch_argument_) argument.clear();
}

bool TCustomInstall::HasSwitch(char sw) const {
  int i = SwitchIndex(sw);
  return i >= 0 && switch_given_[i];
}

std::string TCustomInstall::SwitchArgument(char sw) const {
  int i = SwitchIndex(sw);
  return i >= 0 ? switch_argument_[i] : std::string();
}

void TCustomInstall::ParseCommandLine() {
  ClearSwitches();
  for (const std::string& parameter : CommandLineParameters()) {
    int index = parameter.size() >= 2 && parameter[0] == '-' ? SwitchIndex(parameter[1]) : -1;
    if (index < 0)
      throw IException(
          "Invalid parameter <%s>. Valid command line parameters are: -b (Build), -d (Debug), -f "
          "(Transfer to floppies), -e (Called by self-extractor), -r (After reboot)",
          parameter);
    switch_given_[index] = true;
    switch_argument_[index] = parameter.substr(2);
  }
}

// ---- loading and the modes -------------------------------------------------------------------

void TCustomInstall::FindMainForm() {
  main_form_ = Application().MainForm();
  if (main_form_ == nullptr) main_form_ = dynamic_cast<TForm*>(Owner());
  if (main_form_ != nullptr) main_form_->FreeNotification(this);
}

void TCustomInstall::Loaded() {
  TFileContainer::Loaded();
  if (!InDesignMode(this)) {
    ParseCommandLine();
    if (HasSwitch('d') && (!HasSwitch('s') || Trim(SwitchArgument('s')).empty()))
      throw IEInstall(
          "You forgot to pass in the build directory. In Run | Parameters, follow this format: "
          "-d \"-sC:\\My Build\"");
  }
  source_directory_ =
      HasSwitch('s') ? SwitchArgument('s') : RemoveBackslash(ExtractFileDir(SetupProgramPath()));
  InstallRecordKey() = InDesignMode(this) ? std::string() : FindInstallRecord(false);
  std::string recorded = ReadLocalFileRecord();
  if (!recorded.empty()) SetLocalArchivePath(recorded);

  FindMainForm();
  if (main_form_ == nullptr && run_automatic_)
    throw IEInstall(
        "Application.MainForm is undefined and the TInstall is not on a form. Therefore, "
        "therefore the TInstall can't run the installation automatically");

  SetCurrentInstallType(itAlways);
  for (TInstallType type : {itDefault, itCompact, itFull, itCustom}) {
    if (InstallTypes().Contains(type)) {
      SetCurrentInstallType(type);
      break;
    }
  }

  if (InDesignMode(this)) {
    if (created_translator_ != nullptr) {
      TComponent* created = std::exchange(created_translator_, nullptr);
      created->Free();
    }
    return;
  }
  if (HasSwitch('b')) {
    BuildFromBuildInf();
  } else if (HasSwitch('f')) {
    TransferToFloppies("a:");
  } else if (HasSwitch('r')) {
    ResumeAfterReboot();
  } else if (main_form_ != nullptr) {
    saved_on_activate_ = main_form_->OnActivate;
    hook_installed_ = true;
    main_form_->OnActivate = [this](TObject* sender) { Activate(sender); };
    if (hide_main_form_) {
      main_form_->SetLeft(-2 * main_form_->Width());
      main_form_->SetTop(-2 * main_form_->Height());
    }
  }
}

void TCustomInstall::Activate(TObject* sender) {
  if (started_) return;
  if (saved_on_activate_) saved_on_activate_(sender);
  started_ = true;
  if (auto_maximize_window_ && main_form_ != nullptr) {
    main_form_->SetWindowState(wsMaximized);
    main_form_->Repaint();
  }
  if (run_automatic_) {
    if (main_form_ != nullptr && !IsDestroying()) {
      main_form_->OnActivate = saved_on_activate_;
      hook_installed_ = false;
    }
    RunInstallation();
  }
}

// ---- the run ---------------------------------------------------------------------------------

void TCustomInstall::RunInstallation() {
  g_run_start = Now();
  SelfRegistrationQueue().Clear();
  unfinished_count_ = 0;
  batch_pending_ = false;
  running_ = true;
  outcome_ = TInstallOutcome::None;

  if (use_loading_program_ && !HasSwitch('s'))
    throw IEInstall(
        "The path of the loading program was not passed correctly. If you are running your "
        "install project in the IDE, then you need to add two command line parameters. In Run | "
        "Parameters | \"Run Parameters\", type in: -d \"-sBUILDPATH\" where BUILDPATH is the path "
        "into which you built the distributables. Example: -d \"-sC:\\My Build\".");
  InstallRecordKey() = FindInstallRecord(true);
  ClearUnfinished();
  // The main archive lies inside the self-extracting file where its trailer says, else it is a
  // file of its own, read from its start.
  int32_t main_archive_offset = 0;
  if (HasSwitch('e')) {
    SelfExtractTrailer trailer;
    ReadSelfExtractTrailer(StandardPathSpecifiers().FindByClass<TpsMainArchiveFile>()->Expand(this),
                           trailer);
    main_archive_offset = trailer.files_first;
  }
  SharedArchiveEngine().SetOffset(main_archive_offset);
  ReadFileInformation();
  if (OnAfterInitialized) OnAfterInitialized(this);
  for (int code : {ccDialogPhaseStart, ccDialogPhase976, ccDialogPhase975, ccWelcomeNoManager,
                   ccDialogPhase981, ccDialogPhase977, ccBeforeInstallDialogs})
    BroadcastComponentCall(this, code, nullptr);
  {
    TSystemFolderCache folders;
    TUninstallRecordCache records;
    Process();
    for (int i = 0; i < SelfRegistrationQueue().Count(); ++i)
      SelfRegistrationQueue().Items(i)->Register();
  }
  if (unfinished_count_ > 0 || reboot_) RegisterRunOnce();
  bool reboot_decided = reboot_;
  if (reboot_decided) BroadcastComponentCall(this, ccReboot, nullptr);
  if (reboot_ && OnBeforeReboot) OnBeforeReboot(this, reboot_);
  if (reboot_) {
    SaveLanguage();
    RebootWindows();
    Application().Terminate();
  }
  if (reboot_decided) {
    outcome_ = TInstallOutcome::RestartPending;
    Application().Terminate();
    return;
  }
  EndGoodRun();
}

// The end of a run that did its work, also of the one after a restart.
void TCustomInstall::EndGoodRun() {
  NotifyGoodInstall();
  WriteCleanupBatch();
  RemoveInstallRecord();
  outcome_ = TInstallOutcome::Installed;
  if (run_automatic_) Shutdown();
  RunFilesAfterInstall();
  running_ = false;
}

void TCustomInstall::ReadFileInformation() {
  if (file_information_read_) return;
  if (OnBeforeReadArchiveInfo) OnBeforeReadArchiveInfo(this);
  BroadcastComponentCall(this, ccBeforeReadInfo, nullptr);
  {
    TCursorScope hourglass(crHourGlass, main_form_);
    PushStatusMessage("Reading file information...");
    struct Pop {
      TCustomInstall* self;
      ~Pop() { self->PopStatusMessage(); }
    } pop{this};
    ReadInfoFromArchive();
    if (distribute_type_ != dtTraditional) {
      std::string local = GetTempFile(false);
      struct Remove {
        std::string path;
        ~Remove() { platform::DeleteFile(path); }
      } remove{local};
      if (NetLocation() == nullptr)
        throw IEInstall("Cannot read the remote list of files: %s", local);
      NetLocation()->Download("filelist.lst", local);
      ApplyRemoteFileList(local);
    }
  }
  file_information_read_ = true;
  if (OnAfterReadArchiveInfo) OnAfterReadArchiveInfo(this);
  BroadcastComponentCall(this, ccAfterReadInfo, nullptr);
}

void ApplyRemoteFileList(const std::string& path) {
  platform::File file = platform::File::Open(path, platform::Access::Read, platform::kShareRead,
                                             platform::Disposition::OpenExisting);
  auto fail = [&] { return IEInstall("Cannot read the remote list of files: %s", path); };
  auto read_exact = [&](void* buffer, size_t size) {
    return file.IsOpen() && file.Read(buffer, size) == static_cast<int64_t>(size);
  };
  uint8_t count_bytes[4];
  if (!read_exact(count_bytes, 4)) throw fail();
  int32_t count = static_cast<int32_t>(count_bytes[0] | count_bytes[1] << 8 | count_bytes[2] << 16 |
                                       static_cast<uint32_t>(count_bytes[3]) << 24);
  for (int32_t i = 0; i < count; ++i) {
    uint8_t record[72];
    if (!read_exact(record, sizeof record)) throw fail();
    int32_t size = static_cast<int32_t>(record[0] | record[1] << 8 | record[2] << 16 |
                                        static_cast<uint32_t>(record[3]) << 24);
    uint64_t bits = 0;
    for (int b = 7; b >= 0; --b) bits = bits << 8 | record[4 + b];
    double date;
    static_assert(sizeof date == sizeof bits);
    std::memcpy(&date, &bits, sizeof date);
    std::string name = FixedText(record + 12, 40);
    std::string version = FixedText(record + 52, 20);
    for (TCustomInstallFile* f : AllInstallFiles()) {
      if (SameText(f->Name(), name)) {
        f->SetArchiveInformation(size, date, version);
        break;
      }
    }
  }
}

void TCustomInstall::NotifyGoodInstall() {
  if (OnBeforeNotifyGoodInstall) OnBeforeNotifyGoodInstall(this);
  BroadcastComponentCall(this, ccGoodInstallNoManager, nullptr);
  BroadcastComponentCall(this, ccAfterGoodInstall, nullptr);
  if (OnAfterNotifyGoodInstall) OnAfterNotifyGoodInstall(this);
}

void TCustomInstall::NotifyBadInstall() {
  if (OnBeforeNotifyBadInstall) OnBeforeNotifyBadInstall(this);
  BroadcastComponentCall(this, ccBadInstallNoManager, nullptr);
  BroadcastComponentCall(this, ccAfterBadInstall, nullptr);
  if (OnAfterNotifyBadInstall) OnAfterNotifyBadInstall(this);
}

void TCustomInstall::Shutdown() {
  bool quit_out = true;
  if (OnBeforeShutdown) OnBeforeShutdown(this, quit_out);
  if (quit_out) Application().Terminate();
}

bool TCustomInstall::QueryUserAbort() {
  bool quit_out = true;
  if (OnUserAbort) OnUserAbort(this, quit_out);
  return quit_out;
}

void TCustomInstall::RunFilesAfterInstall() {
  for (TCustomInstallFile* file :
       std::vector<TCustomInstallFile*>(AllInstallFiles().begin(), AllInstallFiles().end())) {
    if (!file->RunAfterInstall()) continue;
    bool default_action = true;
    if (OnBeforeRunFile) OnBeforeRunFile(this, file, default_action);
    if (default_action) platform::StartProgram(Quoted(file->InstalledPath()), true);
  }
}

void TCustomInstall::HandleException(TObject*, Exception& e) {
  if (!running_) {
    Application().ShowException(e);
    return;
  }
  running_ = false;
  try {
    if (dynamic_cast<EAIUserAbort*>(&e) != nullptr) {
      outcome_ = TInstallOutcome::Cancelled;
      NotifyBadInstall();
      WriteCleanupBatch();
      RemoveInstallRecord();
      if (run_automatic_) Shutdown();
    } else {
      outcome_ = TInstallOutcome::Failed;
      NotifyBadInstall();
      Application().ShowException(e);
      Shutdown();
    }
  } catch (...) {
    if (run_automatic_) Application().Terminate();
  }
}

void TCustomInstall::AddPresetupFile(const std::string& path, bool check_names) {
  if (check_names) {
    std::string name = ExtractFileName(path);
    for (const std::string& line : presetup_files_)
      if (SameText(ExtractFileName(line), name)) return;
  }
  presetup_files_.Add(path);
}

}  // namespace vantorel
