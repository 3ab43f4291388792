#include "dialogs/base_forms.h"

#include "dialogs/base_dialog.h"
#include "dialogs/dialog_manager.h"
#include "dialogs/form_registry.h"
#include "framework/application.h"
#include "model/container.h"
#include "routines/exceptions.h"
#include "translate/translator.h"

namespace vantorel {

// ---- TBaseVantorelForm -----------------------------------------------------------------------

TBaseVantorelForm::TBaseVantorelForm(TComponent* owner) : TForm(owner) {
  Font()->SetCharset(ANSI_CHARSET);
}

void TBaseVantorelForm::SetContainer(TInstallContainer* v) {
  if (container_ != nullptr) container_->RemoveFreeNotification(this);
  container_ = v;
  if (v != nullptr) v->FreeNotification(this);
}

void TBaseVantorelForm::Translate() {
  // Without a translator the designed texts stay and the language is what it was.
  if (TTranslator* translator = TTranslator::Main()) {
    const TVtrlLanguage into =
        override_main_translator_ ? translate_into_language_ : translator->TranslateIntoLanguage();
    if (auto_set_font_) translator->ApplyFonts(*this, into);
    if (auto_translate_)
      current_language_ = translator->TranslateComponent(*this, current_language_, into);
  }
  // A page repaints before it is shown.
  Application().ProcessMessages();
}

void TBaseVantorelForm::Notification(TComponent* component, TOperation operation) {
  TForm::Notification(component, operation);
  if (operation == opRemove && component == container_) container_ = nullptr;
}

// ---- TBaseInstallForm ------------------------------------------------------------------------

TBaseInstallForm::TBaseInstallForm(TComponent* owner) : TBaseVantorelForm(owner) {
  if (dynamic_cast<TBaseFormContainer*>(owner) != nullptr) {
    SetBorderStyle(bsNone);
    SetBorderIcons({});
  }
}

TBaseInstallForm::~TBaseInstallForm() {
  if (dc_ != nullptr && dc_->Form() == this) dc_->SetForm(nullptr);
}

void TBaseInstallForm::SetDC(TCustomBaseInstallDlg* v) {
  if (dc_ != nullptr) dc_->RemoveFreeNotification(this);
  dc_ = v;
  if (v != nullptr) v->FreeNotification(this);
}

void TBaseInstallForm::SetDM(TDialogManager* v) {
  if (dm_ != nullptr) dm_->RemoveFreeNotification(this);
  dm_ = v;
  if (v != nullptr) v->FreeNotification(this);
}

TBaseFormContainer* TBaseInstallForm::Host() const {
  return dynamic_cast<TBaseFormContainer*>(Owner());
}

bool TBaseInstallForm::IsFirstPage() const {
  TBaseFormContainer* host = Host();
  if (host == nullptr) return false;
  for (int i = 0; i < host->TabIndex() && i < host->PageCount(); ++i)
    if (!host->Pages(i)->SkipPage()) return false;
  return true;
}

bool TBaseInstallForm::IsLastPage() const {
  TBaseFormContainer* host = Host();
  return host != nullptr && host->PageCount() == host->TabIndex() + 1;
}

void TBaseInstallForm::AbortPage() {
  if (TBaseFormContainer* host = Host())
    host->SetModalResult(mrAbort);
  else
    SetModalResult(mrAbort);
}

void TBaseInstallForm::NextPage() {
  if (TBaseFormContainer* host = Host()) host->NextPage();
}

void TBaseInstallForm::PreviousPage() {
  if (TBaseFormContainer* host = Host()) host->PreviousPage();
}

void TBaseInstallForm::PageActivated() {
  if (Host() == nullptr) return;
  UpdateButtons();
  BringToFront();
}

void TBaseInstallForm::CancelInstall() {
  IInstallComponent* install = InstallComponent();
  if (install == nullptr || install->QueryUserAbort()) AbortPage();
}

void TBaseInstallForm::FillThemeBitmap() {
  TPicture* picture = ThemeBitmap();
  if (picture == nullptr || !picture->Empty()) return;
  if (IInstallComponent* install = InstallComponent())
    if (TPicture* theme = install->DialogThemeBitmap()) picture->Assign(*theme);
}

void TBaseInstallForm::SetVisible(bool v) {
  if (Parent() != nullptr) {
    TWinControl::SetVisible(v);
    return;
  }
  TBaseVantorelForm::SetVisible(v);
}

void TBaseInstallForm::Notification(TComponent* component, TOperation operation) {
  TBaseVantorelForm::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == dc_) dc_ = nullptr;
  if (component == dm_) dm_ = nullptr;
}

// ---- TBaseDuringCopyForm ---------------------------------------------------------------------

TBaseDuringCopyForm::TBaseDuringCopyForm(TComponent* owner) : TBaseVantorelForm(owner) {}

void TBaseDuringCopyForm::SetDM(TDialogManager* v) {
  if (dm_ != nullptr) dm_->RemoveFreeNotification(this);
  dm_ = v;
  if (v != nullptr) v->FreeNotification(this);
}

void TBaseDuringCopyForm::Notification(TComponent* component, TOperation operation) {
  TBaseVantorelForm::Notification(component, operation);
  if (operation == opRemove && component == dm_) dm_ = nullptr;
}

