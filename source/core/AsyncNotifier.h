#pragma once

#include "core/ListenerHolder.h"

#include <juce_events/juce_events.h>

// The coalesced, asynchronous notification every observable object of the application uses.
// A change stores its new value and calls notifyListenersLater(); the first call posts one message
// to the message loop and later calls before its delivery add nothing. At delivery every observer
// is handed to notifyListener() in registration order, on the message thread, so it sees the value
// current at that moment: any burst of changes gives exactly one call per observer, and a change
// undone before delivery still gives one call (with the unchanged value).
template <typename Listener> class AsyncNotifier : public ListenerHolder<Listener>, private juce::AsyncUpdater
{
public:
    // True while a notification has been asked for and not yet delivered.
    bool isNotificationPending() const noexcept { return isUpdatePending(); }

    // Delivers a pending notification at once (message thread only); does nothing otherwise.
    void deliverPendingNotification() { handleUpdateNowIfNeeded(); }

protected:
    // Any thread may ask; delivery always happens on the message thread.
    void notifyListenersLater() { triggerAsyncUpdate(); }

    // Calls the observer's notification method with the current value.
    virtual void notifyListener(Listener& listener) = 0;

private:
    void handleAsyncUpdate() final
    {
        this->callListeners([this](Listener& listener) { notifyListener(listener); });
    }
};
