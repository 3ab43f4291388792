#include "dialogs/status_dialog.h"

#include <cmath>

#include "dialogs/dialog_pictures.h"
#include "dialogs/form_building.h"
#include "framework/application.h"
#include "model/parameters.h"
#include "model/types.h"
#include "routines/exceptions.h"

namespace vantorel {

VANTOREL_CLASS(TInstallStatusForm, TForm) {
  p.Declared("Font").NoDefault();
  p.Declared("BorderStyle").Default(bsNone);
  p.Declared("BorderIcons").Default(TBorderIcons{});
  p.Declared("FormStyle").Default(fsStayOnTop);
}

VANTOREL_CLASS(TInstallStatusDlg, TCustomBaseInstallDlg) {
  using T = TInstallStatusDlg;
  p.Bool("AutoSetFont", &T::AutoSetFont, &T::SetAutoSetFont).Default(true);
  p.Bool("AutoTranslate", &T::AutoTranslate, &T::SetAutoTranslate).Default(true);
  p.Component("Container", &T::Container, &T::SetContainer);
  p.Bool("OverrideMainTranslator", &T::OverrideMainTranslator, &T::SetOverrideMainTranslator)
      .Default(false);
  p.Picture("ThemeBitmap", &T::ThemeBitmap, &T::SetThemeBitmap);
  p.Enum("TranslateIntoLanguage", &T::TranslateIntoLanguage, &T::SetTranslateIntoLanguage)
      .Default(vlUser);
}

TInstallStatusForm::TInstallStatusForm(TComponent* owner) : TForm(owner) {
  SetBorderStyle(bsNone);
  SetBorderIcons({});
  // It says what happens behind every other window of the install: it stays in front of them.
  SetFormStyle(fsStayOnTop);
  SetPosition(poScreenCenter);
  Font()->SetName("Arial");
  Font()->SetSize(8);
  Font()->SetColor(clBlack);
  Font()->SetCharset(ANSI_CHARSET);
  SetClientWidth(428);
  SetClientHeight(58);
  pnl_back_ = NewControl<TPanel>(this, this, "pnlBack", alClient, 0, 0, 428, 58);
  image_ = NewControl<TImage>(this, pnl_back_, "Image1", alLeft, 0, 0, 49, 56);
  image_->SetCenter(true);
  image_->SetTransparent(true);
  image_->Picture()->SetData(InformationPicture());
  pnl_message_ = NewBox(this, pnl_back_, "pnlMessage", alClient, 377, 56, 5);
  lbl_message_ = NewControl<TLabel>(this, pnl_message_, "lblMessage", alClient, 0, 0, 367, 46);
  lbl_message_->SetWordWrap(true);
  // Its place on the screen is chosen once, when it is made: a new message widens it about the
  // middle but never moves it up or down.
  const int screen_w = Screen().Width(), screen_h = Screen().Height();
  SetBounds(static_cast<int>(std::nearbyint(screen_w / 2.0 - Width() / 2.0)),
            static_cast<int>(std::nearbyint(screen_h / 2.0 - Height() / 2.0)), Width(), Height());
  SetPosition(poDesigned);
}

TInstallStatusDlg::TInstallStatusDlg(TComponent* owner) : TCustomBaseInstallDlg(owner) {}

TInstallStatusDlg::~TInstallStatusDlg() {
  delete Form();
}

const TClass* TInstallStatusDlg::FormClass() const {
  return TClassOf<TInstallStatusForm>();
}

TInstallStatusForm* TInstallStatusDlg::StatusForm() const {
  return dynamic_cast<TInstallStatusForm*>(Form());
}

void TInstallStatusDlg::Translate() {
  TCustomBaseInstallDlg::Translate();
  // The label is refilled with the untranslated message before each translation.
  SetCurrentLanguage(vlEnglish);
}

void TInstallStatusDlg::HandleComponentCall(TInstallContainer* container, int component_call,
                                            TObject* po) {
  TCustomBaseInstallDlg::HandleComponentCall(container, component_call, po);
  if (DialogManager() != nullptr) return;
  if (component_call == ccPushStatus) {
    if (po == nullptr) throw IException("%s got a nil PO parameter", Name());
    auto* message = dynamic_cast<TMessageParameter*>(po);
    if (message == nullptr)
      throw IException("The PO object passed to %s is not a TMessageParameter object", Name());
    current_ = message->MessageText;
    stack_.Add(current_);
    ShowMessage();
  } else if (component_call == ccPopStatus) {
    if (stack_.Count() > 0) stack_.Delete(stack_.Count() - 1);
    if (stack_.Count() > 0) {
      current_ = stack_[stack_.Count() - 1];
      ShowMessage();
    } else {
      if (TForm* form = Form()) form->Hide();
      Application().ProcessMessages();
    }
  }
}

void TInstallStatusDlg::ShowMessage() {
  if (Form() == nullptr) {
    std::unique_ptr<TComponent> made(FormClass()->Create(&Application()));
    auto* form = dynamic_cast<TForm*>(made.get());
    if (form == nullptr) return;
    made.release();
    SetForm(form);
    form->FreeNotification(this);
    AssignDialogProperties();
  }
  TInstallStatusForm* form = StatusForm();
  if (form == nullptr) return;
  TLabel* label = form->MessageLabel();
  label->SetAlign(alNone);
  label->SetWordWrap(false);
  label->SetCaption(current_);
  Translate();
  // Sized to the text, as an automatically sized label takes it.
  const TTextSize text = MeasureText(*label, label->Caption());
  label->SetBounds(label->Left(), label->Top(), text.width, text.height);
  label->SetTop(
      static_cast<int>(std::nearbyint(form->ClientHeight() / 2.0 - label->Height() / 2.0)));
  const int width =
      text.width + form->BackPanel()->Left() + form->MessagePanel()->Left() + label->Left() + 25;
  const int left = static_cast<int>(std::nearbyint(Screen().Width() / 2.0 - width / 2.0));
  form->SetBounds(left, form->Top(), width, form->Height());
  form->Show();
  form->Repaint();
  Application().ProcessMessages();
  // A window that has just appeared may not have been on the screen for its first paint.
  form->Repaint();
}

}  // namespace vantorel
