#pragma once

namespace ui
{
// Keeps the framework's record of the held modifier keys (Shift, Ctrl, Alt) true to the keyboard, in
// every window of the program.
//
// The framework follows those keys only through the key events its own windows receive. A key
// released while the window manager holds the keyboard stays held in that record: after Alt+F4, its
// Alt never came up, so the next key in any window arrived with Alt added (Escape in the question
// Alt+F4 brought up as Alt+Escape, Ctrl+I as Ctrl+Alt+I) and matched nothing until the user tapped
// Alt or clicked. Every key press the X server sends says which modifiers were down as the key went
// down. Each key press read for any window of the program is looked at before the framework handles
// it: a modifier the framework holds as down that was up for that key is let go. A modifier released
// after the key stays held for it, as a quick Ctrl+Q needs. Message thread only.
class HeldModifierKeys
{
public:
    // Starts looking at the key presses of every window, from the next event on. Does nothing
    // without an X display; calling it again changes nothing.
    static void keepTrue();

    HeldModifierKeys() = delete;
};
} // namespace ui
