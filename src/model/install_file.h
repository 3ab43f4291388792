#pragma once
// A single file of the install: where it comes from, where it goes, in which archive it
// travels, when an existing copy may be replaced and what is registered once it is in place.
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_types.h"
#include "archive/date_time.h"
#include "model/container.h"

namespace vantorel {

class TVtrlCompress;
class TCustomPathSpecifier;

VANTOREL_ENUM(TInstallFileType, iftNormal, iftJustADLL, iftApplicationSpecificDLL,
              iftVendorSharedDLL, iftSystemWideDLL);
VANTOREL_ENUM(TInstallFileState, ifsNone, ifsCompress, ifsInstall, ifsCopying);

// Install files number themselves for their archive entries; there are this many numbers.
inline constexpr int kMaxInstallFiles = 2000;

class TCustomInstallFile : public TFileRelated {
 public:
  explicit TCustomInstallFile(TComponent* owner);
  ~TCustomInstallFile() override;

  int RegisteredType() const override { return kRegInstallFile; }

  const std::string& FileName() const { return file_name_; }
  virtual void SetFileName(const std::string& v);
  const std::string& IncludeFromDir() const { return include_from_dir_; }
  virtual void SetIncludeFromDir(const std::string& v);
  // The name at the destination; FileName when empty.
  std::string DestName() const { return dest_name_.empty() ? file_name_ : dest_name_; }
  const std::string& DestNameValue() const { return dest_name_; }
  virtual void SetDestName(const std::string& v);
  bool ActiveX() const { return active_x_; }
  virtual void SetActiveX(bool v);
  TInstallFileType FileType() const { return file_type_; }
  virtual void SetFileType(TInstallFileType v);
  bool RegisterAsHelp() const { return register_as_help_; }
  void SetRegisterAsHelp(bool v) { register_as_help_ = v; }
  bool RunAfterInstall() const { return run_after_install_; }
  void SetRunAfterInstall(bool v) { run_after_install_ = v; }
  bool UpdateDLLCounter() const { return update_dll_counter_; }
  void SetUpdateDLLCounter(bool v) { update_dll_counter_ = v; }
  TOverwriteType OverwriteMode() const { return overwrite_mode_; }
  void SetOverwriteMode(TOverwriteType v) { overwrite_mode_ = v; }
  int32_t UniqueID() const { return unique_id_; }
  void SetUniqueID(int32_t v) { unique_id_ = v; }
  TInstallFileState State() const { return state_; }
  // Runs the operation of the state (compress, install, copy) and returns to ifsNone.
  virtual void SetState(TInstallFileState v);

  void SetContainer(TInstallContainer* v) override;
  void SetDestDir(const std::string& v) override;
  void SetDestDirType(TCustomPathSpecifier* v) override;

  // What the archive (or the source file, or the remote file list) says of the file.
  int32_t Size() const { return size_; }
  TDateTime FileDate() const { return file_date_; }
  const std::string& Version() const { return version_; }
  int32_t CompressedSize() const { return compressed_size_; }
  void SetArchiveInformation(int32_t size, TDateTime date, const std::string& version);
  uint8_t CompressedMarker() const { return compressed_marker_; }
  bool NetArchived() const { return net_archived_ != 0; }
  void SetNetArchived(bool v) { net_archived_ = v ? 1 : 0; }
  // A new build forgets that the file was compressed or archived for the net by an earlier one.
  void ClearBuildMarks() {
    compressed_marker_ = 0;
    net_archived_ = 0;
  }
  const std::string& LastArchivePath() const { return last_archive_path_; }

  bool TargetExisted() const { return target_existed_; }
  bool ReplacedAtReboot() const { return replaced_at_reboot_; }
  bool ShouldInstall() const { return should_install_; }

  std::string DestPath();
  std::string SourcePath() const;
  std::string InstalledPath() { return DestPath(); }
  bool NeedsOwnArchive() const;

  virtual void AbortRequested();
  virtual void RegisterServerDll();
  virtual void RegisterServerExe();
  void Register();
  virtual void PrepareReplace();
  virtual void CompressFile();
  virtual void CopyFile();
  virtual void ReadInfoFromArchive();
  virtual void ReadFileInfo();
  virtual bool HasOleSelfRegister();
  virtual bool IncrementSharedDLLCount();

  void InstallObjects() override;
  void WriteUninstallInfo(const std::string& key) override;
  std::string GetFullArchiveFile() override;
  void ResumeAfterReboot() override;
  void Loaded() override;
  // A file still waiting for its UniqueID takes one here, or is refused under its new name.
  void SetName(const std::string& name) override;

