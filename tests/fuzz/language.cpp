// A language text file (vtri<Language>.txt) as a project or a program's resource may carry it: it
// is parsed as a language's lines, and what parsed is looked up and applied to a form.
#include <string>

#include "framework/forms.h"
#include "support.h"
#include "translate/translate_controls.h"
#include "translate/translator.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vantorel;
  fuzz::Setup();
  static TTranslator* const translator = [] {
    auto* t = new TTranslator(nullptr);
    t->SetTranslateIntoLanguage(vlGerman);
    return t;
  }();
  TLanguage& german = *translator->FindLanguage(vlGerman);
  TStringList lines;
  lines.SetText(std::string(reinterpret_cast<const char*>(data), size));
  try {
    german.SetStrings(lines);
  } catch (const Exception&) {
    // A text that does not parse is refused, its lines kept.
  }
  for (const TLanguageString& s : german.ParsedStrings()) {
    translator->TranslateGLID(s.glid, "");
    translator->TranslateText(s.text, vlGerman);
  }
  for (const TLanguageMemo& m : german.ParsedMemos()) {
    TStringList out;
    translator->TranslateMemo(m.lines, vlGerman, out);
  }
  TForm form(nullptr);
  form.SetCaption("Welcome");
  auto* next = new TTranslateBitBtn(&form);
  next->SetGLID(5);
  next->SetCaption("Next >");
  next->SetParent(&form);
  translator->ApplyFonts(form, true);
  translator->TranslateComponent(form, vlEnglish);
  // Deleting lines moves what parsed without parsing again.
  while (german.Strings()->Count() > 0) german.Strings()->Delete(german.Strings()->Count() / 2);
  return 0;
}
