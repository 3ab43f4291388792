#pragma once
// File containers hold install files and sub containers and own an archive: files are compressed
// into it when a distribution is built and extracted from it when it is installed.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/classes.h"
#include "model/container.h"

namespace vantorel {

VANTOREL_ENUM(TCompressOption, coOnlyAdd, coRelative, coUnused2, coForceNetFilesLocal,
              coForceFilesNet, coIncludeAll);
using TCompressOptions = TSet<TCompressOption>;

class TFileStatusParameter;
class TDiskParameter;
class TVtrlCompress;

// The one archive engine of the process, made on first use. Its Abort flag is the run's cancel.
TVtrlCompress& SharedArchiveEngine();

// Where an object's net archives go below the build folder: host and directory of its location.
// Raises IEFileRel_NoNetLocation when no location serves it.
std::string NetPath(const TFileRelated* object);

class TFileContainer : public TFileRelated {
 public:
  explicit TFileContainer(TComponent* owner);
  ~TFileContainer() override;

  int RegisteredType() const override { return kRegFileContainer; }

  bool AllowChangeDir() const { return allow_change_dir_; }
  void SetAllowChangeDir(bool v) { allow_change_dir_ = v; }
  bool AllowChoice() const { return allow_choice_; }
  void SetAllowChoice(bool v) { allow_choice_ = v; }
  TStrings* Description() { return &description_; }
  const TStrings& DescriptionList() const { return description_; }
  virtual void SetDescription(const TStrings& v) { description_.Assign(v); }
  const std::string& GroupName() const { return group_name_; }
  void SetGroupName(const std::string& v) { group_name_ = v; }

  int InstallFileCount() const;
  TCustomInstallFile* InstallFiles(int index) const;
  bool HasNetFiles() const;

  virtual void NewDisk(TCustomInstallFile* install_file, TDiskParameter& disk);
  virtual void Replacing(TCustomInstallFile* install_file);
  virtual void Status(TCustomInstallFile* install_file, TFileStatusParameter& status);
  virtual int64_t SumSize(bool all, bool recursive) const;
  int64_t DirectSize(bool all) const { return SumSize(all, false); }
  int64_t TotalSize(bool all) const { return SumSize(all, true); }
  virtual void RunPhase(uint8_t phase);
  virtual void CopyFiles();
  virtual void FreeInstallFiles();
  virtual void Compress(TCompressOptions options);
  // The install files in the order Compress adds them (sub-containers first, as Compress takes
  // the objects), so that their deflate can be started ahead of it.
  void FilesInCompressionOrder(std::vector<TCustomInstallFile*>& files) const;
  virtual TCustomInstallFile* FindFileBySource(const std::string& path) const;
  virtual int64_t CompressedSize(bool all) const;
  virtual std::string GetLocalArchivePath();
  virtual void ReadInfoFromArchive();
  virtual void ReadFileInfo();
  virtual bool NeedsArchiveDownload() const;
  // Whether the last install phase ended with the engine's Abort flag set.
  bool WasAborted() const { return was_aborted_; }

  void InstallObjects() override;
  void DoInformationEventControl(TObject* sender, int code, TObject* po) override;

  // 0 idle, 1 compressing, 2 installing, 3 copying.
  uint8_t Phase() const { return phase_; }
  int32_t TotalSizeOfPhase() const { return total_; }
  int32_t Done() const { return done_; }

  TInstallFileStatusEvent OnStatus;
  TInstallFileNewDiskEvent OnNewDisk;
  TInstallFileNotifyEvent OnReplacing;
  TAfterInstallObjectsEvent OnAfterInstallObjects;
  TInstallContainerNotifyEvent OnBeforeInstallObjects;

 protected:
  void SetPhase(uint8_t v) { phase_ = v; }
  // Reports to the container above, if any.
  void NotifyParent(int code, TObject* po);
  void ProgressStep(TFileStatusParameter& status, TCustomInstallFile* file);
  void WholeFileStep(TCustomInstallFile* file);
  void CompressObject(TFileRelated* object, TCompressOptions options,
                      const std::string& archive_dir);

  int32_t total_ = 0;
  int32_t done_ = 0;

 private:
  bool allow_change_dir_ = true;
  bool allow_choice_ = true;
  TStringList description_;
  std::string group_name_;
  uint8_t phase_ = 0;
  bool was_aborted_ = false;
};

class TInstallFileGroup : public TFileContainer {
 public:
  explicit TInstallFileGroup(TComponent* owner);
  void AfterConstruction() override;
  // Drops (and destroys) the files whose source no longer exists.
  virtual void RemoveMissingFiles();
};

}  // namespace vantorel
