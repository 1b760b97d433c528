// Fitting a window into the screen's work area: the geometry rule alone, on plain
// rectangles, so that it is the same for every toolkit and testable without a screen.
#pragma once

namespace ptk {

struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;

  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool operator==(const ScreenRect&) const = default;
};

struct FitResult {
  ScreenRect rect;
  bool resized = false;  // width or height was cut to the work area
  bool moved = false;    // left or top changed: the window keeps these coordinates
};

// A window wider (higher) than the work area gets the work area's width (height); a window
// reaching past an edge is moved inside: left of the work area to its left edge, else
// beyond its right edge so that the right edges meet; the same vertically.
FitResult FitRectToWorkArea(ScreenRect window, const ScreenRect& workArea);

}  // namespace ptk