// ---- TBaseFormContainer ----------------------------------------------------------------------

TBaseFormContainer::TBaseFormContainer(TComponent* owner) : TForm(owner) {
  SetBorderStyle(bsDialog);
  SetBorderIcons({});
  SetPosition(poScreenCenter);
  Font()->SetName("Arial");
  Font()->SetSize(8);
  Font()->SetColor(clBlack);
  Font()->SetCharset(ANSI_CHARSET);
  display_panel_ = new TPanel(this);
  display_panel_->SetName("DisplayPanel");
  display_panel_->SetBevelOuter(bvNone);
  display_panel_->SetAlign(alClient);
  display_panel_->SetParent(this);
  resizing_ = true;
  SetClientWidth(487);
  SetClientHeight(368);
  SetBounds(Left(), Top(), 478, 395);
  resizing_ = false;
  LayOutPages();
  OnShow = [this](TObject*) { FormShow(); };
  OnClose = [this](TObject*, TCloseAction& action) { FormClose(action); };
}

TBaseFormContainer::~TBaseFormContainer() {
  // The pages are components of the host and go with it; the list only refers to them.
  pages_.clear();
}

TBaseInstallForm* TBaseFormContainer::CurrentPage() const {
  if (tab_index_ < 0 || tab_index_ >= PageCount()) return nullptr;
  return pages_[static_cast<size_t>(tab_index_)];
}

int TBaseFormContainer::PopulatePages() {
  TDialogManager* current = CurrentDialogManager();
  if (current == nullptr)
    throw Exception(TranslateString("The current dialog manager is not defined"));
  const int count = InstallFormCount();
  for (int i = 0; i < count; ++i) {
    const TBIFEntry& entry = InstallFormEntry(i);
    TCustomBaseInstallDlg* dialog = entry.dialog;
    if (dialog != nullptr && (dialog->DialogManager() != current || !dialog->CanShow())) continue;
    auto* page = dynamic_cast<TBaseInstallForm*>(entry.form_class->Create(this));
    if (page == nullptr) continue;
    if (dialog == nullptr && page->DM() != current) {
      delete page;
      continue;
    }
    page->SetDC(dialog);
    if (dialog != nullptr) {
      page->SetContainer(dialog->Container());
      page->SetOrder(dialog->DialogOrder());
      dialog->SetForm(page);
      dialog->AssignDialogProperties();
    }
    page->SetParent(display_panel_);
    page->SetBounds(0, 0, display_panel_->Width(), display_panel_->Height());
    page->Translate();
    page->Hide();
    pages_.push_back(page);
  }
  // This exchange sort is what fixes the order of pages with equal keys: keep it.
  const size_t n = pages_.size();
  for (size_t i = 0; i < n; ++i)
    for (size_t j = i + 1; j < n; ++j)
      if (pages_[j]->Order() < pages_[i]->Order()) std::swap(pages_[i], pages_[j]);
  return static_cast<int>(n);
}

bool TBaseFormContainer::GoToPage(int index, bool forward) {
  while (index >= 0 && index < PageCount()) {
    TBaseInstallForm* page = pages_[static_cast<size_t>(index)];
    if (page->SkipPage()) {
      index += forward ? 1 : -1;
      continue;
    }
    ChangeTab(index);
    SetCaption(page->Caption());
    page->PageActivated();
    return true;
  }
  return false;
}

void TBaseFormContainer::ChangeTab(int index) {
  if (index != tab_index_)
    if (TBaseInstallForm* leaving = CurrentPage()) leaving->PageLeaving();
  tab_index_ = index;
  // Only the current page is shown: it covers the display panel, the others wait hidden.
  for (int i = 0; i < PageCount(); ++i) pages_[static_cast<size_t>(i)]->SetVisible(i == index);
}

void TBaseFormContainer::NextPage() {
  const int t = tab_index_;
  if (!GoToPage(t + 1, true)) GoToPage(t + 1, false);
  if (tab_index_ == t) {
    // The wizard is finished. (Close would turn a modal result into Cancel.)
    may_close_ = true;
    SetModalResult(mrOk);
  }
}

void TBaseFormContainer::PreviousPage() {
  const int t = tab_index_;
  if (!GoToPage(t - 1, false)) GoToPage(t - 1, true);
}

void TBaseFormContainer::FormShow() {
  tab_index_ = 0;
  if (!GoToPage(0, false)) GoToPage(0, true);
}

void TBaseFormContainer::FormClose(TCloseAction& action) {
  if (!may_close_ && ModalResult() != mrAbort) action = caNone;
}

void TBaseFormContainer::SetBounds(int left, int top, int width, int height) {
  TForm::SetBounds(left, top, width, height);
  if (!resizing_) LayOutPages();
}

void TBaseFormContainer::LayOutPages() {
  if (display_panel_ == nullptr) return;
  display_panel_->SetBounds(0, 0, ClientWidth(), ClientHeight());
  for (TBaseInstallForm* page : pages_) {
    page->SetBounds(0, 0, display_panel_->Width(), display_panel_->Height());
    page->Repaint();
  }
}

}  // namespace vantorel
