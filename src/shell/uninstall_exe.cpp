#include "shell/uninstall_exe.h"

#include <cstdint>

#include "model/file_container.h"
#include "platform/files.h"
#include "routines/registry_routines.h"
#include "routines/strings.h"

namespace vantorel {

namespace {

// What the files of this run occupy on the target, in KB as the list of installed programs
// shows it: every install file that this run installs, rounded up.
uint32_t EstimatedSizeKB() {
  uint64_t bytes = 0;
  for (TCustomInstallFile* file : AllInstallFiles()) {
    if (!file->WillInstall()) continue;
    TInstallContainer* container = file->Container();
    if (container != nullptr && !container->WillInstall()) continue;
    if (file->Size() > 0) bytes += static_cast<uint64_t>(file->Size());
  }
  return static_cast<uint32_t>((bytes + 1023) / 1024);
}

void WriteRegDWord(const std::string& key, const std::string& name, uint32_t value) {
  WriteRegInteger(kRootLocalMachine, key, name, static_cast<int32_t>(value));
}

}  // namespace

std::string UninstallKeyOf(const std::string& product_name) {
  return "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + product_name;
}

TUninstallEXE::TUninstallEXE(TComponent* owner) : TCustomInstallFile(owner) {
  SetNet(true);
  if (!InDesignMode(this)) return;
  // A new uninstaller in the designer takes the program from the builder's library folder.
  try {
    std::string dir = FindLibraryDirectory(false);
    if (!dir.empty() && platform::FileExists(AddBackslash(dir) + kUninstallProgram)) {
      SetIncludeFromDir(RemoveBackslash(dir));
      SetFileName(kUninstallProgram);
      SetDestName(kUninstallProgram);
    }
  } catch (const std::exception&) {
  }
}

void TUninstallEXE::SetStoredState(TInstallFileState v) {
  if (IsLoading()) return;
  SetState(v);
}

// Built by appending: GCC 12 warns falsely about "\"" + a temporary string.
std::string TUninstallEXE::UninstallCommand(const std::string& product_name) {
  std::string command(1, '"');
  return command.append(DestPath()).append("\" ").append(product_name);
}

std::string TUninstallEXE::QuietUninstallCommand(const std::string& product_name) {
  std::string command(1, '"');
  return command.append(DestPath())
      .append("\" ")
      .append(kSilentSwitch)
      .append(" ")
      .append(product_name);
}

void TUninstallEXE::WriteUninstallInfo(const std::string& key) {
  IInstallComponent* install = InstallComponent();
  if (install == nullptr)
    throw IEUninstallEXE(
        "%s could not write information about the uninstall to the registry because there was "
        "no TInstall component",
        Name());
  const std::string product = install->ProductName();
  WriteRegString(kRootLocalMachine, key, "DisplayName", product);
  WriteRegString(kRootLocalMachine, key, "UninstallString", UninstallCommand(product));
  WriteRegString(kRootLocalMachine, key, "QuietUninstallString", QuietUninstallCommand(product));
  WriteRegString(kRootLocalMachine, key, "DisplayVersion", install->ProductVersion());
  WriteRegString(kRootLocalMachine, key, "Publisher", install->CompanyName());
  WriteRegString(kRootLocalMachine, key, "InstallLocation",
                 RemoveBackslash(install->AsContainer()->GetFullDestDir()));
  WriteRegString(kRootLocalMachine, key, "DisplayIcon", DestPath() + ",0");
  WriteRegDWord(key, "EstimatedSize", EstimatedSizeKB());
  // The uninstaller only removes: the list offers no change or repair for the product.
  WriteRegDWord(key, "NoModify", 1);
  WriteRegDWord(key, "NoRepair", 1);
}

}  // namespace vantorel
