#pragma once

// Reaches into the framework's X11 internals (the atoms it keeps for its windows): a framework
// upgrade must check this file again.

namespace ui
{
// Makes every window the program creates afterwards name WM_DELETE_WINDOW and WM_TAKE_FOCUS in its
// WM_PROTOCOLS, whether or not a window manager ran on the display before the program started, so
// that a window manager started at any time asks the window to close (and the program asks about
// unsent edits) instead of killing its connection. The framework names those protocols only when
// the server already knew their atoms as it opened its display; they are created here instead.
// Call once the framework's display is open and before the first window is made; does nothing
// without a display. Message thread only.
void takePartInWindowManagerProtocols();
} // namespace ui
