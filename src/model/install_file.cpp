#include "model/install_file.h"

#include <algorithm>

#include "model/exceptions.h"
#include "routines/strings.h"

namespace vantorel {

TCustomInstallFile::TCustomInstallFile(TComponent* owner) : TFileRelated(owner) {
  SetNet(false);
  AllInstallFiles().Add(this);
}

TCustomInstallFile::~TCustomInstallFile() {
  AllInstallFiles().Remove(this);
  SelfRegistrationQueue().Remove(this);
}

void TCustomInstallFile::SetArchiveInformation(int32_t size, TDateTime date,
                                               const std::string& version) {
  size_ = size;
  file_date_ = date;
  version_ = version;
}

std::string TCustomInstallFile::InstalledPath() {
  return AddBackslash(GetFullDestDir()) + DestName();
}

TInstallFile::TInstallFile(TComponent* owner) : TCustomInstallFile(owner) {}

void TCustomInstallFileList::Add(TCustomInstallFile* file) {
  if (file == nullptr)
    throw IECustomInstallFileList("Cannot add a blank entry to the TCustomInstallFileList object");
  items_.push_back(file);
}

void TCustomInstallFileList::Remove(TCustomInstallFile* file) {
  auto it = std::find(items_.begin(), items_.end(), file);
  if (it != items_.end()) items_.erase(it);
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
