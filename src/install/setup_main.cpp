// The install program's entry: creates the project form it carries and runs the install.
#include "install/setup_main.h"

#include <optional>
#include <string>

#include "framework/application.h"
#include "install/attached_form.h"
#include "install/install.h"
#include "platform/files.h"

namespace vantorel {
namespace {

int StatusOf(IInstallComponent* install) {
  auto* custom = install ? dynamic_cast<TCustomInstall*>(install->AsContainer()) : nullptr;
  if (custom == nullptr) return kInstalled;  // a form without an install has nothing to do
  switch (custom->Outcome()) {
    case TInstallOutcome::Installed:
      return kInstalled;
    case TInstallOutcome::Cancelled:
      return kCancelled;
    case TInstallOutcome::RestartPending:
      return kRestartPending;
    case TInstallOutcome::Failed:
    case TInstallOutcome::None:
      return kFailed;
  }
  return kFailed;
}

}  // namespace

int RunSetup(int argc, char** argv) {
  CommandLineParameters().assign(argv + 1, argv + argc);
  const std::string program = platform::GetModuleFileName();
  Application().SetTitle("Setup");
  try {
    std::optional<std::string> form = FindOwnForm();
    if (!form) throw Exception("The program carries no project form");
    TReadOptions options;
    options.source_name = program;
    Application().CreateFormFromText(*form, options);
  } catch (const std::exception& e) {
    Application().MessageBox(program + ": " + e.what(), "Setup", MB_OK | MB_ICONERROR);
    return kFailed;
  }
  Application().Run();
  int status = StatusOf(InstallComponent());
  // The forms go before the process does, so the install component's end-of-process work
  // (the clean-up batch) runs.
  Application().DestroyComponents();
  return status;
}

}  // namespace vantorel
