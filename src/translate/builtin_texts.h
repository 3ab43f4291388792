#pragma once
// The language texts the programs carry (the files of languages/, built in). A program may carry
// its own text of a language as the RCDATA resource named after the file ("VTRIGERMAN" for
// vtriGerman.txt); that one comes first.
#include <string>

#include "translate/language_table.h"

namespace vantorel {

// The text of the language's file; empty for vlUser and a language without one.
std::string BuiltInLanguageText(TVtrlLanguage language);
// The resource name of a language's text: the file name without ".txt", upper-cased.
std::string LanguageResourceName(TVtrlLanguage language);

}  // namespace vantorel
