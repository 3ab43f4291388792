#include "model/container.h"

#include <algorithm>

#include "framework/forms.h"
#include "model/exceptions.h"
#include "model/file_container.h"
#include "model/install_file.h"
#include "model/net_location.h"
#include "model/parameters.h"
#include "model/symbolic_paths.h"
#include "platform/files.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"

namespace vantorel {
namespace {

IInstallComponent* g_install = nullptr;

bool OwnerIsFormOrModule(const TComponent* owner) {
  return dynamic_cast<const TForm*>(owner) != nullptr ||
         dynamic_cast<const TDataModule*>(owner) != nullptr;
}

// Whether the specifier is of class T (or a descendant).
template <class T>
bool Is(const TCustomPathSpecifier* specifier) {
  return dynamic_cast<const T*>(specifier) != nullptr;
}

}  // namespace

// ---- TInstallContainer -----------------------------------------------------------------------

TInstallContainer::TInstallContainer(TComponent* owner) : TComponent(owner) {
  if (OwnerIsFormOrModule(owner)) StandardPathSpecifiers().EnsureStandardSpecifiers(owner, true);
  ContainerList().Add(this);
}

TInstallContainer::~TInstallContainer() {
  // Every other container forgets this one while the pointers still mean something (dialogs
  // and their managers refer to each other outside the object lists).
  for (TInstallContainer* holder : holders_) std::erase(holder->objects_, this);
  ++objects_changes_;
  holders_.clear();
  for (TInstallObject* o : objects_) std::erase(o->holders_, this);
  // Objects forget their Container through the free notification; only the few containers
  // that keep other pointers are told here. Telling every container made destroying a form of
  // N containers cost N * N.
  auto& watchers = DestructionWatchers();
  std::erase(watchers, this);
  for (size_t i = watchers.size(); i-- > 0;) {
    if (i < watchers.size()) watchers[i]->ContainerDestroying(this);
  }
  ContainerList().Remove(this);
}

std::vector<TInstallContainer*>& TInstallContainer::DestructionWatchers() {
  static std::vector<TInstallContainer*> watchers;
  return watchers;
}

void TInstallContainer::WatchContainerDestruction() {
  auto& watchers = DestructionWatchers();
  if (std::find(watchers.begin(), watchers.end(), this) == watchers.end()) watchers.push_back(this);
}

int TInstallContainer::RegisteredType() const {
  throw IEInstallContainer("Class must declare a registered type");
}

int TInstallContainer::FileContainerCount() const {
  return CompCount<TFileContainer>();
}

TFileContainer* TInstallContainer::FileContainers(int index) const {
  return Comp<TFileContainer>(index);
}

TInstallObject* TInstallContainer::Objects(int index) const {
  if (index < 0 || index >= ObjectCount())
    throw IEInstallContainer(
        "Tried to reference a helper component in the following component: %s. The following "
        "index was used: %d",
        Name(), index);
  return objects_[index];
}

int TInstallContainer::CompCount(const TClass* component_type) const {
  if (last_count_.type != component_type || last_count_.changes != objects_changes_) {
    last_count_ = {component_type, objects_changes_,
                   static_cast<int>(std::count_if(
                       objects_.begin(), objects_.end(),
                       [&](TInstallObject* o) { return o->InheritsFrom(component_type); })),
                   0};
  }
  return last_count_.value;
}

TInstallObject* TInstallContainer::Comp(int index, const TClass* component_type) const {
  int seen = 0;
  size_t from = 0;
  if (last_comp_.type == component_type && last_comp_.changes == objects_changes_ &&
      last_comp_.value >= 0 && last_comp_.value <= index) {
    seen = last_comp_.value;
    from = last_comp_.position;
  }
  for (size_t p = from; p < objects_.size(); ++p) {
    TInstallObject* o = objects_[p];
    if (!o->InheritsFrom(component_type)) continue;
    if (seen == index) {
      last_comp_ = {component_type, objects_changes_, index, p};
      return o;
    }
    ++seen;
  }
  throw IEInstallContainer(
      "Bad call to the Comp procedure which returns a TInstallObject for a TInstallContainer "
      "component. The parameters are probably reversed. Index: %d, ComponentType: %s",
      index, component_type ? component_type->ClassName() : std::string("nil"));
}

void TInstallContainer::FreeObjectsOfClass(const TClass* component_type) {
  for (int i = ObjectCount() - 1; i >= 0; --i) {
    if (i >= ObjectCount()) continue;  // freeing one may have removed others
    TInstallObject* o = objects_[i];
    if (o->InheritsFrom(component_type)) o->Free();
  }
}

// Upward through the Container links and through every list that holds a container on the way:
// a group that the install component adopted without a Container link holds it all the same,
// and a loop of lists would make Process recurse without end.
bool TInstallContainer::HeldBy(const TInstallContainer* candidate) const {
  std::vector<const TInstallContainer*> pending{this};
  std::vector<const TInstallContainer*> seen{this};
  auto visit = [&](const TInstallContainer* c) {
    if (c == nullptr || std::find(seen.begin(), seen.end(), c) != seen.end()) return;
    seen.push_back(c);
    pending.push_back(c);
  };
  while (!pending.empty()) {
    const TInstallContainer* c = pending.back();
    pending.pop_back();
    if (c != this && c == candidate) return true;
    if (auto* as_object = dynamic_cast<const TInstallObject*>(c)) visit(as_object->Container());
    for (const TInstallContainer* holder : c->holders_) visit(holder);
  }
  return false;
}

void TInstallContainer::AddObject(TInstallObject* obj) {
  if (obj == nullptr)
    throw IEInstallContainer("Cannot add a blank base helper component to %s", Name());
  if (obj == this) throw IEInstallContainer("Circular reference");
  if (HeldBy(obj)) throw IEInstallContainer("Circular reference");
  int reg = obj->RegisteredType();
  int order = obj->Order();
  // Before the first object of a greater type, or before the first of its own type whose
  // Order is not less than its own (when it has one).
  auto goes_before = [&](const TInstallObject* o) {
    int other = o->RegisteredType();
    return reg < other || (reg == other && order != -1 && o->Order() >= order);
  };
  size_t position = objects_.size();
  if (sorted_by_type_) {
    // Only the objects of its own type need looking at, and none of them when no Order here
    // reaches its own: a project of thousands of files is read in n log n.
    auto lo = std::partition_point(objects_.begin(), objects_.end(), [&](const TInstallObject* o) {
      return o->RegisteredType() < reg;
    });
    auto hi = std::partition_point(
        lo, objects_.end(), [&](const TInstallObject* o) { return o->RegisteredType() <= reg; });
    if (order != -1 && order <= max_order_) hi = std::find_if(lo, hi, goes_before);
    position = static_cast<size_t>(hi - objects_.begin());
  } else {
    auto it = std::find_if(objects_.begin(), objects_.end(), goes_before);
    position = static_cast<size_t>(it - objects_.begin());
  }
  if (SameText(obj->ClassName(), "TINSTALLBDE")) position = 0;
  objects_.insert(objects_.begin() + static_cast<long>(position), obj);
  ++objects_changes_;
  if ((position > 0 && objects_[position - 1]->RegisteredType() > reg) ||
      (position + 1 < objects_.size() && objects_[position + 1]->RegisteredType() < reg))
    sorted_by_type_ = false;
  max_order_ = std::max(max_order_, order);
  obj->holders_.push_back(this);
  if (!IsLoading()) Renumber();
}

void TInstallContainer::RemoveObject(TInstallObject* obj) {
  if (obj == nullptr) return;
  // From the back: a form is destroyed from its last component.
  auto it = std::find(objects_.rbegin(), objects_.rend(), obj);
  if (it == objects_.rend()) return;
  objects_.erase(std::next(it).base());
  ++objects_changes_;
  if (auto held = std::find(obj->holders_.begin(), obj->holders_.end(), this);
      held != obj->holders_.end())
    obj->holders_.erase(held);
  if (!IsLoading() && !IsDestroying()) Renumber();
}

void TInstallContainer::Renumber() {
  int counter = 0;
  int previous = 0;
  for (size_t i = 0; i < objects_.size(); ++i) {
    int reg = objects_[i]->RegisteredType();
    if (i == 0 || reg != previous) counter = 0;
    previous = reg;
    objects_[i]->StoreOrder(counter++);
  }
}

void TInstallContainer::ContainerDestroying(TInstallContainer* dying) {
  auto it = std::find(objects_.rbegin(), objects_.rend(), dying);
  if (it != objects_.rend()) {
    objects_.erase(std::next(it).base());
    ++objects_changes_;
  }
}

bool TInstallContainer::TypeSelected() const {
  return current_install_type_ == itAlways || current_install_type_ == itCustom ||
         install_types_.Contains(itAlways) || install_types_.Contains(current_install_type_);
}

bool TInstallContainer::WillInstall() const {
  return include_ && TypeSelected();
}

void TInstallContainer::Process() {
  try {
    if (OnBeforeProcess) OnBeforeProcess(this);
    BroadcastComponentCall(this, ccProcessStart, nullptr);
    if (!include_) return;
    BroadcastComponentCall(this, ccIncluded, nullptr);
    if (!TypeSelected()) return;
    InstallObjects();
    processed_ = true;
    if (IInstallComponent* install = InstallComponent())
      WriteUninstallInfo("\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                         install->ProductName());
    if (OnAfterProcess) OnAfterProcess(this);
    BroadcastComponentCall(this, ccProcessEnd, nullptr);
  } catch (const EAbort&) {
    // The user's cancel ends this container quietly; the engine's abort flag tells the rest.
  }
}

void TInstallContainer::InstallObjects() {
  processed_ = true;
  int count = ObjectCount();
  for (int i = 0; i < count; ++i) {
    TInstallObject* o = Objects(i);
    if (o->Installable()) o->Process();
  }
}

void TInstallContainer::BroadcastComponentCall(TInstallContainer* container, int component_call,
                                               TObject* po) {
  // Only dialogs hear a call. The objects are kept in order of their type, so the dialogs' run
  // is found by halving instead of by asking each of a project's thousands of files, for every
  // file's every report.
  int first = 0, last = ObjectCount();
  if (sorted_by_type_) {
    auto lo = std::partition_point(objects_.begin(), objects_.end(), [](const TInstallObject* o) {
      return o->RegisteredType() < kRegDialog;
    });
    auto hi = std::partition_point(lo, objects_.end(), [](const TInstallObject* o) {
      return o->RegisteredType() <= kRegDialog;
    });
    first = static_cast<int>(lo - objects_.begin());
    last = static_cast<int>(hi - objects_.begin());
  }
  // A handler may change the list; what is still there is asked, as before.
  for (int i = first; i < last && i < ObjectCount(); ++i) {
    TInstallObject* o = Objects(i);
    if (o->RegisteredType() == kRegDialog) o->HandleComponentCall(container, component_call, po);
  }
}

void TInstallContainer::PushStatusMessage(const std::string& text) {
  TMessageParameter message;
  message.MessageText = text;
  BroadcastComponentCall(this, ccPushStatus, &message);
}

void TInstallContainer::PopStatusMessage() {
  BroadcastComponentCall(this, ccPopStatus, nullptr);
}

void TInstallContainer::DoInformationEventControl(TObject*, int, TObject*) {}

void TInstallContainer::HandleComponentCall(TInstallContainer*, int, TObject*) {}

void TInstallContainer::SetCurrentInstallType(TInstallType type) {
  for (TInstallObject* o : objects_) o->SetCurrentInstallType(type);
  current_install_type_ = type;
}

void TInstallContainer::SetInstallTypes(TInstallTypeSet v) {
  if (v.Empty()) {
    v = {itAlways};
  } else if (v.Contains(itAlways) && !install_types_.Contains(itAlways)) {
    v = {itAlways};
  } else if (v.Contains(itAlways) && !(v - TInstallTypeSet{itAlways}).Empty()) {
    v.Exclude(itAlways);
  }
  install_types_ = v;
}

void TInstallContainer::SetDestDir(const std::string& v) {
  dest_dir_ = v;
}

void TInstallContainer::SetDestDirType(TCustomPathSpecifier* v) {
  dest_dir_type_assigned_ = true;
  if (!IsLoading() && v != nullptr) v->Validate(this);
  dest_dir_type_ = v;
  if (v != nullptr) v->FreeNotification(this);
}

void TInstallContainer::SetOrder(int v) {
  StoreOrder(v);
}

void TInstallContainer::StoreOrder(int v) {
  order_ = v;
  for (TInstallContainer* holder : holders_) holder->max_order_ = std::max(holder->max_order_, v);
}

void TInstallContainer::StoreDestDirType(TCustomPathSpecifier* v) {
  dest_dir_type_ = v;
  if (v != nullptr) v->FreeNotification(this);
}

std::string TInstallContainer::GetFullDestDir() {
  std::string result = dest_dir_type_ ? dest_dir_type_->Expand(this) + dest_dir_ : dest_dir_;
  return RemoveBackslash(result);
}

void TInstallContainer::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == dest_dir_type_) dest_dir_type_ = nullptr;
}

