#pragma once
// The application object (one per process): main form, message loop, the application-wide
// exception handler, message boxes and the screen cursor.
//
//   int main() {
//     Application().SetTitle("Setup");
//     Application().CreateFormFromText(form_text, {.source_name = "TFORM1"});
//     Application().Run();  // shows the main form (OnActivate) and loops until Terminate
//   }
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "framework/forms.h"
#include "framework/streaming.h"

namespace vantorel {

class TUiBackend;

// Message box styles and results: the Windows values.
enum : unsigned {
  MB_OK = 0x0,
  MB_OKCANCEL = 0x1,
  MB_ABORTRETRYIGNORE = 0x2,
  MB_YESNOCANCEL = 0x3,
  MB_YESNO = 0x4,
  MB_RETRYCANCEL = 0x5,
  MB_ICONHAND = 0x10,
  MB_ICONERROR = 0x10,
  MB_ICONSTOP = 0x10,
  MB_ICONQUESTION = 0x20,
  MB_ICONEXCLAMATION = 0x30,
  MB_ICONWARNING = 0x30,
  MB_ICONASTERISK = 0x40,
  MB_ICONINFORMATION = 0x40,
  MB_DEFBUTTON1 = 0x000,
  MB_DEFBUTTON2 = 0x100,
  MB_DEFBUTTON3 = 0x200,
  MB_APPLMODAL = 0x0000,
  MB_SYSTEMMODAL = 0x1000,
  MB_TASKMODAL = 0x2000,
};
enum : int {
  IDOK = 1,
  IDCANCEL = 2,
  IDABORT = 3,
  IDRETRY = 4,
  IDIGNORE = 5,
  IDYES = 6,
  IDNO = 7,
};

using TExceptionEvent = std::function<void(TObject* sender, Exception& e)>;

class TApplication : public TComponent {
 public:
  TApplication();
  // Destroys the forms it owns before its user-interface backend goes.
  ~TApplication() override;

  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }

  // The first form created through CreateForm or read as a root by ReadForm; nullptr before.
  TForm* MainForm() const { return main_form_; }
  // For the framework (CreateForm, ReadForm); a destroyed main form clears itself.
  void SetMainForm(TForm* form) { main_form_ = form; }

  // Creates a form owned by the application (OnCreate fires); the first becomes the main form.
  template <class T>
  T* CreateForm() {
    T* form = new T(this);
    AfterCreateForm(form);
    return form;
  }
  TForm* CreateForm(const TClass* form_class);
  // Reads a form from its text into a new root owned by the application. A form root fires
  // OnCreate and becomes the main form when it is the first.
  TComponent* CreateFormFromText(std::string_view text, const TReadOptions& options = {});

  // The application-wide exception handler. Unassigned, exceptions are shown in a message box
  // titled with Title. EAbort is silent either way.
  TExceptionEvent OnException;
  // Handles the exception being handled (call inside a catch block) or the given one. An
  // std::exception that is not an Exception is wrapped in one with its what().
  void HandleException(TObject* sender);
  void HandleException(TObject* sender, std::exception_ptr error);
  void ShowException(const Exception& e);
  // Runs `f`; an exception from it goes to HandleException. Every event the application or a
  // backend dispatches goes through here.
  template <class F>
  void Dispatch(TObject* sender, F&& f) {
    try {
      f();
    } catch (...) {
      HandleException(sender);
    }
  }

  // Shows the main form and runs the message loop until Terminate. Returns at once when
  // Terminate came before.
  void Run();
  // Posts the end of the message loop: the code after this call still runs, and the loop ends
  // when control returns to it.
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles the messages waiting, then returns.
  void ProcessMessages();
  // A message box; returns the Windows id of the button pressed (IDOK, IDYES, ...).
  int MessageBox(const std::string& text, const std::string& caption, unsigned flags = MB_OK);

  // The user-interface backend: headless when VANTOREL_UI=headless or without a window system,
  // win32 otherwise. Chosen at first use.
  TUiBackend& Ui();
  void SetUi(std::unique_ptr<TUiBackend> backend);
  bool Headless() const;

  // Back to the state of a fresh process: forms destroyed, no main form, not terminated, no
  // exception handler, title empty, cursor default. For tests and for hosts that run twice.
  void Reinitialize();

  void Notification(TComponent* component, TOperation operation) override;

 private:
  void AfterCreateForm(TForm* form);

  std::string title_;
  TForm* main_form_ = nullptr;
  bool terminated_ = false;
  std::unique_ptr<TUiBackend> ui_;
};

TApplication& Application();

// The screen: the application-wide cursor (crHourGlass while busy).
class TScreen {
 public:
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  // The screen's usable area and the height of a window's title bar.
  int Width() const;
  int Height() const;
  int CaptionHeight() const;

 private:
  TCursor cursor_ = crDefault;
};
TScreen& Screen();

// Sets a cursor on the screen (or on a form) and puts the previous one back on every path.
class TCursorScope {
 public:
  explicit TCursorScope(TCursor cursor, TForm* form = nullptr);
  ~TCursorScope();
  TCursorScope(const TCursorScope&) = delete;
  TCursorScope& operator=(const TCursorScope&) = delete;

 private:
  TForm* form_;
  TCursor previous_;
};

}  // namespace vantorel
