#pragma once
// An install component stand-in, test pages and a progress window for the dialog tests.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/base_dialog.h"
#include "dialogs/base_forms.h"
#include "dialogs/dialog_manager.h"
#include "dialogs/form_registry.h"
#include "framework/application.h"
#include "framework/headless/headless.h"
#include "model/file_container.h"

namespace vantorel::testing {

// What the dialogs need of the install component: its OnUserAbort answer and its picture.
class TFakeInstall : public TFileContainer, public IInstallComponent {
 public:
  explicit TFakeInstall(TComponent* owner) : TFileContainer(owner) { SetInstallComponent(this); }
  ~TFakeInstall() override { SetInstallComponent(nullptr); }

  TFileContainer* AsContainer() override { return this; }
  const std::string& SourceDirectory() const override { return source_; }
  bool HasSwitch(char) const override { return false; }
  std::string SwitchArgument(char) const override { return ""; }
  std::string ProductName() const override { return "Test product"; }
  TDistributeType DistributeType() const override { return dtTraditional; }
  TCustomNetInstallLocation* NetLocation() const override { return nullptr; }
  bool Running() const override { return true; }
  bool QueryUserAbort() override {
    ++abort_questions;
    return allow_abort;
  }
  TPicture* DialogThemeBitmap() override { return &theme; }
  void SetReboot(bool) override {}
  void AddUnfinished(const std::string&, int) override {}

  bool allow_abort = true;
  int abort_questions = 0;
  TPicture theme;

 private:
  std::string source_;
};

// A wizard page with Back, Next and Cancel, titled after its dialog.
class TTestPage : public TBaseInstallForm {
 public:
  explicit TTestPage(TComponent* owner);
  bool SkipPage() override { return skip; }
  TPicture* ThemeBitmap() override { return image->Picture(); }
  void PageActivated() override;
  // Called for every page activation while a test looks at the wizard.
  static std::function<void(TTestPage&)>& OnActivated();

  bool skip = false;
  TLabel* text = nullptr;
  TButton* back = nullptr;
  TButton* next = nullptr;
  TButton* cancel = nullptr;
  TImage* image = nullptr;
};

// A page dialog: registers its page class while it exists.
class TTestDlg : public TBaseInstallDlg {
 public:
  explicit TTestDlg(TComponent* owner);
  ~TTestDlg() override;
  const TClass* FormClass() const override;
  void AssignDialogProperties() override;
  bool CanShow() override { return can_show; }

  bool skip = false;
  bool can_show = true;
};

// A progress window that records the reports it is given.
class TTestCopyForm : public TBaseDuringCopyForm {
 public:
  explicit TTestCopyForm(TComponent* owner);
  ~TTestCopyForm() override;
  void UpdateStatus(TFileStatusParameter* file, TDownloadStatusParameter* download) override;

  static std::vector<std::string>& Log();
};

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = headless::Backend();
    ASSERT_NE(backend_, nullptr) << "the dialog tests run headless";
    backend_->SetTranscriptFile("");
    backend_->ClearTranscript();
    backend_->SetAnswers("");
    backend_->SetFailureHandler([](const std::string& message) { ADD_FAILURE() << message; });
    form_ = std::make_unique<TForm>(nullptr);
    install_ = Make<TFakeInstall>("Install1");
  }
  void TearDown() override {
    form_.reset();
    BIFList()->Clear();
    DCFList()->Clear();
    ChangeDiskForms()->Clear();
    TTestCopyForm::Log().clear();
    TTestPage::OnActivated() = nullptr;
  }

  template <class T>
  T* Make(const std::string& name) {
    T* object = new T(form_.get());
    object->SetName(name);
    return object;
  }
  TDialogManager* Manager(const std::string& name, TManagerType type) {
    auto* manager = Make<TDialogManager>(name);
    manager->SetManagerType(type);
    manager->SetContainer(install_);
    return manager;
  }
  TTestDlg* Page(const std::string& name, TDialogManager* manager, int order, bool skip = false) {
    auto* dialog = Make<TTestDlg>(name);
    dialog->SetContainer(install_);
    dialog->SetDialogManager(manager);
    dialog->SetDialogOrder(order);
    dialog->skip = skip;
    return dialog;
  }
  std::vector<headless::TTranscriptEntry> Transcript() const {
    return headless::ParseTranscript(backend_->Transcript());
  }
  // The captions of the wizard as the user saw it, one per answer.
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const auto& entry : Transcript())
      if (entry.kind == "form") captions.push_back(entry.caption);
    return captions;
  }

  headless::THeadlessBackend* backend_ = nullptr;
  std::unique_ptr<TForm> form_;
  TFakeInstall* install_ = nullptr;
};

}  // namespace vantorel::testing
