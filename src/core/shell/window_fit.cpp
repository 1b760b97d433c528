#include "core/shell/window_fit.h"

namespace ptk {
namespace {

// One axis: position and extent of the window against the work area's.
void FitAxis(int& position, int& extent, int areaStart, int areaExtent, bool& resized,
             bool& moved) {
  if (extent > areaExtent) {
    extent = areaExtent;
    resized = true;
  }
  int wanted = position;
  if (position < areaStart) {
    wanted = areaStart;
  } else if (position + extent > areaStart + areaExtent) {
    wanted = areaStart + areaExtent - extent;
  }
  if (wanted != position) {
    position = wanted;
    moved = true;
  }
}

}  // namespace

FitResult FitRectToWorkArea(ScreenRect window, const ScreenRect& workArea) {
  FitResult result;
  FitAxis(window.left, window.width, workArea.left, workArea.width, result.resized, result.moved);
  FitAxis(window.top, window.height, workArea.top, workArea.height, result.resized, result.moved);
  result.rect = window;
  return result;
}

}  // namespace ptk
