#pragma once

// Reaches into the framework's X11 internals (its Xlib function table and the modifier record it
// keeps): a framework upgrade must check this file again.

namespace ui
{
// Keeps the framework's record of the held modifier keys (Shift, Ctrl, Alt) true to the keyboard, in
// every window of the program.
//
// The framework follows those keys only through the key events its own windows receive, so a key
// released while another program (the window manager) holds the keyboard would stay held in its
// record. Each key press the X server sends carries the modifiers that were down as the key went
// down; every key press read for any window of the program is looked at before the framework
// handles it, and a modifier the record holds as down that was up for that key is let go. A modifier
// released after the key stays held for it, as a quick Ctrl+Q needs. Alt is whichever modifier-map
// rows hold the left or right Alt key; the map is read from the server once and again whenever the
// server reports a changed keyboard or modifier mapping. Message thread only.
class HeldModifierKeys
{
public:
    // Starts looking at the key presses of every window, from the next event on. Does nothing
    // without an X display; calling it again changes nothing.
    static void keepTrue();

    HeldModifierKeys() = delete;
};
} // namespace ui
