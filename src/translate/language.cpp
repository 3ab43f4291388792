#include "translate/language.h"

#include <utility>

#include "framework/format.h"
#include "platform/files.h"
#include "routines/exceptions.h"
#include "routines/strings.h"

namespace vantorel {
namespace {

// A language text is a few kilobytes; anything far larger is not one.
constexpr int64_t kMaxLanguageFile = 4 << 20;

[[noreturn]] void FormatError(const char* format, int line, const std::string& text) {
  throw Exception(Format(TranslateString(format), line, text));
}

constexpr const char* kNoGlid =
    "The %d'th string (%s) does not have the proper format of GLID;Text";
constexpr const char* kBadGlid =
    "The %d'th string (%s) does not have the proper format of GLID;Text or .GLID;";

int32_t ParseGlid(const std::string& part, int line, const std::string& text) {
  if (part.empty()) FormatError(kNoGlid, line, text);
  int value = 0;
  if (!TryStrToInt(part, value)) FormatError(kBadGlid, line, text);
  return value;
}

std::string JoinedText(const TStrings& lines) {
  return lines.Text();
}

}  // namespace

// ---- TLangFormatStrings ----------------------------------------------------------------------

void TLangFormatStrings::Reparse() {
  if (language_ != nullptr && language_->reparse_) language_->Parse();
}

int TLangFormatStrings::Add(const std::string& text) {
  int index = TStringList::Add(text);
  Reparse();
  return index;
}

void TLangFormatStrings::Insert(int index, const std::string& text) {
  TStringList::Insert(index, text);
  Reparse();
}

void TLangFormatStrings::Put(int index, const std::string& text) {
  TStringList::Put(index, text);
  Reparse();
}

void TLangFormatStrings::Move(int from, int to) {
  if (from == to) return;
  std::string line = Strings(from);
  Strings(to);  // an index outside the list raises before anything moves
  TStringList::Delete(from);
  TStringList::Insert(to, line);
  Reparse();
}

void TLangFormatStrings::Clear() {
  TStringList::Clear();
  Reparse();
}

void TLangFormatStrings::SetText(std::string_view text) {
  TStringList::SetText(text);
  Reparse();
}

void TLangFormatStrings::Delete(int index) {
  TStringList::Delete(index);
  if (language_ != nullptr) language_->LineDeleted(index);
}

void TLangFormatStrings::Assign(const TPersistent& source) {
  if (language_ == nullptr) {
    TStringList::Assign(source);
    return;
  }
  struct Hold {
    bool& flag;
    bool saved;
    ~Hold() { flag = saved; }
  } hold{language_->reparse_, std::exchange(language_->reparse_, false)};
  TStringList::Assign(source);
  hold.flag = hold.saved;
  Reparse();
}

bool TLangFormatStrings::LoadFromFile(const std::string& path) {
  platform::File file = platform::File::OpenRegular(path, platform::Access::Read,
                                                    platform::kShareRead | platform::kShareWrite);
  if (!file.IsOpen()) return false;
  const int64_t size = file.Size();
  if (size < 0 || size > kMaxLanguageFile) return false;
  std::string text(static_cast<size_t>(size), '\0');
  int64_t got = 0;
  while (got < size) {
    int64_t n = file.Read(text.data() + got, static_cast<size_t>(size - got));
    if (n <= 0) break;
    got += n;
  }
  if (got != size) return false;
  TStringList lines;
  lines.SetText(text);
  Assign(lines);
  return true;
}

// ---- TLanguage -------------------------------------------------------------------------------

TLanguage::TLanguage(TTranslator* translator, TVtrlLanguage ident)
    : translator_(translator), ident_(ident), strings_(this) {
  const TLanguageInfo& info = LanguageInfo(ident);
  bitmap_name_ = info.bitmap_name;
  file_name_ = info.file_name;
}

void TLanguage::Parse() {
  parsed_strings_.clear();
  parsed_memos_.clear();
  std::vector<TLanguageString> strings;
  std::vector<TLanguageMemo> memos;
  bool in_memo = false;
  TLanguageMemo memo;
  const int count = strings_.Count();
  for (int i = 0; i < count; ++i) {
    const std::string line = Trim(strings_[i]);
    if (line.empty()) continue;
    if (line == "#") {
      if (!in_memo)
        throw Exception(Format(
            TranslateString("Found the end of memo marker # at line %d. Was not in a memo however"),
            i));
      memos.push_back(std::move(memo));
      memo = TLanguageMemo();
      in_memo = false;
      continue;
    }
    if (line[0] == '*') continue;
    if (in_memo) {
      memo.lines.Add(line);
      continue;
    }
    const size_t semicolon = line.find(';');
    const std::string head = line.substr(0, semicolon);
    if (line[0] == '#') {
      if (line.size() < 2)
        FormatError("The %d'th string (%s) does not have the proper format of .GLID;", i, line);
      memo.glid = ParseGlid(head.substr(1), i, line);
      memo.line = i;
      in_memo = true;
      continue;
    }
    TLanguageString entry;
    entry.glid = ParseGlid(head, i, line);
    entry.line = i;
    if (semicolon != std::string::npos) {
      const size_t end = line.find(';', semicolon + 1);
      entry.text = Trim(line.substr(
          semicolon + 1, end == std::string::npos ? std::string::npos : end - semicolon - 1));
    }
    if (entry.text.empty()) FormatError(kNoGlid, i, line);
    if (entry.text.size() > kMaxLanguageText) entry.text.resize(kMaxLanguageText);
    strings.push_back(std::move(entry));
  }
  parsed_strings_ = std::move(strings);
  parsed_memos_ = std::move(memos);
}

void TLanguage::LineDeleted(int index) {
  // No new parse (a half-edited text need not parse), but nothing may still answer from the
  // deleted line, and the lines below it moved up.
  std::erase_if(parsed_strings_, [index](const TLanguageString& s) { return s.line == index; });
  for (TLanguageString& s : parsed_strings_)
    if (s.line > index) --s.line;
  for (TLanguageMemo& m : parsed_memos_)
    if (m.line > index) --m.line;
}

const TLanguageString* TLanguage::FindString(int32_t glid) const {
  for (const TLanguageString& s : parsed_strings_)
    if (s.glid == glid) return &s;
  return nullptr;
}

const TLanguageString* TLanguage::FindStringByText(const std::string& text) const {
  for (const TLanguageString& s : parsed_strings_)
    if (SameText(s.text, text)) return &s;
  return nullptr;
}

const TLanguageMemo* TLanguage::FindMemo(int32_t glid) const {
  for (const TLanguageMemo& m : parsed_memos_)
    if (m.glid == glid) return &m;
  return nullptr;
}

const TLanguageMemo* TLanguage::FindMemoByText(const TStrings& lines) const {
  const std::string text = JoinedText(lines);
  for (const TLanguageMemo& m : parsed_memos_)
    if (JoinedText(m.lines) == text) return &m;
  return nullptr;
}

void TLanguage::Assign(const TPersistent& source) {
  const auto* other = dynamic_cast<const TLanguage*>(&source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  font_.Assign(other->font_);
  font_override_ = other->font_override_;
  strings_.Assign(other->strings_);
}

}  // namespace vantorel
