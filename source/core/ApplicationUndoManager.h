#pragma once

#include "core/Singleton.h"

#include <juce_data_structures/juce_data_structures.h>
#include <juce_events/juce_events.h>

namespace application
{
// The one undo manager of the application. The import flow, clear, drag and receive open named
// transactions and perform the slot actions through it; undo and redo call it. Its change
// listeners (the data-change broadcaster, the menu manager) leave it in their destructors, so it
// is created before them and therefore deleted after them at shutdown. Main thread only.
class ApplicationUndoManager : public juce::UndoManager,
                               public Singleton<ApplicationUndoManager>,
                               public juce::DeletedAtShutdown
{
public:
    // The limits the start-up code sets in place of the framework's defaults.
    static constexpr int applicationMaxUnits = 2000000;
    static constexpr int applicationMinTransactions = 20;

    // Starts with the framework's limits (30000 units, at least 30 transactions).
    ApplicationUndoManager() = default;
    ~ApplicationUndoManager() override = default;

    JUCE_DECLARE_NON_COPYABLE(ApplicationUndoManager)
};
} // namespace application
