#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// A slider used only to show progress: it ignores every mouse and wheel event, so the
// user cannot move it. Its owner sets name, range, style and value.
class ProgressBarComponent : public juce::Slider
{
public:
    ProgressBarComponent() = default;
    ~ProgressBarComponent() override = default;

    void mouseDown(const juce::MouseEvent&) override {}
    void mouseDrag(const juce::MouseEvent&) override {}
    void mouseUp(const juce::MouseEvent&) override {}
    void mouseDoubleClick(const juce::MouseEvent&) override {}
    void mouseWheelMove(const juce::MouseEvent&, const juce::MouseWheelDetails&) override {}

private:
    JUCE_DECLARE_NON_COPYABLE(ProgressBarComponent)
};
} // namespace ui
