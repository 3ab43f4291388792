// A real run with a translator on the project: the wizard's pages come up in the project's
// language, as the headless transcript shows them.
#include <gtest/gtest.h>

#include <algorithm>

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
#include "translate/translate_controls.h"
#include "translate/translator.h"

namespace vantorel {
namespace {

// A welcome page as the dialogs design it: English texts and their GLIDs.
class TTranslatedTestPage : public TBaseInstallForm {
 public:
  explicit TTranslatedTestPage(TComponent* owner) : TBaseInstallForm(owner) {
    SetCaption("Welcome");
    SetDM(FindDialogManager(dmBeforeInstall));
    auto* text = new TTranslateLabel(this);
    text->SetParent(this);
    text->SetCaption("This program will install the software on your computer.");
    text->SetGLID(10);
    auto* next = new TTranslateBitBtn(this);
    next->SetParent(this);
    next->SetCaption("Next >");
    next->SetGLID(5);
    next->SetDefault(true);
    next->OnClick = [this](TObject*) { NextPage(); };
    auto* cancel = new TTranslateBitBtn(this);
    cancel->SetParent(this);
    cancel->SetCaption("Cancel");
    cancel->SetGLID(6);
    cancel->OnClick = [this](TObject*) { CancelInstall(); };
  }
};
VANTOREL_CLASS(TTranslatedTestPage, TBaseInstallForm) {}

class TranslatedRun : public ::testing::Test {
 protected:
  void SetUp() override {
    Application().Reinitialize();
    program_ = ChangeFileExt(GetTempFile(false), ".exe");
    platform::File::Open(program_, platform::Access::Write, platform::kShareNone,
                         platform::Disposition::CreateAlways)
        .Write("x", 1);
    SetupProgramPath() = program_;
    CommandLineParameters() = {"-d", "-sC:\\dist"};
    BIFList()->Add(TClassOf<TTranslatedTestPage>(), nullptr);
  }
  void TearDown() override {
    BIFList()->Remove(TClassOf<TTranslatedTestPage>(), nullptr);
    Application().Reinitialize();
    DeleteRegKeyTree(kRootLocalMachine, "SOFTWARE\\Vantorel");
    platform::DeleteFile(program_);
  }
  std::vector<headless::TTranscriptEntry> Run(const std::string& language,
                                              const std::string& answers) {
    headless::Backend()->SetAnswers(answers);
    Application().CreateFormFromText(
        "object Form1: TForm1\n"
        "  object Install1: TInstall\n"
        "    UseLoadingProgram = False\n"
        "  end\n"
        "  object Manager1: TDialogManager\n"
        "    Container = Install1\n"
        "  end\n"
        "  object MainTranslator: TTranslator\n"
        "    TranslateIntoLanguage = " +
            language +
            "\n"
            "  end\n"
            "end\n",
        TReadOptions{});
    Application().Run();
    std::vector<headless::TTranscriptEntry> forms;
    for (auto& entry : headless::ParseTranscript(headless::Backend()->Transcript()))
      if (entry.kind == "form" && entry.mode == "modal") forms.push_back(entry);
    return forms;
  }
  static std::vector<std::string> Buttons(const headless::TTranscriptEntry& form) {
    std::vector<std::string> out;
    for (const headless::TTranscriptLine* b : form.Buttons()) out.push_back(b->text);
    return out;
  }
  static bool Shows(const headless::TTranscriptEntry& form, const std::string& text) {
    std::vector<std::string> texts = form.Texts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

  std::string program_;
};

TEST_F(TranslatedRun, TheWizardSpeaksTheProjectsLanguage) {
  auto forms = Run("vlGerman", "Willkommen: Weiter >\n");
  ASSERT_EQ(forms.size(), 1u);
  EXPECT_EQ(forms[0].caption, "Willkommen");
  EXPECT_TRUE(Shows(forms[0], "Dieses Programm installiert die Software auf Ihrem Computer."));
  EXPECT_EQ(Buttons(forms[0]), (std::vector<std::string>{"Weiter >", "Abbrechen"}));
  EXPECT_EQ(forms[0].result, mrOk);
  EXPECT_EQ(dynamic_cast<TCustomInstall*>(InstallComponent()->AsContainer())->Outcome(),
            TInstallOutcome::Installed);
}

TEST_F(TranslatedRun, TextsAreInTheLanguagesCodePage) {
  // Russian in code page 1251: "Далее >" and "Отмена".
  auto forms = Run("vlRussian", "*: \xC4\xE0\xEB\xE5\xE5 >\n");
  ASSERT_EQ(forms.size(), 1u);
  EXPECT_EQ(Buttons(forms[0]),
            (std::vector<std::string>{"\xC4\xE0\xEB\xE5\xE5 >", "\xCE\xF2\xEC\xE5\xED\xE0"}));
  EXPECT_EQ(forms[0].result, mrOk);
}

}  // namespace
}  // namespace vantorel
