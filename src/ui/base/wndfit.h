// Fitting a window into the screen's work area when it is created, and centring.
#pragma once

#include <QSize>

class QWidget;

namespace ptk::ui {

// Cuts a window larger than the work area down to it (giving it scroll bars for its
// content) and moves a window that reaches past an edge back inside. A moved window
// keeps the coordinates set here. Nothing happens when there is no screen.
void FitWindowToScreen(QWidget* window);

// Gives a window of fixed size its starting client size, or more where its layout needs
// more room (texts in a larger font, a list filled later), never less. The window keeps
// growing so whenever its layout changes.
void FixClientSize(QWidget* window, QSize start);

// Places the window in the middle of the work area of its screen.
void CentreOnScreen(QWidget* window);

}  // namespace ptk::ui
