#pragma once
// Errors of the install object model.
#include "routines/exceptions.h"

namespace vantorel {

VANTOREL_DECLARE_EXCEPTION(IEInstallContainer, IException);
VANTOREL_DECLARE_EXCEPTION(IEFileRelated, IException);
VANTOREL_DECLARE_EXCEPTION(IEFileRel_NoNetLocation, IEFileRelated);
VANTOREL_DECLARE_EXCEPTION(IEFileContainer, IException);
VANTOREL_DECLARE_EXCEPTION(IEfcDuplicateFile, IEFileContainer);
VANTOREL_DECLARE_EXCEPTION(IENoVantorelPath, IException);
VANTOREL_DECLARE_EXCEPTION(IECustomInstallFile, IException);
VANTOREL_DECLARE_EXCEPTION(IECustomInstallFileList, IException);
VANTOREL_DECLARE_EXCEPTION(IEContainerList, IException);
VANTOREL_DECLARE_EXCEPTION(IEPathSpecifier, IException);
VANTOREL_DECLARE_EXCEPTION(IEPathSpecifierList, IException);
// Raised by the install component; declared here because path specifiers raise it too.
VANTOREL_DECLARE_EXCEPTION(IEInstall, IException);
VANTOREL_DECLARE_EXCEPTION(IEInstallNetLocNil, IEInstall);

}  // namespace vantorel
