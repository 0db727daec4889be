#pragma once

#include "core/AsyncNotifier.h"
#include "core/Singleton.h"

#include <juce_events/juce_events.h>

namespace ui
{
// Observer of the selected tab; told asynchronously, on the message thread.
class SelectedTabStatusObserver
{
public:
    virtual ~SelectedTabStatusObserver() = default;
    virtual void selectedTabStatusChanged() = 0;
};

// Which slot-list tab of the main window is showing (0 oscillators, 1 modulation, 2 delay,
// 3 reverb effects), written by the tabbed component on every tab change and read by the
// commands and the import flow when they run. Message thread only.
class SelectedTabStatus : public AsyncNotifier<SelectedTabStatusObserver>,
                          public Singleton<SelectedTabStatus>,
                          public juce::DeletedAtShutdown
{
public:
    SelectedTabStatus() = default;
    ~SelectedTabStatus() override = default;

    int getCurrentTabIndex() const noexcept { return currentTabIndex; }
    const juce::String& getCurrentTabName() const noexcept { return currentTabName; }

    // Stores the tab and asks for one coalesced notification.
    void setCurrentTab(int index, const juce::String& name);

private:
    void notifyListener(SelectedTabStatusObserver& observer) override { observer.selectedTabStatusChanged(); }

    int currentTabIndex = 0;
    juce::String currentTabName;

    JUCE_DECLARE_NON_COPYABLE(SelectedTabStatus)
};
} // namespace ui