void TInstallContainer::Loaded() {
  TComponent::Loaded();
}

// ---- TInstallObject --------------------------------------------------------------------------

TInstallObject::TInstallObject(TComponent* owner) : TInstallContainer(owner) {}

void TInstallObject::AfterConstruction() {
  TInstallContainer::AfterConstruction();
  IInstallComponent* install = InstallComponent();
  if (!InDesignMode(this) || install == nullptr || install->AsContainer() == this) return;
  TFileContainer* container = install->AsContainer();
  container->AddObject(this);
  container_ = container;
  container->FreeNotification(this);
  SetDestDirType(StandardPathSpecifiers().FindByClass<TpsContainerDestDir>());
  SetDestDir("");
  default_container_pending_ = true;
  default_dest_dir_type_pending_ = true;
}

// Leaving the container's list happens in the base destructor, through ContainerDestroying.
TInstallObject::~TInstallObject() = default;

void TInstallObject::SetContainer(TInstallContainer* v) {
  container_assigned_ = true;
  if (v == container_) return;
  if (v != nullptr) v->AddObject(this);
  if (container_ != nullptr) container_->RemoveObject(this);
  container_ = v;
  if (v != nullptr) v->FreeNotification(this);
  if (!IsLoading()) ContainerChanged();
}

void TInstallObject::ContainerChanged() {
  if (container_ != nullptr) {
    SetDestDirType(StandardPathSpecifiers().FindByClass<TpsContainerDestDir>());
    SetDestDir("");
  } else if (Is<TpsContainerDestDir>(DestDirType())) {
    SetDestDirType(nullptr);
  }
}

