#include "model/file_container.h"

#include "framework/application.h"
#include "model/exceptions.h"
#include "model/install_file.h"
#include "model/parameters.h"

namespace vantorel {

TFileContainer::TFileContainer(TComponent* owner) : TFileRelated(owner) {}

TFileContainer::~TFileContainer() {
  FreeInstallFiles();
}

int TFileContainer::InstallFileCount() const {
  return CompCount<TCustomInstallFile>();
}

TCustomInstallFile* TFileContainer::InstallFiles(int index) const {
  return Comp<TCustomInstallFile>(index);
}

bool TFileContainer::HasNetFiles() const {
  for (int i = 0; i < InstallFileCount(); ++i)
    if (InstallFiles(i)->Net()) return true;
  return false;
}

void TFileContainer::NewDisk(TCustomInstallFile* install_file, TDiskParameter& disk) {
  std::string path = disk.Path;
  if (OnNewDisk) {
    OnNewDisk(install_file, disk.NewDisk, path);
    install_file->SetTag(1);
  }
  disk.Path = path;
}

void TFileContainer::Replacing(TCustomInstallFile* install_file) {
  if (OnReplacing) OnReplacing(install_file);
  BroadcastComponentCall(this, ccReplacing, install_file);
}

void TFileContainer::Status(TCustomInstallFile* install_file, TFileStatusParameter& status) {
  if (OnStatus) OnStatus(install_file, status.FilePercentDone, status.TotalPercentDone);
  BroadcastComponentCall(this, ccFileStatus, &status);
}

int64_t TFileContainer::SumSize(bool all, bool recursive) const {
  int64_t sum = 0;
  for (int i = 0; i < ObjectCount(); ++i) {
    TInstallObject* o = Objects(i);
    if (auto* file = dynamic_cast<TCustomInstallFile*>(o)) {
      if (all || file->WillInstall()) sum += file->Size();
    } else if (auto* container = dynamic_cast<TFileContainer*>(o); container && recursive) {
      if (all || container->WillInstall()) sum += container->TotalSize(all);
    }
  }
  return sum;
}

void TFileContainer::FreeInstallFiles() {
  FreeObjectsOfClass(TClassOf<TCustomInstallFile>());
}

std::string TFileContainer::GetLocalArchivePath() {
  std::string recorded = ReadLocalFileRecord();
  if (recorded.empty())
    throw IEFileContainer(
        "%s has not yet downloaded the archive file and therefore cannot retrieve the path of "
        "the archive file",
        Name());
  return recorded;
}

void TFileContainer::ReadInfoFromArchive() {
  TCursorScope hourglass(crHourGlass);
  for (int i = 0; i < InstallFileCount(); ++i) InstallFiles(i)->ReadInfoFromArchive();
  for (int i = 0; i < FileContainerCount(); ++i) FileContainers(i)->ReadInfoFromArchive();
  SetArchiveInfoRead(true);
}

bool TFileContainer::NeedsArchiveDownload() const {
  if (CurrentDistributeType() == dtTraditional) return false;
  for (int i = 0; i < InstallFileCount(); ++i) {
    TCustomInstallFile* file = InstallFiles(i);
    if (file->Net() && file->Include() && file->NetLocation() == nullptr) return true;
  }
  return false;
}

void TFileContainer::NotifyParent(int code, TObject* po) {
  if (Container() != nullptr) Container()->DoInformationEventControl(this, code, po);
}

void TFileContainer::InstallObjects() {
  phase_ = 2;
  struct PhaseReset {
    TFileContainer* self;
    ~PhaseReset() { self->phase_ = 0; }
  } reset{this};
  {
    TCursorScope hourglass(crHourGlass);
    std::string recorded = ReadLocalFileRecord();
    if (!recorded.empty()) SetLocalArchivePath(recorded);
    ReadInfoFromArchive();
    BroadcastComponentCall(this, ccBeforeInstallObjects, nullptr);
    NotifyParent(iePhaseBegin, this);
    total_ = static_cast<int32_t>(TotalSize(false));
    done_ = 0;
    if (OnBeforeInstallObjects) OnBeforeInstallObjects(this);
    TFileRelated::InstallObjects();
    NotifyParent(iePhaseEnd, this);
  }
  // The engine's abort flag arrives with the archive engine; until then nothing sets it.
  bool was_aborted = false;
  BroadcastComponentCall(this, ccPhaseEnd, nullptr);
  if (OnAfterInstallObjects) OnAfterInstallObjects(this, was_aborted);
}

void TFileContainer::ProgressStep(int, TObject*) {}

void TFileContainer::DoInformationEventControl(TObject* sender, int code, TObject* po) {
  // Reports only count inside a phase; outside one they go nowhere.
  if (phase_ == 0) return;
  if (Container() != nullptr) Container()->DoInformationEventControl(sender, code, po);
}

TInstallFileGroup::TInstallFileGroup(TComponent* owner) : TFileContainer(owner) {
  SetInstallable(true);
  SetInclude(true);
  SetGroupName("Unnamed File Group");
}

void TInstallFileGroup::AfterConstruction() {
  TFileContainer::AfterConstruction();
  // A group dropped on a project in design mode joins the install at once and is numbered.
  if (Container() != nullptr)
    SetGroupName("Group #" + std::to_string(Container()->FileContainerCount()));
}

}  // namespace vantorel
