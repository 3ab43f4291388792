// The translator's lookups, fonts, forms and its place in the system.
#include "translate/translator.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dialogs/base_forms.h"
#include "framework/forms.h"
#include "framework/streaming.h"
#include "install/install.h"
#include "platform/system.h"
#include "routines/exceptions.h"
#include "routines/main_translator.h"
#include "translate/translate_controls.h"

namespace vantorel {
namespace {

// Only the texts a test gives: a translator outside a designer starts with the built-in ones.
void EmptyAll(TTranslator& t) {
  for (int i = 0; i < t.LanguageCount(); ++i) t.Languages(i)->Strings()->Clear();
}

void Fill(TTranslator& t, TVtrlLanguage language, std::initializer_list<std::string> lines) {
  TStringList list;
  for (const std::string& line : lines) list.Add(line);
  t.FindLanguage(language)->SetStrings(list);
}

// English and German as a project would carry them.
class TranslatorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EmptyAll(translator_);
    Fill(translator_, vlEnglish,
         {"4;< Previous", "5;Next >", "6;Cancel", "100;Welcome", "300;Please insert disk #%d",
          "#28;", "Select the components.", "Clear the others.", "#"});
    Fill(translator_, vlGerman,
         {"4;< Zurück", "6;Abbrechen", "100;Willkommen", "300;Bitte legen Sie Diskette %d ein",
          "#28;", "Wählen Sie die Komponenten.", "#"});
    translator_.SetTranslateIntoLanguage(vlGerman);
  }
  TTranslator translator_{nullptr};
};

TEST_F(TranslatorTest, MessagesAreFoundByTheirEnglishTextWithoutRegardToCase) {
  EXPECT_EQ(translator_.TranslateString("Please insert disk #%d"),
            "Bitte legen Sie Diskette %d ein");
  EXPECT_EQ(translator_.TranslateString("please INSERT disk #%d"),
            "Bitte legen Sie Diskette %d ein");
  // Not in English, or English without a German text: unchanged.
  EXPECT_EQ(translator_.TranslateString("Something else"), "Something else");
  EXPECT_EQ(translator_.TranslateString("Next >"), "Next >");
  // From another source language.
  EXPECT_EQ(translator_.TranslateText("Welcome", vlFrench), "Welcome");
  translator_.SetTranslateIntoLanguage(vlEnglish);
  EXPECT_EQ(translator_.TranslateText("willkommen", vlGerman), "Welcome");
}

TEST_F(TranslatorTest, TextsAreFoundByGlidInTheTarget) {
  EXPECT_EQ(translator_.TranslateGLID(6, "Cancel"), "Abbrechen");
  EXPECT_EQ(translator_.TranslateGLID(5, "Next >"), "Next >");
  translator_.SetTranslateIntoLanguage(vlJapanese);  // no texts at all
  EXPECT_EQ(translator_.TranslateGLID(6, "Cancel"), "Cancel");
}

TEST_F(TranslatorTest, MemosAreFoundByTheirWholeText) {
  TStringList lines{"Select the components.", "Clear the others."}, result;
  translator_.TranslateMemo(lines, vlEnglish, result);
  EXPECT_EQ(result.Text(), "Wählen Sie die Komponenten.\r\n");
  TStringList part{"Select the components."};
  translator_.TranslateMemo(part, vlEnglish, result);
  EXPECT_TRUE(result.Equals(part));
}

