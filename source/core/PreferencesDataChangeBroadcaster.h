#pragma once

#include "core/AsyncNotifier.h"
#include "core/Singleton.h"

#include <juce_events/juce_events.h>

namespace application
{
// Observer of preference changes (the slot panes re-read the row height).
class PreferencesDataChangeBroadcasterObserver
{
public:
    virtual void preferencesDataChanged() = 0;
    virtual ~PreferencesDataChangeBroadcasterObserver() = default;
};

// Tells its observers that preferences changed. Changing a preference notifies nobody by itself:
// the code that applied new settings calls sendPreferencesDataChanged() (or sends a change
// message to this object as a juce::ChangeListener). Main thread only.
class PreferencesDataChangeBroadcaster : public Singleton<PreferencesDataChangeBroadcaster>,
                                         public AsyncNotifier<PreferencesDataChangeBroadcasterObserver>,
                                         public juce::DeletedAtShutdown,
                                         public juce::ChangeListener
{
public:
    PreferencesDataChangeBroadcaster() = default;
    ~PreferencesDataChangeBroadcaster() override = default;

    // Asks for one coalesced preferencesDataChanged() call on every observer.
    void sendPreferencesDataChanged();

    void changeListenerCallback(juce::ChangeBroadcaster* source) override;

private:
    void notifyListener(PreferencesDataChangeBroadcasterObserver& observer) override;

    JUCE_DECLARE_NON_COPYABLE(PreferencesDataChangeBroadcaster)
};
} // namespace application
