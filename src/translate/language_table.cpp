#include "translate/language_table.h"

#include "framework/controls.h"
#include "platform/system.h"
#include "routines/exceptions.h"

namespace vantorel {
namespace {

// Font names are stored in the language's own code page, as the system's font table names them:
// "新細明體" in Big5, "ＭＳ Ｐゴシック" in Shift-JIS, "바탕" in code page 949.
//
// Hebrew has its character set (177) and Arial, like its neighbours: without a font of its own
// a project set to Hebrew could not show a page. Portuguese and Greek texts need their own
// letters: Portuguese takes the Western set (the East European one lacks "ã" and "õ"), and Greek
// the Greek set with Arial (a Western set would draw its letters as accented Latin ones).
constexpr TLanguageInfo kLanguages[kLanguageCount] = {
    {vlChineseSimplified, "lgChineseSimplified", "vtriChineseSimplified.txt", "BM_LANG_SIMPCHINESE",
     4, 134, "\xB7\x73\xB2\xD3\xA9\xFA\xC5\xE9", 9, 936},
    {vlCzech, "lgCzech", "vtriCzech.txt", "BM_LANG_CZECH", 5, 238, "Arial", 8, 1250},
    {vlDanish, "lgDanish", "vtriDanish.txt", "BM_LANG_DANISH", 6, 0, "Arial", 8, 1252},
    {vlEnglish, "lgEnglish", "vtriEnglish.txt", "BM_LANG_ENGLISH", 0, 0, "Arial", 8, 1252},
    {vlFrench, "lgFrench", "vtriFrench.txt", "BM_LANG_FRENCH", 12, 0, "Arial", 8, 1252},
    {vlGerman, "lgGerman", "vtriGerman.txt", "BM_LANG_GERMAN", 7, 0, "MS Sans Serif", 8, 1252},
    {vlGreek, "lgGreek", "vtriGreek.txt", "BM_LANG_GREEK", 8, 161, "Arial", 8, 1253},
    {vlHebrew, "lgHebrew", "vtriHebrew.txt", "BM_LANG_HEBREW", 13, 177, "Arial", 8, 1255},
    {vlItalian, "lgItalian", "vtriItalian.txt", "BM_LANG_ITALIAN", 16, 0, "Arial", 8, 1252},
    {vlJapanese, "lgJapanese", "vtriJapanese.txt", "BM_LANG_JAPANESE", 17, 128,
     "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62\x83\x4E", 9, 932},
    {vlKorean, "lgKorean", "vtriKorean.txt", "BM_LANG_KOREAN", 18, 129, "\xB9\xD9\xC5\xC1", 9, 949},
    {vlPolish, "lgPolish", "vtriPolish.txt", "BM_LANG_POLISH", 21, 238, "Arial", 8, 1250},
    {vlPortugese, "lgPortugese", "vtriPortugese.txt", "BM_LANG_PORTUGESE", 22, 0, "Arial", 8, 1252},
    {vlRussian, "lgRussian", "vtriRussian.txt", "BM_LANG_RUSSIAN", 25, 204, "Arial", 8, 1251},
    {vlSpanish, "lgSpanish", "vtriSpanish.txt", "BM_LANG_SPANISH", 10, 0, "Arial", 8, 1252},
    {vlVietnamese, "lgVietnamese", "vtriVietnamese.txt", "BM_LANG_VIETNAMESE", 42, 163, "Arial", 8,
     1258},
};

}  // namespace

const TLanguageInfo& LanguageInfoAt(int index) {
  return kLanguages[index];
}

const TLanguageInfo& LanguageInfo(TVtrlLanguage language) {
  for (const TLanguageInfo& info : kLanguages)
    if (info.ident == language) return info;
  throw Exception(TranslateString("Unrecognized language"));
}

int LanguageCharset(TVtrlLanguage language) {
  return LanguageInfo(language).charset;
}

TVtrlLanguage LanguageFromLangId(unsigned lang_id) {
  const int primary = static_cast<int>(lang_id & 0x3FF);
  for (const TLanguageInfo& info : kLanguages)
    if (info.primary_language != 0 && info.primary_language == primary) return info.ident;
  return vlEnglish;
}

TVtrlLanguage UserLanguage() {
  return LanguageFromLangId(platform::GetUserDefaultLangID());
}

TVtrlLanguage ResolveLanguage(TVtrlLanguage language) {
  return language == vlUser ? UserLanguage() : language;
}

void ApplyLanguageFont(TFont& font, TVtrlLanguage language) {
  const TLanguageInfo& info = LanguageInfo(language);
  font.SetCharset(info.charset);
  font.SetName(info.font_name);
  if (font.Size() < info.min_font_size) font.SetSize(info.min_font_size);
}

}  // namespace vantorel
