#include "translate/builtin_texts.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/resources.h"
#include "routines/strings.h"

namespace vantorel {

namespace detail {
// Written at build time from languages/ (cmake/embed_language_texts.cmake).
struct TEmbeddedText {
  const char* file_name;
  const unsigned char* data;
  size_t size;
};
extern const TEmbeddedText kEmbeddedLanguageTexts[];
extern const size_t kEmbeddedLanguageTextCount;
}  // namespace detail

std::string LanguageResourceName(TVtrlLanguage language) {
  return UpperCase(ChangeFileExt(LanguageInfo(language).file_name, ""));
}

std::string BuiltInLanguageText(TVtrlLanguage language) {
  if (language == vlUser) return {};
  const std::string file_name = LanguageInfo(language).file_name;
  std::vector<uint8_t> resource;
  if (platform::LoadRcData(LanguageResourceName(language), resource))
    return std::string(resource.begin(), resource.end());
  for (size_t i = 0; i < detail::kEmbeddedLanguageTextCount; ++i) {
    const detail::TEmbeddedText& text = detail::kEmbeddedLanguageTexts[i];
    if (SameText(text.file_name, file_name))
      return std::string(reinterpret_cast<const char*>(text.data), text.size);
  }
  return {};
}

}  // namespace vantorel
