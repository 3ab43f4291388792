#include "model/symbolic_paths.h"

#include "model/exceptions.h"
#include "model_fixture.h"
#include "platform/registry.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel::testing {
namespace {

constexpr char kShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Sets registry values for one test and puts the previous state back afterwards, so that the
// win64 tree can run these against the Wine prefix's real shell folders.
class RegistryValues {
 public:
  ~RegistryValues() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      platform::RegKey key = platform::RegKey::Open(it->root, it->key, true, true);
      if (it->existed)
        key.WriteString(it->name, it->value);
      else
        key.DeleteValue(it->name);
    }
  }
  void Set(platform::Root root, const std::string& key, const std::string& name,
           const std::optional<std::string>& value) {
    platform::RegKey reg = platform::RegKey::Open(root, key, true, true);
    Saved saved{root, key, name, false, ""};
    saved.existed = reg.ReadString(name, saved.value);
    saved_.push_back(saved);
    if (value)
      ASSERT_TRUE(reg.WriteString(name, *value));
    else
      reg.DeleteValue(name);
  }

 private:
  struct Saved {
    platform::Root root;
    std::string key, name;
    bool existed;
    std::string value;
  };
  std::vector<Saved> saved_;
};

using PathSpecifierTest = ModelTest;

TEST_F(PathSpecifierTest, FirstContainerBringsTheFourteenOnce) {
  Make<TInstallFileGroup>("Group1");
  for (const char* name :
       {"psBDEDLL", "psCommonFiles", "psContainerArchiveFile", "psContainerDestDir",
        "psDesktopMenu", "psInstallSource", "psMainInstall", "psProgramFiles", "psProgramMenu",
        "psStartMenu", "psStartupMenu", "psSystem", "psMainArchiveFile", "psWindow"}) {
    auto* specifier = dynamic_cast<TStandardPathSpecifier*>(form_->FindComponent(name));
    ASSERT_NE(specifier, nullptr) << name;
    EXPECT_EQ(specifier->StandardName(), name);
  }
  EXPECT_EQ(form_->ComponentCount(), 15);
  Make<TInstallFileGroup>("Group2");
  EXPECT_EQ(form_->ComponentCount(), 16);
  EXPECT_EQ(StandardPathSpecifiers().Count(), 14);
  EXPECT_EQ(StandardPathSpecifiers().FindByClass<TpsSystem>()->Description(),
            "Path of system directory");
}

TEST_F(PathSpecifierTest, ShellFoldersFromTheRegistryOrTheirFallbacks) {
  RegistryValues values;
  values.Set(platform::Root::CurrentUser, kShellFolders, "Start Menu", std::nullopt);
  values.Set(platform::Root::CurrentUser, kShellFolders, "Programs", std::nullopt);
  values.Set(platform::Root::CurrentUser, kShellFolders, "Desktop", "D:\\Desk\\");
  values.Set(platform::Root::CurrentUser, kShellFolders, "Startup", "");
  values.Set(platform::Root::LocalMachine, kCurrentVersion, "ProgramFilesDir",
             "C:\\Program Files\\");
  const std::string windows = RemoveBackslash(GetWindowsDir());
  EXPECT_EQ(StartMenuFolder(), windows + "\\Startmen");
  EXPECT_EQ(ProgramsFolder(), windows + "\\Startmen\\Programs");
  EXPECT_EQ(DesktopFolder(), "D:\\Desk");
  EXPECT_EQ(StartupFolder(), "");  // an existing empty value is taken as it is
  EXPECT_EQ(ProgramFilesDirectory(), "C:\\Program Files");
}

TEST_F(PathSpecifierTest, ARunReadsEachShellFolderOnce) {
  RegistryValues values;
  values.Set(platform::Root::LocalMachine, kCurrentVersion, "ProgramFilesDir", "C:\\Before");
  values.Set(platform::Root::CurrentUser, kShellFolders, "Desktop", "C:\\Desk");
  {
    TSystemFolderCache outer;
    EXPECT_EQ(ProgramFilesDirectory(), "C:\\Before");
    values.Set(platform::Root::LocalMachine, kCurrentVersion, "ProgramFilesDir", "C:\\After");
    values.Set(platform::Root::CurrentUser, kShellFolders, "Desktop", "C:\\Other");
    {
      TSystemFolderCache inner;
      EXPECT_EQ(ProgramFilesDirectory(), "C:\\Before");
    }
    EXPECT_EQ(ProgramFilesDirectory(), "C:\\Before") << "the inner scope ends, not the run";
    EXPECT_EQ(DesktopFolder(), "C:\\Other") << "not read before the change";
  }
  EXPECT_EQ(ProgramFilesDirectory(), "C:\\After");
}

