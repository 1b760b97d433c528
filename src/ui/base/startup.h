// Start-up: creates every window of the program, hidden, in their order.
#pragma once

namespace ptk::ui {

class AppContext;

// Fills context.forms; the windows belong to the context. Call after the virtual register
// was started (the tape window exists only with it).
void CreateWindows(AppContext& context);

}  // namespace ptk::ui
