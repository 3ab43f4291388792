#pragma once
// The translator: one language per TVtrlLanguage, and the operations that put a form's texts and
// fonts into the chosen language. The first translator created is the main translator; every
// message of the install library passes through it (TranslateString).
#include <memory>
#include <string>
#include <vector>

#include "framework/component.h"
#include "translate/language.h"

namespace vantorel {

class TControl;

class TTranslator : public TComponent {
 public:
  explicit TTranslator(TComponent* owner);
  ~TTranslator() override;

  // The language the texts go into; vlUser: the Windows user's.
  TVtrlLanguage TranslateIntoLanguage() const { return translate_into_language_; }
  void SetTranslateIntoLanguage(TVtrlLanguage v);
  // Called after TranslateIntoLanguage is set.
  TNotifyEvent OnLanguageChanged;

  int LanguageCount() const { return static_cast<int>(languages_.size()); }
  TLanguage* Languages(int index) const { return languages_.at(static_cast<size_t>(index)).get(); }
  // The language of an ident, or nullptr (vlUser is none).
  TLanguage* FindLanguage(TVtrlLanguage ident) const;
  // TranslateIntoLanguage's language, vlUser resolved; nullptr when there is none.
  TLanguage* TargetLanguage() const;

  // A message: looked up by its English text, given in the target language when that has it.
  std::string TranslateString(const std::string& text) const;
  // The same from another source language (vlUser resolved).
  std::string TranslateText(const std::string& text, TVtrlLanguage source) const;
  // The target language's text of a GLID, else `text`.
  std::string TranslateGLID(int32_t glid, const std::string& text) const;
  // Lines found as a whole memo of the source language, given as the target's memo of its GLID.
  void TranslateMemo(const TStrings& lines, TVtrlLanguage source, TStrings& result) const;

  // The target language's fonts on a control and all its children. A target without texts gives
  // English fonts unless `retain` asks to keep it.
  void ApplyFonts(TControl& control, bool retain = false) const;
  // The same with `language` as the target for the while.
  void ApplyFonts(TControl& control, TVtrlLanguage language);

  // Translates a component and what it owns (forms below it excepted) from `source` into the
  // target language; returns the language its texts are in afterwards.
  TVtrlLanguage TranslateComponent(TComponent& component, TVtrlLanguage source);
  TVtrlLanguage TranslateComponent(TComponent& component, TVtrlLanguage source, TVtrlLanguage into);

  // The main translator, or nullptr. (The engine's other parts reach it through
  // routines/main_translator.h.)
  static TTranslator* Main();

  // Fills every language without lines from the program's built-in texts. Outside a designer
  // the constructor does, so that a language a project leaves empty has the program's text.
  void UseBuiltInTexts();

 private:
  void TranslateOne(TComponent& component, const TLanguage* source, bool top);
  // The main translator's language is the code page of texts shown without a font of theirs.
  void PublishCodePage() const;

  class MainLink;

  std::vector<std::unique_ptr<TLanguage>> languages_;
  TVtrlLanguage translate_into_language_ = vlUser;
  std::unique_ptr<MainLink> main_link_;  // while this is the main translator
};

}  // namespace vantorel
