#pragma once
// The text of an INI file as the system's profile functions read and write it. A backend
// helper of the posix backend; the win32 backend uses the system's own functions.
//   [Section]       names compare without regard to case; the first section of a name counts
//   Key = Value     names and values are trimmed; a value in matching quotes loses the quotes
//   ; comment       lines starting with ";" are skipped
#include <optional>
#include <string>
#include <string_view>

namespace vantorel::platform {

std::optional<std::string> IniLookup(std::string_view text, std::string_view section,
                                     std::string_view key);

// The text with `key` in `section` set to `value`: an existing key keeps its place and the
// letter case of its name; a new key goes after the last entry of its section; a new section
// is added at the end, after a blank line. Lines end as the file's lines already end ("\r\n"
// for a new file); every other line stays as it was.
std::string IniStore(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value);

}  // namespace vantorel::platform
