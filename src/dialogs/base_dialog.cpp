#include "dialogs/base_dialog.h"

#include <memory>

#include "dialogs/base_forms.h"
#include "dialogs/dialog_manager.h"
#include "framework/application.h"
#include "routines/exceptions.h"
#include "translate/translator.h"

namespace vantorel {

TCustomBaseInstallDlg::TCustomBaseInstallDlg(TComponent* owner) : TInstallObject(owner) {
  WatchContainerDestruction();
}

TCustomBaseInstallDlg::~TCustomBaseInstallDlg() {
  if (dialog_manager_ != nullptr) dialog_manager_->RemoveDialog(this);
}

void TCustomBaseInstallDlg::SetDialogManager(TDialogManager* v) {
  if (v == dialog_manager_) return;
  if (v != nullptr) v->AddDialog(this);
  if (dialog_manager_ != nullptr) dialog_manager_->RemoveDialog(this);
  dialog_manager_ = v;
}

void TCustomBaseInstallDlg::Translate() {
  if (form_ == nullptr) return;
  if (auto* form = dynamic_cast<TBaseVantorelForm*>(form_)) {
    form->Translate();
    return;
  }
  // A plain form (the status window) has no settings of its own: the dialog's apply.
  TTranslator* translator = TTranslator::Main();
  if (translator == nullptr) return;
  const TVtrlLanguage into =
      override_main_translator_ ? translate_into_language_ : translator->TranslateIntoLanguage();
  if (auto_set_font_) translator->ApplyFonts(*form_, into);
  if (auto_translate_)
    current_language_ = translator->TranslateComponent(*form_, current_language_, into);
}

void TCustomBaseInstallDlg::AssignDialogProperties() {
  if (form_ == nullptr)
    throw Exception(Format(
        TranslateString("Cannot AssignDialogProperties for %s because the Dialog is Nil"), Name()));
  if (auto* form = dynamic_cast<TBaseVantorelForm*>(form_)) {
    form->SetAutoSetFont(auto_set_font_);
    form->SetAutoTranslate(auto_translate_);
    form->SetContainer(Container());
    form->SetOverrideMainTranslator(override_main_translator_);
    form->SetTranslateIntoLanguage(translate_into_language_);
  }
  if (auto* page = dynamic_cast<TBaseInstallForm*>(form_)) page->SetDC(this);
  Translate();
}

bool TCustomBaseInstallDlg::Execute() {
  try {
    if (OnBeforeExecute) OnBeforeExecute(this);
    bool result = ShowModalForm();
    Application().ProcessMessages();
    if (OnAfterExecute) OnAfterExecute(this);
    return result;
  } catch (const EAbort&) {
    return false;
  }
}

bool TCustomBaseInstallDlg::ShowModalForm() {
  if (!CanShow()) return true;
  std::unique_ptr<TComponent> created(FormClass()->Create(&Application()));
  auto* form = dynamic_cast<TForm*>(created.get());
  if (form == nullptr) throw Exception("The form class of " + Name() + " is not a form");
  struct ClearForm {
    TCustomBaseInstallDlg& dialog;
    ~ClearForm() { dialog.form_ = nullptr; }
  } clear{*this};
  form_ = form;
  AssignDialogProperties();
  if (form->ShowModal() != mrOk) throw EAIUserAbort();
  return true;
}

void TCustomBaseInstallDlg::ApplyThemeBitmap(TPicture* picture) {
  if (picture == nullptr) return;
  if (theme_bitmap_.Empty()) {
    if (IInstallComponent* install = InstallComponent())
      if (TPicture* theme = install->DialogThemeBitmap()) picture->Assign(*theme);
  } else {
    picture->Assign(theme_bitmap_);
  }
}

void TCustomBaseInstallDlg::ContainerDestroying(TInstallContainer* dying) {
  TInstallObject::ContainerDestroying(dying);
  if (dying == dialog_manager_) dialog_manager_ = nullptr;
}

void TCustomBaseInstallDlg::Notification(TComponent* component, TOperation operation) {
  TInstallObject::Notification(component, operation);
  if (operation == opRemove && component == form_) form_ = nullptr;
}

}  // namespace vantorel
