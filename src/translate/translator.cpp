#include "translate/translator.h"

#include <utility>

#include "framework/forms.h"
#include "framework/properties.h"
#include "platform/code_page.h"
#include "platform/ui.h"
#include "routines/exceptions.h"
#include "routines/main_translator.h"
#include "routines/strings.h"
#include "translate/builtin_texts.h"
#include "translate/translate_controls.h"

namespace vantorel {
namespace {

TTranslator* g_main_translator = nullptr;

std::string TranslateThroughMain(const std::string& text) {
  return g_main_translator ? g_main_translator->TranslateString(text) : text;
}

// Sets a field for the length of a scope.
template <class T>
class TemporaryValue {
 public:
  TemporaryValue(T& field, T value) : field_(field), saved_(std::exchange(field, value)) {}
  ~TemporaryValue() { field_ = saved_; }
  TemporaryValue(const TemporaryValue&) = delete;
  TemporaryValue& operator=(const TemporaryValue&) = delete;

 private:
  T& field_;
  T saved_;
};

}  // namespace

// The main translator as the engine's install record sees it: the language by its ordinal.
class TTranslator::MainLink : public IMainTranslator {
 public:
  explicit MainLink(TTranslator& translator) : translator_(translator) {}
  int TranslateIntoLanguage() const override { return translator_.TranslateIntoLanguage(); }
  // A number from the registry may be anything: one that is no language means the user's.
  void SetTranslateIntoLanguage(int language) override {
    translator_.SetTranslateIntoLanguage(language >= 0 &&
                                                 language < EnumInfo<TVtrlLanguage>().Count()
                                             ? static_cast<TVtrlLanguage>(language)
                                             : vlUser);
  }

