#pragma once
// Text of the Windows code pages (1252, 1251, 932, ...), as the ANSI texts of a language are
// written: for showing it where the system's own code page is another, and for checking it.
#include <optional>
#include <string>
#include <string_view>

namespace vantorel::platform {

// The code page of a Windows font character set (0 -> 1252, 204 -> 1251, 128 -> 932); 0 for a
// character set without one (symbol, OEM, default).
unsigned CharsetCodePage(int charset);

// The text as UTF-8; nullopt when the bytes are not text of that code page (a lead byte without
// its trail byte, a byte the code page leaves undefined) or the code page is unknown.
std::optional<std::string> CodePageToUtf8(std::string_view text, unsigned code_page);

}  // namespace vantorel::platform
