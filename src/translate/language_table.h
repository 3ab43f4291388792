#pragma once
// The sixteen languages of the translator: their text files, character sets and fonts, and how
// the Windows user's language picks one of them.
#include <string>

#include "framework/properties.h"

namespace vantorel {

class TFont;

// vlUser is no language of its own: it stands for the language of the Windows user.
VANTOREL_ENUM(TVtrlLanguage, vlChineseSimplified, vlCzech, vlDanish, vlEnglish, vlFrench, vlGerman,
              vlGreek, vlHebrew, vlItalian, vlJapanese, vlKorean, vlPolish, vlPortugese, vlRussian,
              vlSpanish, vlUser, vlVietnamese);

struct TLanguageInfo {
  TVtrlLanguage ident;
  const char* property;     // "lgGerman"
  const char* file_name;    // "vtriGerman.txt"
  const char* bitmap_name;  // the flag picture among the builder's resources
  int primary_language;     // Windows primary language id; 0 for English ("any other")
  int charset;              // Windows font character set
  const char* font_name;    // in the language's own code page
  int min_font_size;        // points
  unsigned code_page;       // the code page its text file is written in
};

// The languages in the order the translator creates and searches them (vlUser is not among
// them). Raises "Unrecognized language" for vlUser and values outside the table.
const TLanguageInfo& LanguageInfo(TVtrlLanguage language);
inline constexpr int kLanguageCount = 16;
// The i-th language of the table, 0 <= i < kLanguageCount.
const TLanguageInfo& LanguageInfoAt(int index);

int LanguageCharset(TVtrlLanguage language);

// The language of a Windows language identifier: its primary language (the low 10 bits) looked
// up in the table; an unlisted one gives vlEnglish.
TVtrlLanguage LanguageFromLangId(unsigned lang_id);
// The language of the Windows user (GetUserDefaultLangID).
TVtrlLanguage UserLanguage();
// vlUser as the user's language; every other value as it is.
TVtrlLanguage ResolveLanguage(TVtrlLanguage language);

// Gives a font the language's character set and face, and at least its minimum size.
void ApplyLanguageFont(TFont& font, TVtrlLanguage language);

}  // namespace vantorel
