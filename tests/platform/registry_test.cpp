#include "platform/registry.h"

#include <gtest/gtest.h>

#include "platform/errors.h"
#include "platform/reg_data.h"
#include "platform/system.h"
#include "scratch.h"

namespace vantorel::platform {
namespace {

using testing::Sorted;

// Each test works in a key of its own under both roots the engine writes to, and removes it.
class Registry : public ::testing::TestWithParam<Root> {
 protected:
  void SetUp() override {
    static int counter = 0;
    path_ = "Software\\VantorelTest\\" + std::to_string(CurrentProcessId()) + "_" +
            std::to_string(++counter);
    DeleteKeyTree(root(), path_);
  }
  void TearDown() override {
    DeleteKeyTree(root(), path_);
    RegKey parent = RegKey::Open(root(), "Software\\VantorelTest", false, false);
    std::vector<std::string> left;
    if (parent.IsOpen() && parent.SubKeyNames(left) && left.empty()) {
      parent.Close();
      DeleteKey(root(), "Software\\VantorelTest");
    }
  }
  Root root() const { return GetParam(); }
  const std::string& path() const { return path_; }
  RegKey Create(const std::string& sub = "") {
    return RegKey::Open(root(), sub.empty() ? path_ : path_ + "\\" + sub, true, true);
  }