TEST_F(TranslatorTest, TheWindowsUserLanguagePicksTheTarget) {
  EXPECT_EQ(LanguageFromLangId(0x0407), vlGerman);
  EXPECT_EQ(LanguageFromLangId(0x0807), vlGerman);  // Swiss German: the primary language counts
  EXPECT_EQ(LanguageFromLangId(0x0416), vlPortugese);
  EXPECT_EQ(LanguageFromLangId(0x0804), vlChineseSimplified);
  EXPECT_EQ(LanguageFromLangId(0x0411), vlJapanese);
  EXPECT_EQ(LanguageFromLangId(0x042A), vlVietnamese);
  EXPECT_EQ(LanguageFromLangId(0x040D), vlHebrew);
  // Languages without a text of their own get English.
  EXPECT_EQ(LanguageFromLangId(0x0436), vlEnglish);  // Afrikaans
  EXPECT_EQ(LanguageFromLangId(0x041D), vlEnglish);  // Swedish
  translator_.SetTranslateIntoLanguage(vlUser);
  EXPECT_EQ(translator_.TargetLanguage()->LanguageIdent(),
            LanguageFromLangId(platform::GetUserDefaultLangID()));
}

// A form as the dialogs build them: translatable controls with GLIDs, plain ones without.
class TestPage : public TForm {
 public:
  explicit TestPage(TComponent* owner) : TForm(owner) {
    SetCaption("Welcome");
    back = Button("BackBtn", "< Previous", 4);
    next = Button("ProceedBtn", "Next >", 5);
    plain = new TLabel(this);
    plain->SetName("Plain");
    plain->SetCaption("cancel");
    plain->SetParent(this);
    unknown = new TLabel(this);
    unknown->SetName("Unknown");
    unknown->SetCaption("Not in any language");
    unknown->SetParent(this);
  }
  TTranslateBitBtn* Button(const char* name, const char* caption, int glid) {
    auto* b = new TTranslateBitBtn(this);
    b->SetName(name);
    b->SetCaption(caption);
    b->SetGLID(glid);
    b->SetParent(this);
    return b;
  }
  TTranslateBitBtn* back;
  TTranslateBitBtn* next;
  TLabel* plain;
  TLabel* unknown;
};

}  // namespace
// Forms are translated through their published properties: a form class is registered.
VANTOREL_CLASS(TestPage, TForm) {}
namespace {

TEST_F(TranslatorTest, AFormIsTranslatedByGlidAndByText) {
  TestPage page(nullptr);
  EXPECT_EQ(translator_.TranslateComponent(page, vlEnglish), vlGerman);
  EXPECT_EQ(page.Caption(), "Willkommen");
  EXPECT_EQ(page.back->Caption(), "< Zurück");
  // German has no GLID 5: the button keeps its caption and is not looked up by its text.
  EXPECT_EQ(page.next->Caption(), "Next >");
  EXPECT_EQ(page.plain->Caption(), "Abbrechen");
  EXPECT_EQ(page.unknown->Caption(), "Not in any language");
  // Controls are shown again afterwards, labels sized by their text again.
  EXPECT_TRUE(page.back->Visible());
  EXPECT_TRUE(page.plain->AutoSize());
}

TEST_F(TranslatorTest, ATargetWithoutTextsLeavesTheFormInItsLanguage) {
  TestPage page(nullptr);
  EXPECT_EQ(translator_.TranslateComponent(page, vlEnglish, vlDanish), vlEnglish);
  EXPECT_EQ(page.back->Caption(), "< Previous");
  EXPECT_EQ(translator_.TranslateIntoLanguage(), vlGerman);  // only for that call
}

TEST_F(TranslatorTest, FontsComeFromTheLanguageTable) {
  TestPage page(nullptr);
  page.Font()->SetSize(7);
  translator_.ApplyFonts(page);
  EXPECT_EQ(page.Font()->Name(), "MS Sans Serif");
  EXPECT_EQ(page.Font()->Size(), 8);
  EXPECT_EQ(page.next->Font()->Name(), "MS Sans Serif");  // children too

  // Russian has no texts here: English fonts, unless asked to keep the language.
  translator_.SetTranslateIntoLanguage(vlRussian);
  translator_.ApplyFonts(page);
  EXPECT_EQ(page.Font()->Charset(), 0);
  EXPECT_EQ(page.Font()->Name(), "Arial");
  translator_.ApplyFonts(page, true);
  EXPECT_EQ(page.Font()->Charset(), 204);

  struct Expected {
    TVtrlLanguage language;
    int charset;
    const char* name;
    int size;
  };
  const Expected table[] = {
      {vlHebrew, 177, "Arial", 8},
      {vlPortugese, 0, "Arial", 8},
      {vlGreek, 161, "Arial", 8},
      {vlJapanese, 128, "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", 9},
      {vlKorean, 129, "\xB9\xD9\xC5\xC1", 9},
      {vlCzech, 238, "Arial", 8},
      {vlVietnamese, 163, "Arial", 8},
  };
  for (const Expected& e : table) {
    SCOPED_TRACE(EnumName(e.language));
    Fill(translator_, e.language, {"1;x"});
    page.Font()->SetSize(7);
    translator_.ApplyFonts(page, e.language);
    EXPECT_EQ(page.Font()->Charset(), e.charset);
    EXPECT_EQ(page.Font()->Name(), e.name);
    EXPECT_EQ(page.Font()->Size(), e.size);
  }
  EXPECT_THROW(LanguageCharset(vlUser), Exception);

  // A language's own font replaces the table's.
  TLanguage* german = translator_.FindLanguage(vlGerman);
  german->SetFontOverride(true);
  german->Font()->SetName("Tahoma");
  german->Font()->SetSize(10);
  translator_.ApplyFonts(page, vlGerman);
  EXPECT_EQ(page.plain->Font()->Name(), "Tahoma");
  EXPECT_EQ(page.plain->Font()->Size(), 10);
}

TEST(MainTranslator, IsTheFirstCreatedAndCarriesEveryMessage) {
  ASSERT_EQ(TTranslator::Main(), nullptr);
  EXPECT_EQ(TranslateString("The disk is full"), "The disk is full");
  {
    TTranslator first(nullptr);
    TTranslator second(nullptr);
    EXPECT_EQ(TTranslator::Main(), &first);
    EmptyAll(first);
    Fill(first, vlEnglish, {"320;The disk is full"});
    Fill(first, vlFrench, {"320;Le disque est plein"});
    first.SetTranslateIntoLanguage(vlFrench);
    EXPECT_EQ(TranslateString("The disk is full"), "Le disque est plein");
    EXPECT_STREQ(IException("The disk is full").what(), "Le disque est plein");

    // What the install record keeps across a restart: the language's ordinal.
    IMainTranslator* link = MainTranslator();
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->TranslateIntoLanguage(), vlFrench);
    link->SetTranslateIntoLanguage(vlGerman);
    EXPECT_EQ(first.TranslateIntoLanguage(), vlGerman);
    link->SetTranslateIntoLanguage(99);  // a damaged record
    EXPECT_EQ(first.TranslateIntoLanguage(), vlUser);
  }
  EXPECT_EQ(MainTranslator(), nullptr);
  EXPECT_EQ(TTranslator::Main(), nullptr);
  EXPECT_EQ(TranslateString("The disk is full"), "The disk is full");
}

