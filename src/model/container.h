#pragma once
// The install object tree: containers hold install objects, ordered by registered type and
// Order, and process them; objects report component calls to the dialogs of their container.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/archive_types.h"
#include "framework/classes.h"
#include "framework/component.h"
#include "model/types.h"

namespace vantorel {

class TCustomPathSpecifier;
class TCustomNetInstallLocation;
class TInstallObject;
class TFileRelated;
class TFileContainer;

class TInstallContainer : public TComponent {
 public:
  explicit TInstallContainer(TComponent* owner);
  ~TInstallContainer() override;

  // The class-wide number that orders objects and routes component calls.
  virtual int RegisteredType() const;

  int FileContainerCount() const;
  TFileContainer* FileContainers(int index) const;
  int ObjectCount() const { return static_cast<int>(objects_.size()); }
  TInstallObject* Objects(int index) const;
  int CompCount(const TClass* component_type) const;
  TInstallObject* Comp(int index, const TClass* component_type) const;
  template <class T>
  T* Comp(int index) const {
    return static_cast<T*>(Comp(index, TClassOf<T>()));
  }
  template <class T>
  int CompCount() const {
    return CompCount(TClassOf<T>());
  }
  void FreeObjectsOfClass(const TClass* component_type);

  virtual void AddObject(TInstallObject* obj);
  virtual void RemoveObject(TInstallObject* obj);
  virtual void ContainerDestroying(TInstallContainer* dying);

  virtual void Process();
  virtual void InstallObjects();
  virtual bool WillInstall() const;
  virtual void ResumeAfterReboot() {}
  virtual void WriteUninstallInfo(const std::string& key) { (void)key; }

  void BroadcastComponentCall(TInstallContainer* container, int component_call, TObject* po);
  virtual void PushStatusMessage(const std::string& text);
  void PopStatusMessage();
  virtual void DoInformationEventControl(TObject* sender, int code, TObject* po);
  virtual void HandleComponentCall(TInstallContainer* container, int component_call, TObject* po);

  // Sets the install type of this run on every object (depth first) and then on itself.
  void SetCurrentInstallType(TInstallType type);
  TInstallType CurrentInstallType() const { return current_install_type_; }

  bool Installable() const { return installable_; }
  bool Processed() const { return processed_; }

  bool Include() const { return include_; }
  void SetInclude(bool v) { include_ = v; }
  TInstallTypeSet InstallTypes() const { return install_types_; }
  virtual void SetInstallTypes(TInstallTypeSet v);
  const std::string& DestDir() const { return dest_dir_; }
  virtual void SetDestDir(const std::string& v);
  TCustomPathSpecifier* DestDirType() const { return dest_dir_type_; }
  virtual void SetDestDirType(TCustomPathSpecifier* v);
  int Order() const { return order_; }
  virtual void SetOrder(int v);

  // The expanded destination: the specifier's directory followed by DestDir.
  virtual std::string GetFullDestDir();

  TInstallContainerNotifyEvent OnBeforeProcess;
  TInstallContainerNotifyEvent OnAfterProcess;

  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

 protected:
  // Registered types and install-type tests shared by Process and WillInstall.
  bool TypeSelected() const;
  void Renumber();
  void SetInstallable(bool v) { installable_ = v; }
  void SetProcessed(bool v) { processed_ = v; }
  void StoreOrder(int v);
  // Constructor values: stored without the setters' validation.
  void StoreDestDirType(TCustomPathSpecifier* v);
  // Whether `candidate` holds this container, directly or through containers that do.
  bool HeldBy(const TInstallContainer* candidate) const;
  // For a container that holds pointers to others outside the object lists (a dialog and its
  // manager): it is then told through ContainerDestroying of every container that goes.
  void WatchContainerDestruction();

  bool dest_dir_type_assigned_ = false;
  bool default_dest_dir_type_pending_ = false;

 private:
  bool installable_ = false;
  std::vector<TInstallObject*> objects_;
  std::vector<TInstallContainer*> holders_;  // the containers whose objects_ hold this one
  static std::vector<TInstallContainer*>& DestructionWatchers();
  // objects_ is ordered by registered type unless an object was placed first regardless; then
  // AddObject searches from the front.
  bool sorted_by_type_ = true;
  int max_order_ = -1;  // no object here has had a greater Order
  // Comp(i) right after Comp(i - 1) of the same class goes on from where that one stopped, and
  // CompCount of the same class is counted once, while no object list has changed since: the
  // loops over a container's files (index and count asked each round) run in linear time.
  // Any change to any object list (each bumps `objects_changes_`) forgets both.
  struct CompMemo {
    const TClass* type = nullptr;
    uint64_t changes = 0;
    int value = -1;        // Comp: the index last found; CompCount: the count
    size_t position = 0;   // Comp: where in objects_ it was found
  };
  mutable CompMemo last_comp_;
  mutable CompMemo last_count_;
  static inline uint64_t objects_changes_ = 1;
  bool include_ = true;
  bool processed_ = false;
  TInstallTypeSet install_types_{itAlways};
  TInstallType current_install_type_ = itAlways;
  std::string dest_dir_;
  TCustomPathSpecifier* dest_dir_type_ = nullptr;
  int order_ = -1;
};

class TInstallObject : public TInstallContainer {
 public:
  explicit TInstallObject(TComponent* owner);
  ~TInstallObject() override;

