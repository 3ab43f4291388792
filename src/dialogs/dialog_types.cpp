#include "dialogs/dialog_types.h"

#include <cmath>

namespace vantorel {

TWindowPlace PlaceWindow(TVantorelDialogPosition position, int width, int height, int relative_left,
                         int relative_top, int screen_width, int screen_height,
                         int caption_height) {
  // Halves to even, as the rest of the engine rounds.
  const int cx = static_cast<int>(std::nearbyint(screen_width / 2.0 - width / 2.0));
  const int cy = static_cast<int>(std::nearbyint(screen_height / 2.0 - height / 2.0));
  TWindowPlace place;
  switch (position) {
    case vdpCenterLeft:
    case vdpBottomLeft:
    case vdpTopLeft:
      place.left = relative_left;
      break;
    case vdpCenter:
    case vdpBottomCenter:
    case vdpTopCenter:
      place.left = cx + relative_left;
      break;
    case vdpCenterRight:
    case vdpBottomRight:
    case vdpTopRight:
      place.left = screen_width - width - relative_left;
      break;
  }
  switch (position) {
    case vdpCenterLeft:
    case vdpCenter:
    case vdpCenterRight:
      place.top = cy + relative_top;
      break;
    case vdpTopLeft:
    case vdpTopCenter:
    case vdpTopRight:
      place.top = relative_top;
      break;
    case vdpBottomLeft:
    case vdpBottomCenter:
    case vdpBottomRight:
      place.top = screen_height - caption_height - height - relative_top;
      break;
  }
  return place;
}

}  // namespace vantorel
