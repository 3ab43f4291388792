#include "dialogs/install_pages.h"

#include "dialogs/dialog_manager.h"
#include "dialogs/dialog_pictures.h"
#include "dialogs/form_building.h"
#include "dialogs/form_registry.h"
#include "model/types.h"

namespace vantorel {

// What the constructors choose is written whatever it holds, so that the class's stored defaults
// cannot stand in for it when a form is read back.
VANTOREL_CLASS(TInstallPageForm, TBaseInstallForm) {
  p.Declared("Caption").NoDefault();
  p.Declared("BorderStyle").Default(bsDialog);
  p.Declared("BorderIcons").Default(TBorderIcons{biSystemMenu});
  p.Declared("FormStyle").Default(fsStayOnTop);
  p.Declared("Position").Default(poScreenCenter);
  p.Declared("Scaled").Default(false);
  p.Declared("Order").Default(10);
}
VANTOREL_CLASS(TWelcomeForm, TInstallPageForm) {
  p.Declared("Order").Default(5);
}
VANTOREL_CLASS(TInstallEndForm, TInstallPageForm) {}
VANTOREL_CLASS(TGoodInstallForm, TInstallEndForm) {}
VANTOREL_CLASS(TBadInstallForm, TInstallEndForm) {}
// The page dialogs start as the tenth page of their wizard.
VANTOREL_CLASS(TInstallPageDlg, TBaseInstallDlg) {
  p.Declared("Order").Default(10);
}
VANTOREL_CLASS(TWelcomeDlg, TInstallPageDlg) {}
VANTOREL_CLASS(TGoodInstallationDlg, TInstallPageDlg) {}
VANTOREL_CLASS(TBadInstallationDlg, TInstallPageDlg) {}

namespace {

constexpr int kClientWidth = 470;
constexpr int kClientHeight = 368;
constexpr int kButtonHeight = 33;

}  // namespace

// ---- the shared layout -------------------------------------------------------------------------

TInstallPageForm::TInstallPageForm(TComponent* owner, TManagerType manager, int order,
                                   int content_border, int back_left, int proceed_left)
    : TBaseInstallForm(owner) {
  if (Host() == nullptr) {
    // A dialog of its own; inside a wizard the host has the frame.
    SetBorderStyle(bsDialog);
    SetBorderIcons({biSystemMenu});
    SetFormStyle(fsStayOnTop);
    SetPosition(poScreenCenter);
  }
  SetScaled(false);
  Font()->SetName("Arial");
  Font()->SetSize(8);
  Font()->SetColor(clBlack);
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);

  full_panel_ = NewBox(this, this, "pnlFull", alClient, kClientWidth, kClientHeight, 0);
  // The bottom row first: it spans the whole width under the picture and the texts.
  button_panel_ = NewBox(this, full_panel_, "pnlButtons", alBottom, kClientWidth, 52, 0);
  bevel_ = NewControl<TBevel>(this, button_panel_, "Bevel1", alTop, 0, 0, kClientWidth, 9);
  bevel_->SetShape(bsTopLine);
  left_panel_ = NewBox(this, full_panel_, "pnlLeft", alLeft, 136, kClientHeight - 52, 0);
  theme_image_ = NewControl<TImage>(this, left_panel_, "ThemeBitmap", alClient, 0, 0, 136, 316);
  theme_image_->SetCenter(true);
  content_panel_ = NewBox(this, full_panel_, "pnlContent", alClient, kClientWidth - 136,
                          kClientHeight - 52, content_border);

  back_btn_ = AddButton("BackBtn", "< Previous", 4, back_left, 75);
  back_btn_->OnClick = [this](TObject*) { BackBtnClick(); };
  proceed_btn_ = AddButton("ProceedBtn", "Next >", 5, proceed_left, 75);
  proceed_btn_->OnClick = [this](TObject*) { ProceedBtnClick(); };
  SetDM(FindDialogManager(manager));
  SetOrder(order);
}

TLabel* TInstallPageForm::AddText(const std::string& name, const std::string& text, int glid) {
  TLabel* label = NewTranslateLabel(this, content_panel_, name, text, glid);
  label->SetWordWrap(true);
  label->SetAutoSize(true);
  label->SetAlign(alTop);
  FitLabelHeights(*content_panel_);
  return label;
}

void TInstallPageForm::AddSpacer(const std::string& name, int height) {
  TLabel* spacer = NewTranslateLabel(this, content_panel_, name, "", 0);
  spacer->SetAutoSize(false);
  spacer->SetHeight(height);
  spacer->SetAlign(alTop);
}

TButton* TInstallPageForm::AddButton(const std::string& name, const std::string& caption, int glid,
                                     int left, int width) {
  TButton* button = NewTranslateBitBtn(this, button_panel_, name, caption, glid);
  button->SetBounds(left, 11, width, kButtonHeight);
  return button;
}

TPicture* TInstallPageForm::ThemeBitmap() {
  return theme_image_ != nullptr ? theme_image_->Picture() : nullptr;
}

void TInstallPageForm::Translate() {
  TBaseInstallForm::Translate();
  // Translated texts are longer or shorter than the designed ones.
  if (content_panel_ != nullptr) FitLabelHeights(*content_panel_);
}

void TInstallPageForm::SetBounds(int left, int top, int width, int height) {
  const bool resized = width != Width() || height != Height();
  TBaseInstallForm::SetBounds(left, top, width, height);
  if (resized && content_panel_ != nullptr) FitLabelHeights(*content_panel_);
}

