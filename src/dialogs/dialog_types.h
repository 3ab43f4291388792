#pragma once
// The enumerations the dialogs share and the placement of their windows on the screen.
#include "framework/properties.h"
#include "translate/language_table.h"

namespace vantorel {

VANTOREL_ENUM(TVantorelDialogPosition, vdpCenterLeft, vdpCenter, vdpCenterRight, vdpBottomLeft,
              vdpBottomCenter, vdpBottomRight, vdpTopLeft, vdpTopCenter, vdpTopRight);

// Which moment of the run a dialog manager shows its dialogs at.
VANTOREL_ENUM(TManagerType, dmBeforeInstall, dmAfterGoodInstall, dmAfterBadInstall,
              dmDuringCopyFiles, dmChangeDisk, dmReboot);

struct TWindowPlace {
  int left = 0;
  int top = 0;
};

// Where a window of the given size goes on a screen of the given size; the bottom row keeps one
// caption height free above the screen's bottom edge (where a task bar usually sits).
TWindowPlace PlaceWindow(TVantorelDialogPosition position, int width, int height, int relative_left,
                         int relative_top, int screen_width, int screen_height, int caption_height);

}  // namespace vantorel
