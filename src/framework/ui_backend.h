#pragma once
// What a user-interface backend does for the forms and the application. Two implement it: the
// headless widget tree (framework/headless/) and the native windows of platform/ui.h.
#include <memory>
#include <string>

namespace vantorel {

class TApplication;
class TControl;
class TFont;
class TForm;

class TUiBackend {
 public:
  virtual ~TUiBackend() = default;
  virtual const char* Name() const = 0;
  virtual bool IsHeadless() const = 0;

  // Shows a form modelessly; the backend fires its activation (TForm::SetActive).
  virtual void ShowForm(TForm& form) = 0;
  virtual void HideForm(TForm& form) = 0;
  // Shows a form modally and returns when its ModalResult is set (or the application ends,
  // then with mrCancel).
  virtual int ShowModal(TForm& form) = 0;
  // Something a shown control displays has changed (text, bounds, visibility, state).
  virtual void ControlChanged(TControl& control) = 0;
  virtual void ControlDestroying(TControl& control) = 0;
  virtual void Repaint(TControl& control) = 0;

  virtual int MessageBox(const std::string& text, const std::string& caption, unsigned flags) = 0;
  // Runs the message loop until the application is terminated.
  virtual void Run(TApplication& app) = 0;
  virtual void ProcessMessages(TApplication& app) = 0;
  // Posts the end of the message loop.
  virtual void Terminate() = 0;
  // The cursor to show over the application's windows (screen cursor or a form's).
  virtual void CursorChanged(int cursor) = 0;
  // The size of one line of text in a font.
  virtual void MeasureText(const TFont& font, const std::string& text, int& width, int& height) = 0;
  // The height of text wrapped to a width as a word-wrapped label shows it. By default lines
  // break at spaces; a backend whose labels break otherwise (East Asian text) says so.
  virtual int MeasureWrappedText(const TFont& font, const std::string& text, int width);
};

std::unique_ptr<TUiBackend> CreateHeadlessBackend();
// Real windows through platform/ui.h; nullptr when the platform has no window system.
std::unique_ptr<TUiBackend> CreateNativeBackend();

}  // namespace vantorel
