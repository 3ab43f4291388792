#include "framework/application.h"

#include <cstdlib>

#include "framework/ui_backend.h"
#include "platform/ui.h"

namespace vantorel {

namespace {

TApplication* g_application = nullptr;

// Forms go at exit, before the class and handler registries they may still use: those were
// created during static initialisation, before this handler was registered.
void DestroyApplication() {
  TApplication* app = g_application;
  if (app == nullptr) return;
  app->DestroyComponents();
  g_application = nullptr;
  delete app;
}

}  // namespace

TApplication& Application() {
  if (g_application == nullptr) {
    g_application = new TApplication();
    std::atexit(DestroyApplication);
  }
  return *g_application;
}

TApplication::TApplication() : TComponent(nullptr) {}

TApplication::~TApplication() {
  DestroyComponents();
  main_form_ = nullptr;
  ui_.reset();
}

TUiBackend& TApplication::Ui() {
  if (!ui_) {
    const char* choice = std::getenv("VANTOREL_UI");
    if (choice == nullptr || !detail::SameText(choice, "headless")) ui_ = CreateNativeBackend();
    if (!ui_) ui_ = CreateHeadlessBackend();
  }
  return *ui_;
}

void TApplication::SetUi(std::unique_ptr<TUiBackend> backend) {
  ui_ = std::move(backend);
}

bool TApplication::Headless() const {
  return const_cast<TApplication*>(this)->Ui().IsHeadless();
}

void TApplication::AfterCreateForm(TForm* form) {
  if (main_form_ == nullptr) main_form_ = form;
  form->DoCreate();
}

TForm* TApplication::CreateForm(const TClass* form_class) {
  if (form_class == nullptr || !form_class->InheritsFrom(TClassOf<TForm>()))
    throw Exception("CreateForm needs a form class");
  auto* form = static_cast<TForm*>(form_class->Create(this));
  AfterCreateForm(form);
  return form;
}

TComponent* TApplication::CreateFormFromText(std::string_view text, const TReadOptions& options) {
  TReadOptions read = options;
  std::unique_ptr<TComponent> root = ReadForm(text, read);
  // ReadForm made a form root the main form (when there was none) and fired OnCreate.
  InsertComponent(root.get());
  return root.release();
}

void TApplication::HandleException(TObject* sender) {
  HandleException(sender, std::current_exception());
}

void TApplication::HandleException(TObject* sender, std::exception_ptr error) {
  if (!error) return;
  auto report = [&](Exception& e) {
    try {
      if (OnException)
        OnException(sender, e);
      else
        ShowException(e);
    } catch (const EAbort&) {
    } catch (const Exception& nested) {
      // A failing handler must not send the loop round again.
      ShowException(nested);
    } catch (const std::exception& nested) {
      ShowException(Exception(nested.what()));
    }
  };
  try {
    std::rethrow_exception(error);
  } catch (const EAbort&) {
    // The silent abort.
  } catch (Exception& e) {
    report(e);
  } catch (const std::exception& e) {
    Exception wrapped(e.what());
    report(wrapped);
  }
}

void TApplication::ShowException(const Exception& e) {
  MessageBox(e.Message(), title_.empty() ? "Error" : title_, MB_OK | MB_ICONERROR);
}

void TApplication::Run() {
  if (terminated_) return;
  Ui().Run(*this);
}

void TApplication::Terminate() {
  if (terminated_) return;
  terminated_ = true;
  Ui().Terminate();
}

void TApplication::ProcessMessages() {
  Ui().ProcessMessages(*this);
}

int TApplication::MessageBox(const std::string& text, const std::string& caption, unsigned flags) {
  return Ui().MessageBox(text, caption, flags);
}

void TApplication::Reinitialize() {
  DestroyComponents();
  main_form_ = nullptr;
  terminated_ = false;
  OnException = nullptr;
  title_.clear();
  Screen().SetCursor(crDefault);
  ui_.reset();
}

void TApplication::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component == main_form_) main_form_ = nullptr;
  TComponent::Notification(component, operation);
}

// ---- the screen -----------------------------------------------------------------------------

void TScreen::SetCursor(TCursor cursor) {
  cursor_ = cursor;
  TForm* main = Application().MainForm();
  Application().Ui().CursorChanged(cursor == crDefault && main ? main->Cursor() : cursor);
}

int TScreen::Width() const {
  return platform::ui::ScreenRect().width;
}

int TScreen::Height() const {
  return platform::ui::ScreenRect().height;
}

int TScreen::CaptionHeight() const {
  return platform::ui::CaptionHeight();
}

TScreen& Screen() {
  static TScreen screen;
  return screen;
}

TCursorScope::TCursorScope(TCursor cursor, TForm* form) : form_(form) {
  if (form_ != nullptr) {
    previous_ = form_->Cursor();
    form_->SetCursor(cursor);
  } else {
    previous_ = Screen().Cursor();
    Screen().SetCursor(cursor);
  }
}

TCursorScope::~TCursorScope() {
  if (form_ != nullptr)
    form_->SetCursor(previous_);
  else
    Screen().SetCursor(previous_);
}

}  // namespace vantorel
