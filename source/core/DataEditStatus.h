#pragma once

#include "core/AsyncNotifier.h"
#include "core/Singleton.h"

#include <juce_events/juce_events.h>

namespace application
{
// Observer of the edited flag; told asynchronously, on the message thread.
class DataEditStatusListener
{
public:
    virtual void dataEditStatusChanged(const bool& edited) = 0;
    virtual ~DataEditStatusListener() = default;
};

// The edited flag: true when the slot lists differ from what was last written to or received
// from the instrument. The slot actions set and clear it, the write and receive commands clear it.
// Main thread only.
class DataEditStatus : public Singleton<DataEditStatus>,
                       public AsyncNotifier<DataEditStatusListener>,
                       public juce::DeletedAtShutdown
{
public:
    DataEditStatus() = default;
    ~DataEditStatus() override = default;

    bool isEdited() const noexcept { return edited; }

    // Stores the flag and notifies the observers, only when the value changes.
    void setEdited(bool newEdited);

private:
    void notifyListener(DataEditStatusListener& listener) override;

    bool edited = false;

    JUCE_DECLARE_NON_COPYABLE(DataEditStatus)
};
} // namespace application
