// The published classes of the object model and their properties, as project forms store them.
#include "model/container.h"
#include "model/file_container.h"
#include "model/install_file.h"
#include "model/net_location.h"
#include "model/publish.h"
#include "model/symbolic_paths.h"

namespace vantorel {

VANTOREL_CLASS(TInstallContainer, TComponent) {}
VANTOREL_CLASS(TInstallObject, TInstallContainer) {}
VANTOREL_CLASS(TFileRelated, TInstallObject) {}
VANTOREL_CLASS(TFileContainer, TFileRelated) {}
VANTOREL_CLASS(TInstallFileGroup, TFileContainer) {
  PublishFileContainer(p);
}
VANTOREL_CLASS(TCustomInstallFile, TFileRelated) {}
VANTOREL_CLASS(TInstallFile, TCustomInstallFile) {
  using F = TInstallFile;
  PublishFileRelated(p, false);
  // A file added in design mode joins the install component with the container's folder and
  // archive: no container and no path specifier must be written to be read back as they were.
  p.Declared("Container").NoDefault();
  p.Declared("DestDirType").NoDefault();
  p.Declared("ArchiveFileType").NoDefault();
  p.Bool("ActiveX", &F::ActiveX, &F::SetActiveX).Default(false);
  p.String("DestName", &F::DestNameValue, &F::SetDestName);
  p.String("FileName", &F::FileName, &F::SetFileName);
  p.Enum("FileType", &F::FileType, &F::SetFileType).Default(iftNormal);
  p.String("IncludeFromDir", &F::IncludeFromDir, &F::SetIncludeFromDir);
  p.Enum("OverwriteMode", &F::OverwriteMode, &F::SetOverwriteMode).Default(owAlways);
  p.Bool("RegisterAsHelp", &F::RegisterAsHelp, &F::SetRegisterAsHelp).Default(false);
  p.Bool("RunAfterInstall", &F::RunAfterInstall, &F::SetRunAfterInstall).Default(false);
  p.Bool("UpdateDLLCounter", &F::UpdateDLLCounter, &F::SetUpdateDLLCounter).Default(false);
  p.Int("UniqueID", &F::UniqueID, &F::SetUniqueID).AlwaysStored();
  p.Event("OnAfterCompress", &F::OnAfterCompress);
  p.Event("OnAfterCopy", &F::OnAfterCopy);
  p.Event("OnAfterInstall", &F::OnAfterInstall);
  p.Event("OnBeforeCompress", &F::OnBeforeCompress);
  p.Event("OnBeforeCopy", &F::OnBeforeCopy);
  p.Event("OnBeforeInstall", &F::OnBeforeInstall);
  p.Event("OnStatus", &F::OnStatus);
  p.Event("OnNewDisk", &F::OnNewDisk);
  p.Event("OnReplacing", &F::OnReplacing);
}

VANTOREL_CLASS(TCustomNetInstallLocation, TComponent) {}

VANTOREL_CLASS(TCustomPathSpecifier, TComponent) {}
VANTOREL_CLASS(TStandardPathSpecifier, TCustomPathSpecifier) {}
VANTOREL_CLASS(TpsBDEDLL, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsCommonFiles, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsContainerArchiveFile, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsContainerDestDir, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsDesktopMenu, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsInstallSource, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsMainInstall, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsProgramFiles, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsProgramMenu, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsStartMenu, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsStartupMenu, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsSystem, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsMainArchiveFile, TStandardPathSpecifier) {}
VANTOREL_CLASS(TpsWindow, TStandardPathSpecifier) {}

}  // namespace vantorel
