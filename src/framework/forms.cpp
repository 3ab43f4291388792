#include "framework/forms.h"

#include <algorithm>
#include <cstdint>

#include "framework/application.h"
#include "framework/ui_backend.h"

namespace vantorel {

VANTOREL_CLASS(TForm, TWinControl) {
  p.String("Caption", &TForm::Caption, &TForm::SetCaption);
  p.Declared("ParentColor").Default(false);
  p.Int("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth).NotStored();
  p.Int("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight).NotStored();
  p.Set("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons)
      .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
  p.Enum("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle).Default(bsSizeable);
  p.Enum("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle).Default(fsNormal);
  p.Bool("AutoScroll", &TForm::AutoScroll, &TForm::SetAutoScroll).Default(true);
  p.Bool("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview).Default(false);
  p.Bool("OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder).Default(false);
  p.Enum("Position", &TForm::Position, &TForm::SetPosition).Default(poDesigned);
  p.Bool("Scaled", &TForm::Scaled, &TForm::SetScaled).Default(true);
  p.Bool("Visible", &TForm::Visible, &TForm::SetVisible).Default(false);
  p.Enum("WindowState", &TForm::WindowState, &TForm::SetWindowState).Default(wsNormal);
  p.Int("PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch).AlwaysStored();
  p.Int("TextHeight", &TForm::TextHeight, &TForm::SetTextHeight).AlwaysStored();
  p.Event("OnActivate", &TForm::OnActivate);
  p.Event("OnClose", &TForm::OnClose);
  p.Event("OnCreate", &TForm::OnCreate);
  p.Event("OnDeactivate", &TForm::OnDeactivate);
  p.Event("OnDestroy", &TForm::OnDestroy);
  p.Event("OnHide", &TForm::OnHide);
  p.Event("OnShow", &TForm::OnShow);
}

VANTOREL_CLASS(TForm1, TForm) {}

VANTOREL_CLASS(TDataModule, TComponent) {
  p.Event("OnCreate", &TDataModule::OnCreate);
  p.Event("OnDestroy", &TDataModule::OnDestroy);
}

int FormFrameWidth(TFormBorderStyle style) {
  switch (style) {
    case bsNone:
      return 0;
    case bsSizeable:
    case bsSizeToolWin:
      return 8;
    default:
      return 6;
  }
}

int FormFrameHeight(TFormBorderStyle style) {
  switch (style) {
    case bsNone:
      return 0;
    case bsSizeable:
      return 27;
    case bsSizeToolWin:
      return 23;
    case bsToolWindow:
      return 21;
    default:
      return 25;
  }
}

TForm::TForm(TComponent* owner) : TWinControl(owner) {
  // Nothing above a form lends it a color.
  SetParentColor(false);
  SetVisible(false);
  SetBounds(0, 0, 320, 240);
}

TForm::~TForm() {
  if (!destroy_fired_) {
    destroy_fired_ = true;
    if (OnDestroy) Application().Dispatch(this, [&] { OnDestroy(this); });
  }
  if (Visible() || active_ || NativeHandle() != 0) Application().Ui().ControlDestroying(*this);
  SetNativeHandle(0);
  if (Application().MainForm() == this) Application().SetMainForm(nullptr);
}

namespace {
// Sizes at the ends of the int range, which a form may give, stay there instead of overflowing.
int Saturated(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}
}  // namespace

int TForm::ClientWidth() const {
  return Saturated(int64_t{Width()} - FormFrameWidth(border_style_));
}
void TForm::SetClientWidth(int v) {
  SetWidth(Saturated(int64_t{v} + FormFrameWidth(border_style_)));
}
int TForm::ClientHeight() const {
  return Saturated(int64_t{Height()} - FormFrameHeight(border_style_));
}
void TForm::SetClientHeight(int v) {
  SetHeight(Saturated(int64_t{v} + FormFrameHeight(border_style_)));
}

void TForm::SetBorderStyle(TFormBorderStyle v) {
  if (v == border_style_) return;
  border_style_ = v;
  // The frame takes from the client area or gives back to it.
  AlignControls();
}

void TForm::SetWindowState(TWindowState v) {
  if (v == window_state_) return;
  window_state_ = v;
  Changed();
}

void TForm::SetCursor(TCursor v) {
  TWinControl::SetCursor(v);
  if (Visible() && Screen().Cursor() == crDefault) Application().Ui().CursorChanged(v);
}

void TForm::SetVisible(bool v) {
  if (v == Visible()) return;
  if (IsLoading() || IsDesigning()) {
    TWinControl::SetVisible(v);
    return;
  }
  TWinControl::SetVisible(v);
  if (v) {
    if (OnShow) Application().Dispatch(this, [&] { OnShow(this); });
    if (!modal_) Application().Ui().ShowForm(*this);
  } else {
    if (!modal_) Application().Ui().HideForm(*this);
    if (active_) Application().Dispatch(this, [&] { SetActive(false); });
    if (OnHide) Application().Dispatch(this, [&] { OnHide(this); });
  }
}

void TForm::Show() {
  SetVisible(true);
  BringToFront();
}

TModalResult TForm::ShowModal() {
  if (Visible() || modal_ || !Enabled()) throw Exception("Cannot make a visible window modal");
  modal_ = true;
  modal_result_ = mrNone;
  // On every path: the window goes, OnHide fires, the form is modeless again.
  struct Restore {
    TForm& form;
    ~Restore() {
      Application().Ui().HideForm(form);
      form.SetVisible(false);
      form.modal_ = false;
    }
  } restore{*this};
  SetVisible(true);
  Application().Ui().ShowModal(*this);
  return modal_result_;
}

bool TForm::CloseModal() {
  TCloseAction action = caHide;
  if (OnClose) Application().Dispatch(this, [&] { OnClose(this, action); });
  if (action == caNone) {
    modal_result_ = mrNone;
    return false;
  }
  return true;
}

void TForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
    return;
  }
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application().MainForm() == this) {
    Application().Terminate();
    return;
  }
  if (action == caMinimize)
    SetWindowState(wsMinimized);
  else
    Hide();
}

void TForm::BringToFront() {
  if (NativeHandle() != 0) Application().Ui().ControlChanged(*this);
}

void TForm::DoCreate() {
  if (OnCreate) Application().Dispatch(this, [&] { OnCreate(this); });
}

void TForm::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (active) {
    if (OnActivate) OnActivate(this);
  } else {
    if (OnDeactivate) OnDeactivate(this);
  }
}

}  // namespace vantorel
