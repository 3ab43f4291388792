// The language text format and the rules for re-parsing a language's lines.
#include "translate/language.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/exception.h"
#include "translate/translator.h"

namespace vantorel {
namespace {

struct ParseCase {
  const char* name;
  std::vector<std::string> lines;
  // Expected strings as "GLID=text@line", memos as "#GLID@line:line1|line2".
  std::vector<std::string> strings;
  std::vector<std::string> memos;
  const char* error = nullptr;  // the whole message, when parsing fails
};

std::vector<std::string> Strings(const TLanguage& language) {
  std::vector<std::string> out;
  for (const TLanguageString& s : language.ParsedStrings())
    out.push_back(std::to_string(s.glid) + "=" + s.text + "@" + std::to_string(s.line));
  return out;
}

std::vector<std::string> Memos(const TLanguage& language) {
  std::vector<std::string> out;
  for (const TLanguageMemo& m : language.ParsedMemos()) {
    std::string text = "#";
    text += std::to_string(m.glid);
    text += '@';
    text += std::to_string(m.line);
    text += ':';
    for (int i = 0; i < m.lines.Count(); ++i) {
      if (i > 0) text += '|';
      text += m.lines[i];
    }
    out.push_back(text);
  }
  return out;
}

std::unique_ptr<TStringList> List(const std::vector<std::string>& lines) {
  auto list = std::make_unique<TStringList>();
  for (const std::string& line : lines) list->Add(line);
  return list;
}

void SetLines(TLanguage& language, const std::vector<std::string>& lines) {
  language.SetStrings(*List(lines));
}

const std::string k300(300, 'x');

const ParseCase kCases[] = {
    {"text ends at the second semicolon", {"12;Hello;World"}, {"12=Hello@0"}, {}},
    {"text and glid are trimmed", {"  7 ;  Next >  ", "\t8;x\t"}, {"7=Next >@0", "8=x@1"}, {}},
    {"empty lines and comments are skipped",
     {"", "* a comment", "   ", "*12;not a string", "3;Three"},
     {"3=Three@4"},
     {}},
    {"the example of a string and a memo",
     {"* welcome page", "10;This program will install the software on your computer.", "#28;",
      "Select the components you want to install.", "#"},
     {"10=This program will install the software on your computer.@1"},
     {"#28@2:Select the components you want to install."}},
    {"a comment inside a memo is skipped; '#x' inside a memo is text",
     {"#5", "  first  ", "*12;x", "#x;more", "#"},
     {},
     {"#5@0:first|#x;more"}},
    {"a memo still open at the end is dropped", {"1;One", "#2;", "open"}, {"1=One@0"}, {}},
    {"duplicate GLIDs are all kept", {"4;Back", "4;Previous"}, {"4=Back@0", "4=Previous@1"}, {}},
    {"a text of 300 characters keeps its first 255",
     {"9;" + k300},
     {"9=" + std::string(255, 'x') + "@0"},
     {}},
    {"'#' outside a memo",
     {"1;One", "#"},
     {},
     {},
     "Found the end of memo marker # at line 1. Was not in a memo however"},
    {"'#;' has no GLID",
     {"#;"},
     {},
     {},
     "The 0'th string (#;) does not have the proper format of GLID;Text"},
    {"'#x;' has no integer GLID",
     {"", "#x;"},
     {},
     {},
     "The 1'th string (#x;) does not have the proper format of GLID;Text or .GLID;"},
    {"a string without a GLID",
     {";Hello"},
     {},
     {},
     "The 0'th string (;Hello) does not have the proper format of GLID;Text"},
    {"a string whose GLID is no integer",
     {"12a;Hello"},
     {},
     {},
     "The 0'th string (12a;Hello) does not have the proper format of GLID;Text or .GLID;"},
    {"a string without text",
     {"1;One", "2;  ;x"},
     {},
     {},
     "The 1'th string (2;  ;x) does not have the proper format of GLID;Text"},
    {"a string without a semicolon",
     {"42"},
     {},
     {},
     "The 0'th string (42) does not have the "
     "proper format of GLID;Text"},
};

TEST(LanguageText, ParsesAsTheTableSays) {
  for (const ParseCase& c : kCases) {
    SCOPED_TRACE(c.name);
    TLanguage language(nullptr, vlEnglish);
    if (c.error == nullptr) {
      SetLines(language, c.lines);
      EXPECT_EQ(Strings(language), c.strings);
      EXPECT_EQ(Memos(language), c.memos);
    } else {
      try {
        SetLines(language, c.lines);
        ADD_FAILURE() << "no error";
      } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), c.error);
      }
      // Nothing parsed stays; the lines do.
      EXPECT_TRUE(language.ParsedStrings().empty());
      EXPECT_TRUE(language.ParsedMemos().empty());
      EXPECT_EQ(language.Strings()->Count(), static_cast<int>(c.lines.size()));
    }
  }
}

