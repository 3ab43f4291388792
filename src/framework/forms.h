#pragma once
// Forms: top-level windows holding controls, shown modelessly or modally.
#include <functional>
#include <string>

#include "framework/controls.h"

namespace vantorel {

VANTOREL_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
              poDesktopCenter, poMainFormCenter, poOwnerFormCenter);
VANTOREL_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized);
VANTOREL_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp);
using TBorderIcons = TSet<TBorderIcon>;
VANTOREL_ENUM(TFormStyle, fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop);
VANTOREL_ENUM(TCloseAction, caNone, caHide, caFree, caMinimize);

class TForm : public TWinControl {
 public:
  explicit TForm(TComponent* owner);
  ~TForm() override;

  TPosition Position() const { return position_; }
  void SetPosition(TPosition v) { position_ = v; }
  TWindowState WindowState() const { return window_state_; }
  void SetWindowState(TWindowState v);
  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle v);
  TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons v) { border_icons_ = v; }
  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle v) { form_style_ = v; }
  // The inside of the window; the outside is bigger by the frame and the caption.
  int ClientWidth() const;
  void SetClientWidth(int v);
  int ClientHeight() const;
  void SetClientHeight(int v);
  TClientArea ClientArea() const override { return {0, 0, ClientWidth(), ClientHeight()}; }
  int PixelsPerInch() const { return pixels_per_inch_; }
  void SetPixelsPerInch(int v) { pixels_per_inch_ = v; }
  int TextHeight() const { return text_height_; }
  void SetTextHeight(int v) { text_height_ = v; }
  bool Scaled() const { return scaled_; }
  void SetScaled(bool v) { scaled_ = v; }
  bool OldCreateOrder() const { return old_create_order_; }
  void SetOldCreateOrder(bool v) { old_create_order_ = v; }
  bool AutoScroll() const { return auto_scroll_; }
  void SetAutoScroll(bool v) { auto_scroll_ = v; }
  bool KeyPreview() const { return key_preview_; }
  void SetKeyPreview(bool v) { key_preview_ = v; }

  // Setting the form's cursor while it is shown changes the pointer over it.
  void SetCursor(TCursor v) override;
  void SetVisible(bool v) override;

  // Shows the form modelessly (OnShow, then OnActivate once it is the active form).
  void Show();
  // Shows the form modally and runs a message loop until its ModalResult is set (by a button,
  // by code or by Close); returns that result and hides the form.
  TModalResult ShowModal();
  // A modal form: ModalResult becomes mrCancel. Otherwise the form hides (OnClose may change
  // that); closing the main form terminates the application.
  void Close();
  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult v) { modal_result_ = v; }
  bool Modal() const { return modal_; }
  bool Active() const { return active_; }
  void BringToFront();

  // Fires OnCreate (through the application's exception handler). The application calls it for
  // the forms it creates, the form reader for a form root it creates.
  void DoCreate();
  // Called by the backend when the form becomes or stops being the active form; fires OnActivate
  // or OnDeactivate.
  void SetActive(bool active);
  // Called by the backend when the user closes the window; runs Close.
  void UserClose() { Close(); }
  // Called by the modal loop once ModalResult is set: OnClose may keep the form open (caNone),
  // which clears ModalResult. True when the form may close.
  bool CloseModal();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnDestroy;
  std::function<void(TObject* sender, TCloseAction& action)> OnClose;

 private:
  friend class TApplication;
  TPosition position_ = poDesigned;
  TWindowState window_state_ = wsNormal;
  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_{biSystemMenu, biMinimize, biMaximize};
  TFormStyle form_style_ = fsNormal;
  int pixels_per_inch_ = 96;
  int text_height_ = 13;
  bool scaled_ = true;
  bool old_create_order_ = false;
  bool auto_scroll_ = true;
  bool key_preview_ = false;
  TModalResult modal_result_ = mrNone;
  bool modal_ = false;
  bool active_ = false;
  bool destroy_fired_ = false;
};

// A non-visual container of components: what a project form may be instead of a form.
class TDataModule : public TComponent {
 public:
  explicit TDataModule(TComponent* owner) : TComponent(owner) {}
  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
};

// The install project's form class: a plain form with no behaviour of its own.
class TForm1 : public TForm {
 public:
  using TForm::TForm;
};

// The outer size of a window with the given client size and border style (frame and caption),
// the same arithmetic in both backends so that forms keep their designed size.
int FormFrameWidth(TFormBorderStyle style);
int FormFrameHeight(TFormBorderStyle style);

}  // namespace vantorel
