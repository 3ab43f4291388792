#include "routines/exceptions.h"

namespace vantorel {
namespace {
TranslateFunction g_translate = nullptr;
}

std::string TranslateString(const std::string& text) {
  return g_translate ? g_translate(text) : text;
}

void SetTranslateFunction(TranslateFunction function) {
  g_translate = function;
}

}  // namespace vantorel
