#pragma once
// The published properties that the install object classes share, for their class blocks.
#include "framework/properties.h"
#include "model/container.h"

namespace vantorel {

// Properties every published install object shares.
template <class T>
void PublishContainer(TClassBuilder<T>& p) {
  p.Component("Container", &T::Container, &T::SetContainer);
  p.Int("Order", &T::Order, &T::SetOrder).NoDefault();
  p.Bool("Include", &T::Include, &T::SetInclude).Default(true);
  p.Set("InstallTypes", &T::InstallTypes, &T::SetInstallTypes).Default(TInstallTypeSet{itAlways});
  p.String("DestDir", &T::DestDir, &T::SetDestDir);
  p.Component("DestDirType", &T::DestDirType, &T::SetDestDirType);
  p.Event("OnBeforeProcess", &T::OnBeforeProcess);
  p.Event("OnAfterProcess", &T::OnAfterProcess);
}

template <class T>
void PublishFileRelated(TClassBuilder<T>& p, bool net_default) {
  PublishContainer(p);
  p.String("ArchiveFile", &T::ArchiveFile, &T::SetArchiveFile);
  p.Component("ArchiveFileType", &T::ArchiveFileType, &T::SetArchiveFileType);
  p.Enum("AddToArchive", &T::AddToArchive, &T::SetAddToArchive).Default(lzcOverwrite);
  p.Bool("Net", &T::Net, &T::SetNet).Default(net_default);
  p.Component("NetLocation", &T::NetLocation, &T::SetNetLocation);
  p.Event("OnDataReceived", &T::OnDataReceived);
}

template <class T>
void PublishFileContainer(TClassBuilder<T>& p) {
  PublishFileRelated(p, true);
  p.Bool("AllowChangeDir", &T::AllowChangeDir, &T::SetAllowChangeDir).Default(true);
  p.Bool("AllowChoice", &T::AllowChoice, &T::SetAllowChoice).Default(true);
  p.Strings(
      "Description", [](T& o) { return o.Description(); },
      [](T& o, const TStrings& v) { o.SetDescription(v); });
  p.String("GroupName", &T::GroupName, &T::SetGroupName).NoDefault();
  p.Event("OnAfterInstallObjects", &T::OnAfterInstallObjects);
  p.Event("OnBeforeInstallObjects", &T::OnBeforeInstallObjects);
  p.Event("OnNewDisk", &T::OnNewDisk);
  p.Event("OnReplacing", &T::OnReplacing);
  p.Event("OnStatus", &T::OnStatus);
}

}  // namespace vantorel
