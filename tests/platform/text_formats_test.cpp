// The REGEDIT4 and INI texts the posix backend keeps its stores in.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/ini_text.h"
#include "platform/reg_text.h"

namespace vantorel::platform {
namespace {

TEST(Regedit4, ReadsWhatRegeditWrites) {
  // CRLF lines, comments, escapes, continued hex data, deletions, other value types.
  const std::string text =
      "REGEDIT4\r\n"
      "\r\n"
      "; a comment\r\n"
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\App]\r\n"
      "@=\"Default\"\r\n"
      "\"Path\"=\"C:\\\\Program Files\\\\App\"\r\n"
      "\"Quote\"=\"say \\\"hi\\\"\"\r\n"
      "\"Count\"=dword:0000FFFF\r\n"
      "\"Data\"=hex:01,02,\\\r\n"
      "  03,04\r\n"
      "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
      "\"Gone\"=\"soon\"\r\n"
      "\"Gone\"=-\r\n"
      "\r\n"
      "[hkey_local_machine\\Software\\App\\Old]\r\n"
      "\"x\"=\"y\"\r\n"
      "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\App\\Old]\r\n"
      "[HKEY_USERS\\.DEFAULT]\r\n";
  RegTree tree;
  ParseRegedit4(text, "test.reg", tree);
  RegNode* app = tree.Find(Root::LocalMachine, {"software", "APP"});
  ASSERT_NE(app, nullptr);
  EXPECT_TRUE(app->subkeys.empty()) << "[-KEY] deleted it";
  ASSERT_EQ(app->values.size(), 6u);
  EXPECT_EQ(DecodeString(app->FindValue("")->data), "Default");
  EXPECT_EQ(DecodeString(app->FindValue("path")->data), "C:\\Program Files\\App");
  EXPECT_EQ(DecodeString(app->FindValue("Quote")->data), "say \"hi\"");
  uint32_t count = 0;
  EXPECT_TRUE(DecodeDWord(app->FindValue("Count")->data, count));
  EXPECT_EQ(count, 0xFFFFu);
  EXPECT_EQ(app->FindValue("Data")->data, (std::vector<uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(app->FindValue("Qword")->type, 0xBu);
  EXPECT_EQ(app->FindValue("Gone"), nullptr);
  EXPECT_NE(tree.Find(Root::Users, {".DEFAULT"}), nullptr);

  EXPECT_EQ(FormatRegedit4(tree),
            "REGEDIT4\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE]\n"
            "\n"
            "[HKEY_LOCAL_MACHINE\\SOFTWARE\\App]\n"
            "@=\"Default\"\n"
            "\"Path\"=\"C:\\\\Program Files\\\\App\"\n"
            "\"Quote\"=\"say \\\"hi\\\"\"\n"
            "\"Count\"=dword:0000ffff\n"
            "\"Data\"=hex:01,02,03,04\n"
            "\"Qword\"=hex(b):01,00,00,00,00,00,00,00\n"
            "\n"
            "[HKEY_USERS\\.DEFAULT]\n"
            "\n");
}

TEST(Regedit4, FormatThenParseKeepsEverything) {
  RegTree tree;
  RegNode& key = tree.Create(Root::CurrentUser, {"Software", "Odd \"names\" ]["});
  key.SetValue("with \\ and \"", kRegSz, EncodeString("line\nbreak"));
  key.SetValue("no terminator", kRegSz, {'a', 'b'});
  key.SetValue("short dword", kRegDWord, {1, 2});
  key.SetValue("none", kRegNone, {});
  std::vector<uint8_t> big(1000);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i);
  key.SetValue("big", kRegBinary, big);
  tree.RootNode(Root::ClassesRoot).SetValue("", kRegSz, EncodeString("root value"));

  std::string text = FormatRegedit4(tree);
  RegTree back;
  ParseRegedit4(text, "round.reg", back);
  EXPECT_EQ(FormatRegedit4(back), text);
  RegNode* node = back.Find(Root::CurrentUser, {"Software", "Odd \"names\" ]["});
  ASSERT_NE(node, nullptr);
  ASSERT_EQ(node->values.size(), key.values.size());
  for (size_t i = 0; i < key.values.size(); ++i) {
    SCOPED_TRACE(key.values[i].name);
    EXPECT_EQ(node->values[i].name, key.values[i].name);
    EXPECT_EQ(node->values[i].type, key.values[i].type);
    EXPECT_EQ(node->values[i].data, key.values[i].data);
  }
  EXPECT_NE(text.find("[HKEY_CLASSES_ROOT]\n@=\"root value\""), std::string::npos);
}

TEST(Regedit4, FuzzedInputNeverCrashes) {
  const std::string seed =
      "REGEDIT4\n\n[HKEY_CURRENT_USER\\A\\B]\n\"N\"=hex(7):61,00,\\\n  62,00\n\"D\"=dword:1\n";
  uint32_t state = 12345;
  for (int round = 0; round < 2000; ++round) {
    std::string text = seed.substr(0, state % (seed.size() + 1));
    for (int k = 0; k < 3; ++k) {
      state = state * 1103515245 + 12345;
      if (!text.empty()) text[state % text.size()] = static_cast<char>(state >> 16);
    }
    RegTree tree;
    try {
      ParseRegedit4(text, "fuzz.reg", tree);
    } catch (const PlatformError& e) {
      EXPECT_NE(std::string(e.what()).find("fuzz.reg, line "), std::string::npos);
    }
  }
}

TEST(IniText, Lookup) {
  const std::string text =
      "; comment\r\n"
      "[Setup]\r\n"
      "  Name =  My Program  \r\n"
      "Quoted=\" spaced \"\r\n"
      "Single='x'\r\n"
      "Empty=\r\n"
      "Equals=a=b\r\n"
      "noequals\r\n"
      "[ Other ]\r\n"
      "Name=other\r\n"
      "[setup]\r\n"
      "Later=ignored\r\n";
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  } cases[] = {
      {"Setup", "Name", "My Program"},
      {"SETUP", "name", "My Program"},
      {"Setup", "Quoted", " spaced "},
      {"Setup", "Single", "x"},
      {"Setup", "Empty", ""},
      {"Setup", "Equals", "a=b"},
      {"Setup", "noequals", std::nullopt},
      {"Setup", "Missing", std::nullopt},
      {"other", "NAME", "other"},
      {"Setup", "Later", std::nullopt},  // only the first [Setup] counts
      {"Missing", "Name", std::nullopt},
  };
  for (const Case& c : cases)
    EXPECT_EQ(IniLookup(text, c.section, c.key), c.value) << c.section << "/" << c.key;
}

TEST(IniText, Store) {
  struct Case {
    const char* what;
    std::string before;
    const char* section;
    const char* key;
    const char* value;
    std::string after;
  } cases[] = {
      {"new file", "", "Sec", "Key", "v", "[Sec]\r\nKey=v\r\n"},
      {"replace keeps the key's case", "[Sec]\r\nKEY = old\r\nOther=1\r\n", "sec", "key", "new",
       "[Sec]\r\nKEY=new\r\nOther=1\r\n"},
      {"values are trimmed", "[Sec]\r\n", "Sec", "k", "  v  ", "[Sec]\r\nk=v\r\n"},
      {"new key after the last entry", "[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n", "a", "z", "3",
       "[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n"},
      {"new section after a blank line", "[A]\nx=1\n", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
      {"one blank line is enough", "[A]\nx=1\n\n", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
      {"no line end at the end", "[A]\nx=1", "B", "y", "2", "[A]\nx=1\n\n[B]\ny=2\n"},
      {"section on the last line", "[A]", "A", "x", "1", "[A]\r\nx=1\r\n"},
      {"comments stay", "; top\r\n[A]\r\n; note\r\nx=1\r\n", "A", "x", "2",
       "; top\r\n[A]\r\n; note\r\nx=2\r\n"},
  };
  for (const Case& c : cases) {
    std::string after = IniStore(c.before, c.section, c.key, c.value);
    EXPECT_EQ(after, c.after) << c.what;
    EXPECT_EQ(IniLookup(after, c.section, c.key),
              IniLookup("[s]\nk=" + std::string(c.value), "s", "k"))
        << c.what;
  }
}

}  // namespace
}  // namespace vantorel::platform