TEST(MainTranslator, TranslatesTheInstallFormsThroughTheirBase) {
  TTranslator translator(nullptr);
  EmptyAll(translator);
  Fill(translator, vlEnglish, {"100;Welcome", "6;Cancel"});
  Fill(translator, vlSpanish, {"100;Bienvenido", "6;Cancelar"});
  translator.SetTranslateIntoLanguage(vlSpanish);
  TBaseVantorelForm form(nullptr);
  form.SetCaption("Welcome");
  auto* cancel = new TTranslateBitBtn(&form);
  cancel->SetGLID(6);
  cancel->SetCaption("Cancel");
  cancel->SetParent(&form);
  form.Translate();
  EXPECT_EQ(form.Caption(), "Bienvenido");
  EXPECT_EQ(cancel->Caption(), "Cancelar");
  EXPECT_EQ(form.CurrentLanguage(), vlSpanish);
  EXPECT_EQ(form.Font()->Name(), "Arial");
  // Translating again starts from the language the texts are in now.
  translator.SetTranslateIntoLanguage(vlEnglish);
  form.Translate();
  EXPECT_EQ(form.Caption(), "Welcome");
  // A form that overrides the main translator's language.
  form.SetOverrideMainTranslator(true);
  form.SetTranslateIntoLanguage(vlSpanish);
  form.Translate();
  EXPECT_EQ(cancel->Caption(), "Cancelar");
}

