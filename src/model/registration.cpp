// The published classes of the object model and their properties, as project forms store them.
#include "model/container.h"
#include "model/file_container.h"
#include "model/install_file.h"
#include "model/net_location.h"
#include "model/path_specifier.h"
#include "model/publish.h"

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
  PublishFileRelated(p, false);
  p.String("FileName", &TInstallFile::FileName, &TInstallFile::SetFileName);
  p.String("IncludeFromDir", &TInstallFile::IncludeFromDir, &TInstallFile::SetIncludeFromDir);
  p.String("DestName", &TInstallFile::DestNameValue, &TInstallFile::SetDestName);
  p.Bool("RunAfterInstall", &TInstallFile::RunAfterInstall, &TInstallFile::SetRunAfterInstall)
      .Default(false);
  p.Enum("OverwriteMode", &TInstallFile::OverwriteMode, &TInstallFile::SetOverwriteMode)
      .Default(owAlways);
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
