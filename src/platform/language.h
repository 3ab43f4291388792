#pragma once
// Windows language identifiers for POSIX locale names. A backend helper of the posix backend,
// which has no user language setting of its own.
#include <cstdint>
#include <string_view>

namespace vantorel::platform {

// "de_DE.UTF-8" -> 0x0407, "pt_BR" -> 0x0416, "fr" -> 0x040C. A language without its territory
// in the table takes the language's main identifier; unknown names, "C" and "POSIX" give
// US English (0x0409).
uint16_t LangIdFromLocale(std::string_view locale);

}  // namespace vantorel::platform