  TInstallContainer* Container() const { return container_; }
  virtual void SetContainer(TInstallContainer* v);
  // In design mode a new object joins the install component at once.
  void AfterConstruction() override;
  void ContainerDestroying(TInstallContainer* dying) override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  // What SetContainer does after the lists are updated, outside loading.
  virtual void ContainerChanged();
  void StoreContainer(TInstallContainer* v) { container_ = v; }

  bool container_assigned_ = false;
  bool default_container_pending_ = false;

 private:
  TInstallContainer* container_ = nullptr;
};

class TFileRelated : public TInstallObject {
 public:
  explicit TFileRelated(TComponent* owner);
  void AfterConstruction() override;

  TlzhCommand AddToArchive() const { return add_to_archive_; }
  void SetAddToArchive(TlzhCommand v) { add_to_archive_ = v; }
  const std::string& ArchiveFile() const { return archive_file_; }
  virtual void SetArchiveFile(const std::string& v);
  TCustomPathSpecifier* ArchiveFileType() const { return archive_file_type_; }
  virtual void SetArchiveFileType(TCustomPathSpecifier* v);
  // Puts back archive values saved from this object, as they were: no validation, no clearing,
  // nothing raised (it runs while a failed build's error is on its way out).
  void RestoreArchive(TCustomPathSpecifier* type, const std::string& file) noexcept;
  bool Net() const { return net_; }
  virtual void SetNet(bool v) { net_ = v; }
  TCustomNetInstallLocation* NetLocation() const { return net_location_; }
  virtual void SetNetLocation(TCustomNetInstallLocation* v);
  void SetOrder(int v) override;

  virtual std::string GetFullArchiveFile();

  // The local copy of this object's archive: known, downloaded, or recorded under the install
  // record by an earlier run.
  const std::string& LocalArchivePath() const { return local_archive_path_; }
  void SetLocalArchivePath(const std::string& v) { local_archive_path_ = v; }
  virtual bool HasLocalArchive();
  virtual void StoreLocalFile(const std::string& path);
  // The path the local archive record holds, when it is set and the file exists; else "".
  std::string ReadLocalFileRecord() const;
  // The net location serving this object, or nullptr.
  TCustomNetInstallLocation* FindNetLocation() const;
  virtual void DownloadArchive();
  virtual void DataReceived(const std::string& file_name, int bytes, int total_bytes, int file_size,
                            const char* buffer);
  bool ArchiveInfoRead() const { return archive_info_read_; }

  TDataReceivedEvent OnDataReceived;

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 protected:
  void ContainerChanged() override;
  void SetArchiveInfoRead(bool v) { archive_info_read_ = v; }
  void StoreArchiveFileType(TCustomPathSpecifier* v);

  bool archive_file_type_assigned_ = false;
  bool default_archive_file_type_pending_ = false;

 private:
  TlzhCommand add_to_archive_ = lzcOverwrite;
  std::string archive_file_;
  TCustomPathSpecifier* archive_file_type_ = nullptr;
  bool net_ = true;
  TCustomNetInstallLocation* net_location_ = nullptr;
  std::string local_archive_path_;
  bool archive_info_read_ = false;
};

// Every container of the process, in creation order.
class TInstallContainerList {
 public:
  void Add(TInstallContainer* container);
  void Remove(TInstallContainer* container);
  int Count() const { return static_cast<int>(items_.size()); }
  TInstallContainer* Items(int index) const { return items_.at(index); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<TInstallContainer*> items_;
};
TInstallContainerList& ContainerList();

// What the object model needs of the one install component (which lives above it).
class IInstallComponent {
 public:
  virtual ~IInstallComponent() = default;
  virtual TFileContainer* AsContainer() = 0;
  virtual const std::string& SourceDirectory() const = 0;
  virtual bool HasSwitch(char sw) const = 0;
  virtual std::string SwitchArgument(char sw) const = 0;
  virtual std::string ProductName() const = 0;
  // What the system's list of installed programs shows beside the product's name.
  virtual std::string CompanyName() const { return {}; }
  virtual std::string ProductVersion() const { return {}; }
  virtual TDistributeType DistributeType() const = 0;
  virtual TCustomNetInstallLocation* NetLocation() const = 0;
  virtual bool Running() const = 0;
  // A file will only take its place at the next start of the machine.
  virtual void SetReboot(bool v) = 0;
  // Work the run after the restart must finish (code 0: a file registers itself; 1: a batch).
  virtual void AddUnfinished(const std::string& subject, int code) = 0;
  // The user's cancel: whether OnUserAbort lets it happen (true without a handler).
  virtual bool QueryUserAbort() = 0;
  // The picture of the install dialogs.
  virtual TPicture* DialogThemeBitmap() = 0;
};
// The install component of the process, or nullptr.
IInstallComponent* InstallComponent();
void SetInstallComponent(IInstallComponent* install);

// The registry key of the running setup file's install record (under HKEY_LOCAL_MACHINE), or "".
std::string& InstallRecordKey();

TDistributeType CurrentDistributeType();
bool InstallRunning();
bool InDesignMode(const TComponent* component);
// The first folder of the library search path that holds the builder's marker file.
std::string FindLibraryDirectory(bool must_exist);

}  // namespace vantorel
