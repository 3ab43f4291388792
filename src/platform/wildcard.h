#pragma once
// Matching of file names against the wildcard patterns of directory listings. A backend helper:
// the win32 backend leaves this to FindFirstFileA.
#include <string_view>

namespace vantorel::platform {

// "*" any run of characters, "?" exactly one; letters compare without regard to case, as on
// Windows. "*.*" matches every name, and a pattern ending in "." matches names without a dot
// ("*." lists the names that have no extension).
bool MatchWildcard(std::string_view pattern, std::string_view name);

}  // namespace vantorel::platform
