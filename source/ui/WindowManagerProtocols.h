#pragma once

namespace ui
{
// Makes the windows of the program take part in the window manager's close and focus protocols
// even when no window manager ran on the display before the program started.
//
// The framework names WM_DELETE_WINDOW and WM_TAKE_FOCUS on its windows only when the server knew
// those atoms as the framework opened its display. Started on a display no window manager had
// used, its windows named neither, so a window manager started later had no way to ask them to
// close: its Alt+F4 or close button killed the program's connection, and unsent edits were lost
// without the question. Call once the framework's display is open and before the first window is
// made; does nothing without a display. Message thread only.
void takePartInWindowManagerProtocols();
} // namespace ui
