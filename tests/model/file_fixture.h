#pragma once
// Install objects that work on real files: a scratch folder of the test's own, with the source
// files, the archives and the destinations below it.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "model/file_container.h"
#include "model/install_file.h"
#include "model_fixture.h"
#include "platform/files.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel::testing {

class FileModelTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // Archive entries keep 100 characters of a source path: the folder name stays short.
    std::string test_name = std::string(info->test_suite_name()) + "." + info->name();
    char tag[16];
    std::snprintf(tag, sizeof tag, "%08x",
                  static_cast<unsigned>(std::hash<std::string>{}(test_name)&0xffffffffu));
    root_ = AddBackslash(platform::GetTempPath()) + "vtm" + tag;
    Clear(root_);
    ForceDirectories(root_ + "\\src");
    ForceDirectories(root_ + "\\dest");
  }
  void TearDown() override {
    ModelTest::TearDown();
    Clear(root_);
  }

  // Removes a folder of this fixture with everything below it.
  static void Clear(const std::string& dir) {
    std::vector<platform::DirEntry> entries;
    if (!platform::ListDirectory(dir, "*", entries)) return;
    for (const auto& e : entries) {
      std::string path = dir + "\\" + e.name;
      if (e.attributes & platform::kAttrDirectory) {
        Clear(path);
      } else {
        platform::SetFileAttributes(path, platform::kAttrArchive);
        platform::DeleteFile(path);
      }
    }
    platform::RemoveDirectory(dir);
  }

  static void Write(const std::string& path, const std::string& text, uint32_t stamp = 0) {
    platform::File f =
        platform::File::Open(path, platform::Access::Write, 0, platform::Disposition::CreateAlways);
    ASSERT_TRUE(f.IsOpen()) << path;
    ASSERT_EQ(f.Write(text.data(), text.size()), static_cast<int64_t>(text.size()));
    if (stamp != 0) {
      ASSERT_TRUE(f.SetDosDateTime(stamp));
    }
  }

  static std::string Read(const std::string& path) {
    platform::File f = platform::File::Open(path, platform::Access::Read, platform::kShareRead,
                                            platform::Disposition::OpenExisting);
    if (!f.IsOpen()) return "<missing>";
    std::string text(static_cast<size_t>(f.Size()), '\0');
    f.Read(text.data(), text.size());
    return text;
  }

  // A group whose files go to dest\ and travel in `archive`.
  TInstallFileGroup* Group(const std::string& name, const std::string& archive) {
    auto* group = Make<TInstallFileGroup>(name);
    group->SetDestDirType(nullptr);
    group->SetDestDir(root_ + "\\dest");
    group->SetArchiveFileType(nullptr);
    group->SetArchiveFile(root_ + "\\" + archive);
    return group;
  }

  // A source file src\<file_name> and its install file in `group`.
  TInstallFile* File(TInstallFileGroup* group, const std::string& name,
                     const std::string& file_name, const std::string& text,
                     uint32_t stamp = 0x5A8B6000) {
    Write(root_ + "\\src\\" + file_name, text, stamp);
    auto* file = Make<TInstallFile>(name);
    file->SetIncludeFromDir(root_ + "\\src");
    file->SetFileName(file_name);
    file->SetContainer(group);
    return file;
  }

  std::string root_;
};

}  // namespace vantorel::testing
