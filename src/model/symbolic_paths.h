#pragma once
// Path specifiers: components that stand for a directory (or file) whose real place is known
// only on the target machine. An object's destination is the expansion followed by its DestDir.
#include <functional>
#include <string>
#include <vector>

#include "framework/component.h"

namespace vantorel {

class TInstallContainer;

using TExpandPathEvent = std::function<void(TInstallContainer* obj, std::string& path)>;

class TCustomPathSpecifier : public TComponent {
 public:
  explicit TCustomPathSpecifier(TComponent* owner);
  ~TCustomPathSpecifier() override;

  // Raises IEPathSpecifier when the specifier cannot serve `obj`.
  virtual void Validate(TInstallContainer* obj);
  virtual std::string Description() const { return "Unspecified"; }
  virtual std::string DescriptionFor(TInstallContainer* obj);
  virtual std::string Expand(TInstallContainer* obj);

  const std::string& StandardName() const { return standard_name_; }
  // How a custom specifier expands; not published.
  TExpandPathEvent OnExpand;

 protected:
  std::string standard_name_;
};

class TStandardPathSpecifier : public TCustomPathSpecifier {
 public:
  explicit TStandardPathSpecifier(TComponent* owner);
  ~TStandardPathSpecifier() override;
};

#define VANTOREL_STANDARD_SPECIFIER(Class)                       \
  class Class : public TStandardPathSpecifier {                  \
   public:                                                       \
    explicit Class(TComponent* owner);                           \
    std::string Description() const override;                    \
    std::string Expand(TInstallContainer* obj) override;         \
    void Validate(TInstallContainer* obj) override;              \
    std::string DescriptionFor(TInstallContainer* obj) override; \
  }

VANTOREL_STANDARD_SPECIFIER(TpsBDEDLL);
VANTOREL_STANDARD_SPECIFIER(TpsCommonFiles);
VANTOREL_STANDARD_SPECIFIER(TpsContainerArchiveFile);
VANTOREL_STANDARD_SPECIFIER(TpsContainerDestDir);
VANTOREL_STANDARD_SPECIFIER(TpsDesktopMenu);
VANTOREL_STANDARD_SPECIFIER(TpsInstallSource);
VANTOREL_STANDARD_SPECIFIER(TpsMainInstall);
VANTOREL_STANDARD_SPECIFIER(TpsProgramFiles);
VANTOREL_STANDARD_SPECIFIER(TpsProgramMenu);
VANTOREL_STANDARD_SPECIFIER(TpsStartMenu);
VANTOREL_STANDARD_SPECIFIER(TpsStartupMenu);
VANTOREL_STANDARD_SPECIFIER(TpsSystem);
VANTOREL_STANDARD_SPECIFIER(TpsMainArchiveFile);
VANTOREL_STANDARD_SPECIFIER(TpsWindow);
#undef VANTOREL_STANDARD_SPECIFIER

class TPathSpecifierList {
 public:
  virtual ~TPathSpecifierList() = default;
  void Add(TCustomPathSpecifier* specifier);
  void Remove(TCustomPathSpecifier* specifier);
  int Count() const { return static_cast<int>(items_.size()); }
  TCustomPathSpecifier* Items(int index) const { return items_.at(index); }
  // The first specifier of that class or a descendant; raises IEPathSpecifier when none.
  TCustomPathSpecifier* FindByClass(const TClass* specifier_class) const;
  template <class T>
  T* FindByClass() const {
    return static_cast<T*>(FindByClass(TClassOf<T>()));
  }
  // Creates the fourteen standard specifiers on `owner` (with OnlyIfMissing, only those of
  // which no instance exists yet).
  void EnsureStandardSpecifiers(TComponent* owner, bool only_if_missing);

 private:
  std::vector<TCustomPathSpecifier*> items_;
};

class TStandardPathSpecList : public TPathSpecifierList {};

TPathSpecifierList& PathSpecifiers();
TStandardPathSpecList& StandardPathSpecifiers();

// The shell folders, each without trailing backslash, from the registry with their fallbacks.
std::string StartMenuFolder();
std::string ProgramsFolder();
std::string DesktopFolder();
std::string StartupFolder();
std::string ProgramFilesDirectory();
std::string CommonFilesDirectory();

// While one lives, each of the folders above is read from the registry once: an install resolves
// its destinations a dozen times per file, and under Wine every read is a round trip to the
// registry server. The folders do not move while files are copied. Scopes nest.
class TSystemFolderCache {
 public:
  TSystemFolderCache();
  ~TSystemFolderCache();
  TSystemFolderCache(const TSystemFolderCache&) = delete;
  TSystemFolderCache& operator=(const TSystemFolderCache&) = delete;
};

}  // namespace vantorel
