// The framework's X11 interface is declared only where a translation unit asks for it.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "ui/QueuedWindowEventDispatcher.h"

#include <juce_events/native/juce_linux_EventLoopInternal.h>

namespace ui
{
namespace
{
::Display* frameworkDisplay()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    return windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
}
} // namespace

QueuedWindowEventDispatcher::QueuedWindowEventDispatcher(juce::Component& window)
    : frameTimer(&window,
                 [this]
                 {
                     // Handled outside the frame timer's callback: an event may open a dialog,
                     // whose modal loop would otherwise run inside that timer.
                     if (getNumQueuedEvents() > 0)
                         triggerAsyncUpdate();
                 })
{
}

QueuedWindowEventDispatcher::~QueuedWindowEventDispatcher()
{
    cancelPendingUpdate();
}

int QueuedWindowEventDispatcher::getNumQueuedEvents()
{
    auto* display = frameworkDisplay();
    if (display == nullptr)
        return 0;
    juce::XWindowSystemUtilities::ScopedXLock lock;
    return juce::X11Symbols::getInstance()->xEventsQueued(display, QueuedAlready);
}

void QueuedWindowEventDispatcher::dispatchQueuedEvents()
{
    if (auto* display = frameworkDisplay())
        juce::LinuxEventLoopInternal::invokeEventLoopCallbackForFd(
            juce::X11Symbols::getInstance()->xConnectionNumber(display));
}

void QueuedWindowEventDispatcher::handleAsyncUpdate()
{
    dispatchQueuedEvents();
}
} // namespace ui
