#pragma once
// The product's uninstaller as an install file: it carries uninstall.exe to the target machine
// and lists the product in the system's list of installed programs, with the command line that
// removes it again.
#include <string>

#include "model/install_file.h"
#include "routines/exceptions.h"

namespace vantorel {

VANTOREL_DECLARE_EXCEPTION(IEUninstallEXE, IException);

// The uninstall key of a product, under HKEY_LOCAL_MACHINE.
std::string UninstallKeyOf(const std::string& product_name);

inline constexpr char kUninstallProgram[] = "uninstall.exe";
// The switch of uninstall.exe that removes without asking and without showing anything.
inline constexpr char kSilentSwitch[] = "/S";

class TUninstallEXE : public TCustomInstallFile {
 public:
  explicit TUninstallEXE(TComponent* owner);

  // The State property as forms store it: an operation, not a setting, so a stored one is not
  // run while the form loads. The engine's own calls (a build started while the form is still
  // loading, -b) go to SetState and are run.
  void SetStoredState(TInstallFileState v);

  // Writes the product's entry in the list of installed programs; it takes the place of the
  // install file's own record, since uninstall.exe removes itself last, by its own means.
  void WriteUninstallInfo(const std::string& key) override;

  // The command lines written to the uninstall key: the program path is quoted, for Windows
  // would otherwise try "C:\Program.exe" first for a path under "C:\Program Files".
  std::string UninstallCommand(const std::string& product_name);
  std::string QuietUninstallCommand(const std::string& product_name);
};

}  // namespace vantorel
