#pragma once

#include "core/AsyncNotifier.h"
#include "core/Singleton.h"

#include <juce_events/juce_events.h>

namespace data
{
// Observer of changes to the slot lists (the lists and the header repaint).
class DataChangeObserver
{
public:
    virtual void dataChanged() = 0;
    virtual ~DataChangeObserver() = default;
};

// Turns every change message of the application's undo manager (an action performed, undone or
// redone, the history cleared) into one coalesced dataChanged() call on each observer. On first
// use it registers with the undo manager, creating that first; it leaves the manager's listener
// list in its destructor. Main thread only.
class DataChangeBroadcaster : public Singleton<DataChangeBroadcaster>,
                              public AsyncNotifier<DataChangeObserver>,
                              public juce::DeletedAtShutdown,
                              public juce::ChangeListener
{
public:
    DataChangeBroadcaster();
    ~DataChangeBroadcaster() override;

    void changeListenerCallback(juce::ChangeBroadcaster* source) override;

private:
    void notifyListener(DataChangeObserver& observer) override;

    JUCE_DECLARE_NON_COPYABLE(DataChangeBroadcaster)
};
} // namespace data
