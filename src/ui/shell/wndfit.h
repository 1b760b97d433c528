// Fitting a window into the screen's work area when it is created, and centring.
#pragma once

class QWidget;

namespace ptk::ui {

// Cuts a window larger than the work area down to it (giving it scroll bars for its
// content) and moves a window that reaches past an edge back inside. A moved window
// keeps the coordinates set here. Nothing happens when there is no screen.
void FitWindowToScreen(QWidget* window);

// Places the window in the middle of the work area of its screen.
void CentreOnScreen(QWidget* window);

}  // namespace ptk::ui