TEST(MainTranslator, ProjectsStoreLanguagesAndRunsFillTheEmptyOnes) {
  const std::string text =
      "object Form1: TForm1\n"
      "  object MainTranslator: TTranslator\n"
      "    TranslateIntoLanguage = vlGerman\n"
      "    lgGerman.FontOverride = True\n"
      "    lgGerman.Font.Name = 'Tahoma'\n"
      "    lgGerman.Strings.Strings = (\n"
      "      '5;Los >')\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TComponent> form(ReadForm(text, TReadOptions{}));
  auto* translator = dynamic_cast<TTranslator*>(form->FindComponent("MainTranslator"));
  ASSERT_NE(translator, nullptr);
  EXPECT_EQ(translator->TranslateIntoLanguage(), vlGerman);
  TLanguage* german = translator->FindLanguage(vlGerman);
  EXPECT_TRUE(german->FontOverride());
  EXPECT_EQ(german->Font()->Name(), "Tahoma");
  EXPECT_EQ(german->FindString(5)->text, "Los >");
  // The run took the program's own texts for the languages the project leaves empty.
  EXPECT_EQ(translator->FindLanguage(vlFrench)->FindString(6)->text, "Annuler");
  EXPECT_EQ(translator->TranslateString("Next >"), "Los >");
  EXPECT_EQ(translator->TranslateString("Cancel"), "Cancel");  // the project's German has none

  // Written back (in a designer) only what the project set is stored.
  TReadOptions design;
  design.design_mode = true;
  std::unique_ptr<TComponent> designed(ReadForm(text, design));
  const std::string written = WriteForm(*designed);
  EXPECT_NE(written.find("lgGerman.Strings.Strings = (\n      '5;Los >')"), std::string::npos)
      << written;
  EXPECT_EQ(written.find("lgFrench"), std::string::npos) << written;
}

TEST(MainTranslator, ANewProjectInADesignerGetsOne) {
  TForm form(nullptr);
  form.SetDesigning(true);
  auto* taken = new TLabel(&form);
  taken->SetName("MainTranslator");
  auto* install = new TInstall(&form);
  auto* translator = dynamic_cast<TTranslator*>(form.FindComponent("MainTranslator1"));
  ASSERT_NE(translator, nullptr);
  // A second project component finds it and makes none.
  install->Free();
  new TInstall(&form);
  EXPECT_EQ(form.FindComponent("MainTranslator2"), nullptr);
}

// Run by the test_translate_user_german entry with a German locale; the language the system
// reports must pick German.
TEST(UserLanguage, FollowsTheSystem) {
  std::optional<std::string> expected = platform::GetEnv("VANTOREL_EXPECT_USER_LANGUAGE");
  if (!expected) GTEST_SKIP() << "run by test_translate_user_german with a German locale";
  TTranslator translator(nullptr);
  ASSERT_EQ(translator.TranslateIntoLanguage(), vlUser);
  EXPECT_EQ(EnumName(UserLanguage()), *expected)
      << "language id " << std::hex << platform::GetUserDefaultLangID();
  EXPECT_EQ(EnumName(translator.TargetLanguage()->LanguageIdent()), *expected);
  EXPECT_EQ(translator.TranslateString("Cancel"), "Abbrechen");
}

}  // namespace
}  // namespace vantorel
