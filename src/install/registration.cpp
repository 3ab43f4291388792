// The install component's published properties, as project forms store them.
#include "install/install.h"
#include "model/net_location.h"
#include "model/publish.h"
#include "model/symbolic_paths.h"

namespace vantorel {

VANTOREL_CLASS(TInstallInformation, TPersistent) {
  p.String(
       "CompanyName", [](TInstallInformation& i) { return i.CompanyName; },
       [](TInstallInformation& i, const std::string& v) { i.CompanyName = v; })
      .Default("My Company");
  p.String(
       "ProductName", [](TInstallInformation& i) { return i.ProductName; },
       [](TInstallInformation& i, const std::string& v) { i.ProductName = v; })
      .Default("My product");
  p.String(
       "Version", [](TInstallInformation& i) { return i.Version; },
       [](TInstallInformation& i, const std::string& v) { i.Version = v; })
      .Default("1.0");
}

VANTOREL_CLASS(TBuildInfo, TPersistent) {
  using B = TBuildInfo;
  auto text = [&p](const char* name, std::string B::*field, const char* initial) {
    p.String(
         name, [field](B& b) { return b.*field; },
         [field](B& b, const std::string& v) { b.*field = v; })
        .Default(initial);
  };
  text("AppName", &B::AppName, "");
  text("AppURL", &B::AppURL, "");
  text("BuildDirectory", &B::BuildDirectory, "c:\\build");
  text("CredentialsFile", &B::CredentialsFile, "");
  text("OCXName", &B::OCXName, "vtsetup");
  text("PrivateKeyFile", &B::PrivateKeyFile, "");
  p.Bool(
       "SignCode", [](B& b) { return b.SignCode; }, [](B& b, bool v) { b.SignCode = v; })
      .Default(false);
  text("URLPath", &B::URLPath, "");
}

VANTOREL_CLASS(TCustomInstall, TFileContainer) {}

VANTOREL_CLASS(TInstall, TCustomInstall) {
  using T = TInstall;
  PublishFileContainer(p);
  // The constructor's own values: an empty folder, no path specifier, choice allowed and no
  // picture must be written to be read back as they were.
  p.Declared("DestDir").NoDefault();
  p.Declared("DestDirType").NoDefault();
  p.Declared("ArchiveFileType").NoDefault();
  p.Declared("AllowChoice").Default(false);
  p.Bool("AutoMaximizeWindow", &T::AutoMaximizeWindow, &T::SetAutoMaximizeWindow).Default(true);
  p.Object("BuildInfo", &T::BuildInfo);
  p.Picture("DialogThemeBitmap", &T::DialogThemeBitmap).NoDefault();
  p.Enum("DistributeType", &T::DistributeType, &T::SetDistributeType).Default(dtTraditional);
  p.Bool("HideMainForm", &T::HideMainForm, &T::SetHideMainForm).Default(false);
  p.Object("Information", &T::Information);
  p.Strings("PresetupFiles", &T::PresetupFiles, &T::SetPresetupFiles);
  p.Bool("Reboot", &T::Reboot, &T::SetReboot).Default(false);
  p.Bool("RunAutomatic", &T::RunAutomatic, &T::SetRunAutomatic).Default(true);
  p.Bool("UseLoadingProgram", &T::UseLoadingProgram, &T::SetUseLoadingProgram).AlwaysStored();
  p.Event("OnAfterInitialized", &T::OnAfterInitialized);
  p.Event("OnBeforeReadArchiveInfo", &T::OnBeforeReadArchiveInfo);
  p.Event("OnAfterReadArchiveInfo", &T::OnAfterReadArchiveInfo);
  p.Event("OnBeforeReboot", &T::OnBeforeReboot);
  p.Event("OnFailedReboot", &T::OnFailedReboot);
  p.Event("OnBeforeRunFile", &T::OnBeforeRunFile);
  p.Event("OnBeforeShutdown", &T::OnBeforeShutdown);
  p.Event("OnBeforeCleanup", &T::OnBeforeCleanup);
  p.Event("OnBeforeNotifyGoodInstall", &T::OnBeforeNotifyGoodInstall);
  p.Event("OnAfterNotifyGoodInstall", &T::OnAfterNotifyGoodInstall);
  p.Event("OnBeforeNotifyBadInstall", &T::OnBeforeNotifyBadInstall);
  p.Event("OnAfterNotifyBadInstall", &T::OnAfterNotifyBadInstall);
  p.Event("OnUserAbort", &T::OnUserAbort);
}

}  // namespace vantorel