TEST_F(PathSpecifierTest, BdeDllPathTakesTheFirstEntry) {
  RegistryValues values;
  values.Set(platform::Root::LocalMachine, "Software\\Borland\\Database Engine", "DLLPath",
             "C:\\BDE;C:\\OTHER");
  Make<TInstallFileGroup>("Group");
  auto* bde = StandardPathSpecifiers().FindByClass<TpsBDEDLL>();
  EXPECT_EQ(bde->Expand(nullptr), "C:\\BDE");
}

TEST_F(PathSpecifierTest, DestinationsChainThroughContainers) {
  RegistryValues values;
  values.Set(platform::Root::LocalMachine, kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
  auto* group = Make<TInstallFileGroup>("Group");
  group->SetDestDirType(StandardPathSpecifiers().FindByClass<TpsProgramFiles>());
  group->SetDestDir("\\App");
  auto* file = Make<TInstallFile>("File");
  file->SetContainer(group);
  EXPECT_EQ(file->DestDirType(), StandardPathSpecifiers().FindByClass<TpsContainerDestDir>());
  file->SetDestDir("\\Bin\\");
  EXPECT_EQ(file->GetFullDestDir(), "C:\\Program Files\\App\\Bin");
  EXPECT_EQ(file->DestDirType()->DescriptionFor(file), "Path of the <Unnamed File Group> group");
  file->SetContainer(nullptr);
  EXPECT_EQ(file->DestDirType(), nullptr);
}

TEST_F(PathSpecifierTest, ValidationMessages) {
  auto* group = Make<TInstallFileGroup>("Group");
  auto* file = Make<TInstallFile>("File");
  auto& standard = StandardPathSpecifiers();
  struct Case {
    TCustomPathSpecifier* specifier;
    TInstallContainer* obj;
    std::string message;
  } cases[] = {
      {standard.FindByClass<TpsContainerDestDir>(), file,
       "Cannot use ddContainerDestDir for File unless you assign a Container"},
      {standard.FindByClass<TpsContainerArchiveFile>(), file,
       "Cannot use ddContainerArchiveFile for File unless you assign a Container"},
      {standard.FindByClass<TpsInstallSource>(), file,
       "There is no TInstall component so the path specifier could not be expanded for File"},
      {standard.FindByClass<TpsMainInstall>(), group,
       "There is no TInstall component so the path specifier could not be expanded for Group"},
      {standard.FindByClass<TpsMainArchiveFile>(), group,
       "There is no TInstall component so the path specifier could not be expanded for Group"},
  };
  for (const Case& c : cases) {
    try {
      c.specifier->Validate(c.obj);
      FAIL() << c.message;
    } catch (const IEPathSpecifier& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
  }
  // A refused assignment keeps the old value.
  EXPECT_THROW(file->SetDestDirType(standard.FindByClass<TpsContainerDestDir>()), IEPathSpecifier);
  EXPECT_EQ(file->DestDirType(), nullptr);
  EXPECT_EQ(standard.FindByClass<TpsContainerDestDir>()->DescriptionFor(file),
            "Path of the group (container)");
  try {
    PathSpecifiers().FindByClass(TClassOf<TInstallFile>());
    FAIL();
  } catch (const IEPathSpecifier& e) {
    EXPECT_EQ(e.Message(), "Could not find the path specifier");
  }
  try {
    PathSpecifiers().Add(nullptr);
    FAIL();
  } catch (const IEPathSpecifierList& e) {
    EXPECT_EQ(e.Message(), "Tried to add a nil object to the path specifier list");
  }
}

TEST_F(PathSpecifierTest, CustomSpecifierExpandsThroughItsCallback) {
  auto* custom = Make<TCustomPathSpecifier>("Custom");
  EXPECT_EQ(custom->Expand(nullptr), "");
  EXPECT_EQ(custom->Description(), "Unspecified");
  custom->OnExpand = [](TInstallContainer*, std::string& path) { path = "X:\\Custom"; };
  auto* group = Make<TInstallFileGroup>("Group");
  group->SetDestDirType(custom);
  group->SetDestDir("\\Sub");
  EXPECT_EQ(group->GetFullDestDir(), "X:\\Custom\\Sub");
  custom->Free();
  EXPECT_EQ(group->DestDirType(), nullptr);  // the reference is cleared on removal
  EXPECT_EQ(group->GetFullDestDir(), "\\Sub");
}

}  // namespace
}  // namespace vantorel::testing
