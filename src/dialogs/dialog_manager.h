#pragma once
// Dialog managers: one per moment of the run. A manager gathers the dialogs bound to it and
// shows them as the pages of one modal wizard, or keeps the progress windows open while files
// are copied, or asks for the next disk.
#include <vector>

#include "dialogs/dialog_types.h"
#include "model/container.h"

namespace vantorel {

class TCustomBaseInstallDlg;
class TBaseDuringCopyForm;
class TFileStatusParameter;
class TDownloadStatusParameter;

using TBaseDuringCopyFormList = std::vector<TBaseDuringCopyForm*>;

class TDialogManager : public TInstallObject {
 public:
  explicit TDialogManager(TComponent* owner);
  ~TDialogManager() override;

  int RegisteredType() const override { return kRegDialog; }

  int Height() const { return height_; }
  void SetHeight(int v) { height_ = v; }
  int Width() const { return width_; }
  void SetWidth(int v) { width_ = v; }
  TManagerType ManagerType() const { return manager_type_; }
  void SetManagerType(TManagerType v) { manager_type_ = v; }
  TVantorelDialogPosition Position() const { return position_; }
  void SetPosition(TVantorelDialogPosition v) { position_ = v; }
  int RelativeLeftOffset() const { return relative_left_offset_; }
  void SetRelativeLeftOffset(int v) { relative_left_offset_ = v; }
  int RelativeTopOffset() const { return relative_top_offset_; }
  void SetRelativeTopOffset(int v) { relative_top_offset_ = v; }

  // Shows the wizard of this manager's pages; a cancelled wizard raises EAIUserAbort.
  virtual void Run();
  // Shows the change-disk form for a [install file, TDiskParameter] list.
  virtual void ChangeDisk(TObject* po);
  virtual void AddDialog(TCustomBaseInstallDlg* dialog);
  virtual void RemoveDialog(TCustomBaseInstallDlg* dialog);

  int DialogCount() const { return static_cast<int>(dialogs_.size()); }
  TCustomBaseInstallDlg* Dialogs(int index) const { return dialogs_.at(index); }
  const TBaseDuringCopyFormList& ProgressForms() const { return progress_forms_; }

  void UpdateProgressForms(TObject* file_status, TObject* download_status);
  void CloseProgressForms();

  void HandleComponentCall(TInstallContainer* container, int component_call, TObject* po) override;
  void ContainerDestroying(TInstallContainer* dying) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void OpenProgressForms();

  int height_ = 395;
  int width_ = 478;
  TManagerType manager_type_ = dmBeforeInstall;
  TVantorelDialogPosition position_ = vdpCenter;
  int relative_left_offset_ = 0;
  int relative_top_offset_ = 0;
  std::vector<TCustomBaseInstallDlg*> dialogs_;
  TBaseDuringCopyFormList progress_forms_;
};

// The first manager of that kind whose container is the running install component; nullptr if
// there is none.
TDialogManager* FindDialogManager(TManagerType manager_type);

// The manager inside Run or ChangeDisk, else nullptr.
TDialogManager* CurrentDialogManager();
void SetCurrentDialogManager(TDialogManager* manager);

}  // namespace vantorel
