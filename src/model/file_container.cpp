#include "model/file_container.h"

#include <limits>
#include <memory>

#include "archive/compress.h"
#include "framework/application.h"
#include "model/exceptions.h"
#include "model/install_file.h"
#include "model/net_location.h"
#include "model/parameters.h"
#include "model/symbolic_paths.h"
#include "platform/files.h"
#include "routines/strings.h"

namespace vantorel {

namespace {

// Sets the phase for the length of a scope; the phase is idle again on every way out.
class PhaseScope {
 public:
  PhaseScope(uint8_t& phase, uint8_t value) : phase_(phase) { phase_ = value; }
  ~PhaseScope() { phase_ = 0; }
  PhaseScope(const PhaseScope&) = delete;
  PhaseScope& operator=(const PhaseScope&) = delete;

 private:
  uint8_t& phase_;
};

int32_t Checked32(int64_t value) {
  if (value > std::numeric_limits<int32_t>::max() || value < std::numeric_limits<int32_t>::min())
    throw Exception("Integer overflow");
  return static_cast<int32_t>(value);
}

}  // namespace

TVtrlCompress& SharedArchiveEngine() {
  static std::unique_ptr<TVtrlCompress> engine = std::make_unique<TVtrlCompress>(nullptr);
  return *engine;
}

std::string NetPath(const TFileRelated* object) {
  TCustomNetInstallLocation* location = object->FindNetLocation();
  if (location == nullptr)
    throw IEFileRel_NoNetLocation("Could not find a net install location for %s", object->Name());
  std::string host = CleanFileName(location->Hostname());
  if (!Trim(location->Directory()).empty())
    return host + "\\" + CleanFileName(location->Directory());
  return host + "\\" +
         (location->Protocol() == ipFTP ? "FTP Root directory" : "HTTP Root directory");
}

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

int64_t TFileContainer::CompressedSize(bool all) const {
  int64_t sum = 0;
  for (int i = 0; i < ObjectCount(); ++i) {
    TInstallObject* o = Objects(i);
    if (auto* file = dynamic_cast<TCustomInstallFile*>(o)) {
      if (all || file->WillInstall()) sum += file->CompressedSize();
    } else if (auto* container = dynamic_cast<TFileContainer*>(o)) {
      if (all || container->WillInstall()) sum += container->CompressedSize(all);
    }
  }
  return sum;
}

TCustomInstallFile* TFileContainer::FindFileBySource(const std::string& path) const {
  for (int i = 0; i < InstallFileCount(); ++i) {
    TCustomInstallFile* file = InstallFiles(i);
    if (SameText(AddBackslash(file->IncludeFromDir()) + file->FileName(), path)) return file;
  }
  return nullptr;
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

void TFileContainer::ReadFileInfo() {
  TCursorScope hourglass(crHourGlass);
  for (int i = 0; i < InstallFileCount(); ++i) InstallFiles(i)->ReadFileInfo();
  for (int i = 0; i < FileContainerCount(); ++i) FileContainers(i)->ReadFileInfo();
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

void TFileContainer::RunPhase(uint8_t phase) {
  PhaseScope scope(phase_, phase_);
  switch (phase) {
    case 1:
      Compress({});
      break;
    case 2:
      Process();
      break;
    case 3:
      CopyFiles();
      break;
    default:
      break;
  }
}

void TFileContainer::InstallObjects() {
  {
    PhaseScope scope(phase_, 2);
    {
      TCursorScope hourglass(crHourGlass);
      std::string recorded = ReadLocalFileRecord();
      if (!recorded.empty()) SetLocalArchivePath(recorded);
      ReadInfoFromArchive();
      BroadcastComponentCall(this, ccBeforeInstallObjects, nullptr);
      NotifyParent(iePhaseBegin, this);
      total_ = Checked32(TotalSize(false));
      done_ = 0;
      if (OnBeforeInstallObjects) OnBeforeInstallObjects(this);
      TFileRelated::InstallObjects();
      NotifyParent(iePhaseEnd, this);
    }
    // The engine kept the archive open from file to file; the phase is over.
    SharedArchiveEngine().ReleaseArchive();
    was_aborted_ = SharedArchiveEngine().Abort();
    BroadcastComponentCall(this, ccPhaseEnd, nullptr);
    if (OnAfterInstallObjects) OnAfterInstallObjects(this, was_aborted_);
  }
}

void TFileContainer::CopyFiles() {
  phase_ = 3;
  try {
    if (OnBeforeProcess) OnBeforeProcess(this);
    if (Include()) {
      NotifyParent(iePhaseBegin, this);
      ReadFileInfo();
      total_ = Checked32(TotalSize(false));
      done_ = 0;
      for (int i = 0; i < InstallFileCount(); ++i) InstallFiles(i)->CopyFile();
      for (int i = 0; i < FileContainerCount(); ++i) FileContainers(i)->CopyFiles();
      if (OnAfterProcess) OnAfterProcess(this);
      NotifyParent(iePhaseEnd, this);
    }
  } catch (...) {
    phase_ = 0;
    BroadcastComponentCall(this, ccPhaseEnd, nullptr);
    throw;
  }
  phase_ = 0;
  BroadcastComponentCall(this, ccPhaseEnd, nullptr);
}

void TFileContainer::Compress(TCompressOptions options) {
  if (options.Contains(coForceNetFilesLocal) && options.Contains(coForceFilesNet))
    throw IEFileContainer("Cannot pass both coForceNetFilesLocal and coForceFilesNet to Compress");
  phase_ = 1;
  bool ended = false;
  auto end = [&] {
    if (ended) return;
    ended = true;
    phase_ = 0;
    BroadcastComponentCall(this, ccPhaseEnd, nullptr);
  };
  try {
    if (OnBeforeProcess) OnBeforeProcess(this);
    if (!Include()) {
      end();
      return;
    }
    NotifyParent(iePhaseBegin, this);
    ReadFileInfo();
    total_ = Checked32(TotalSize(options.Contains(coIncludeAll)));
    done_ = 0;

    std::string archive_dir = RemoveBackslash(ExtractFileDir(GetFullArchiveFile()));
    try {
      SetLocalArchivePath(archive_dir + "\\" + NetPath(this) + "\\" + Name() + ".1");
    } catch (const IEFileRel_NoNetLocation&) {
      if (!options.Contains(coForceNetFilesLocal)) throw;
    }
    auto remove = [this](const std::string& path) {
      if (platform::FileExists(path) && !platform::DeleteFile(path))
        throw IEFileContainer("%s cannot delete the archive file %s", Name(), path);
    };
    if (AddToArchive() == lzcOverwrite) remove(ChangeFileExt(GetFullArchiveFile(), ".1"));
    if ((HasNetFiles() || (options.Contains(coForceFilesNet) && InstallFileCount() > 0)) &&
        !LocalArchivePath().empty())
      remove(LocalArchivePath());

    for (int i = 0; i < ObjectCount(); ++i)
      if (auto* object = dynamic_cast<TFileRelated*>(Objects(i)))
        CompressObject(object, options, archive_dir);

    if (OnAfterProcess) OnAfterProcess(this);
    NotifyParent(iePhaseEnd, this);
  } catch (...) {
    phase_ = 0;
    ended = true;
    BroadcastComponentCall(this, ccPhaseEnd, nullptr);
    throw;
  }
  end();
}

void TFileContainer::FilesInCompressionOrder(std::vector<TCustomInstallFile*>& files) const {
  for (int i = 0; i < ObjectCount(); ++i) {
    if (auto* container = dynamic_cast<TFileContainer*>(Objects(i)))
      container->FilesInCompressionOrder(files);
    else if (auto* file = dynamic_cast<TCustomInstallFile*>(Objects(i)))
      files.push_back(file);
  }
}

void TFileContainer::CompressObject(TFileRelated* object, TCompressOptions options,
                                    const std::string& archive_dir) {
  // Compress re-points the object's archive for this build only; what the project says is put
  // back however the object's compression ends.
  struct Saved {
    TFileRelated* object;
    TlzhCommand add_to_archive;
    std::string archive_file;
    TCustomPathSpecifier* archive_file_type;
    bool include;
    ~Saved() {
      object->SetAddToArchive(add_to_archive);
      object->RestoreArchive(archive_file_type, archive_file);
      object->SetInclude(include);
    }
  } saved{object, object->AddToArchive(), object->ArchiveFile(), object->ArchiveFileType(),
          object->Include()};

  if (options.Contains(coIncludeAll)) object->SetInclude(true);
  auto* file = dynamic_cast<TCustomInstallFile*>(object);
  bool is_net = file != nullptr && !options.Contains(coForceNetFilesLocal) &&
                (file->Net() || options.Contains(coForceFilesNet));
  if (is_net) {
    object->SetArchiveFileType(nullptr);
    if (object->NetLocation() != nullptr) {
      object->SetAddToArchive(lzcOverwrite);
      object->SetArchiveFile(archive_dir + "\\" + NetPath(object) + "\\" + object->Name() + ".1");
    } else {
      object->SetAddToArchive(lzcOnlyAdd);
      object->SetArchiveFile(file->NeedsOwnArchive() ? archive_dir + "\\" + NetPath(object) + "\\" +
                                                           object->Name() + ".1"
                                                     : LocalArchivePath());
    }
    file->SetNetArchived(true);
  } else if (options.Contains(coOnlyAdd)) {
    object->SetAddToArchive(lzcOnlyAdd);
    object->SetArchiveFileType(nullptr);
    object->SetArchiveFile("");
  } else if (options.Contains(coRelative) &&
             dynamic_cast<TpsContainerArchiveFile*>(object->ArchiveFileType()) != nullptr) {
    object->SetAddToArchive(lzcOnlyAdd);
  } else if (dynamic_cast<TpsContainerArchiveFile*>(object->ArchiveFileType()) != nullptr) {
    object->SetAddToArchive(lzcOnlyAdd);
  } else if (dynamic_cast<TpsInstallSource*>(object->ArchiveFileType()) != nullptr) {
    IInstallComponent* install = InstallComponent();
    std::string main_archive =
        install != nullptr ? install->AsContainer()->GetFullArchiveFile() : GetFullArchiveFile();
    std::string file_name = object->ArchiveFile();
    object->SetArchiveFileType(nullptr);
    object->SetArchiveFile(RemoveBackslash(ExtractFileDir(main_archive)) + file_name);
    object->SetAddToArchive(lzcOverwrite);
  } else if (options.Contains(coRelative)) {
    std::string without_drive;
    AfterColon(object->GetFullArchiveFile(), without_drive);
    object->SetArchiveFileType(nullptr);
    object->SetArchiveFile(archive_dir + without_drive);
    object->SetAddToArchive(lzcOverwrite);
  }

  if (auto* container = dynamic_cast<TFileContainer*>(object))
    container->Compress(options);
  else if (file != nullptr)
    file->SetState(ifsCompress);
}

void TFileContainer::ProgressStep(TFileStatusParameter& status, TCustomInstallFile* file) {
  status.TotalBytesDone = Checked32(static_cast<int64_t>(done_) + status.BytesDone);
  status.TotalPercentDone = PercentOf(status.TotalBytesDone, total_);
  Status(file, status);
  if (status.EngineStatus.FileDone && phase_ >= 1 && phase_ <= 3)
    done_ = Checked32(static_cast<int64_t>(done_) + status.EngineStatus.FileSize);
}

void TFileContainer::WholeFileStep(TCustomInstallFile* file) {
  TFileStatusParameter status;
  status.BytesDone = file->Size();
  status.FilePercentDone = 100;
  status.FileName = file->FileName();
  status.TotalBytesDone = Checked32(static_cast<int64_t>(done_) + file->Size());
  status.TotalPercentDone = PercentOf(status.TotalBytesDone, total_);
  Status(file, status);
  done_ = Checked32(static_cast<int64_t>(done_) + file->Size());
}

void TFileContainer::DoInformationEventControl(TObject* sender, int code, TObject* po) {
  // Reports only count inside a phase; outside one they go nowhere.
  if (phase_ == 0) return;
  if (po == nullptr) throw IEFileContainer("%s got a nil PO parameter", Name());
  auto as_list = [](TObject* p) {
    auto* list = dynamic_cast<TParameterList*>(p);
    if (list == nullptr)
      throw IEFileContainer("DoInformationEventControl--PO is not a TList object");
    if (list->Count() < 2)
      throw IEFileContainer("DoInformationEventControl--Not engouh parameters for status event");
    return list;
  };
  switch (code) {
    case ieReplacing: {
      auto* file = dynamic_cast<TCustomInstallFile*>(po);
      if (file == nullptr)
        throw IEFileContainer("DoInformationEventControl parameter is not TInstallFile");
      Replacing(file);
      break;
    }
    case ieExtractProgress:
    case ieCompressProgress:
    case ieCopyProgress: {
      TParameterList* list = as_list(po);
      auto* file = dynamic_cast<TCustomInstallFile*>(list->Items(0));
      if (file == nullptr)
        throw IEFileContainer("DoInformationEventControl says bad first parameter");
      auto* status = dynamic_cast<TFileStatusParameter*>(list->Items(1));
      if (status == nullptr)
        throw IEFileContainer("DoInformationEventControl says bad second parameter");
      ProgressStep(*status, file);
      break;
    }
    case ieNewDisk: {
      TParameterList* list = as_list(po);
      auto* file = dynamic_cast<TCustomInstallFile*>(list->Items(0));
      if (file == nullptr)
        throw IEFileContainer("DoInformationEventControl says bad %d parameter", 1);
      auto* disk = dynamic_cast<TDiskParameter*>(list->Items(1));
      if (disk == nullptr)
        throw IEFileContainer("DoInformationEventControl says bad %d parameter", 2);
      NewDisk(file, *disk);
      BroadcastComponentCall(this, ccNewDisk, list);
      break;
    }
    case ieDataReceived: {
      auto* download = dynamic_cast<TDownloadStatusParameter*>(po);
      if (download == nullptr)
        throw IEFileContainer("The PO object passed to %s is not a TDownloadStatusParameter object",
                              Name());
      if (OnDataReceived)
        OnDataReceived(this, download->FileName, download->Bytes, download->TotalBytes,
                       download->FileSize, nullptr);
      BroadcastComponentCall(this, ccDownloadStatus, download);
      break;
    }
    case ieSkipped:
    case ieHandledWithoutCopy: {
      auto* file = dynamic_cast<TCustomInstallFile*>(po);
      if (file == nullptr)
        throw IEFileContainer("DoInformationEventControl says bad first parameter");
      WholeFileStep(file);
      break;
    }
    default:
      break;
  }
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

void TInstallFileGroup::RemoveMissingFiles() {
  for (int i = InstallFileCount() - 1; i >= 0; --i) {
    TCustomInstallFile* file = InstallFiles(i);
    if (!platform::FileExists(file->IncludeFromDir() + "\\" + file->FileName())) {
      RemoveObject(file);
      delete file;
    }
  }
}

}  // namespace vantorel
