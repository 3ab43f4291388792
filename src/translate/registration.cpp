// The published properties of the translator's classes, as project forms store them:
//   object MainTranslator: TTranslator
//     TranslateIntoLanguage = vlGerman
//     lgGerman.FontOverride = True
//     lgGerman.Font.Name = 'Tahoma'
//     lgGerman.Strings.Strings = ('5;Weiter >')
//   end
#include "translate/translate_controls.h"
#include "translate/translator.h"

namespace vantorel {

VANTOREL_CLASS(TLanguage, TPersistent) {
  p.Object("Font", [](TLanguage& l) { return l.Font(); });
  p.Bool("FontOverride", &TLanguage::FontOverride, &TLanguage::SetFontOverride).Default(false);
  p.Strings(
      "Strings", [](TLanguage& l) -> TStringList* { return l.Strings(); }, &TLanguage::SetStrings);
  // Fixed by the language's place in its translator: shown, never read back.
  p.Enum("LanguageIdent", &TLanguage::LanguageIdent, [](TLanguage&, TVtrlLanguage) {}).NotStored();
}

VANTOREL_CLASS(TTranslator, TComponent) {
  for (int i = 0; i < kLanguageCount; ++i)
    p.Object(LanguageInfoAt(i).property, [i](TTranslator& t) { return t.Languages(i); });
  p.Enum("TranslateIntoLanguage", &TTranslator::TranslateIntoLanguage,
         &TTranslator::SetTranslateIntoLanguage)
      .Default(vlUser);
}

VANTOREL_CLASS(TTranslateLabel, TLabel) {
  p.Int("GLID", &TTranslateLabel::GLID, &TTranslateLabel::SetGLID).Default(0);
}

VANTOREL_CLASS(TTranslateBitBtn, TBitBtn) {
  p.Int("GLID", &TTranslateBitBtn::GLID, &TTranslateBitBtn::SetGLID).Default(0);
}

}  // namespace vantorel
