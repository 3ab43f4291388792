// The before-install wizard inside a real run: Cancel asks the install's OnUserAbort, and an
// allowed cancel ends the run as a user abort.
#include <gtest/gtest.h>

#include "dialogs/base_forms.h"
#include "dialogs/dialog_manager.h"
#include "dialogs/form_registry.h"
#include "framework/application.h"
#include "framework/headless/headless.h"
#include "install/install.h"
#include "platform/files.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

// A page without a dialog component: it joins the wizard of the first before-install manager.
class TRunTestPage : public TBaseInstallForm {
 public:
  explicit TRunTestPage(TComponent* owner) : TBaseInstallForm(owner) {
    SetCaption("Ready to install");
    SetDM(FindDialogManager(dmBeforeInstall));
    auto* next = new TButton(this);
    next->SetParent(this);
    next->SetCaption("&Install");
    next->SetDefault(true);
    next->OnClick = [this](TObject*) { NextPage(); };
    auto* cancel = new TButton(this);
    cancel->SetParent(this);
    cancel->SetCaption("Cancel");
    cancel->OnClick = [this](TObject*) { CancelInstall(); };
  }
};
VANTOREL_CLASS(TRunTestPage, TBaseInstallForm) {}

class WizardRun : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Reinitialize();
    program_ = ChangeFileExt(GetTempFile(false), ".exe");
    platform::File::Open(program_, platform::Access::Write, platform::kShareNone,
                         platform::Disposition::CreateAlways)
        .Write("x", 1);
    SetupProgramPath() = program_;
    CommandLineParameters() = {"-d", "-sC:\\dist"};
    RegisterHandler<void(TCustomInstall*, bool&)>("AskAbort", [this](TCustomInstall*, bool& quit) {
      ++questions_;
      quit = allow_;
    });
    BIFList()->Add(TClassOf<TRunTestPage>(), nullptr);
  }
  void TearDown() override {
    BIFList()->Remove(TClassOf<TRunTestPage>(), nullptr);
    Application().Reinitialize();
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    platform::DeleteFile(program_);
  }
  TCustomInstall* RunWithAnswers(const std::string& answers) {
    headless::Backend()->SetAnswers(answers);
    TReadOptions options;
    options.source_name = "test.vform";
    Application().CreateFormFromText(
        "object Form1: TForm1\n"
        "  object Install1: TInstall\n"
        "    UseLoadingProgram = False\n"
        "    OnUserAbort = AskAbort\n"
        "  end\n"
        "  object Manager1: TDialogManager\n"
        "    Container = Install1\n"
        "  end\n"
        "end\n",
        options);
    Application().Run();
    return dynamic_cast<TCustomInstall*>(InstallComponent()->AsContainer());
  }
  std::vector<headless::TTranscriptEntry> Wizard() const {
    std::vector<headless::TTranscriptEntry> pages;
    for (auto& entry : headless::ParseTranscript(headless::Backend()->Transcript()))
      if (entry.kind == "form" && entry.caption == "Ready to install") pages.push_back(entry);
    return pages;
  }

  std::string program_;
  bool allow_ = true;
  int questions_ = 0;
};

TEST_F(WizardRun, AnAllowedCancelEndsTheRunAsAUserAbort) {
  TCustomInstall* install = RunWithAnswers("Ready to install: Cancel\n");
  EXPECT_EQ(questions_, 1);
  EXPECT_EQ(install->Outcome(), TInstallOutcome::Cancelled);
  auto pages = Wizard();
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_EQ(pages[0].result, mrAbort);
}

TEST_F(WizardRun, ARefusedCancelLeavesTheWizardOpen) {
  allow_ = false;
  TCustomInstall* install = RunWithAnswers("Ready to install: Cancel\n");
  EXPECT_EQ(questions_, 1);
  EXPECT_EQ(install->Outcome(), TInstallOutcome::Installed);
  auto pages = Wizard();
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].Pressed(), "Cancel");
  EXPECT_EQ(pages[1].Pressed(), "&Install");
  EXPECT_EQ(pages[1].result, mrOk);
}

}  // namespace
}  // namespace vantorel