void TInstallObject::ContainerDestroying(TInstallContainer* dying) {
  TInstallContainer::ContainerDestroying(dying);
  if (container_ == dying) container_ = nullptr;
}

void TInstallObject::Loaded() {
  TInstallContainer::Loaded();
  if (default_dest_dir_type_pending_ || default_container_pending_) {
    bool container_pending = default_container_pending_ && !container_assigned_;
    bool dest_pending = default_dest_dir_type_pending_ && !dest_dir_type_assigned_;
    default_container_pending_ = false;
    default_dest_dir_type_pending_ = false;
    if (container_pending) SetContainer(nullptr);
    if (dest_pending) SetDestDirType(nullptr);
  }
}

void TInstallObject::Notification(TComponent* component, TOperation operation) {
  TInstallContainer::Notification(component, operation);
  if (operation == opRemove && component == container_) container_ = nullptr;
}

// ---- TFileRelated ----------------------------------------------------------------------------

TFileRelated::TFileRelated(TComponent* owner) : TInstallObject(owner) {
  SetInstallable(true);
  // Every component referred to is asked for FreeNotification: a form of thousands of files
  // need not tell each file about every sibling.
  HearOnlyPartners();
}

void TFileRelated::AfterConstruction() {
  TInstallObject::AfterConstruction();
  if (default_container_pending_) {
    SetArchiveFileType(StandardPathSpecifiers().FindByClass<TpsContainerArchiveFile>());
    archive_file_.clear();
    default_archive_file_type_pending_ = true;
  }
}

