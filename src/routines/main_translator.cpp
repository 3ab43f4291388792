#include "routines/main_translator.h"

namespace vantorel {
namespace {
IMainTranslator* g_main_translator = nullptr;
}  // namespace

IMainTranslator* MainTranslator() {
  return g_main_translator;
}

void SetMainTranslator(IMainTranslator* translator) {
  g_main_translator = translator;
}

}  // namespace vantorel
