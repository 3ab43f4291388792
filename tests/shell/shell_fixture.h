#pragma once
// The shell objects' tests: the model's scratch folder and form, and an install component
// stand-in that tells the product's name, publisher and version.
#include <gtest/gtest.h>

#include <string>

#include "../model/file_fixture.h"
#include "model/file_container.h"
#include "platform/files.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel::testing {

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

class ShellTest : public FileModelTest {
 protected:
  // Writes `path`, making its folders.
  static void Put(const std::string& path, const std::string& text = "x") {
    ForceDirectories(ExtractFileDir(path));
    Write(path, text);
  }
};

}  // namespace vantorel::testing
