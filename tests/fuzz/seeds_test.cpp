// The seeds are what the fuzzer starts from: each must be a valid input that reaches the end of
// its parser, or the fuzzer would begin at the first error instead of in the depth of the format.
#include "seeds.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "../archive/archive_test_util.h"
#include "archive/compress.h"
#include "archive/version_resource.h"
#include "archive_commands.h"
#include "framework/object.h"
#include "framework/streaming.h"
#include "install/attached_form.h"
#include "install/install.h"
#include "model/install_file.h"
#include "platform/version.h"

namespace vantorel::fuzz {
namespace {

using test::ReadAll;
using test::TempDir;
using test::WriteAll;

class Seeds : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    scratch_ = new TempDir;
    seeds_ = new std::map<std::string, std::vector<Seed>>(
        MakeSeeds({*scratch_ / "made", VANTOREL_FUZZ_DLLS, VANTOREL_FUZZ_EXAMPLES}));
  }
  static void TearDownTestSuite() {
    delete seeds_;
    delete scratch_;
  }

  // The seed `name` of `harness`, written to a file of the scratch folder.
  static std::string File(const std::string& harness, const std::string& name,
                          const std::string& as) {
    for (const Seed& s : seeds_->at(harness)) {
      if (s.name == name) {
        WriteAll(*scratch_ / as, s.bytes);
        return *scratch_ / as;
      }
    }
    ADD_FAILURE() << "no seed " << harness << "/" << name;
    return "";
  }

  static TempDir* scratch_;
  static std::map<std::string, std::vector<Seed>>* seeds_;
};
TempDir* Seeds::scratch_ = nullptr;
std::map<std::string, std::vector<Seed>>* Seeds::seeds_ = nullptr;

TEST_F(Seeds, EveryHarnessHasSome) {
  std::set<std::string> expected(std::begin(kHarnesses), std::end(kHarnesses)), made;
  for (const auto& [harness, list] : *seeds_) {
    made.insert(harness);
    EXPECT_FALSE(list.empty()) << harness;
    for (const Seed& s : list) EXPECT_FALSE(s.bytes.empty()) << harness << "/" << s.name;
  }
  EXPECT_EQ(made, expected);
}

