#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace w40388_debug
{
// The plain, non-modal debug window of debug mode. Its close button hands the window back
// to DebugWindowManager, which deletes it on the next message-loop pass.
class DebugWindow : public juce::DocumentWindow
{
public:
    DebugWindow();
    ~DebugWindow() override = default;

    void closeButtonPressed() override;

private:
    JUCE_DECLARE_NON_COPYABLE(DebugWindow)
};
} // namespace w40388_debug