// ---- welcome -----------------------------------------------------------------------------------

TWelcomeForm::TWelcomeForm(TComponent* owner)
    : TInstallPageForm(owner, dmBeforeInstall, 5, 8, 208, 288) {
  SetCaption("Welcome");
  AddText("Label1", "This program will install the software on your computer.", 10);
  AddSpacer("Label7", 14);
  AddText("Label2",
          "It is strongly recommended that you exit all Windows programs before running this "
          "setup. If you need to close any programs, click Cancel to quit the setup and then "
          "close the programs.",
          11);
  AddSpacer("Label6", 14);
  AddText("Label3", "Click Next to continue with the installation.", 12);
  ProceedBtn()->SetDefault(true);
  cancel_btn_ = AddButton("CancelBtn", "Cancel", 6, 368, 89);
  cancel_btn_->SetCancel(true);
  if (auto* bit = dynamic_cast<TBitBtn*>(cancel_btn_)) {
    bit->Glyph()->SetData(CancelGlyph());
    bit->SetNumGlyphs(2);
  }
  cancel_btn_->OnClick = [this](TObject*) { CancelBtnClick(); };
  FillThemeBitmap();
}

void TWelcomeForm::UpdateButtons() {
  // A page by itself has nothing to go back to.
  BackBtn()->SetVisible(Host() != nullptr && !IsFirstPage());
}

// ---- the endings -------------------------------------------------------------------------------

TInstallEndForm::TInstallEndForm(TComponent* owner, TManagerType manager)
    : TInstallPageForm(owner, manager, 10, 5, 304, 384) {
  finish_btn_ = AddButton("FinishBtn", "Finish", 72, 384, 75);
  finish_btn_->OnClick = [this](TObject*) { ProceedBtnClick(); };
  // Enter ends the install as it goes on in the wizard: whichever of the two is shown.
  ProceedBtn()->SetDefault(true);
  finish_btn_->SetDefault(true);
}

void TInstallEndForm::UpdateButtons() {
  // A page by itself is the last page: Finish, and nothing to go back to.
  BackBtn()->SetVisible(Host() != nullptr && !IsFirstPage());
  ProceedBtn()->SetVisible(Host() != nullptr && !IsLastPage());
  finish_btn_->SetVisible(!ProceedBtn()->Visible());
}

TGoodInstallForm::TGoodInstallForm(TComponent* owner) : TInstallEndForm(owner, dmAfterGoodInstall) {
  SetCaption("Setup complete");
  AddText("Label1",
          "The software has been properly installed. You may start the software by clicking on "
          "the icon.",
          38);
  FillThemeBitmap();
}

TBadInstallForm::TBadInstallForm(TComponent* owner) : TInstallEndForm(owner, dmAfterBadInstall) {
  SetCaption("Setup incomplete");
  AddText("TopLabel",
          "This software has not been properly installed and will not work correctly if you try "
          "to use it.",
          60);
  FillThemeBitmap();
}

// ---- the dialog components ---------------------------------------------------------------------

TInstallPageDlg::TInstallPageDlg(TComponent* owner, const TClass* form_class, TManagerType manager,
                                 int own_call)
    : TBaseInstallDlg(owner), form_class_(form_class), own_call_(own_call) {
  SetDialogOrder(10);
  StoreDialogManager(FindDialogManager(manager));
  if (TFormRegistry* list = BIFList()) list->Add(form_class_, this);
}

TInstallPageDlg::~TInstallPageDlg() {
  if (TFormRegistry* list = BIFList()) list->Remove(form_class_, this);
}

void TInstallPageDlg::AssignDialogProperties() {
  TBaseInstallDlg::AssignDialogProperties();
  auto* page = dynamic_cast<TInstallPageForm*>(Form());
  if (page == nullptr) return;
  // Shown by itself the page has nothing to go back to; inside a wizard UpdateButtons shows
  // Back again where there is a page before it.
  page->BackBtn()->Hide();
  page->ProceedBtn()->SetModalResult(mrOk);
  if (auto* ending = dynamic_cast<TInstallEndForm*>(page))
    ending->FinishBtn()->SetModalResult(mrOk);
  ApplyThemeBitmap(page->ThemeBitmap());
  // Inside a wizard the host does this as it activates the page.
  if (page->Host() == nullptr) page->UpdateButtons();
}

void TInstallPageDlg::HandleComponentCall(TInstallContainer* container, int component_call,
                                          TObject* po) {
  TBaseInstallDlg::HandleComponentCall(container, component_call, po);
  if (DialogManager() == nullptr && component_call == own_call_) Execute();
}

TWelcomeDlg::TWelcomeDlg(TComponent* owner)
    : TInstallPageDlg(owner, TClassOf<TWelcomeForm>(), dmBeforeInstall, ccWelcomeNoManager) {}

TGoodInstallationDlg::TGoodInstallationDlg(TComponent* owner)
    : TInstallPageDlg(owner, TClassOf<TGoodInstallForm>(), dmAfterGoodInstall,
                      ccGoodInstallNoManager) {}

TBadInstallationDlg::TBadInstallationDlg(TComponent* owner)
    : TInstallPageDlg(owner, TClassOf<TBadInstallForm>(), dmAfterBadInstall,
                      ccBadInstallNoManager) {}

}  // namespace vantorel
