#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// Keeps the framework's record of the held modifier keys (Shift, Ctrl, Alt) true to the keyboard.
//
// The framework follows those keys only through the key events its own windows receive. A key
// released while the window manager holds the keyboard stays held in that record: after Alt+F4
// closed a dialog, its Alt never came up, so every later shortcut arrived with Alt added (Ctrl+I as
// Ctrl+Alt+I) and matched nothing until the user tapped Alt or clicked. In a window it is kept true
// in, each time a key goes down, before the framework turns that key into a key press, a modifier
// the framework holds as down is let go when the X server has it up and no release of it is on its
// way to the program. Message thread only.
class HeldModifierKeys : private juce::KeyListener
{
public:
    // Listens to the window's keys for as long as the program runs; add it after the window's other
    // key listeners, so that it hears each key first.
    static void keepTrueIn(juce::Component& window);

    // Lets go of the modifier keys the framework holds as down that came up where the program could
    // not see it. Does nothing without an X display.
    static void forgetKeysReleasedElsewhere();

private:
    HeldModifierKeys() = default;

    bool keyPressed(const juce::KeyPress&, juce::Component*) override { return false; }
    bool keyStateChanged(bool isKeyDown, juce::Component*) override;

    JUCE_DECLARE_NON_COPYABLE(HeldModifierKeys)
};
} // namespace ui
