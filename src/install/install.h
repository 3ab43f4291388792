#pragma once
// The install component: the root of the install tree. It reads the command line, finds the
// install record of this setup file, and runs the install at the main form's first activation.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "archive/date_time.h"
#include "archive/self_extract.h"
#include "framework/application.h"
#include "model/file_container.h"

namespace vantorel {

class TCustomInstall;
class TCustomInstallFile;

class TInstallInformation : public TPersistent {
 public:
  std::string CompanyName = "My Company";
  std::string ProductName = "My product";
  std::string Version = "1.0";
  void Assign(const TPersistent& source) override;
};

class TBuildInfo : public TPersistent {
 public:
  std::string AppName;
  std::string AppURL;
  std::string BuildDirectory = "c:\\build";
  std::string CredentialsFile;
  std::string OCXName = "vtsetup";
  std::string PrivateKeyFile;
  bool SignCode = false;
  std::string URLPath;
  void Assign(const TPersistent& source) override;
};

using TRebootWindowsEvent = std::function<void(TCustomInstall* install, bool& continue_)>;
using TBeforeRunFileEvent = std::function<void(
    TCustomInstall* install, TCustomInstallFile* file_to_run, bool& default_action)>;
using TUserAbortEvent = std::function<void(TCustomInstall* install, bool& quit_out)>;
using TCleanupEvent = std::function<void(TCustomInstall* install, bool& continue_)>;

// How a run ended; the install program's exit status says the same.
enum class TInstallOutcome { None, Installed, Failed, Cancelled, RestartPending };

// The command-line switches, in the order of the switch set.
inline constexpr char kSwitches[] = {'b', 'f', 'd', 'e', 'r', 's', 'c'};

class TCustomInstall : public TFileContainer, public IInstallComponent {
 public:
  explicit TCustomInstall(TComponent* owner);
  ~TCustomInstall() override;

  void Loaded() override;
  virtual void RunInstallation();
  virtual void ParseCommandLine();
  virtual std::string FindInstallRecord(bool create);
  virtual void ReadFileInformation();
  virtual void NotifyGoodInstall();
  virtual void NotifyBadInstall();
  void Shutdown();
  virtual void RunFilesAfterInstall();
  virtual void HandleException(TObject* sender, Exception& e);
  bool QueryUserAbort() override;
  virtual void AddPresetupFile(const std::string& path, bool check_names);

  // The unfinished list and the install record.
  virtual void ClearUnfinished();
  void AddUnfinished(const std::string& subject, int code) override;
  virtual void ReadUnfinished(TStrings& list);
  virtual void RegisterRunOnce();
  std::string RunOnceCommand() const;
  virtual void WriteCleanupBatch();
  virtual void RemoveInstallRecord();
  void RebootWindows();
  void SaveLanguage();
  int RestoreLanguage();

  // Properties.
  bool AllowChangeDirInstall() const { return AllowChangeDir(); }
  bool AutoMaximizeWindow() const { return auto_maximize_window_; }
  void SetAutoMaximizeWindow(bool v);
  TBuildInfo* BuildInfo() { return &build_info_; }
  TPicture* DialogThemeBitmap() override { return &dialog_theme_bitmap_; }
  TDistributeType DistributeType() const override { return distribute_type_; }
  void SetDistributeType(TDistributeType v);
  bool HideMainForm() const { return hide_main_form_; }
  void SetHideMainForm(bool v);
  TInstallInformation* Information() { return &information_; }
  const TInstallInformation& InformationValue() const { return information_; }
  TCustomNetInstallLocation* NetLocation() const override { return TFileRelated::NetLocation(); }
  void SetNetLocation(TCustomNetInstallLocation* v) override;
  TStrings* PresetupFiles() { return &presetup_files_; }
  void SetPresetupFiles(const TStrings& v);
  bool Reboot() const { return reboot_; }
  void SetReboot(bool v) override { reboot_ = v; }
  bool RunAutomatic() const { return run_automatic_; }
  void SetRunAutomatic(bool v) { run_automatic_ = v; }
  bool UseLoadingProgram() const { return use_loading_program_; }
  void SetUseLoadingProgram(bool v);

  // IInstallComponent.
  TFileContainer* AsContainer() override { return this; }
  const std::string& SourceDirectory() const override { return source_directory_; }
  bool HasSwitch(char sw) const override;
  std::string SwitchArgument(char sw) const override;
  std::string ProductName() const override { return information_.ProductName; }
  std::string CompanyName() const override { return information_.CompanyName; }
  std::string ProductVersion() const override { return information_.Version; }
  bool Running() const override { return running_; }

  // The distribution: setup.exe and setup.1, the self-extracting file, the build (-b).
  virtual void CopyLoaderProgram(const std::string& build_dir, const std::string& program);
  virtual void CreateSetupArchive(const std::string& build_dir, const std::string& program);
  virtual void MakeSelfExtractingExe(const std::string& setup_exe, const std::string& setup_1,
                                     const std::string& files_1);
  virtual void Build(const std::string& program, const std::string& build_dir,
                     bool self_extracting);
  void Compress(TCompressOptions options) override;
  virtual void WriteRemoteFileList();
  // The blocks of 8 KB the last transfer to floppies wrote "setup.1" in.
  int FloppyBlocksOfSetup() const { return floppy_blocks_; }

