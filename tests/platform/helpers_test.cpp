// The platform-neutral helpers behind the backends.
#include <gtest/gtest.h>

#include "platform/dos_time.h"
#include "platform/language.h"
#include "platform/reg_data.h"
#include "platform/wildcard.h"

namespace vantorel::platform {
namespace {

TEST(Wildcard, Patterns) {
  struct Case {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"*", "anything.txt", true},
      {"*.*", "noext", true},
      {"", "anything", true},
      {"*.txt", "readme.TXT", true},
      {"*.txt", "readme.txt.bak", false},
      {"*.txt", "txt", false},
      {"a?c", "abc", true},
      {"a?c", "ac", false},
      {"a?c", "abbc", false},
      {"*.", "noext", true},
      {"*.", "has.ext", false},
      {"setup*.exe", "SETUP32.EXE", true},
      {"*a*b*c", "xxaxxbxxbxxc", true},
      {"*a*b*c", "xxaxxbxxbxxcx", false},
      {"**", "", true},
      {"?", "", false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MatchWildcard(c.pattern, c.name), c.matches) << c.pattern << " / " << c.name;
}

TEST(DosTime, PackAndUnpack) {
  struct Case {
    DosFields fields;
    uint32_t stamp;
  } cases[] = {
      {{1980, 1, 1, 0, 0, 0}, 0x00210000},
      {{2001, 2, 3, 4, 5, 6}, 0x2A4320A3},
      {{2107, 12, 31, 23, 59, 58}, 0xFF9FBF7D},
  };
  for (const Case& c : cases) {
    uint32_t stamp = 0;
    EXPECT_TRUE(PackDosDateTime(c.fields, stamp));
    EXPECT_EQ(stamp, c.stamp);
    DosFields back;
    ASSERT_TRUE(UnpackDosDateTime(c.stamp, back));
    EXPECT_EQ(back.year, c.fields.year);
    EXPECT_EQ(back.month, c.fields.month);
    EXPECT_EQ(back.day, c.fields.day);
    EXPECT_EQ(back.hour, c.fields.hour);
    EXPECT_EQ(back.minute, c.fields.minute);
    EXPECT_EQ(back.second, c.fields.second);
  }
  uint32_t stamp = 0;
  DosFields odd{2001, 2, 3, 4, 5, 7};
  EXPECT_TRUE(PackDosDateTime(odd, stamp));
  EXPECT_EQ(stamp, 0x2A4320A3u) << "two-second resolution";

  const DosFields invalid[] = {
      {1979, 12, 31, 0, 0, 0}, {2108, 1, 1, 0, 0, 0},  {2001, 2, 29, 0, 0, 0},
      {2001, 13, 1, 0, 0, 0},  {2001, 1, 1, 24, 0, 0}, {2001, 1, 0, 0, 0, 0},
  };
  for (const DosFields& f : invalid) EXPECT_FALSE(PackDosDateTime(f, stamp)) << f.year;
  DosFields unused;
  EXPECT_FALSE(UnpackDosDateTime(0x01A00000, unused)) << "month 13";
  EXPECT_FALSE(UnpackDosDateTime(0x00000000, unused)) << "month 0";
  EXPECT_FALSE(UnpackDosDateTime(0x0021C000, unused)) << "hour 24";
  EXPECT_TRUE(UnpackDosDateTime(0x005D0000, unused)) << "29 February 1980";
}

TEST(Language, LocaleNames) {
  struct Case {
    const char* locale;
    uint16_t id;
  } cases[] = {
      {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809},      {"de", 0x0407},
      {"de_DE.UTF-8", 0x0407}, {"de_AT", 0x0C07},      {"de_LU", 0x0407},
      {"fr_CA.utf8", 0x0C0C},  {"pt_BR", 0x0416},      {"pt", 0x0816},
      {"zh_TW.Big5", 0x0404},  {"nl_BE@euro", 0x0813}, {"C", 0x0409},
      {"POSIX", 0x0409},       {"", 0x0409},           {"xx_YY", 0x0409},
      {"ja_JP.eucJP", 0x0411},
  };
  for (const Case& c : cases) EXPECT_EQ(LangIdFromLocale(c.locale), c.id) << c.locale;
}

TEST(RegistryData, Codecs) {
  EXPECT_EQ(EncodeString("ab"), (std::vector<uint8_t>{'a', 'b', 0}));
  EXPECT_EQ(DecodeString({'a', 'b', 0}), "ab");
  EXPECT_EQ(DecodeString({'a', 'b'}), "ab") << "data without its NUL";
  EXPECT_EQ(DecodeString({'a', 0, 'b', 0}), "a");

  std::vector<uint8_t> data;
  EXPECT_TRUE(EncodeMultiString({"a", "bc"}, data));
  EXPECT_EQ(data, (std::vector<uint8_t>{'a', 0, 'b', 'c', 0, 0}));
  EXPECT_TRUE(EncodeMultiString({}, data));
  EXPECT_EQ(data, std::vector<uint8_t>{0});
  EXPECT_FALSE(EncodeMultiString({"a", "", "b"}, data));
  EXPECT_EQ(DecodeMultiString({'a', 0, 'b', 'c', 0, 0}), (std::vector<std::string>{"a", "bc"}));
  EXPECT_EQ(DecodeMultiString({'a', 0, 'b'}), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(DecodeMultiString({}).empty());

  uint32_t value = 0;
  EXPECT_EQ(EncodeDWord(0x12345678), (std::vector<uint8_t>{0x78, 0x56, 0x34, 0x12}));
  EXPECT_TRUE(DecodeDWord({0x78, 0x56, 0x34, 0x12}, value));
  EXPECT_EQ(value, 0x12345678u);
  EXPECT_FALSE(DecodeDWord({1, 2, 3}, value));

  EXPECT_EQ(SplitKeyPath("\\Software\\\\A\\"), (std::vector<std::string>{"Software", "A"}));
  EXPECT_EQ(NormalizeKeyPath("\\SOFTWARE\\Vantorel\\Install\\"), "SOFTWARE\\Vantorel\\Install");
  EXPECT_EQ(NormalizeKeyPath("\\"), "");
  EXPECT_TRUE(EqualNoCase("HKEY_Local_Machine", "hkey_local_machine"));
  EXPECT_FALSE(EqualNoCase("abc", "abd"));
  EXPECT_TRUE(NoCaseLess()("apple", "Banana"));
  EXPECT_FALSE(NoCaseLess()("APPLE", "apple"));
}

}  // namespace
}  // namespace vantorel::platform