TEST_F(Seeds, ArchivesExtractWholeWithBuildFolderNames) {
  struct Row {
    const char* seed;
    std::vector<std::pair<std::string, size_t>> files;  // stored name, size
  } rows[] = {
      {"files.1",
       {{"C:\\Build\\src\\a.txt", 35},
        {"C:\\Build\\src\\b.bin", 300},
        {"C:\\Build\\src\\one\\c.txt", 2000}}},
      {"volume.1",
       {{"C:\\Build\\src\\a.txt", 35},
        {"C:\\Build\\src\\b.bin", 300},
        {"C:\\Build\\src\\one\\c.txt", 2000}}},
      {"empty.1", {{"C:\\Build\\src\\empty", 0}}},
      {"none.1", {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.seed);
    // Named as the harness names it: a volume set's first volume is ".1".
    const std::string archive = File("archive", row.seed, "fuzz.1");
    const std::string out = *scratch_ / (std::string("out-") + row.seed);
    TVtrlCompress engine(nullptr);
    engine.SetCompressedFile(archive);
    ASSERT_EQ(engine.FileCount(), static_cast<int>(row.files.size()));
    TStrings names;
    TlzhFileStats stats;
    for (size_t i = 0; i < row.files.size(); ++i) {
      engine.GetFileStats(static_cast<int>(i), stats);
      EXPECT_EQ(stats.FileName, row.files[i].first);
      names.Add(stats.FileName);
    }
    engine.SetExtractDirectory(out);
    engine.SetFilesToProcess(names);
    ASSERT_NO_THROW(engine.Extract());
    for (const auto& [name, size] : row.files) {
      EXPECT_EQ(ReadAll(out + "\\" + name.substr(name.find_last_of('\\') + 1)).size(), size);
    }
  }

  // The entry of the program records its version, for the overwrite rules to compare.
  TVtrlCompress engine(nullptr);
  engine.SetCompressedFile(File("archive", "versioned.1", "versioned.1"));
  ASSERT_EQ(engine.FileCount(), 2);
  EXPECT_EQ(engine.IndexOfUniqueID(1999), 1);  // the last entry carrying it
  TlzhFileStats stats;
  engine.GetFileStats(0, stats);
  EXPECT_EQ(stats.FileName, "C:\\Build\\src\\lib.dll");
  EXPECT_EQ(TFileHeader(stats.Header).FileVersion(), "1.2.0.0");
}

TEST_F(Seeds, TrailersLeadToTheirArchivesAndForm) {
  std::FILE* sink = std::tmpfile();
  for (const char* name : {"setup.exe", "setup-only.exe"}) {
    SCOPED_TRACE(name);
    const std::string path = File("trailer", name, name);
    cli::SelfExtractParts parts;
    ASSERT_TRUE(cli::ReadSelfExtractParts(path, parts));
    EXPECT_GT(parts.setup_start, 0);
    EXPECT_EQ(parts.files_start > parts.setup_start, std::string(name) == "setup.exe");
    EXPECT_EQ(cli::ListArchive({path}, sink, sink), 0);
    EXPECT_EQ(cli::ListArchive({path, "--setup"}, sink, sink), 0);
  }
  std::fclose(sink);
  auto form = ReadAppendedForm(File("trailer", "attached.exe", "attached.exe"));
  ASSERT_TRUE(form.has_value());
  EXPECT_EQ(*form, "object Form1: TForm1\n  Caption = 'Setup'\nend\n");
}

TEST_F(Seeds, FormsReadAndNameEveryClassOfAProject) {
  std::set<std::string> classes;
  for (const Seed& s : seeds_->at("form")) {
    SCOPED_TRACE(s.name);
    TReadOptions options;
    options.design_mode = true;
    std::unique_ptr<TComponent> root;
    ASSERT_NO_THROW(root = ReadForm(std::string(s.bytes.begin(), s.bytes.end()), options));
    for (int i = 0; i < root->ComponentCount(); ++i)
      classes.insert(root->Components(i)->ClassName());
  }
  for (const char* name :
       {"TInstall", "TInstallFileGroup", "TInstallFile", "TVtrlCompress", "TVersionResource"}) {
    EXPECT_TRUE(classes.count(name)) << name;
  }
}

TEST(FormDictionary, NamesClassesPropertiesAndValuesInLibFuzzersQuoting) {
  const std::vector<std::string> words = FormDictionary();
  for (const char* word : {"object", "TInstall", "OverwriteMode", "owVersionDate", "Container"}) {
    EXPECT_NE(std::find(words.begin(), words.end(), word), words.end()) << word;
  }
  EXPECT_EQ(DictionaryText({"end", "'", "a\"b\\", "\r\n\xE9"}),
            "\"end\"\n\"'\"\n\"a\\x22b\\x5C\"\n\"\\x0D\\x0A\\xE9\"\n");
}

TEST_F(Seeds, PeFilesCarryTheirVersions) {
  const std::pair<const char*, const char*> rows[] = {
      {"v120.dll", "1.2.0.0"}, {"driver.dll", "3.1.0.7"}, {"plain.dll", ""}};
  for (const auto& [name, version] : rows) {
    EXPECT_EQ(TVersionResource::FileVersionOf(File("pe_version", name, name)), version) << name;
  }
  for (const Seed& s : seeds_->at("version_block")) {
    platform::FixedFileInfo fixed;
    EXPECT_TRUE(platform::VerQueryFixedFileInfo(s.bytes, fixed)) << s.name;
    std::string company;
    EXPECT_TRUE(platform::VerQueryText(s.bytes, "\\StringFileInfo\\040904E4\\CompanyName", company))
        << s.name;
  }
}

TEST_F(Seeds, FileListsReachTheProjectsFiles) {
  TReadOptions options;
  options.design_mode = true;
  auto project = ReadForm(kFileListForm, options);
  auto* readme = dynamic_cast<TCustomInstallFile*>(project->FindComponent("ReadMe"));
  auto* program = dynamic_cast<TCustomInstallFile*>(project->FindComponent("Program"));
  ASSERT_TRUE(readme && program);
  ApplyRemoteFileList(File("file_list", "two.lst", "filelist.lst"));
  EXPECT_EQ(readme->Size(), 1234);
  EXPECT_EQ(readme->FileDate(), 36526.5);
  EXPECT_EQ(program->Size(), 77000);
  EXPECT_EQ(program->Version(), "1.2.3.4");
  ApplyRemoteFileList(File("file_list", "empty.lst", "filelist.lst"));
  EXPECT_EQ(program->Version(), "1.2.3.4");
}

}  // namespace
}  // namespace vantorel::fuzz
