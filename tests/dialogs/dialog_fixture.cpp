#include "dialog_fixture.h"

#include "model/parameters.h"

namespace vantorel::testing {

TTestPage::TTestPage(TComponent* owner) : TBaseInstallForm(owner) {
  SetDM(FindDialogManager(dmBeforeInstall));
  image = new TImage(this);
  image->SetParent(this);
  image->SetBounds(8, 8, 117, 290);
  text = new TLabel(this);
  text->SetParent(this);
  text->SetBounds(130, 20, 300, 40);
  auto button = [this](const char* caption, int left) {
    auto* b = new TButton(this);
    b->SetParent(this);
    b->SetCaption(caption);
    b->SetBounds(left, 320, 75, 25);
    return b;
  };
  back = button("< &Back", 220);
  next = button("&Next >", 300);
  cancel = button("Cancel", 390);
  next->SetDefault(true);
  cancel->SetCancel(true);
  back->OnClick = [this](TObject*) { PreviousPage(); };
  next->OnClick = [this](TObject*) { NextPage(); };
  cancel->OnClick = [this](TObject*) { CancelInstall(); };
  FillThemeBitmap();
}

void TTestPage::PageActivated() {
  TBaseInstallForm::PageActivated();
  if (OnActivated()) OnActivated()(*this);
}

std::function<void(TTestPage&)>& TTestPage::OnActivated() {
  static std::function<void(TTestPage&)> handler;
  return handler;
}

TTestDlg::TTestDlg(TComponent* owner) : TBaseInstallDlg(owner) {
  BIFList()->Add(TClassOf<TTestPage>(), this);
}

TTestDlg::~TTestDlg() {
  if (TFormRegistry* list = BIFList()) list->Remove(TClassOf<TTestPage>(), this);
}

const TClass* TTestDlg::FormClass() const {
  return TClassOf<TTestPage>();
}

void TTestDlg::AssignDialogProperties() {
  TBaseInstallDlg::AssignDialogProperties();
  auto* page = static_cast<TTestPage*>(Form());
  page->SetCaption("Page " + Name());
  page->text->SetCaption("This is page " + Name() + ".");
  page->skip = skip;
  // A page shown by itself closes with OK, as the concrete dialogs' Proceed buttons do.
  if (page->Host() == nullptr) page->next->SetModalResult(mrOk);
  ApplyThemeBitmap(page->image->Picture());
}

TTestCopyForm::TTestCopyForm(TComponent* owner) : TBaseDuringCopyForm(owner) {
  SetCaption("Copying");
  SetDM(FindDialogManager(dmDuringCopyFiles));
  Log().push_back("create");
}

TTestCopyForm::~TTestCopyForm() {
  Log().push_back("free");
}

void TTestCopyForm::UpdateStatus(TFileStatusParameter* file, TDownloadStatusParameter* download) {
  if (file != nullptr) Log().push_back("file " + file->FileName);
  if (download != nullptr) Log().push_back("download " + download->FileName);
}

std::vector<std::string>& TTestCopyForm::Log() {
  static std::vector<std::string> log;
  return log;
}

VANTOREL_CLASS(TTestPage, TBaseInstallForm) {}
VANTOREL_CLASS(TTestDlg, TBaseInstallDlg) {}
VANTOREL_CLASS(TTestCopyForm, TBaseDuringCopyForm) {}

}  // namespace vantorel::testing