 private:
  std::string path_;
};

TEST_P(Registry, ValuesRoundTrip) {
  const std::vector<uint8_t> bytes = {0x00, 0x01, 0x7F, 0x80, 0xFF};
  const std::vector<std::string> list = {"first", "second one", "C:\\third"};
  {
    RegKey key = Create();
    ASSERT_TRUE(key.IsOpen()) << LastError();
    EXPECT_TRUE(key.WriteString("Text", "with \"quotes\" and \\back\\slashes\\"));
    EXPECT_TRUE(key.WriteString("Empty", ""));
    EXPECT_TRUE(key.WriteString("", "the default"));
    EXPECT_TRUE(key.WriteExpandString("Expand", "%SystemRoot%\\x"));
    EXPECT_TRUE(key.WriteDWord("Zero", 0));
    EXPECT_TRUE(key.WriteDWord("Max", 0xFFFFFFFFu));
    EXPECT_TRUE(key.WriteBinary("Bytes", bytes));
    EXPECT_TRUE(key.WriteBinary("NoBytes", {}));
    EXPECT_TRUE(key.WriteMultiString("Multi", list));
    EXPECT_TRUE(key.WriteString("Line breaks", "one\r\ntwo"));
  }
  RegKey key = RegKey::Open(root(), path(), false, false);
  ASSERT_TRUE(key.IsOpen());
  struct Case {
    std::string name;
    ValueType type;
    std::string text;
  } strings[] = {
      {"Text", ValueType::String, "with \"quotes\" and \\back\\slashes\\"},
      {"Empty", ValueType::String, ""},
      {"", ValueType::String, "the default"},
      {"Expand", ValueType::ExpandString, "%SystemRoot%\\x"},
      {"Line breaks", ValueType::String, "one\r\ntwo"},
  };
  for (const Case& c : strings) {
    SCOPED_TRACE(c.name);
    std::string text;
    EXPECT_EQ(key.GetValueType(c.name), c.type);
    EXPECT_TRUE(key.ReadString(c.name, text));
    EXPECT_EQ(text, c.text);
  }
  uint32_t number = 1;
  EXPECT_EQ(key.GetValueType("Zero"), ValueType::DWord);
  EXPECT_TRUE(key.ReadDWord("Zero", number));
  EXPECT_EQ(number, 0u);
  EXPECT_TRUE(key.ReadDWord("Max", number));
  EXPECT_EQ(number, 0xFFFFFFFFu);
  std::vector<uint8_t> data;
  EXPECT_EQ(key.GetValueType("Bytes"), ValueType::Binary);
  EXPECT_TRUE(key.ReadBinary("Bytes", data));
  EXPECT_EQ(data, bytes);
  EXPECT_TRUE(key.ReadBinary("NoBytes", data));
  EXPECT_TRUE(data.empty());
  std::vector<std::string> read_list;
  EXPECT_EQ(key.GetValueType("Multi"), ValueType::MultiString);
  EXPECT_TRUE(key.ReadMultiString("Multi", read_list));
  EXPECT_EQ(read_list, list);
  EXPECT_TRUE(key.ReadBinary("Zero", data)) << "raw bytes of any type";
  EXPECT_EQ(data, std::vector<uint8_t>(4, 0));
}

// Raw values keep what the typed calls cannot express: a list with an empty entry, an odd type.
TEST_P(Registry, RawValuesKeepTypeAndBytes) {
  const std::vector<uint8_t> gap = {'a', 0, 0, 'b', 0, 0};  // "a", "", "b" as the system lists them
  const std::vector<uint8_t> odd = {1, 2, 3};
  {
    RegKey key = Create();
    ASSERT_TRUE(key.WriteRaw("Gap", kRegMultiSz, gap)) << LastError();
    ASSERT_TRUE(key.WriteRaw("Odd", 0x4D2, odd));
    ASSERT_TRUE(key.WriteDWord("Number", 7));
  }
  RegKey key = RegKey::Open(root(), path(), false, false);
  uint32_t type = 0;
  std::vector<uint8_t> data;
  EXPECT_TRUE(key.ReadRaw("Gap", type, data));
  EXPECT_EQ(type, kRegMultiSz);
  EXPECT_EQ(data, gap);
  EXPECT_EQ(key.GetValueType("Gap"), ValueType::MultiString);
  EXPECT_TRUE(key.ReadRaw("Odd", type, data));
  EXPECT_EQ(type, 0x4D2u);
  EXPECT_EQ(data, odd);
  EXPECT_TRUE(key.ReadRaw("Number", type, data));
  EXPECT_EQ(type, kRegDWord);
  EXPECT_EQ(data, EncodeDWord(7));
  EXPECT_FALSE(key.ReadRaw("Missing", type, data));
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  EXPECT_FALSE(key.WriteRaw("Gap", kRegSz, {})) << "opened read-only";
  EXPECT_EQ(LastError(), kErrorAccessDenied);
}

TEST_P(Registry, ReadFailures) {
  RegKey key = Create();
  ASSERT_TRUE(key.WriteString("Text", "12"));
  ASSERT_TRUE(key.WriteDWord("Number", 12));
  std::string text;
  uint32_t number;
  std::vector<std::string> list;
  EXPECT_FALSE(key.ReadDWord("Text", number));
  EXPECT_EQ(LastError(), kErrorInvalidData);
  EXPECT_FALSE(key.ReadString("Number", text));
  EXPECT_EQ(LastError(), kErrorInvalidData);
  EXPECT_FALSE(key.ReadMultiString("Text", list));
  EXPECT_EQ(LastError(), kErrorInvalidData);
  EXPECT_FALSE(key.ReadString("Missing", text));
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  EXPECT_FALSE(key.ValueExists("Missing"));
  EXPECT_EQ(key.GetValueType("Missing"), ValueType::None);
  EXPECT_FALSE(key.ValueExists("")) << "no default value was written";
  EXPECT_FALSE(key.WriteMultiString("Gap", {"a", "", "b"}));
  EXPECT_EQ(LastError(), kErrorInvalidParameter);
}

TEST_P(Registry, NamesIgnoreCaseAndKeepIt) {
  {
    RegKey key = Create("SubKey");
    ASSERT_TRUE(key.WriteString("MixedCase", "first"));
    EXPECT_TRUE(key.WriteString("MIXEDCASE", "second"));
  }
  RegKey key = RegKey::Open(root(), path() + "\\SUBKEY", false, false);
  ASSERT_TRUE(key.IsOpen());
  std::string text;
  EXPECT_TRUE(key.ReadString("mixedcase", text));
  EXPECT_EQ(text, "second");
  std::vector<std::string> names;
  ASSERT_TRUE(key.ValueNames(names));
  EXPECT_EQ(names, std::vector<std::string>{"MixedCase"});
  RegKey parent = RegKey::Open(root(), path(), false, false);
  ASSERT_TRUE(parent.SubKeyNames(names));
  EXPECT_EQ(names, std::vector<std::string>{"SubKey"});
  EXPECT_TRUE(KeyExists(root(), "\\" + path() + "\\subkey\\")) << "outer backslashes are dropped";
}

TEST_P(Registry, EnumerateAndDelete) {
  RegKey key = Create();
  for (const char* name : {"b", "a", "C"}) ASSERT_TRUE(Create(name).IsOpen());
  ASSERT_TRUE(Create("a\\deeper\\deepest").IsOpen());
  for (const char* name : {"v2", "v1", "V3"}) ASSERT_TRUE(key.WriteDWord(name, 1));
  std::vector<std::string> names;
  ASSERT_TRUE(key.SubKeyNames(names));
  EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "C"})) << "sub-keys in name order";
  ASSERT_TRUE(key.ValueNames(names));
  EXPECT_EQ(Sorted(names), (std::vector<std::string>{"v1", "v2", "V3"}));

  EXPECT_TRUE(key.DeleteValue("V2"));
  EXPECT_FALSE(key.ValueExists("v2"));
  EXPECT_FALSE(key.DeleteValue("v2"));
  EXPECT_EQ(LastError(), kErrorFileNotFound);

  EXPECT_FALSE(DeleteKey(root(), path() + "\\a")) << "it has sub-keys";
  EXPECT_TRUE(KeyExists(root(), path() + "\\a\\deeper"));
  EXPECT_TRUE(DeleteKey(root(), path() + "\\b"));
  EXPECT_FALSE(KeyExists(root(), path() + "\\b"));
  EXPECT_TRUE(DeleteKeyTree(root(), path() + "\\A"));
  EXPECT_FALSE(KeyExists(root(), path() + "\\a"));
  EXPECT_FALSE(DeleteKeyTree(root(), path() + "\\a"));
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  ASSERT_TRUE(key.SubKeyNames(names));
  EXPECT_EQ(names, std::vector<std::string>{"C"});
  EXPECT_FALSE(DeleteKey(root(), "")) << "never a whole root";
}

