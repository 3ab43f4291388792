#include "platform/ini_text.h"

#include <vector>

#include "platform/reg_data.h"

namespace vantorel::platform {
namespace {

constexpr std::string_view kSpace = " \t\r\n";

std::string_view Trim(std::string_view s) {
  size_t first = s.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(kSpace) - first + 1);
}

struct Line {
  std::string_view text;  // without its line end
  size_t begin = 0;       // offset of the line in the whole text
  size_t end = 0;         // offset after its line end
};

std::vector<Line> SplitLines(std::string_view text) {
  std::vector<Line> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    size_t end = nl == std::string_view::npos ? text.size() : nl + 1;
    std::string_view line = text.substr(pos, (nl == std::string_view::npos ? end : nl) - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back({line, pos, end});
    pos = end;
  }
  return lines;
}

// The section named by a "[Name]" line, if the line is one.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.empty() || line[0] != '[') return std::nullopt;
  size_t close = line.find(']');
  if (close == std::string_view::npos) close = line.size();
  return Trim(line.substr(1, close - 1));
}

bool KeyValue(std::string_view line, std::string_view& key, std::string_view& value) {
  line = Trim(line);
  if (line.empty() || line[0] == ';') return false;
  size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return true;
}

}  // namespace

std::optional<std::string> IniLookup(std::string_view text, std::string_view section,
                                     std::string_view key) {
  bool in_section = false, seen = false;
  for (const Line& line : SplitLines(text)) {
    if (auto name = SectionName(line.text)) {
      if (seen) break;  // only the first section of the name is read
      in_section = EqualNoCase(*name, Trim(section));
      seen = in_section;
      continue;
    }
    std::string_view k, v;
    if (in_section && KeyValue(line.text, k, v) && EqualNoCase(k, Trim(key))) {
      if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0])
        v = v.substr(1, v.size() - 2);
      return std::string(v);
    }
  }
  return std::nullopt;
}

std::string IniStore(std::string_view text, std::string_view section, std::string_view key,
                     std::string_view value) {
  std::string eol = "\r\n";
  size_t nl = text.find('\n');
  if (nl != std::string_view::npos && (nl == 0 || text[nl - 1] != '\r')) eol = "\n";
  section = Trim(section);
  key = Trim(key);
  std::string entry = std::string(key) + "=" + std::string(Trim(value));

  std::vector<Line> lines = SplitLines(text);
  size_t insert_at = std::string_view::npos;  // after the section's last entry
  bool in_section = false;
  for (const Line& line : lines) {
    if (auto name = SectionName(line.text)) {
      if (in_section) break;
      in_section = EqualNoCase(*name, section);
      if (in_section) insert_at = line.end;
      continue;
    }
    if (!in_section) continue;
    std::string_view k, v;
    if (KeyValue(line.text, k, v) && EqualNoCase(k, key)) {
      std::string out(text.substr(0, line.begin));
      out += std::string(k) + "=" + std::string(Trim(value));
      out += text.substr(line.begin + line.text.size());
      return out;
    }
    if (!Trim(line.text).empty()) insert_at = line.end;
  }

  std::string out(text);
  if (insert_at != std::string_view::npos) {
    // A section on the last line without a line end gets one before the new entry.
    std::string piece = entry + eol;
    if (insert_at > 0 && text[insert_at - 1] != '\n') piece = eol + piece;
    out.insert(insert_at, piece);
    return out;
  }
  if (!out.empty() && out.back() != '\n') out += eol;
  if (!Trim(out).empty() && !Trim(SplitLines(out).back().text).empty()) out += eol;
  out += "[" + std::string(section) + "]" + eol + entry + eol;
  return out;
}

}  // namespace vantorel::platform
