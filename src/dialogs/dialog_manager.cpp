#include "dialogs/dialog_manager.h"

#include <algorithm>
#include <memory>

#include "dialogs/base_dialog.h"
#include "dialogs/base_forms.h"
#include "dialogs/form_registry.h"
#include "framework/application.h"
#include "model/file_container.h"
#include "model/install_file.h"
#include "model/parameters.h"
#include "routines/exceptions.h"

namespace vantorel {

namespace {

TDialogManager* g_current = nullptr;

// Clears the current manager on every path out of Run and ChangeDisk.
struct TCurrentManagerScope {
  explicit TCurrentManagerScope(TDialogManager* manager) { SetCurrentDialogManager(manager); }
  ~TCurrentManagerScope() { SetCurrentDialogManager(nullptr); }
  TCurrentManagerScope(const TCurrentManagerScope&) = delete;
  TCurrentManagerScope& operator=(const TCurrentManagerScope&) = delete;
};

void Place(TForm& form, TVantorelDialogPosition position, int left_offset, int top_offset) {
  form.SetPosition(poDesigned);
  TWindowPlace place = PlaceWindow(position, form.Width(), form.Height(), left_offset, top_offset,
                                   Screen().Width(), Screen().Height(), Screen().CaptionHeight());
  form.SetBounds(place.left, place.top, form.Width(), form.Height());
}

}  // namespace

TDialogManager* CurrentDialogManager() {
  return g_current;
}

void SetCurrentDialogManager(TDialogManager* manager) {
  g_current = manager;
}

TDialogManager* FindDialogManager(TManagerType manager_type) {
  IInstallComponent* install = InstallComponent();
  if (install == nullptr) return nullptr;
  TInstallContainer* running = install->AsContainer();
  for (TInstallContainer* c : ContainerList()) {
    auto* manager = dynamic_cast<TDialogManager*>(c);
    if (manager != nullptr && manager->ManagerType() == manager_type &&
        manager->Container() == running)
      return manager;
  }
  return nullptr;
}

TDialogManager::TDialogManager(TComponent* owner) : TInstallObject(owner) {
  WatchContainerDestruction();
}

TDialogManager::~TDialogManager() {
  CloseProgressForms();
  if (g_current == this) g_current = nullptr;
}

void TDialogManager::Run() {
  TCurrentManagerScope current(this);
  std::unique_ptr<TBaseFormContainer> host(new TBaseFormContainer(&Application()));
  host->SetBounds(host->Left(), host->Top(), width_, height_);
  Place(*host, position_, relative_left_offset_, relative_top_offset_);
  if (host->PopulatePages() == 0) return;
  if (host->ShowModal() == mrAbort) throw EAIUserAbort();
  if (TForm* main = Application().MainForm()) main->Repaint();
  Application().ProcessMessages();
}

void TDialogManager::ChangeDisk(TObject* po) {
  TFormRegistry* forms = ChangeDiskForms();
  if (forms == nullptr || forms->Count() == 0) return;
  TCurrentManagerScope current(this);
  std::unique_ptr<TComponent> created(forms->Entry(0).form_class->Create(&Application()));
  auto* form = dynamic_cast<TBaseInstallForm*>(created.get());
  if (form == nullptr || form->DM() != this) return;
  if (po == nullptr)
    throw Exception(TranslateString(
        "The ParameterObject is Nil in the TDialogManager. Cannot show the change disk form"));
  auto* list = dynamic_cast<TList*>(po);
  if (list == nullptr) throw Exception(TranslateString("TChangeDiskDlg--PO is not a TList object"));
  if (list->Count() < 2)
    throw Exception(TranslateString("TChangeDiskDlg--Not engouh parameters for status event"));
  auto* file = dynamic_cast<TCustomInstallFile*>(list->Items(0));
  if (file == nullptr) throw Exception(TranslateString("TChangeDiskDlg says bad first parameter"));
  auto* disk = dynamic_cast<TDiskParameter*>(list->Items(1));
  if (disk == nullptr) throw Exception(TranslateString("TChangeDiskDlg says bad second parameter"));
  file->SetTag(1);
  form->SetDiskParameter(disk);
  form->UpdateButtons();
  form->Translate();
  if (form->ShowModal() == mrAbort) throw EAIUserAbort();
}

void TDialogManager::AddDialog(TCustomBaseInstallDlg* dialog) {
  if (dialog == nullptr)
    throw Exception(
        Format(TranslateString("Cannot add a NIL Dialog to the Dialog Manager %s"), Name()));
  dialogs_.push_back(dialog);
}

void TDialogManager::RemoveDialog(TCustomBaseInstallDlg* dialog) {
  std::erase(dialogs_, dialog);
}

void TDialogManager::UpdateProgressForms(TObject* file_status, TObject* download_status) {
  TObject* po = file_status != nullptr ? file_status : download_status;
  if (po == nullptr) throw IException("%s got a nil PO parameter", Name());
  auto* file = dynamic_cast<TFileStatusParameter*>(file_status);
  auto* download = dynamic_cast<TDownloadStatusParameter*>(download_status);
  if (file_status != nullptr && file == nullptr)
    throw IException("The PO object passed to %s is not a TFileStatusParameter object", Name());
  if (download_status != nullptr && download == nullptr)
    throw IException("The PO object passed to %s is not a TDownloadStatusParameter object", Name());
  if (progress_forms_.empty()) OpenProgressForms();
  for (TBaseDuringCopyForm* form : TBaseDuringCopyFormList(progress_forms_))
    form->UpdateStatus(file, download);
}

void TDialogManager::OpenProgressForms() {
  TFormRegistry* list = DCFList();
  if (list == nullptr) return;
  for (int i = 0; i < list->Count(); ++i) {
    const TDCFEntry& entry = list->Entry(i);
    std::unique_ptr<TComponent> created(entry.form_class->Create(&Application()));
    auto* form = dynamic_cast<TBaseDuringCopyForm*>(created.get());
    if (form == nullptr || form->DM() != this) continue;
    if (TCustomBaseInstallDlg* dialog = entry.dialog) {
      dialog->SetForm(form);
      form->SetBounds(form->Left(), form->Top(), dialog->Width(), dialog->Height());
      Place(*form, dialog->Position(), dialog->RelativeLeftOffset(), dialog->RelativeTopOffset());
    }
    form->UpdateButtons();
    form->Translate();
    form->FreeNotification(this);
    progress_forms_.push_back(form);
    created.release();
    form->Show();
  }
}

void TDialogManager::CloseProgressForms() {
  TBaseDuringCopyFormList forms;
  forms.swap(progress_forms_);
  for (TBaseDuringCopyForm* form : forms) {
    form->RemoveFreeNotification(this);
    // The dialog's Form goes with the window.
    TFormRegistry* list = DCFList();
    for (int i = 0; list != nullptr && i < list->Count(); ++i)
      if (TCustomBaseInstallDlg* dialog = list->Entry(i).dialog; dialog && dialog->Form() == form)
        dialog->SetForm(nullptr);
    form->Close();
    delete form;
  }
}

void TDialogManager::HandleComponentCall(TInstallContainer* container, int component_call,
                                         TObject* po) {
  TInstallObject::HandleComponentCall(container, component_call, po);
  switch (manager_type_) {
    case dmBeforeInstall:
      if (component_call == ccBeforeInstallDialogs) Run();
      break;
    case dmAfterGoodInstall:
      if (component_call == ccAfterGoodInstall) Run();
      break;
    case dmAfterBadInstall:
      if (component_call == ccAfterBadInstall) Run();
      break;
    case dmReboot:
      if (component_call == ccReboot) Run();
      break;
    case dmDuringCopyFiles:
      if (component_call == ccFileStatus) UpdateProgressForms(po, nullptr);
      if (component_call == ccDownloadStatus) UpdateProgressForms(nullptr, po);
      // A run cut short by an error or a cancel ends without the end of its copy phase; the
      // window must not stay over the failure page.
      if (component_call == ccPhaseEnd || component_call == ccGoodInstallNoManager ||
          component_call == ccBadInstallNoManager)
        CloseProgressForms();
      break;
    case dmChangeDisk:
      if (component_call == ccNewDisk) ChangeDisk(po);
      break;
  }
}

void TDialogManager::ContainerDestroying(TInstallContainer* dying) {
  TInstallObject::ContainerDestroying(dying);
  if (auto* dialog = dynamic_cast<TCustomBaseInstallDlg*>(dying)) RemoveDialog(dialog);
}

void TDialogManager::Notification(TComponent* component, TOperation operation) {
  TInstallObject::Notification(component, operation);
  if (operation == opRemove) std::erase(progress_forms_, component);
}

}  // namespace vantorel