  TInstallFileNotifyEvent OnAfterCompress;
  TInstallFileNotifyEvent OnAfterCopy;
  TInstallFileNotifyEvent OnAfterInstall;
  TInstallFileNotifyEvent OnBeforeCompress;
  TInstallFileNotifyEvent OnBeforeCopy;
  TInstallFileNotifyEvent OnBeforeInstall;
  TInstallFileStatusEvent OnStatus;
  TInstallFileNewDiskEvent OnNewDisk;
  TInstallFileNotifyEvent OnReplacing;

 private:
  // The values the consistency rules work on: the current ones with one of them replaced.
  struct Settings {
    TInstallContainer* container;
    std::string include_from_dir, file_name, dest_name, dest_dir;
    TCustomPathSpecifier* dest_dir_type;
    TInstallFileType file_type;
    bool active_x;
  };
  Settings Current() const;
  void Apply(Settings s);

  void NotifyContainer(int code, TObject* po);
  void Extract(TVtrlCompress& engine);
  void AfterInstallSteps();
  void ReadInfoFrom(const std::string& archive_path);
  void AttachCallbacks(TVtrlCompress& engine);
  void ReportStatus(const TlzhFileStats& stats);
  std::string RequestDisk(int disk);
  void RequireDestination();
  void RequireArchive();
  // Takes the lowest free UniqueID; false when all are taken.
  bool TakeUniqueID();
  // Raises, naming the file by `name` (or its source when that is empty), when no UniqueID can
  // be taken.
  void RequireUniqueID(const std::string& name);

  bool target_existed_ = false;
  bool replaced_at_reboot_ = false;
  bool should_install_ = false;
  bool active_x_ = false;
  int32_t compressed_size_ = 0;
  uint8_t compressed_marker_ = 0;
  uint8_t net_archived_ = 0;
  std::string last_archive_path_;
  std::string replaced_dest_name_;  // the name a file in use keeps after the restart
  TDateTime file_date_ = 0;
  std::string dest_name_;
  std::string file_name_;
  TInstallFileType file_type_ = iftNormal;
  std::string include_from_dir_;
  TOverwriteType overwrite_mode_ = owAlways;
  bool register_as_help_ = false;
  bool run_after_install_ = false;
  int32_t size_ = 0;
  TInstallFileState state_ = ifsNone;
  int32_t unique_id_ = 0;
  bool numbered_ = false;  // unique_id_ is this file's own entry in the table
  bool update_dll_counter_ = false;
  std::string version_;
};

class TInstallFile : public TCustomInstallFile {
 public:
  explicit TInstallFile(TComponent* owner);
};

// A list of install files that owns none of them.
class TCustomInstallFileList {
 public:
  void Add(TCustomInstallFile* file);
  void Remove(TCustomInstallFile* file);
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  TCustomInstallFile* Items(int index) const { return items_.at(index); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<TCustomInstallFile*> items_;
};

// Every install file of the process, in creation order.
// While one lives, the uninstall records that install files write keep their key open and its
// count in memory from one entry to the next: a product of thousands of files writes thousands
// of entries, and each open, read and close is a round trip to the registry. Scopes nest.
class TUninstallRecordCache {
 public:
  TUninstallRecordCache();
  ~TUninstallRecordCache();
  TUninstallRecordCache(const TUninstallRecordCache&) = delete;
  TUninstallRecordCache& operator=(const TUninstallRecordCache&) = delete;
};

TCustomInstallFileList& AllInstallFiles();
// The files whose self-registration failed during the run, registered again at its end.
TCustomInstallFileList& SelfRegistrationQueue();
// Forgets every UniqueID taken (program start; tests).
void ResetUniqueIDs();

// The messages the install files raise with.
namespace install_file_message {
inline constexpr const char* kBlankDestination =
    "Cannot compress,copy, or install the following file because it's destination directory is "
    "blank. File is :%s";
inline constexpr const char* kBlankArchive =
    "Cannot either compress or decompress the following file because it's archive file property "
    "is blank. File is :%s";
inline constexpr const char* kNeedsFileContainer =
    "The following TInstallFile component %s requires the Container property to be a component "
    "descended from the TFileContainer component";
inline constexpr const char* kDuplicate = "There is already a file with the name :%s";
inline constexpr const char* kSourcePathTooLong =
    "%s cannot be compressed: the path of its source file, %s, is longer than 100 characters, "
    "and the install would not find the file in the archive. Keep the file in a folder with a "
    "shorter path";
inline constexpr const char* kTooManyFiles =
    "%s cannot be numbered: a project holds at most 2000 install files";
inline constexpr const char* kTooManyFilesBySource =
    "The install file of %s cannot be numbered: a project holds at most 2000 install files";
}  // namespace install_file_message

}  // namespace vantorel
