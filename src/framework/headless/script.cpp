// The answer script and the transcript format of the headless backend.
#include <cstdlib>

#include "framework/exception.h"
#include "framework/format.h"
#include "framework/headless/headless.h"
#include "framework/object.h"

namespace vantorel::headless {

namespace {

std::string_view Trim(std::string_view s) {
  size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return {};
  size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      if (start < text.size()) lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::vector<TAnswer> ParseAnswers(std::string_view text, const std::string& source) {
  std::vector<TAnswer> answers;
  int number = 0;
  TAnswer pending;  // carries a wait to the answer after it
  int wait_line = 0;
  for (std::string_view raw : SplitLines(text)) {
    ++number;
    std::string_view line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    if (line.substr(0, 5) == "@wait" && (line.size() == 5 || line[5] == ' ' || line[5] == '\t')) {
      if (wait_line != 0)
        throw Exception(Format("%s:%d: a wait needs an answer after it", source, wait_line));
      std::string_view rest = Trim(line.substr(5));
      size_t digits = rest.find_first_not_of("0123456789");
      if (digits != 0 && digits != std::string_view::npos &&
          (rest[digits] == ' ' || rest[digits] == '\t')) {
        std::string number_text(rest.substr(0, digits));
        pending.wait_seconds = number_text.size() > 6 ? 999999 : std::atoi(number_text.c_str());
        rest = Trim(rest.substr(digits));
      }
      if (rest.empty() || digits == std::string_view::npos)
        throw Exception(Format("%s:%d: expected '@wait [<seconds>] <path>'", source, number));
      pending.wait_for = std::string(rest);
      wait_line = number;
      continue;
    }
    size_t colon = line.rfind(':');
    std::string_view glob = colon == std::string_view::npos ? "" : Trim(line.substr(0, colon));
    std::string_view button = colon == std::string_view::npos ? "" : Trim(line.substr(colon + 1));
    if (glob.empty() || button.empty())
      throw Exception(Format("%s:%d: expected '<caption>: <button>' but found '%s'", source, number,
                             std::string(line)));
    pending.caption_glob = std::string(glob);
    pending.button = std::string(button);
    pending.line = number;
    answers.push_back(std::move(pending));
    pending = TAnswer{};
    wait_line = 0;
  }
  if (wait_line != 0)
    throw Exception(Format("%s:%d: a wait needs an answer after it", source, wait_line));
  return answers;
}

bool GlobMatch(std::string_view glob, std::string_view text) {
  // Iterative, with one backtrack point: linear in practice, never exponential.
  size_t g = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < text.size()) {
    if (g < glob.size() && (glob[g] == '?' || Lower(glob[g]) == Lower(text[t]))) {
      ++g;
      ++t;
    } else if (g < glob.size() && glob[g] == '*') {
      star = g++;
      resume = t;
    } else if (star != std::string_view::npos) {
      g = star + 1;
      t = ++resume;
    } else {
      return false;
    }
  }
  while (g < glob.size() && glob[g] == '*') ++g;
  return g == glob.size();
}

bool SameButtonCaption(std::string_view caption, std::string_view answer) {
  // The caption loses its accelerator marks ("&&" is a literal ampersand); the answer may be
  // written as the button shows it or with the marks.
  auto strip = [](std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
      if (s[i] == '&') {
        if (i + 1 < s.size() && s[i + 1] == '&') out += s[++i];
        continue;
      }
      out += Lower(s[i]);
    }
    return std::string(Trim(out));
  };
  auto lower = [](std::string_view s) {
    std::string out;
    for (char c : Trim(s)) out += Lower(c);
    return out;
  };
  std::string shown = strip(caption);
  return shown == lower(answer) || shown == strip(answer);
}

std::string QuoteTranscript(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (u < 32 || u == 127) {
          out += "\\x";
          out += kHex[u >> 4];
          out += kHex[u & 15];
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

bool TTranscriptLine::Has(std::string_view flag) const {
  for (const auto& f : flags)
    if (f == flag) return true;
  return false;
}

std::vector<std::string> TTranscriptEntry::Texts() const {
  std::vector<std::string> out;
  for (const auto& line : lines) {
    if (line.keyword == "button" || line.keyword == "waiting" || line.keyword == "pressed" ||
        line.keyword == "closed" || line.keyword == "result")
      continue;
    out.push_back(line.text);
  }
  return out;
}

std::vector<const TTranscriptLine*> TTranscriptEntry::Buttons() const {
  std::vector<const TTranscriptLine*> out;
  for (const auto& line : lines)
    if (line.keyword == "button") out.push_back(&line);
  return out;
}

std::string TTranscriptEntry::Pressed() const {
  for (const auto& line : lines)
    if (line.keyword == "pressed") return line.text;
  return {};
}

bool TTranscriptEntry::Closed() const {
  for (const auto& line : lines)
    if (line.keyword == "closed") return true;
  return false;
}

namespace {

struct LineTokens {
  std::string keyword;
  std::vector<std::pair<bool, std::string>> args;  // (quoted, text)
};

LineTokens Tokenize(std::string_view line, int number) {
  LineTokens out;
  size_t i = 0;
  auto fail = [&](const char* what) {
    throw Exception(Format("transcript line %d: %s", number, what));
  };
  auto blanks = [&] {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
  };
  blanks();
  while (i < line.size()) {
    if (line[i] == '"') {
      std::string text;
      ++i;
      while (true) {
        if (i >= line.size()) fail("unterminated string");
        char c = line[i++];
        if (c == '"') break;
        if (c != '\\') {
          text += c;
          continue;
        }
        if (i >= line.size()) fail("unterminated escape");
        char e = line[i++];
        switch (e) {
          case 'n':
            text += '\n';
            break;
          case 'r':
            text += '\r';
            break;
          case 't':
            text += '\t';
            break;
          case 'x': {
            if (i + 2 > line.size()) fail("short \\x escape");
            char* end = nullptr;
            std::string hex(line.substr(i, 2));
            long v = std::strtol(hex.c_str(), &end, 16);
            if (end != hex.c_str() + 2) fail("bad \\x escape");
            text += static_cast<char>(v);
            i += 2;
            break;
          }
          default:
            text += e;
        }
      }
      if (out.keyword.empty()) fail("a line starts with a keyword");
      out.args.emplace_back(true, std::move(text));
    } else {
      size_t start = i;
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
      std::string word(line.substr(start, i - start));
      if (out.keyword.empty())
        out.keyword = std::move(word);
      else
        out.args.emplace_back(false, std::move(word));
    }
    blanks();
  }
  return out;
}

TTranscriptLine ToLine(LineTokens tokens) {
  TTranscriptLine line;
  line.keyword = std::move(tokens.keyword);
  bool have_text = false;
  for (auto& [quoted, text] : tokens.args) {
    if (!have_text && (quoted || line.keyword == "result")) {
      line.text = std::move(text);
      have_text = true;
    } else {
      line.flags.push_back(std::move(text));
    }
  }
  return line;
}

}  // namespace

std::vector<TTranscriptEntry> ParseTranscript(std::string_view text) {
  std::vector<TTranscriptEntry> entries;
  bool inside = false;
  int number = 0;
  for (std::string_view raw : SplitLines(text)) {
    ++number;
    if (Trim(raw).empty()) continue;
    LineTokens tokens = Tokenize(raw, number);
    if (inside) {
      if (tokens.keyword == "end" && tokens.args.empty()) {
        inside = false;
        continue;
      }
      TTranscriptLine line = ToLine(std::move(tokens));
      if (line.keyword == "result") entries.back().result = std::atoi(line.text.c_str());
      entries.back().lines.push_back(std::move(line));
      continue;
    }
    if (tokens.keyword == "form" || tokens.keyword == "message") {
      if (tokens.args.empty() || !tokens.args[0].first)
        throw Exception(Format("transcript line %d: a window without a caption", number));
      TTranscriptEntry entry;
      entry.kind = tokens.keyword;
      entry.caption = tokens.args[0].second;
      if (tokens.args.size() > 1) entry.mode = tokens.args[1].second;
      entries.push_back(std::move(entry));
      inside = true;
    } else if (tokens.keyword == "result") {
      if (tokens.args.size() != 2 || !tokens.args[0].first)
        throw Exception(Format("transcript line %d: expected result \"<caption>\" <n>", number));
      // The result belongs to the latest modal form of that caption still open.
      for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (it->kind == "form" && it->mode == "modal" && it->caption == tokens.args[0].second &&
            it->result == 0) {
          it->result = std::atoi(tokens.args[1].second.c_str());
          break;
        }
      }
    } else if (tokens.keyword == "failure" || tokens.keyword == "note") {
      TTranscriptEntry entry;
      entry.kind = tokens.keyword;
      if (!tokens.args.empty()) entry.caption = tokens.args[0].second;
      entries.push_back(std::move(entry));
    } else {
      throw Exception(
          Format("transcript line %d: unexpected '%s' outside a block", number, tokens.keyword));
    }
  }
  if (inside) throw Exception("transcript: the last block has no end");
  return entries;
}

}  // namespace vantorel::headless
