#include "routines/strings.h"

#include <algorithm>
#include <charconv>

namespace vantorel {
namespace {

char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
bool IsPathDelimiter(char c) {
  return c == '\\' || c == '/' || c == ':';
}

// Index just past the last "\", "/" or ":"; 0 when there is none.
size_t NameStart(const std::string& path) {
  size_t i = path.size();
  while (i > 0 && !IsPathDelimiter(path[i - 1])) --i;
  return i;
}

}  // namespace

std::string AddBackslash(const std::string& s) {
  if (s.empty() || s.back() == '\\') return s;
  return s + '\\';
}

std::string RemoveBackslash(const std::string& s) {
  if (!s.empty() && s.back() == '\\') return s.substr(0, s.size() - 1);
  return s;
}

int FieldCount(const std::string& s, char sep) {
  int separators = static_cast<int>(std::count(s.begin(), s.end(), sep));
  // A trailing separator ends the last field rather than opening an empty one.
  if (s.empty() || s.back() == sep) return separators;
  return separators + 1;
}

std::string Field(const std::string& s, int n, char sep) {
  if (n < 1) return "";
  size_t start = 0;
  for (int i = 1; i < n; ++i) {
    size_t pos = s.find(sep, start);
    if (pos == std::string::npos) return "";
    start = pos + 1;
  }
  size_t end = s.find(sep, start);
  return s.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

std::vector<std::string> SplitFields(const std::string& s, char sep) {
  std::vector<std::string> fields;
  int count = FieldCount(s, sep);
  for (int i = 1; i <= count; ++i) fields.push_back(Field(s, i, sep));
  return fields;
}

void AfterColon(const std::string& s, std::string& out) {
  size_t pos = s.find(':');
  if (pos != std::string::npos) out = s.substr(pos + 1);
}

std::string CleanFileName(const std::string& s) {
  static const std::string kDropped = "\"*:;<>?\\|";
  std::string out;
  for (char c : s) {
    if (c == '/') c = '-';
    if (kDropped.find(c) == std::string::npos) out += c;
  }
  return out;
}

bool TryStrToInt(const std::string& s, int& value) {
  std::string text = Trim(s);
  int parsed = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, parsed);
  if (text.empty() || error != std::errc() || stop != end) return false;
  value = parsed;
  return true;
}

std::string UpperCase(const std::string& s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), AsciiUpper);
  return out;
}

std::string LowerCase(const std::string& s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), AsciiLower);
  return out;
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiUpper(x) == AsciiUpper(y);
         });
}

std::string Trim(const std::string& s) {
  // Like the platform's Trim: spaces and control characters at both ends.
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::string ExtractFilePath(const std::string& path) {
  return path.substr(0, NameStart(path));
}

std::string ExtractFileDir(const std::string& path) {
  size_t start = NameStart(path);
  // Keep the backslash of a root ("C:\") and of a bare "\" so the directory stays a directory.
  if (start > 0 && (path[start - 1] == '\\' || path[start - 1] == '/') && start > 1 &&
      path[start - 2] != ':')
    --start;
  return path.substr(0, start);
}

std::string ExtractFileName(const std::string& path) {
  return path.substr(NameStart(path));
}

std::string ExtractFileExt(const std::string& path) {
  size_t start = NameStart(path);
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return "";
  return path.substr(dot);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  size_t start = NameStart(path);
  size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return path + ext;
  return path.substr(0, dot) + ext;
}

}  // namespace vantorel
