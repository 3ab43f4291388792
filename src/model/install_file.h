#pragma once
// A single file of the install: where it comes from, where it goes and what it looked like in
// the archive.
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_types.h"
#include "archive/date_time.h"
#include "model/container.h"

namespace vantorel {

class TCustomInstallFile : public TFileRelated {
 public:
  explicit TCustomInstallFile(TComponent* owner);
  ~TCustomInstallFile() override;

  int RegisteredType() const override { return kRegInstallFile; }

  const std::string& FileName() const { return file_name_; }
  void SetFileName(const std::string& v) { file_name_ = v; }
  const std::string& IncludeFromDir() const { return include_from_dir_; }
  void SetIncludeFromDir(const std::string& v) { include_from_dir_ = v; }
  // The name at the destination; FileName when empty.
  std::string DestName() const { return dest_name_.empty() ? file_name_ : dest_name_; }
  const std::string& DestNameValue() const { return dest_name_; }
  void SetDestName(const std::string& v) { dest_name_ = v; }
  bool RunAfterInstall() const { return run_after_install_; }
  void SetRunAfterInstall(bool v) { run_after_install_ = v; }
  TOverwriteType OverwriteMode() const { return overwrite_mode_; }
  void SetOverwriteMode(TOverwriteType v) { overwrite_mode_ = v; }

  // What the archive (or the remote file list) says of the file.
  int32_t Size() const { return size_; }
  TDateTime FileDate() const { return file_date_; }
  const std::string& Version() const { return version_; }
  void SetArchiveInformation(int32_t size, TDateTime date, const std::string& version);

  // The path the file is installed at: its destination directory and DestName.
  std::string InstalledPath();

  virtual void ReadInfoFromArchive() {}

 private:
  std::string file_name_;
  std::string include_from_dir_;
  std::string dest_name_;
  bool run_after_install_ = false;
  TOverwriteType overwrite_mode_ = owAlways;
  int32_t size_ = 0;
  TDateTime file_date_ = 0;
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
TCustomInstallFileList& AllInstallFiles();
// The files whose self-registration failed during the run, registered again at its end.
TCustomInstallFileList& SelfRegistrationQueue();

}  // namespace vantorel