  TForm* MainForm() const { return main_form_; }
  int UnfinishedCount() const { return unfinished_count_; }
  TInstallOutcome Outcome() const { return outcome_; }
  const std::string& CleanupBatchPath() const { return cleanup_batch_; }

  TNotifyEvent OnAfterInitialized;
  TNotifyEvent OnBeforeReadArchiveInfo;
  TNotifyEvent OnAfterReadArchiveInfo;
  TRebootWindowsEvent OnBeforeReboot;
  TNotifyEvent OnFailedReboot;
  TBeforeRunFileEvent OnBeforeRunFile;
  TUserAbortEvent OnBeforeShutdown;
  TCleanupEvent OnBeforeCleanup;
  TNotifyEvent OnBeforeNotifyGoodInstall;
  TNotifyEvent OnAfterNotifyGoodInstall;
  TNotifyEvent OnBeforeNotifyBadInstall;
  TNotifyEvent OnAfterNotifyBadInstall;
  TUserAbortEvent OnUserAbort;
  // Hooks of the build and the transfer to floppies; no form names them.
  TNotifyEvent OnBeforeCopyProgram, OnAfterCopyProgram;
  TNotifyEvent OnBeforeCreateSetupArchive, OnAfterCreateSetupArchive;
  TNotifyEvent OnBeforeSelfExtract, OnAfterSelfExtract;
  TNotifyEvent OnBeforeBuild, OnAfterBuild;
  TNotifyEvent OnFloppyProgress;

  void Notification(TComponent* component, TOperation operation) override;

 protected:
  // The other modes: each shows its error in a message box and ends the program.
  virtual void BuildFromBuildInf();
  virtual void TransferToFloppies(const std::string& target);
  // Asks for disk `disk` of a transfer to floppies; Cancel raises "Aborted by user".
  virtual void DiskPrompt(int disk);
  void ResumeAfterReboot() override;
  void Activate(TObject* sender);
  void FindMainForm();
  void CreateMainTranslator();

 private:
  void ClearSwitches();
  void RequireInstallRecord() const;
  void EndGoodRun();
  static int SwitchIndex(char sw);

  bool auto_maximize_window_ = true;
  TBuildInfo build_info_;
  TPicture dialog_theme_bitmap_;
  TDistributeType distribute_type_ = dtTraditional;
  bool hide_main_form_ = false;
  TInstallInformation information_;
  TStringList presetup_files_;
  bool reboot_ = false;
  bool run_automatic_ = true;
  bool use_loading_program_ = true;

  std::array<bool, 7> switch_given_{};
  std::array<std::string, 7> switch_argument_;
  std::string source_directory_;
  TForm* main_form_ = nullptr;
  TNotifyEvent saved_on_activate_;
  bool hook_installed_ = false;
  bool started_ = false;
  bool running_ = false;
  bool file_information_read_ = false;
  int unfinished_count_ = 0;
  std::string cleanup_batch_;
  bool batch_pending_ = false;
  TInstallOutcome outcome_ = TInstallOutcome::None;
  // The translator the constructor made for a new project in a designer.
  TComponent* created_translator_ = nullptr;
  int floppy_blocks_ = 0;
};

class TInstall : public TCustomInstall {
 public:
  using TCustomInstall::TCustomInstall;
};

// The command line the install component reads: the program's parameters without the program
// name. The entry point sets it; tests set their own.
std::vector<std::string>& CommandLineParameters();
// The path of the running setup program file (the module file); overridable for tests.
std::string& SetupProgramPath();

// The time the current run started (0 before any run), as written in LastRunDate.
TDateTime RunStartTime();
TDateTime Now();

// The batch that removes a temporary copy of the install program, `program`, with its folder once
// the program has ended, and then itself (`batch` is its own path). `nt` chooses the commands of
// the NT family over those of the 95 family.
std::string CleanupBatchText(const std::string& program, const std::string& batch, bool nt);

// Reads a remote file list ("filelist.lst") and gives each record's size, date and version to
// the install file of that name. Raises IEInstall when the file is short.
void ApplyRemoteFileList(const std::string& path);

// The compress options of a build, by the distribution type.
TCompressOptions BuildCompressOptions(TDistributeType type);
// Reads the trailer of a self-extracting file; IEInstall with the extraction-info message when
// the file is short, unreadable, or ends in no trailer whose positions fit inside it.
void ReadSelfExtractTrailer(const std::string& path, SelfExtractTrailer& trailer);
// Where the builder's programs (the loader) are taken from; when empty, the library directory
// the registry names. The native builder sets it.
std::string& LibraryDirectoryOverride();

}  // namespace vantorel
