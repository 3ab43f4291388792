#include "platform/language.h"

#include <cctype>
#include <string>

namespace vantorel::platform {
namespace {

constexpr uint16_t kUsEnglish = 0x0409;

struct LocaleId {
  const char* language;
  const char* territory;  // "" for the language's main identifier
  uint16_t id;
};

// The main identifier of a language comes first among its rows.
constexpr LocaleId kTable[] = {
    {"en", "", 0x0409},   {"en", "GB", 0x0809}, {"en", "AU", 0x0C09}, {"en", "CA", 0x1009},
    {"en", "NZ", 0x1409}, {"en", "IE", 0x1809}, {"de", "", 0x0407},   {"de", "CH", 0x0807},
    {"de", "AT", 0x0C07}, {"fr", "", 0x040C},   {"fr", "BE", 0x080C}, {"fr", "CA", 0x0C0C},
    {"fr", "CH", 0x100C}, {"es", "", 0x0C0A},   {"es", "MX", 0x080A}, {"it", "", 0x0410},
    {"it", "CH", 0x0810}, {"nl", "", 0x0413},   {"nl", "BE", 0x0813}, {"pt", "", 0x0816},
    {"pt", "BR", 0x0416}, {"sv", "", 0x041D},   {"da", "", 0x0406},   {"nb", "", 0x0414},
    {"no", "", 0x0414},   {"nn", "", 0x0814},   {"fi", "", 0x040B},   {"is", "", 0x040F},
    {"pl", "", 0x0415},   {"cs", "", 0x0405},   {"sk", "", 0x041B},   {"hu", "", 0x040E},
    {"ro", "", 0x0418},   {"hr", "", 0x041A},   {"sl", "", 0x0424},   {"ru", "", 0x0419},
    {"uk", "", 0x0422},   {"el", "", 0x0408},   {"tr", "", 0x041F},   {"he", "", 0x040D},
    {"ar", "", 0x0401},   {"ja", "", 0x0411},   {"ko", "", 0x0412},   {"zh", "", 0x0804},
    {"zh", "TW", 0x0404}, {"zh", "HK", 0x0C04}, {"th", "", 0x041E},
};

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

uint16_t LangIdFromLocale(std::string_view locale) {
  // language[_territory][.codeset][@modifier]
  size_t end = locale.find_first_of(".@");
  if (end != std::string_view::npos) locale = locale.substr(0, end);
  size_t sep = locale.find_first_of("_-");
  std::string language = Lower(locale.substr(0, sep));
  std::string territory = sep == std::string_view::npos ? "" : Upper(locale.substr(sep + 1));

  const LocaleId* main = nullptr;
  for (const LocaleId& row : kTable) {
    if (language != row.language) continue;
    if (territory == row.territory) return row.id;
    if (!main && row.territory[0] == '\0') main = &row;
  }
  return main ? main->id : kUsEnglish;
}

}  // namespace vantorel::platform
