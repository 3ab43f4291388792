#include "dialogs/copy_dialog.h"

#include "archive/compress.h"
#include "dialogs/dialog_manager.h"
#include "dialogs/dialog_pictures.h"
#include "dialogs/form_building.h"
#include "dialogs/form_registry.h"
#include "framework/application.h"
#include "model/file_container.h"
#include "model/parameters.h"
#include "routines/exceptions.h"

namespace vantorel {

// What the constructors choose is written whatever it holds (see install_pages.cpp).
VANTOREL_CLASS(TCopyFileForm, TBaseDuringCopyForm) {
  p.Declared("Caption").NoDefault();
  p.Declared("BorderStyle").Default(bsDialog);
  p.Declared("BorderIcons").Default(TBorderIcons{});
  p.Declared("Scaled").Default(false);
}
VANTOREL_CLASS(TChangeDiskForm, TBaseInstallForm) {
  p.Declared("Caption").NoDefault();
  p.Declared("BorderStyle").Default(bsDialog);
  p.Declared("BorderIcons").Default(TBorderIcons{});
  p.Declared("Position").Default(poScreenCenter);
  p.Declared("Scaled").Default(false);
}

VANTOREL_CLASS(TCopyFileDlg, TCustomBaseInstallDlg) {
  using T = TCopyFileDlg;
  p.Bool("AutoSetFont", &T::AutoSetFont, &T::SetAutoSetFont).Default(true);
  p.Bool("AutoTranslate", &T::AutoTranslate, &T::SetAutoTranslate).Default(true);
  p.Component("Container", &T::Container, &T::SetContainer);
  // A dialog made in a designer joins a manager of its kind at once: "none" must be written to
  // be read back.
  p.Component("DialogManager", &T::DialogManager, &T::SetDialogManager).NoDefault();
  p.Int("Height", &T::Height, &T::SetHeight).Default(146);
  p.Bool("OverrideMainTranslator", &T::OverrideMainTranslator, &T::SetOverrideMainTranslator)
      .Default(false);
  p.Enum("Position", &T::Position, &T::SetPosition).Default(vdpBottomCenter);
  p.Int("RelativeLeftOffset", &T::RelativeLeftOffset, &T::SetRelativeLeftOffset).Default(0);
  p.Int("RelativeTopOffset", &T::RelativeTopOffset, &T::SetRelativeTopOffset).Default(30);
  p.Picture("ThemeBitmap", &T::ThemeBitmap, &T::SetThemeBitmap);
  p.Enum("TranslateIntoLanguage", &T::TranslateIntoLanguage, &T::SetTranslateIntoLanguage)
      .Default(vlUser);
  p.Int("Width", &T::Width, &T::SetWidth).Default(474);
}

VANTOREL_CLASS(TChangeDiskDlg, TBaseInstallDlg) {}

namespace {

void UseDialogFont(TForm& form) {
  form.SetScaled(false);
  form.Font()->SetName("Arial");
  form.Font()->SetSize(8);
  form.Font()->SetColor(clBlack);
}

// A label that only keeps its neighbours apart.
void Spacer(TComponent* owner, TWinControl* parent, const std::string& name, TAlign align,
            int width, int height) {
  TLabel* spacer = NewTranslateLabel(owner, parent, name, "", 0);
  spacer->SetAutoSize(false);
  spacer->SetBounds(0, 0, width, height);
  spacer->SetAlign(align);
}

// A row of a caption, a gap and a bar, the bar at the right.
TProgressBar* ProgressRow(TComponent* owner, TWinControl* parent, const std::string& panel,
                          const std::string& label, const std::string& caption, int glid,
                          const std::string& gap, const std::string& bar_name) {
  TPanel* row = NewBox(owner, parent, panel, alTop, 300, 22, 0);
  auto* bar = NewControl<TProgressBar>(owner, row, bar_name, alRight, 0, 0, 176, 22);
  Spacer(owner, row, gap, alRight, 10, 22);
  TLabel* text = NewTranslateLabel(owner, row, label, caption, glid);
  text->SetAlignment(taRightJustify);
  text->SetLayout(tlCenter);
  text->SetAutoSize(false);
  text->SetAlign(alClient);
  return bar;
}

}  // namespace

// ---- the copy form ---------------------------------------------------------------------------

TCopyFileForm::TCopyFileForm(TComponent* owner) : TBaseDuringCopyForm(owner) {
  SetBorderStyle(bsDialog);
  SetBorderIcons({});
  SetCaption("Copying installation files");
  UseDialogFont(*this);
  SetClientWidth(466);
  SetClientHeight(119);

  TPanel* left = NewBox(this, this, "Panel1", alLeft, 56, 119, 10);
  unzip_image_ = NewControl<TImage>(this, left, "UnZipImage", alNone, 10, 10, 36, 37);
  unzip_image_->SetTransparent(true);
  unzip_image_->Picture()->SetData(ExtractPicture());
  transfer_bitmap_ = NewControl<TImage>(this, left, "TransferBitmap", alNone, 10, 10, 37, 36);
  transfer_bitmap_->SetTransparent(true);
  transfer_bitmap_->Picture()->SetData(TransferPicture());
  transfer_bitmap_->Hide();

  TPanel* right = NewBox(this, this, "Panel2", alRight, 97, 119, 0);
  cancel_btn_ = NewTranslateBitBtn(this, right, "CancelBtn", "Cancel", 6);
  cancel_btn_->SetBounds(2, 10, 89, 25);
  cancel_btn_->SetCancel(true);
  if (auto* bit = dynamic_cast<TBitBtn*>(cancel_btn_)) {
    bit->Glyph()->SetData(CancelGlyph());
    bit->SetNumGlyphs(2);
  }
  cancel_btn_->OnClick = [this](TObject*) { CancelCopy(); };

  TPanel* middle = NewBox(this, this, "Panel3", alClient, 313, 119, 5);
  TLabel* header = NewTranslateLabel(this, middle, "lblCopyFileHeader", "Processing", 14);
  header->SetAlign(alTop);
  Spacer(this, middle, "Label3", alTop, 10, 3);
  auto* frame = NewControl<TPanel>(this, middle, "Panel5", alTop, 0, 0, 300, 25);
  frame->SetBevelOuter(bvLowered);
  frame->SetBorderWidth(3);
  Spacer(this, frame, "Label7", alLeft, 10, 17);
  Spacer(this, frame, "Label8", alRight, 10, 17);
  lbl_copying_file_ = NewTranslateLabel(this, frame, "lblCopyingFile", "---", 0);
  lbl_copying_file_->SetAutoSize(false);
  lbl_copying_file_->SetLayout(tlCenter);
  lbl_copying_file_->SetAlign(alClient);
  Spacer(this, middle, "Label4", alTop, 10, 3);
  progress_bar1_ =
      ProgressRow(this, middle, "Panel6", "Label1", "File progress", 15, "Label5", "ProgressBar1");
  progress_bar2_ =
      ProgressRow(this, middle, "Panel7", "Label2", "Total progress", 16, "Label6", "ProgressBar2");
  SetDM(FindDialogManager(dmDuringCopyFiles));
}

void TCopyFileForm::CancelCopy() {
  IInstallComponent* install = InstallComponent();
  if (install == nullptr || install->QueryUserAbort()) SharedArchiveEngine().SetAbort(true);
  // A modeless window stays open: the copy that notices the abort ends the run.
  SetModalResult(mrAbort);
}

void TCopyFileForm::UpdateStatus(TFileStatusParameter* file_status,
                                 TDownloadStatusParameter* download_status) {
  if (file_status != nullptr) {
    transfer_bitmap_->Hide();
    progress_bar2_->SetPosition(file_status->TotalPercentDone);
    progress_bar1_->SetPosition(file_status->FilePercentDone);
    lbl_copying_file_->SetCaption(file_status->FileName);
  } else if (download_status != nullptr) {
    transfer_bitmap_->Show();
    progress_bar1_->SetPosition(download_status->PercentDone);
    lbl_copying_file_->SetCaption(download_status->FileName);
  }
  Repaint();
}

TCopyFileDlg::TCopyFileDlg(TComponent* owner) : TCustomBaseInstallDlg(owner) {
  SetHeight(146);
  SetWidth(474);
  SetPosition(vdpBottomCenter);
  SetRelativeLeftOffset(0);
  SetRelativeTopOffset(30);
  if (TFormRegistry* list = DCFList()) list->Add(TClassOf<TCopyFileForm>(), this);
  StoreDialogManager(FindDialogManager(dmDuringCopyFiles));
}

TCopyFileDlg::~TCopyFileDlg() {
  if (TFormRegistry* list = DCFList()) list->Remove(TClassOf<TCopyFileForm>(), this);
}

const TClass* TCopyFileDlg::FormClass() const {
  return TClassOf<TCopyFileForm>();
}

// ---- the change-disk form --------------------------------------------------------------------

TChangeDiskForm::TChangeDiskForm(TComponent* owner) : TBaseInstallForm(owner) {
  SetBorderStyle(bsDialog);
  SetBorderIcons({});
  SetPosition(poScreenCenter);
  SetCaption("Insert disk");
  UseDialogFont(*this);
  SetClientWidth(380);
  SetClientHeight(132);

  auto* icon = NewControl<TImage>(this, this, "Image1", alNone, 12, 14, 32, 32);
  icon->SetTransparent(true);
  icon->Picture()->SetData(InformationPicture());
  lbl_prompt_ = NewTranslateLabel(this, this, "lblPrompt", "Please insert disk #%d", 0);
  lbl_prompt_->SetBounds(56, 14, 312, 30);
  lbl_prompt_->SetWordWrap(true);
  TLabel* where = NewTranslateLabel(this, this, "lblPath", "Look for the files in:", 73);
  where->SetBounds(56, 48, 312, 15);
  edt_path_ = NewControl<TEdit>(this, this, "edtPath", alNone, 56, 64, 312, 21);
  ok_btn_ = NewTranslateBitBtn(this, this, "OkBtn", "OK", 7);
  ok_btn_->SetBounds(196, 97, 75, 25);
  ok_btn_->SetDefault(true);
  ok_btn_->SetModalResult(mrOk);
  ok_btn_->OnClick = [this](TObject*) {
    if (disk_ != nullptr) disk_->Path = edt_path_->Text();
  };
  cancel_btn_ = NewTranslateBitBtn(this, this, "CancelBtn", "Cancel", 6);
  cancel_btn_->SetBounds(279, 97, 89, 25);
  cancel_btn_->SetCancel(true);
  if (auto* bit = dynamic_cast<TBitBtn*>(cancel_btn_)) {
    bit->Glyph()->SetData(CancelGlyph());
    bit->SetNumGlyphs(2);
  }
  cancel_btn_->OnClick = [this](TObject*) { CancelInstall(); };
  SetDM(FindDialogManager(dmChangeDisk));
}

void TChangeDiskForm::SetDiskParameter(TDiskParameter* disk) {
  disk_ = disk;
  UpdateButtons();
}

void TChangeDiskForm::UpdateButtons() {
  // The prompt's number is filled in after the prompt is translated.
  if (disk_ == nullptr) return;
  lbl_prompt_->SetCaption(Format(TranslateString("Please insert disk #%d"), disk_->NewDisk));
  edt_path_->SetText(disk_->Path);
}

TChangeDiskDlg::TChangeDiskDlg(TComponent* owner) : TBaseInstallDlg(owner) {
  StoreDialogManager(FindDialogManager(dmChangeDisk));
  if (TFormRegistry* list = ChangeDiskForms()) list->Add(TClassOf<TChangeDiskForm>(), this);
}

TChangeDiskDlg::~TChangeDiskDlg() {
  if (TFormRegistry* list = ChangeDiskForms()) list->Remove(TClassOf<TChangeDiskForm>(), this);
}

const TClass* TChangeDiskDlg::FormClass() const {
  return TClassOf<TChangeDiskForm>();
}

}  // namespace vantorel