TEST_P(Registry, OpenModes) {
  EXPECT_FALSE(RegKey::Open(root(), path(), false, false).IsOpen());
  EXPECT_EQ(LastError(), kErrorFileNotFound);
  EXPECT_FALSE(KeyExists(root(), path()));
  ASSERT_TRUE(Create("x\\y").IsOpen()) << "missing parents are made";
  EXPECT_TRUE(KeyExists(root(), path() + "\\x"));

  RegKey reader = RegKey::Open(root(), path(), false, false);
  ASSERT_TRUE(reader.IsOpen());
  EXPECT_FALSE(reader.WriteString("No", "write"));
  EXPECT_EQ(LastError(), kErrorAccessDenied);
  EXPECT_FALSE(reader.DeleteValue("No"));

  RegKey doomed = Create("x");
  ASSERT_TRUE(DeleteKeyTree(root(), path() + "\\x"));
  EXPECT_FALSE(doomed.WriteString("late", "value"));
  EXPECT_EQ(LastError(), kErrorKeyDeleted);
  RegKey moved = std::move(doomed);
  EXPECT_FALSE(doomed.IsOpen());
  EXPECT_TRUE(moved.IsOpen());
  EXPECT_TRUE(reader.Flush());
}

INSTANTIATE_TEST_SUITE_P(Roots, Registry, ::testing::Values(Root::CurrentUser, Root::LocalMachine),
                         [](const auto& info) {
                           return info.param == Root::CurrentUser ? "CurrentUser" : "LocalMachine";
                         });

TEST(RegistryRoots, Names) {
  EXPECT_STREQ(RootName(Root::ClassesRoot), "HKEY_CLASSES_ROOT");
  EXPECT_STREQ(RootName(Root::CurrentConfig), "HKEY_CURRENT_CONFIG");
  EXPECT_STREQ(RootName(Root::CurrentUser), "HKEY_CURRENT_USER");
  EXPECT_STREQ(RootName(Root::DynData), "HKEY_DYN_DATA");
  EXPECT_STREQ(RootName(Root::LocalMachine), "HKEY_LOCAL_MACHINE");
  EXPECT_STREQ(RootName(Root::Users), "HKEY_USERS");
}

}  // namespace
}  // namespace vantorel::platform
