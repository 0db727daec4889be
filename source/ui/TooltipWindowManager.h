#pragma once

#include "core/Singleton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace w40388_ui
{
// Holder of the application's one tooltip window: the main window creates it when it opens and
// deletes it when it closes; whatever is left goes at shutdown. Message thread only.
class TooltipWindowManager : public Singleton<TooltipWindowManager>, public juce::DeletedAtShutdown
{
public:
    // Delay before a tip shows.
    static constexpr int tooltipDelayMs = 700;

    TooltipWindowManager() = default;
    ~TooltipWindowManager() override = default;

    // Creates the tooltip window (no parent, 700 ms delay) unless one exists.
    void createTooltipWindow();
    void deleteTooltipWindow() { tooltipWindow.reset(); }

    juce::TooltipWindow* getTooltipWindow() const noexcept { return tooltipWindow.get(); }

private:
    std::unique_ptr<juce::TooltipWindow> tooltipWindow;

    JUCE_DECLARE_NON_COPYABLE(TooltipWindowManager)
};
} // namespace w40388_ui
