// The language files of languages/: each parses, carries every text the dialogs and the engine's
// messages need, is text of its code page, and is what the programs carry built in.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "framework/forms.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/system.h"
#include "translate/builtin_texts.h"
#include "translate/language.h"
#include "translate/translate_controls.h"

namespace vantorel {
namespace {

// The GLIDs the designed forms are documented to use.
const int kFormGlids[] = {4, 5, 6, 10, 11, 12, 14, 15, 16, 28, 29, 38, 41, 42, 43, 48, 60, 72};

void CollectGlids(const TComponent& component, std::set<int>& glids) {
  if (int32_t glid = GLIDOf(component); glid >= 1) glids.insert(glid);
  for (int i = 0; i < component.ComponentCount(); ++i)
    CollectGlids(*component.Components(i), glids);
}

// The GLIDs every form the programs can show really uses: each registered form class made once.
std::set<int> GlidsOfTheForms() {
  std::set<int> glids;
  for (const TClass* cls : RegisteredClasses()) {
    if (!cls->InheritsFrom(TClassOf<TForm>()) || !cls->CanCreate()) continue;
    std::unique_ptr<TComponent> form(cls->Create(nullptr));
    CollectGlids(*form, glids);
  }
  return glids;
}

std::string LanguageFile(TVtrlLanguage language) {
  std::optional<std::string> source = platform::GetEnv("VANTOREL_SOURCE_DIR");
  if (!source) return {};
  return *source + "/languages/" + LanguageInfo(language).file_name;
}

std::string ReadFile(const std::string& path) {
  platform::File file =
      platform::File::OpenRegular(path, platform::Access::Read, platform::kShareRead);
  std::string text;
  char buffer[4096];
  int64_t n;
  while (file.IsOpen() && (n = file.Read(buffer, sizeof buffer)) > 0)
    text.append(buffer, static_cast<size_t>(n));
  return text;
}

// "%d", "%s" and the like, in order.
std::vector<std::string> Specifiers(const std::string& text) {
  static const std::regex spec("%[-0-9.]*[a-zA-Z%]");
  std::vector<std::string> out;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), spec); it != std::sregex_iterator();
       ++it)
    out.push_back(it->str());
  return out;
}

class LanguageFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    if (LanguageFile(vlEnglish).empty()) {
      if (platform::GetEnv("CI") == "true") FAIL() << "VANTOREL_SOURCE_DIR is not set";
      GTEST_SKIP() << "VANTOREL_SOURCE_DIR is not set (ctest sets it)";
    }
    ASSERT_TRUE(english_.Strings()->LoadFromFile(LanguageFile(vlEnglish)));
  }
  TLanguage english_{nullptr, vlEnglish};
};

TEST_F(LanguageFiles, EnglishCarriesTheDesignedTexts) {
  const std::map<int, std::string> designed = {
      {4, "< Previous"},   {5, "Next >"},           {6, "Cancel"},
      {14, "Processing"},  {15, "File progress"},   {16, "Total progress"},
      {29, "Description"}, {42, "&Program Folder"}, {43, "E&xisting Folders"},
      {48, "&Browse..."},  {72, "Finish"}};
  for (const auto& [glid, text] : designed) {
    const TLanguageString* s = english_.FindString(glid);
    ASSERT_NE(s, nullptr) << glid;
    EXPECT_EQ(s->text, text);
  }
  for (int glid : kFormGlids) EXPECT_NE(english_.FindString(glid), nullptr) << glid;
  // Each English text once: a message is found by its text.
  std::set<std::string> seen;
  for (const TLanguageString& s : english_.ParsedStrings())
    EXPECT_TRUE(seen.insert(s.text).second) << "twice: " << s.text;
}

TEST_F(LanguageFiles, EveryLanguageParsesAndTranslatesEveryText) {
  const std::set<int> forms = GlidsOfTheForms();
  // The pages of the install and the change-disk form's own texts among them.
  for (int glid : {5, 14, 38, 60, 7, 73}) EXPECT_EQ(forms.count(glid), 1u) << glid;
  for (int i = 0; i < kLanguageCount; ++i) {
    const TLanguageInfo& info = LanguageInfoAt(i);
    SCOPED_TRACE(info.file_name);
    const std::string raw = ReadFile(LanguageFile(info.ident));
    ASSERT_FALSE(raw.empty());

    // Text of its code page, every line.
    std::optional<std::string> utf8 = platform::CodePageToUtf8(raw, info.code_page);
    ASSERT_TRUE(utf8.has_value()) << "not text of code page " << info.code_page;

    TLanguage language(nullptr, info.ident);
    ASSERT_NO_THROW(ASSERT_TRUE(language.Strings()->LoadFromFile(LanguageFile(info.ident))));
    std::set<int> glids;
    for (const TLanguageString& s : language.ParsedStrings()) {
      EXPECT_TRUE(glids.insert(s.glid).second) << "GLID " << s.glid << " twice";
      const TLanguageString* source = english_.FindString(s.glid);
      ASSERT_NE(source, nullptr) << "GLID " << s.glid << " is not in English";
      EXPECT_EQ(Specifiers(s.text), Specifiers(source->text)) << "GLID " << s.glid;
      // Nothing cut, nothing lost after a second ";".
      const std::string line = language.Strings()->Strings(s.line);
      EXPECT_LE(line.size() - line.find(';') - 1, kMaxLanguageText) << "GLID " << s.glid;
      EXPECT_EQ(line.find(';', line.find(';') + 1), std::string::npos) << "GLID " << s.glid;
    }
    for (const TLanguageString& s : english_.ParsedStrings())
      EXPECT_EQ(glids.count(s.glid), 1u) << "missing GLID " << s.glid;
    for (int glid : kFormGlids) EXPECT_EQ(glids.count(glid), 1u) << "missing GLID " << glid;
    for (int glid : forms) EXPECT_EQ(glids.count(glid), 1u) << "missing GLID " << glid;
  }
}

TEST_F(LanguageFiles, TheProgramsCarryThemBuiltIn) {
  for (int i = 0; i < kLanguageCount; ++i) {
    const TLanguageInfo& info = LanguageInfoAt(i);
    SCOPED_TRACE(info.file_name);
    EXPECT_EQ(BuiltInLanguageText(info.ident), ReadFile(LanguageFile(info.ident)));
  }
  EXPECT_EQ(BuiltInLanguageText(vlUser), "");
  EXPECT_EQ(LanguageResourceName(vlChineseSimplified), "VTRICHINESESIMPLIFIED");
}

TEST(CodePages, TellTextFromBytesThatAreNone) {
  EXPECT_EQ(platform::CodePageToUtf8("Gr\xFC\xDF", 1252), "Grüß");
  EXPECT_EQ(platform::CodePageToUtf8("\xCF\xF3\xF1\xEA", 1251), "Пуск");
  EXPECT_EQ(platform::CodePageToUtf8("\x82\xA0", 932), "あ");
  EXPECT_FALSE(platform::CodePageToUtf8("\x82", 932).has_value());    // a lead byte alone
  EXPECT_FALSE(platform::CodePageToUtf8("a\xFF", 1255).has_value());  // undefined in Hebrew
  EXPECT_EQ(platform::CharsetCodePage(204), 1251u);
  EXPECT_EQ(platform::CharsetCodePage(2), 0u);
}

}  // namespace
}  // namespace vantorel
