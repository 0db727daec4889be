#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// Keeps the framework's window drawing buffers in use.
//
// On X11 the framework lets a window's drawing buffer go after three seconds without painting;
// the next paint makes a new one and sends the window's position to the server again. A window
// manager answers with a configure event, and on such an event of a window with a title bar the
// framework closes every open popup menu: a menu opened by the very click that caused the paint (a
// click on a menu title after a pause) closes at once. Attached to the main window, this marks
// every window's buffer as used about once a second, on the framework's own frame timer; nothing
// is painted for it. Message thread only.
class WindowBufferKeeper
{
public:
    explicit WindowBufferKeeper(juce::Component& window);

private:
    void keepBuffers();

    juce::VBlankAttachment frameTimer;
    juce::uint32 lastKeptMs = 0;

    JUCE_DECLARE_NON_COPYABLE(WindowBufferKeeper)
};
} // namespace ui
