#include "model/symbolic_paths.h"

#include <algorithm>
#include <map>

#include "model/container.h"
#include "model/exceptions.h"
#include "model/file_container.h"
#include "platform/files.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"
#include "routines/system_routines.h"

namespace vantorel {
namespace {

constexpr char kShellFolders[] =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCurrentVersion[] = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Joins two parts with one backslash unless the first already ends in one, then drops one
// trailing backslash from the result.
std::string Join(const std::string& first, const std::string& second) {
  return RemoveBackslash(AddBackslash(first) + second);
}

std::string CurrentDrive() {
  std::string current = platform::GetCurrentDirectory();
  return current.size() >= 2 && current[1] == ':' ? current.substr(0, 2) : "C:";
}

TInstallObject* RequireInstallObject(TInstallContainer* obj, const std::string& specifier) {
  auto* object = dynamic_cast<TInstallObject*>(obj);
  if (object == nullptr)
    throw IEPathSpecifier("%s must be a %s to use the %s path specifier",
                          obj ? obj->Name() : std::string(), "TInstallObject", specifier);
  return object;
}

void RequireInstall(TInstallContainer* obj) {
  if (InstallComponent() == nullptr)
    throw IEPathSpecifier(
        "There is no TInstall component so the path specifier could not be "
        "expanded for %s",
        obj ? obj->Name() : std::string());
}

// The values of the live TSystemFolderCache scopes, by folder; empty when none lives.
struct FolderCache {
  int scopes = 0;
  std::map<std::string, std::string> values;
};

FolderCache& Folders() {
  static FolderCache cache;
  return cache;
}

template <typename Read>
std::string Cached(const char* folder, Read read) {
  FolderCache& cache = Folders();
  if (cache.scopes == 0) return read();
  auto found = cache.values.find(folder);
  if (found == cache.values.end()) found = cache.values.emplace(folder, read()).first;
  return found->second;
}

}  // namespace

TSystemFolderCache::TSystemFolderCache() {
  ++Folders().scopes;
}

TSystemFolderCache::~TSystemFolderCache() {
  if (--Folders().scopes == 0) Folders().values.clear();
}

std::string StartMenuFolder() {
  return Cached("Start Menu", [] {
    return RemoveBackslash(ReadRegString(kRootCurrentUser, kShellFolders, "Start Menu",
                                         Join(GetWindowsDir(), "Startmen")));
  });
}
std::string ProgramsFolder() {
  return Cached("Programs", [] {
    return RemoveBackslash(ReadRegString(kRootCurrentUser, kShellFolders, "Programs",
                                         Join(StartMenuFolder(), "Programs")));
  });
}
std::string DesktopFolder() {
  return Cached("Desktop", [] {
    return RemoveBackslash(ReadRegString(kRootCurrentUser, kShellFolders, "Desktop",
                                         Join(GetWindowsDir(), "Desktop")));
  });
}
std::string StartupFolder() {
  return Cached("Startup", [] {
    return RemoveBackslash(ReadRegString(kRootCurrentUser, kShellFolders, "Startup",
                                         Join(GetWindowsDir(), "Startup")));
  });
}
std::string ProgramFilesDirectory() {
  return Cached("ProgramFilesDir", [] {
    return RemoveBackslash(ReadRegString(kRootLocalMachine, kCurrentVersion, "ProgramFilesDir",
                                         Join(CurrentDrive(), "Program Files")));
  });
}
std::string CommonFilesDirectory() {
  return Cached("CommonFilesDir", [] {
    return RemoveBackslash(ReadRegString(kRootLocalMachine, kCurrentVersion, "CommonFilesDir",
                                         Join(CurrentDrive(), "Program Files\\Common Files")));
  });
}

// ---- bases -----------------------------------------------------------------------------------

TCustomPathSpecifier::TCustomPathSpecifier(TComponent* owner) : TComponent(owner) {
  PathSpecifiers().Add(this);
}

TCustomPathSpecifier::~TCustomPathSpecifier() {
  PathSpecifiers().Remove(this);
}

void TCustomPathSpecifier::Validate(TInstallContainer*) {}

std::string TCustomPathSpecifier::DescriptionFor(TInstallContainer*) {
  return Description();
}

std::string TCustomPathSpecifier::Expand(TInstallContainer* obj) {
  std::string path;
  if (OnExpand) OnExpand(obj, path);
  return path;
}

TStandardPathSpecifier::TStandardPathSpecifier(TComponent* owner) : TCustomPathSpecifier(owner) {
  StandardPathSpecifiers().Add(this);
}

TStandardPathSpecifier::~TStandardPathSpecifier() {
  StandardPathSpecifiers().Remove(this);
}

// ---- the fourteen standard specifiers --------------------------------------------------------

#define DEFINE_SPECIFIER(Class, Standard, Text)                     \
  Class::Class(TComponent* owner) : TStandardPathSpecifier(owner) { \
    standard_name_ = Standard;                                      \
  }                                                                 \
  std::string Class::Description() const {                          \
    return Text;                                                    \
  }

DEFINE_SPECIFIER(TpsBDEDLL, "psBDEDLL", "Borland Database Engine DLL Path")
DEFINE_SPECIFIER(TpsCommonFiles, "psCommonFiles",
                 "Path of the common files directory under the program files directory")
DEFINE_SPECIFIER(TpsContainerArchiveFile, "psContainerArchiveFile",
                 "Path to the archive file of the container")
DEFINE_SPECIFIER(TpsContainerDestDir, "psContainerDestDir", "Path of the group (container)")
DEFINE_SPECIFIER(TpsDesktopMenu, "psDesktopMenu", "Path of the Desktop")
DEFINE_SPECIFIER(TpsInstallSource, "psInstallSource", "Path from which the user ran the install")
DEFINE_SPECIFIER(TpsMainInstall, "psMainInstall",
                 "Path of the destination directory of the TInstall")
DEFINE_SPECIFIER(TpsProgramFiles, "psProgramFiles", "Path of the program files directory")
DEFINE_SPECIFIER(TpsProgramMenu, "psProgramMenu",
                 "Path of the Programs folder under the Start Menu")
DEFINE_SPECIFIER(TpsStartMenu, "psStartMenu", "Path of Start Menu")
DEFINE_SPECIFIER(TpsStartupMenu, "psStartupMenu",
                 "Path of the Startup folder in the Programs folder under the Start Menu")
DEFINE_SPECIFIER(TpsSystem, "psSystem", "Path of system directory")
DEFINE_SPECIFIER(TpsMainArchiveFile, "psMainArchiveFile",
                 "Archive containing most or all non-internet installation files")
DEFINE_SPECIFIER(TpsWindow, "psWindow", "Path of the Windows directory")
#undef DEFINE_SPECIFIER

// Specifiers that accept every object and describe themselves the same way for all.
#define PLAIN_SPECIFIER(Class, expansion)                 \
  void Class::Validate(TInstallContainer*) {}             \
  std::string Class::DescriptionFor(TInstallContainer*) { \
    return Description();                                 \
  }                                                       \
  std::string Class::Expand(TInstallContainer*) {         \
    return expansion;                                     \
  }

PLAIN_SPECIFIER(TpsCommonFiles, CommonFilesDirectory())
PLAIN_SPECIFIER(TpsDesktopMenu, DesktopFolder())
PLAIN_SPECIFIER(TpsProgramFiles, ProgramFilesDirectory())
PLAIN_SPECIFIER(TpsProgramMenu, ProgramsFolder())
PLAIN_SPECIFIER(TpsStartMenu, StartMenuFolder())
PLAIN_SPECIFIER(TpsStartupMenu, StartupFolder())
PLAIN_SPECIFIER(TpsSystem, RemoveBackslash(GetSystemDir()))
PLAIN_SPECIFIER(TpsWindow, RemoveBackslash(GetWindowsDir()))
#undef PLAIN_SPECIFIER

void TpsBDEDLL::Validate(TInstallContainer*) {}
std::string TpsBDEDLL::DescriptionFor(TInstallContainer*) {
  return Description();
}
std::string TpsBDEDLL::Expand(TInstallContainer*) {
  std::string path =
      ReadRegString(kRootLocalMachine, "\\Software\\Borland\\Database Engine", "DLLPath", "");
  if (path.empty()) path = Join(ProgramFilesDirectory(), "Borland\\Common Files\\BDE");
  return Field(path, 1, ';');
}

void TpsContainerArchiveFile::Validate(TInstallContainer* obj) {
  TInstallObject* object = RequireInstallObject(obj, standard_name_);
  if (object->Container() == nullptr)
    throw IEPathSpecifier("Cannot use ddContainerArchiveFile for %s unless you assign a Container",
                          object->Name());
  if (dynamic_cast<TFileRelated*>(object->Container()) == nullptr)
    throw IEPathSpecifier(
        "Cannot use the ddContainerArchiveFile path specifier for %s because the Container is "
        "not a TFileRelated descendant",
        object->Name());
}
std::string TpsContainerArchiveFile::DescriptionFor(TInstallContainer*) {
  return Description();
}
std::string TpsContainerArchiveFile::Expand(TInstallContainer* obj) {
  Validate(obj);
  auto* container = static_cast<TFileRelated*>(static_cast<TInstallObject*>(obj)->Container());
  return RemoveBackslash(container->GetFullArchiveFile());
}

void TpsContainerDestDir::Validate(TInstallContainer* obj) {
  TInstallObject* object = RequireInstallObject(obj, standard_name_);
  if (object->Container() == nullptr)
    throw IEPathSpecifier("Cannot use ddContainerDestDir for %s unless you assign a Container",
                          object->Name());
}
std::string TpsContainerDestDir::DescriptionFor(TInstallContainer* obj) {
  try {
    Validate(obj);
  } catch (const IEPathSpecifier&) {
    return Description();
  }
  TInstallContainer* container = static_cast<TInstallObject*>(obj)->Container();
  auto* file_container = dynamic_cast<TFileContainer*>(container);
  return Format("Path of the <%s> group",
                file_container ? file_container->GroupName() : container->Name());
}
std::string TpsContainerDestDir::Expand(TInstallContainer* obj) {
  Validate(obj);
  return RemoveBackslash(static_cast<TInstallObject*>(obj)->Container()->GetFullDestDir());
}

void TpsInstallSource::Validate(TInstallContainer* obj) {
  RequireInstall(obj);
}
std::string TpsInstallSource::DescriptionFor(TInstallContainer*) {
  return Description();
}
std::string TpsInstallSource::Expand(TInstallContainer* obj) {
  Validate(obj);
  return RemoveBackslash(InstallComponent()->SourceDirectory());
}

void TpsMainInstall::Validate(TInstallContainer* obj) {
  RequireInstall(obj);
  if (obj == InstallComponent()->AsContainer())
    throw IEPathSpecifier(
        "Cannot use the ddMainInstallDir path specifier for a TInstall component");
}
std::string TpsMainInstall::DescriptionFor(TInstallContainer*) {
  return Description();
}
std::string TpsMainInstall::Expand(TInstallContainer* obj) {
  Validate(obj);
  return RemoveBackslash(InstallComponent()->AsContainer()->GetFullDestDir());
}

void TpsMainArchiveFile::Validate(TInstallContainer* obj) {
  RequireInstall(obj);
}
std::string TpsMainArchiveFile::DescriptionFor(TInstallContainer*) {
  return Description();
}
std::string TpsMainArchiveFile::Expand(TInstallContainer* obj) {
  Validate(obj);
  IInstallComponent* install = InstallComponent();
  if (install->HasSwitch('e')) {
    std::string exe = Trim(install->SwitchArgument('e'));
    if (exe.empty())
      throw IEInstall(
          "You forgot to pass in the name of the self-extracting executable. Usage example: "
          "\"-eSetup.exe\"");
    return AddBackslash(install->SourceDirectory()) + exe;
  }
  return AddBackslash(install->SourceDirectory()) + "files.1";
}

// ---- lists -----------------------------------------------------------------------------------

void TPathSpecifierList::Add(TCustomPathSpecifier* specifier) {
  if (specifier == nullptr)
    throw IEPathSpecifierList("Tried to add a nil object to the path specifier list");
  items_.push_back(specifier);
}

void TPathSpecifierList::Remove(TCustomPathSpecifier* specifier) {
  auto it = std::find(items_.begin(), items_.end(), specifier);
  if (it != items_.end()) items_.erase(it);
}

TCustomPathSpecifier* TPathSpecifierList::FindByClass(const TClass* specifier_class) const {
  for (TCustomPathSpecifier* s : items_)
    if (s->InheritsFrom(specifier_class)) return s;
  throw IEPathSpecifier("Could not find the path specifier");
}

void TPathSpecifierList::EnsureStandardSpecifiers(TComponent* owner, bool only_if_missing) {
  if (owner == nullptr) return;
  using Factory = TCustomPathSpecifier* (*)(TComponent*);
  struct Standard {
    const TClass* cls;
    Factory create;
  };
  static const Standard kStandard[] = {
      {TClassOf<TpsBDEDLL>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsBDEDLL(o); }},
      {TClassOf<TpsCommonFiles>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsCommonFiles(o); }},
      {TClassOf<TpsContainerArchiveFile>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsContainerArchiveFile(o); }},
      {TClassOf<TpsContainerDestDir>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsContainerDestDir(o); }},
      {TClassOf<TpsDesktopMenu>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsDesktopMenu(o); }},
      {TClassOf<TpsInstallSource>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsInstallSource(o); }},
      {TClassOf<TpsMainInstall>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsMainInstall(o); }},
      {TClassOf<TpsProgramFiles>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsProgramFiles(o); }},
      {TClassOf<TpsProgramMenu>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsProgramMenu(o); }},
      {TClassOf<TpsStartMenu>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsStartMenu(o); }},
      {TClassOf<TpsStartupMenu>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsStartupMenu(o); }},
      {TClassOf<TpsSystem>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsSystem(o); }},
      {TClassOf<TpsMainArchiveFile>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsMainArchiveFile(o); }},
      {TClassOf<TpsWindow>(),
       [](TComponent* o) -> TCustomPathSpecifier* { return new TpsWindow(o); }},
  };
  for (const Standard& standard : kStandard) {
    if (only_if_missing) {
      bool present = false;
      for (int i = 0; i < PathSpecifiers().Count() && !present; ++i)
        present = PathSpecifiers().Items(i)->InheritsFrom(standard.cls);
      if (present) continue;
    }
    TCustomPathSpecifier* specifier = standard.create(owner);
    specifier->SetName(specifier->StandardName());
  }
}

TPathSpecifierList& PathSpecifiers() {
  static TPathSpecifierList list;
  return list;
}

TStandardPathSpecList& StandardPathSpecifiers() {
  static TStandardPathSpecList list;
  return list;
}

}  // namespace vantorel
