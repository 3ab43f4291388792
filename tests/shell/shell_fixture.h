#pragma once
// A form for the shell objects, an install component stand-in, and a scratch folder of the
// test's own for files that are installed and removed.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "framework/forms.h"
#include "model/file_container.h"
#include "platform/files.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel::testing {

// The install component as the shell objects see it.
class FakeInstall : public TInstallFileGroup, public IInstallComponent {
 public:
  using TInstallFileGroup::TInstallFileGroup;
  TFileContainer* AsContainer() override { return this; }
  const std::string& SourceDirectory() const override { return source_; }
  bool HasSwitch(char) const override { return false; }
  std::string SwitchArgument(char) const override { return ""; }
  std::string ProductName() const override { return product; }
  std::string CompanyName() const override { return company; }
  std::string ProductVersion() const override { return version; }
  TDistributeType DistributeType() const override { return dtTraditional; }
  TCustomNetInstallLocation* NetLocation() const override { return nullptr; }
  bool Running() const override { return false; }
  void SetReboot(bool) override {}
  void AddUnfinished(const std::string&, int) override {}
  bool QueryUserAbort() override { return true; }
  TPicture* DialogThemeBitmap() override { return &theme_; }

  std::string product = "Shell test", company, version;

 private:
  std::string source_;
  TPicture theme_;
};

class ShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = std::make_unique<TForm>(nullptr);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string test_name = std::string(info->test_suite_name()) + "." + info->name();
    char tag[16];
    std::snprintf(tag, sizeof tag, "%08x",
                  static_cast<unsigned>(std::hash<std::string>{}(test_name)&0xffffffffu));
    root_ = AddBackslash(platform::GetTempPath()) + "vts" + tag;
    Clear(root_);
    ForceDirectories(root_);
  }
  void TearDown() override {
    form_.reset();
    Clear(root_);
  }

  template <class T>
  T* Make(const std::string& name) {
    T* object = new T(form_.get());
    object->SetName(name);
    return object;
  }

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

  // Writes `path`, making its folders.
  static void Write(const std::string& path, const std::string& text = "x") {
    ForceDirectories(ExtractFileDir(path));
    platform::File f =
        platform::File::Open(path, platform::Access::Write, 0, platform::Disposition::CreateAlways);
    ASSERT_TRUE(f.IsOpen()) << path;
    ASSERT_EQ(f.Write(text.data(), text.size()), static_cast<int64_t>(text.size()));
  }

  std::unique_ptr<TForm> form_;
  std::string root_;
};

}  // namespace vantorel::testing
