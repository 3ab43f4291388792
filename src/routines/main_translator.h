#pragma once
// What the engine needs of the main translator beyond translating texts: the language it
// translates into, which an install keeps across a restart. The translator registers itself
// here when it is created and unregisters when it goes; without one, there is none.
namespace vantorel {

class IMainTranslator {
 public:
  virtual ~IMainTranslator() = default;
  // The ordinal of the language (vlUser is the last, kUserLanguage).
  virtual int TranslateIntoLanguage() const = 0;
  virtual void SetTranslateIntoLanguage(int language) = 0;
};

// The ordinal of vlUser: the language of a run without a translator.
inline constexpr int kUserLanguage = 15;

IMainTranslator* MainTranslator();
void SetMainTranslator(IMainTranslator* translator);

}  // namespace vantorel
