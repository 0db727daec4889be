#pragma once

#include "app/DebugWindow.h"
#include "core/Singleton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace w40388_debug
{
// Keeps at most one debug window open. Opening while one is open does nothing; closing
// posts the window's deletion to the message loop; shutdown deletes a window still open.
// Message thread only.
class DebugWindowManager : public Singleton<DebugWindowManager>,
                           public juce::DeletedAtShutdown,
                           public juce::AsyncUpdater
{
public:
    DebugWindowManager() = default;
    ~DebugWindowManager() override;

    // Opens the debug window unless one is open already (it is not brought to the front).
    void openDebugWindow();

    // The open debug window, or null.
    DebugWindow* getDebugWindow() const noexcept { return debugWindow.get(); }

    // Called by the window's close button: the window goes on the next message-loop pass.
    void closeDebugWindowLater() { triggerAsyncUpdate(); }

    void handleAsyncUpdate() override;

private:
    std::unique_ptr<DebugWindow> debugWindow;

    JUCE_DECLARE_NON_COPYABLE(DebugWindowManager)
};
} // namespace w40388_debug
