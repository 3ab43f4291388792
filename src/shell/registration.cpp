// The published classes of the shell subsystem and their properties, as project forms store them.
#include "model/net_location.h"
#include "model/publish.h"
#include "model/symbolic_paths.h"
#include "shell/uninstall_exe.h"

namespace vantorel {

VANTOREL_CLASS(TUninstallEXE, TCustomInstallFile) {
  using F = TUninstallEXE;
  PublishFileRelated(p, true);
  p.Declared("Container").NoDefault();
  p.Declared("DestDirType").NoDefault();
  p.Declared("ArchiveFileType").NoDefault();
  p.String("DestName", &F::DestNameValue, &F::SetDestName);
  p.String("FileName", &F::FileName, &F::SetFileName);
  p.Enum("FileType", &F::FileType, &F::SetFileType).Default(iftNormal);
  p.String("IncludeFromDir", &F::IncludeFromDir, &F::SetIncludeFromDir);
  p.Enum("OverwriteMode", &F::OverwriteMode, &F::SetOverwriteMode).Default(owAlways);
  p.Enum("State", &F::State, &F::SetStoredState).Default(ifsNone);
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

}  // namespace vantorel