TEST(LanguageText, AChangeOfTheLinesParsesAgain) {
  TLanguage language(nullptr, vlGerman);
  TLangFormatStrings& lines = *language.Strings();
  lines.Add("5;Weiter >");
  ASSERT_NE(language.FindString(5), nullptr);
  lines.Insert(0, "4;< Zurück");
  EXPECT_EQ(Strings(language), (std::vector<std::string>{"4=< Zurück@0", "5=Weiter >@1"}));
  lines.Put(1, "5;Fortfahren");
  EXPECT_EQ(language.FindString(5)->text, "Fortfahren");
  lines.Move(1, 0);
  EXPECT_EQ(Strings(language), (std::vector<std::string>{"5=Fortfahren@0", "4=< Zurück@1"}));
  lines.Clear();
  EXPECT_FALSE(language.HasStrings());
}

TEST(LanguageText, AnErrorInAnAddedLineDiscardsWhatWasParsed) {
  TLanguage language(nullptr, vlGerman);
  language.Strings()->Add("5;Weiter >");
  EXPECT_THROW(language.Strings()->Add("#"), Exception);
  EXPECT_FALSE(language.HasStrings());
  EXPECT_EQ(language.Strings()->Count(), 2);
}

TEST(LanguageText, DeletingALineMovesTheLaterStringsUpWithoutParsing) {
  TLanguage language(nullptr, vlGerman);
  SetLines(language, {"4;Zurück", "* comment", "5;Weiter", "#28;", "Text", "#", "6;Ende"});
  language.Strings()->Delete(1);  // the comment
  EXPECT_EQ(Strings(language), (std::vector<std::string>{"4=Zurück@0", "5=Weiter@1", "6=Ende@5"}));
  EXPECT_EQ(Memos(language), (std::vector<std::string>{"#28@2:Text"}));
  // The string of a deleted line goes with it; the rest is not parsed again, so a line whose
  // removal breaks the memo raises nothing.
  language.Strings()->Delete(0);
  language.Strings()->Delete(3);  // the memo's end marker
  EXPECT_EQ(language.FindString(4), nullptr);
  EXPECT_EQ(Strings(language), (std::vector<std::string>{"5=Weiter@0", "6=Ende@3"}));
  EXPECT_EQ(language.Strings()->Count(), 4);
}

TEST(LanguageText, AssignParsesOnceAtTheEnd) {
  // Line by line the memo would be open, or "#" would come first; as a whole it parses.
  TLanguage language(nullptr, vlFrench);
  SetLines(language, {"#1;", "a", "#", "2;Deux"});
  EXPECT_EQ(Memos(language), (std::vector<std::string>{"#1@0:a"}));
  EXPECT_EQ(Strings(language), (std::vector<std::string>{"2=Deux@3"}));
}

TEST(LanguageText, LookupsFindTheFirstInLineOrder) {
  TLanguage language(nullptr, vlEnglish);
  SetLines(language, {"4;Back", "4;Previous", "5;NEXT >", "#28;", "Line one", "Line two", "#",
                      "#29;", "Line one", "Line two", "#"});
  EXPECT_EQ(language.FindString(4)->text, "Back");
  EXPECT_EQ(language.FindString(99), nullptr);
  EXPECT_EQ(language.FindStringByText("next >")->glid, 5);
  EXPECT_EQ(language.FindStringByText("Next"), nullptr);
  EXPECT_EQ(language.FindMemoByText(*List({"Line one", "Line two"}))->glid, 28);
  EXPECT_EQ(language.FindMemoByText(*List({"line one", "Line two"})), nullptr);
  EXPECT_EQ(language.FindMemoByText(*List({"Line one"})), nullptr);
}

}  // namespace
}  // namespace vantorel
