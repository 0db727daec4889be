#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The main window's size limits: 720 wide, 280 to 1400 high, for the client area the user sees
// below the window manager's title bar.
//
// The framework on X11 hands the window manager these limits less the frame the window manager
// draws around the window, as if they held the frame. So the limits kept here are the client
// area's plus the frame (setFrame, once the window manager has told it), while checkBounds, which
// the framework applies to the window's own bounds (the client area), uses the client's limits.
// Message thread only.
class MainWindowConstrainer : public juce::ComponentBoundsConstrainer
{
public:
    MainWindowConstrainer();

    // Makes the limits handed to the window manager come out as the client's for this frame.
    void setFrame(const juce::BorderSize<int>& newFrame);
    const juce::BorderSize<int>& getFrame() const noexcept { return frame; }

    void checkBounds(juce::Rectangle<int>& bounds, const juce::Rectangle<int>& previousBounds,
                     const juce::Rectangle<int>& limits, bool isStretchingTop, bool isStretchingLeft,
                     bool isStretchingBottom, bool isStretchingRight) override;

private:
    juce::BorderSize<int> frame;
};
