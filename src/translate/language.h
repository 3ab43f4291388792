#pragma once
// A language of the translator: its font settings and its texts, parsed from the lines of its
// language text file.
//
// The text format, one entry per line (each line trimmed first; lines count from 0):
//   * comment                   skipped, inside a memo too
//   12;Hello                    the text of GLID 12 (at most 255 characters; after a second ";"
//                               the rest is ignored)
//   #28;                        starts the memo of GLID 28; its lines follow, up to
//   #                           a line that is exactly "#"
// Empty lines are skipped. A memo still open at the end is dropped. Duplicate GLIDs are kept;
// lookups find the first.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "framework/classes.h"
#include "framework/controls.h"
#include "translate/language_table.h"

namespace vantorel {

class TLanguage;
class TTranslator;

inline constexpr size_t kMaxLanguageText = 255;

struct TLanguageString {
  int32_t glid = 0;
  int line = 0;  // index in the language's Strings
  std::string text;
};

struct TLanguageMemo {
  TLanguageMemo() = default;
  TLanguageMemo(TLanguageMemo&& other) { *this = std::move(other); }
  TLanguageMemo& operator=(TLanguageMemo&& other) {
    glid = other.glid;
    line = other.line;
    lines.Assign(other.lines);
    return *this;
  }

  int32_t glid = 0;
  int line = 0;  // the index of its "#GLID;" line
  TStringList lines;
};

// The raw lines of a language. Changing them parses the language again (while it allows that);
// Assign and loading a file parse once at the end. Deleting a line does not parse again.
class TLangFormatStrings : public TStringList {
 public:
  explicit TLangFormatStrings(TLanguage* language) : language_(language) {}

  int Add(const std::string& text);
  void Insert(int index, const std::string& text);
  void Put(int index, const std::string& text);
  void Move(int from, int to);
  void Clear();
  void SetText(std::string_view text);
  // The parsed text of the deleted line goes with it; later lines move up by one.
  void Delete(int index);
  void Assign(const TPersistent& source) override;
  // False when the file cannot be read (the lines stay as they were).
  bool LoadFromFile(const std::string& path);

 private:
  void Reparse();
  TLanguage* language_;
};

class TLanguage : public TPersistent {
 public:
  TLanguage(TTranslator* translator, TVtrlLanguage ident);

  TTranslator* Translator() const { return translator_; }
  TVtrlLanguage LanguageIdent() const { return ident_; }
  const std::string& BitmapName() const { return bitmap_name_; }
  const std::string& TextFileName() const { return file_name_; }

  TFont* Font() { return &font_; }
  const TFont* Font() const { return &font_; }
  void SetFont(const TFont& v) { font_.Assign(v); }
  bool FontOverride() const { return font_override_; }
  void SetFontOverride(bool v) { font_override_ = v; }
  TLangFormatStrings* Strings() { return &strings_; }
  void SetStrings(const TStrings& v) { strings_.Assign(v); }

  // Parses Strings. On an error nothing stays parsed and the error is raised; the lines stay.
  void Parse();
  bool HasStrings() const { return !parsed_strings_.empty(); }
  const std::vector<TLanguageString>& ParsedStrings() const { return parsed_strings_; }
  const std::vector<TLanguageMemo>& ParsedMemos() const { return parsed_memos_; }

  // The first string with this GLID, or nullptr.
  const TLanguageString* FindString(int32_t glid) const;
  // The first string whose text equals `text` without regard to case, or nullptr.
  const TLanguageString* FindStringByText(const std::string& text) const;
  const TLanguageMemo* FindMemo(int32_t glid) const;
  // The first memo whose whole text equals the lines' (case counts), or nullptr.
  const TLanguageMemo* FindMemoByText(const TStrings& lines) const;

  void Assign(const TPersistent& source) override;

 private:
  friend class TLangFormatStrings;
  void LineDeleted(int index);

  TTranslator* translator_;
  std::string bitmap_name_;
  std::string file_name_;
  TFont font_;
  bool font_override_ = false;
  std::vector<TLanguageMemo> parsed_memos_;
  std::vector<TLanguageString> parsed_strings_;
  TVtrlLanguage ident_;
  TLangFormatStrings strings_;
  bool reparse_ = true;
};

}  // namespace vantorel
