#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// Makes sure window-system events already read from the X server get handled.
//
// The framework waits for the display connection to become readable and then handles every event
// Xlib holds. Some of its own calls made outside that handler read the connection too: destroying
// a window (a closed dialog, popup menu or drag image) waits for the server, and checking a
// finished paint reads what has arrived. Events read there, among them the exposures of the area a
// closed window uncovered, sit in Xlib's queue while the connection has nothing more to read, so
// nothing handles them until the next event arrives (the next mouse move). Attached to a window,
// this looks at Xlib's queue once a frame, on the framework's own frame timer, and has the
// framework handle what waits there. Message thread only.
class QueuedWindowEventDispatcher : private juce::AsyncUpdater
{
public:
    explicit QueuedWindowEventDispatcher(juce::Component& window);
    ~QueuedWindowEventDispatcher() override;

    // The number of events Xlib holds that nobody has handled yet (0 without an X display).
    static int getNumQueuedEvents();
    // Has the framework handle the events Xlib holds now.
    static void dispatchQueuedEvents();

private:
    void handleAsyncUpdate() override;

    juce::VBlankAttachment frameTimer;

    JUCE_DECLARE_NON_COPYABLE(QueuedWindowEventDispatcher)
};
} // namespace ui