 private:
  TTranslator& translator_;
};

TTranslator* TTranslator::Main() {
  return g_main_translator;
}

TTranslator::TTranslator(TComponent* owner) : TComponent(owner) {
  languages_.reserve(kLanguageCount);
  for (int i = 0; i < kLanguageCount; ++i)
    languages_.push_back(std::make_unique<TLanguage>(this, LanguageInfoAt(i).ident));
  if (g_main_translator == nullptr) {
    g_main_translator = this;
    main_link_ = std::make_unique<MainLink>(*this);
    SetMainTranslator(main_link_.get());
    SetTranslateFunction(&TranslateThroughMain);
  }
  // Before anything of a project is read (a resumed install shows its pages while the form is
  // still being read): what the project stores replaces these.
  if (!IsDesigning()) UseBuiltInTexts();
  PublishCodePage();
}

TTranslator::~TTranslator() {
  if (g_main_translator == this) {
    g_main_translator = nullptr;
    SetTranslateFunction(nullptr);
    SetMainTranslator(nullptr);
    platform::ui::SetTextCodePage(0);
  }
}

void TTranslator::SetTranslateIntoLanguage(TVtrlLanguage v) {
  translate_into_language_ = v;
  PublishCodePage();
  if (OnLanguageChanged) OnLanguageChanged(this);
}

void TTranslator::PublishCodePage() const {
  if (g_main_translator != this) return;
  const TLanguage* language = TargetLanguage();
  // As the fonts: a language without texts shows English.
  if (language != nullptr && !language->HasStrings()) language = FindLanguage(vlEnglish);
  int charset = 1;  // DEFAULT_CHARSET: the system's code page
  if (language != nullptr)
    charset = language->FontOverride() ? language->Font()->Charset()
                                       : LanguageCharset(language->LanguageIdent());
  platform::ui::SetTextCodePage(platform::CharsetCodePage(charset));
}

TLanguage* TTranslator::FindLanguage(TVtrlLanguage ident) const {
  for (const auto& language : languages_)
    if (language->LanguageIdent() == ident) return language.get();
  return nullptr;
}

TLanguage* TTranslator::TargetLanguage() const {
  return FindLanguage(ResolveLanguage(translate_into_language_));
}

std::string TTranslator::TranslateString(const std::string& text) const {
  return TranslateText(text, vlEnglish);
}

std::string TTranslator::TranslateText(const std::string& text, TVtrlLanguage source) const {
  const TLanguage* from = FindLanguage(ResolveLanguage(source));
  if (from == nullptr) return text;
  const TLanguageString* found = from->FindStringByText(text);
  if (found == nullptr) return text;
  const TLanguage* into = TargetLanguage();
  if (into == nullptr) return text;
  const TLanguageString* translated = into->FindString(found->glid);
  return translated ? translated->text : text;
}

std::string TTranslator::TranslateGLID(int32_t glid, const std::string& text) const {
  const TLanguage* into = TargetLanguage();
  if (into == nullptr) return text;
  const TLanguageString* translated = into->FindString(glid);
  return translated ? translated->text : text;
}

void TTranslator::TranslateMemo(const TStrings& lines, TVtrlLanguage source,
                                TStrings& result) const {
  result.Assign(lines);
  const TLanguage* from = FindLanguage(ResolveLanguage(source));
  if (from == nullptr) return;
  const TLanguageMemo* found = from->FindMemoByText(lines);
  if (found == nullptr) return;
  const TLanguage* into = TargetLanguage();
  if (into == nullptr) return;
  if (const TLanguageMemo* translated = into->FindMemo(found->glid))
    result.Assign(translated->lines);
}

namespace {

void ApplyLanguageFonts(TControl& control, const TLanguage& language) {
  if (language.FontOverride())
    control.Font()->Assign(*language.Font());
  else
    ApplyLanguageFont(*control.Font(), language.LanguageIdent());
  if (auto* parent = dynamic_cast<TWinControl*>(&control))
    for (int i = 0; i < parent->ControlCount(); ++i)
      ApplyLanguageFonts(*parent->Controls(i), language);
}

}  // namespace

void TTranslator::ApplyFonts(TControl& control, bool retain) const {
  const TLanguage* language = TargetLanguage();
  if (language == nullptr) return;
  if (!language->HasStrings() && !retain) language = FindLanguage(vlEnglish);
  if (language == nullptr) return;
  ApplyLanguageFonts(control, *language);
}

void TTranslator::ApplyFonts(TControl& control, TVtrlLanguage language) {
  TemporaryValue<TVtrlLanguage> target(translate_into_language_, language);
  ApplyFonts(control);
}

TVtrlLanguage TTranslator::TranslateComponent(TComponent& component, TVtrlLanguage source) {
  const TLanguage* into = TargetLanguage();
  TranslateOne(component, FindLanguage(ResolveLanguage(source)), true);
  return into != nullptr && into->HasStrings() ? translate_into_language_ : source;
}

TVtrlLanguage TTranslator::TranslateComponent(TComponent& component, TVtrlLanguage source,
                                              TVtrlLanguage into) {
  TemporaryValue<TVtrlLanguage> target(translate_into_language_, into);
  return TranslateComponent(component, source);
}

void TTranslator::TranslateOne(TComponent& component, const TLanguage* source, bool top) {
  if (!top && dynamic_cast<TForm*>(&component) != nullptr) return;
  auto* control = dynamic_cast<TControl*>(&component);
  auto* label = dynamic_cast<TLabel*>(&component);
  // Hidden while its texts change, so that it is not drawn half translated; a label keeps its
  // size meanwhile.
  const bool hide = control != nullptr && control->Visible() &&
                    dynamic_cast<TForm*>(control) == nullptr &&
                    dynamic_cast<TImage*>(control) == nullptr;
  const bool auto_size = label != nullptr && label->AutoSize();
  if (hide) control->SetVisible(false);
  if (auto_size) label->SetAutoSize(false);

  const int32_t glid = GLIDOf(component);
  if (glid >= 1 && control != nullptr) {
    control->SetCaption(TranslateGLID(glid, control->Caption()));
  } else if (glid == 0 && source != nullptr) {
    const TVtrlLanguage from = source->LanguageIdent();
    for (const TPropInfo* prop : component.ClassType()->Properties()) {
      if (prop->kind == TPropKind::String && !detail::SameText(prop->name, "Name")) {
        const std::string value = prop->get_string(component);
        if (!Trim(value).empty()) prop->set_string(component, TranslateText(value, from));
      } else if (prop->kind == TPropKind::StringList) {
        auto* lines = dynamic_cast<TStringList*>(prop->get_object(component));
        if (lines == nullptr || lines->Count() == 0) continue;
        TStringList translated;
        if (detail::SameText(prop->name, "Lines")) {  // a memo: one text
          TranslateMemo(*lines, from, translated);
        } else if (detail::SameText(prop->name, "Items")) {  // list items: each by itself
          for (const std::string& item : *lines) translated.Add(TranslateText(item, from));
        } else {
          continue;
        }
        if (!translated.Equals(*lines)) prop->set_object(component, &translated);
      }
    }
  }

  for (int i = 0; i < component.ComponentCount(); ++i)
    TranslateOne(*component.Components(i), source, false);

  if (auto_size) label->SetAutoSize(true);
  if (hide) control->SetVisible(true);
}

void TTranslator::UseBuiltInTexts() {
  for (const auto& language : languages_) {
    if (language->Strings()->Count() != 0) continue;
    std::string text = BuiltInLanguageText(language->LanguageIdent());
    if (text.empty()) continue;
    TStringList lines;
    lines.SetText(text);
    language->Strings()->Assign(lines);
  }
}

int32_t GLIDOf(const TComponent& component) {
  if (auto* label = dynamic_cast<const TTranslateLabel*>(&component)) return label->GLID();
  if (auto* button = dynamic_cast<const TTranslateBitBtn*>(&component)) return button->GLID();
  return 0;
}

}  // namespace vantorel