void TFileRelated::SetArchiveFile(const std::string& v) {
  if (!IsLoading() && (Is<TpsContainerArchiveFile>(archive_file_type_) ||
                       Is<TpsMainArchiveFile>(archive_file_type_))) {
    archive_file_.clear();  // these specifiers name the whole file
    return;
  }
  archive_file_ = v;
}

void TFileRelated::SetArchiveFileType(TCustomPathSpecifier* v) {
  archive_file_type_assigned_ = true;
  if (!IsLoading() && v != nullptr) {
    v->Validate(this);
    if (Is<TpsContainerArchiveFile>(v) || Is<TpsMainArchiveFile>(v)) archive_file_.clear();
  }
  archive_file_type_ = v;
  if (v != nullptr) v->FreeNotification(this);
}

void TFileRelated::RestoreArchive(TCustomPathSpecifier* type, const std::string& file) noexcept {
  // The saved specifier was ours before, so it already tells us when it goes; one destroyed in
  // the meantime (an event handler may free components) is not brought back.
  bool alive = false;
  for (int i = 0; i < PathSpecifiers().Count() && !alive; ++i)
    alive = PathSpecifiers().Items(i) == type;
  archive_file_type_ = alive ? type : nullptr;
  archive_file_ = file;
}

void TFileRelated::StoreArchiveFileType(TCustomPathSpecifier* v) {
  archive_file_type_ = v;
  if (v != nullptr) v->FreeNotification(this);
}

