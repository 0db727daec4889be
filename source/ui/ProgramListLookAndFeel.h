#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace w40388_ui
{
// The look of the slot lists' scroll bars and column header: dark rounded slots with a
// near-black thumb and a flat header without separators. Each slot-list pane owns one.
// Message thread only.
class ProgramListLookAndFeel : public juce::LookAndFeel_V3
{
public:
    ProgramListLookAndFeel() = default;
    ~ProgramListLookAndFeel() override = default;

    void drawScrollbarButton(juce::Graphics&, juce::ScrollBar&, int width, int height, int buttonDirection,
                             bool isScrollbarVertical, bool isMouseOverButton, bool isButtonDown) override;
    void drawScrollbar(juce::Graphics&, juce::ScrollBar&, int x, int y, int width, int height, bool isScrollbarVertical,
                       int thumbStartPosition, int thumbSize, bool isMouseOver, bool isMouseDown) override;
    void drawTableHeaderBackground(juce::Graphics&, juce::TableHeaderComponent&) override;

    // Where the scroll bar's slot and thumb go; the thumb is empty when thumbSize is 0.
    struct ScrollbarShape
    {
        int slotIndent = 0;
        int thumbIndent = 0;
        juce::Rectangle<float> slot;
        float slotCorner = 0.0f;
        juce::Rectangle<float> thumb;
        float thumbCorner = 0.0f;
    };
    static ScrollbarShape scrollbarShape(int x, int y, int width, int height, bool isScrollbarVertical,
                                         int thumbStartPosition, int thumbSize);

    // The arrow of a scroll-bar button (0 up, 1 right, 2 down, 3 left; empty otherwise).
    static juce::Path scrollbarArrow(int width, int height, int buttonDirection);

private:
    JUCE_DECLARE_NON_COPYABLE(ProgramListLookAndFeel)
};
} // namespace w40388_ui
