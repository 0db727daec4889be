#pragma once

#include "core/Singleton.h"
#include "data/SwapInDoubt.h"
#include "data/UserData.h"

#include <juce_events/juce_events.h>

#include <optional>

namespace w40388_data
{
// Owner of the live document. The slot lists show it, the undoable actions change it, the write
// job sends it and updates slotIndex and state of its records; anything else only reads it.
class DataCenter : public Singleton<DataCenter>, public juce::DeletedAtShutdown
{
public:
    DataCenter();
    ~DataCenter() override;

    UserData userData;
    // Set and cleared by the write job under the same guard as the records it updates; cleared by
    // the receive command when it installs what the instrument holds.
    std::optional<SwapInDoubt> swapInDoubt;

    JUCE_DECLARE_NON_COPYABLE(DataCenter)
};
} // namespace w40388_data