void TFileRelated::SetNetLocation(TCustomNetInstallLocation* v) {
  net_location_ = v;
  if (v != nullptr) v->FreeNotification(this);
}

void TFileRelated::SetOrder(int v) {
  if (IsLoading()) {
    StoreOrder(v);
    return;
  }
  if (v == Order() || Container() == nullptr) return;
  TInstallContainer* container = Container();
  container->RemoveObject(this);
  StoreOrder(v);
  container->AddObject(this);
}

void TFileRelated::ContainerChanged() {
  TInstallObject::ContainerChanged();
  if (dynamic_cast<TFileRelated*>(Container()) != nullptr) {
    SetArchiveFileType(StandardPathSpecifiers().FindByClass<TpsContainerArchiveFile>());
    archive_file_.clear();
  } else if (Is<TpsContainerArchiveFile>(archive_file_type_)) {
    SetArchiveFileType(nullptr);
  }
}

std::string TFileRelated::GetFullArchiveFile() {
  std::string result =
      archive_file_type_ ? archive_file_type_->Expand(this) + archive_file_ : archive_file_;
  return RemoveBackslash(result);
}

namespace {
std::string LocalRecordKey(const std::string& name) {
  return AddBackslash(InstallRecordKey()) + name;
}
}  // namespace

std::string TFileRelated::ReadLocalFileRecord() const {
  if (Trim(Name()).empty() || InstallRecordKey().empty()) return "";
  std::string path = ReadRegString(kRootLocalMachine, LocalRecordKey(Name()), "LocalFile", "");
  if (Trim(path).empty() || !platform::FileExists(path)) return "";
  return path;
}

bool TFileRelated::HasLocalArchive() {
  if (!Trim(local_archive_path_).empty()) return true;
  return !ReadLocalFileRecord().empty();
}

void TFileRelated::StoreLocalFile(const std::string& path) {
  if (Trim(Name()).empty() || Trim(path).empty() || InstallRecordKey().empty()) return;
  try {
    WriteRegString(kRootLocalMachine, LocalRecordKey(Name()), "LocalFile", path);
  } catch (const Exception&) {
    // Only a convenience for a later run: the download is still there for this one.
  }
}

TCustomNetInstallLocation* TFileRelated::FindNetLocation() const {
  if (net_location_ != nullptr) return net_location_;
  if (dynamic_cast<const TCustomInstallFile*>(this) != nullptr && Container() != nullptr) {
    auto* container = dynamic_cast<TFileContainer*>(Container());
    return container ? container->FindNetLocation() : nullptr;
  }
  return DefaultNetLocation();
}

void TFileRelated::DownloadArchive() {
  std::string recorded = ReadLocalFileRecord();
  if (!recorded.empty()) {
    local_archive_path_ = recorded;
    return;
  }
  TCustomNetInstallLocation* location = FindNetLocation();
  if (location == nullptr)
    throw Exception(Format("Could not find a net install location for %s", Name()));
  if (!location->LoginComplete()) {
    if (net_location_ != nullptr)
      throw IEFileRelated(
          "%s could not install itself because the TNetLocation component's properties, in "
          "the NetLocation property, have not been filled in",
          Name());
    throw IEFileRelated(
        "%s could not install itself because the LoginInformation property of the TInstall "
        "component has not been properly filled in",
        Name());
  }
  // Downloading arrives with the net locations.
  throw IEFileRelated("%s cannot be downloaded: this build has no net install support", Name());
}

void TFileRelated::DataReceived(const std::string& file_name, int bytes, int total_bytes,
                                int file_size, const char* buffer) {
  TDownloadStatusParameter status;
  status.Bytes = bytes;
  status.FileName = file_name;
  status.FileSize = file_size;
  status.TotalBytes = total_bytes;
  status.PercentDone = PercentOf(total_bytes, file_size);
  if (OnDataReceived) OnDataReceived(this, file_name, bytes, total_bytes, file_size, buffer);
  BroadcastComponentCall(this, ccDownloadStatus, &status);
  if (Container() != nullptr) Container()->DoInformationEventControl(this, ieDataReceived, &status);
}

void TFileRelated::Loaded() {
  // The archive mark is resolved before the container and destination marks.
  if (default_archive_file_type_pending_) {
    default_archive_file_type_pending_ = false;
    if (!archive_file_type_assigned_) SetArchiveFileType(nullptr);
  }
  TInstallObject::Loaded();
  std::string recorded = ReadLocalFileRecord();
  if (!recorded.empty()) local_archive_path_ = recorded;
}

void TFileRelated::Notification(TComponent* component, TOperation operation) {
  TInstallObject::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == archive_file_type_) archive_file_type_ = nullptr;
  if (component == net_location_) net_location_ = nullptr;
}

// ---- globals ---------------------------------------------------------------------------------

void TInstallContainerList::Add(TInstallContainer* container) {
  if (container == nullptr)
    throw IEContainerList("Cannot add a blank entry to the TInstallContainerList object");
  items_.push_back(container);
}

void TInstallContainerList::Remove(TInstallContainer* container) {
  // From the back: containers go in the reverse of their creation, most of the time.
  auto it = std::find(items_.rbegin(), items_.rend(), container);
  if (it != items_.rend()) items_.erase(std::next(it).base());
}

TInstallContainerList& ContainerList() {
  static TInstallContainerList list;
  return list;
}

IInstallComponent* InstallComponent() {
  return g_install;
}
void SetInstallComponent(IInstallComponent* install) {
  g_install = install;
}

std::string& InstallRecordKey() {
  static std::string key;
  return key;
}

TDistributeType CurrentDistributeType() {
  return g_install ? g_install->DistributeType() : dtTraditionalNet;
}

bool InstallRunning() {
  return g_install != nullptr && g_install->Running();
}

bool InDesignMode(const TComponent* component) {
  return component != nullptr && component->IsDesigning();
}

std::string FindLibraryDirectory(bool must_exist) {
  std::string search = Trim(
      ReadRegString(kRootCurrentUser, "Software\\Borland\\Delphi\\3.0\\Library", "SearchPath", ""));
  if (!search.empty()) {
    for (const std::string& entry : SplitFields(search, ';')) {
      std::string dir = RemoveBackslash(entry);
      if (!dir.empty() && platform::FileExists(AddBackslash(dir) + "T32V35.TXT")) return dir;
    }
  }
  if (must_exist)
    throw IENoVantorelPath("Cannot find the the Vantorel directory on the VCL library search path");
  return "";
}

}  // namespace vantorel
