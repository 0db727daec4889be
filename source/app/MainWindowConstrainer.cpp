#include "app/MainWindowConstrainer.h"

#include "app/MainWindowGeometry.h"

using w40388_ui::MainWindowSize;

MainWindowConstrainer::MainWindowConstrainer()
{
    setFrame({});
}

void MainWindowConstrainer::setFrame(const juce::BorderSize<int>& newFrame)
{
    frame = newFrame;
    const int width = MainWindowSize::width + frame.getLeftAndRight();
    setSizeLimits(width, MainWindowSize::minHeight + frame.getTopAndBottom(), width,
                  MainWindowSize::maxHeight + frame.getTopAndBottom());
}

void MainWindowConstrainer::checkBounds(juce::Rectangle<int>& bounds, const juce::Rectangle<int>&,
                                        const juce::Rectangle<int>&, bool isStretchingTop, bool, bool, bool)
{
    const int height = w40388_ui::limitMainWindowHeight(bounds.getHeight());
    // Stretched at the top, the bottom edge stays where it is.
    const int y = isStretchingTop ? bounds.getBottom() - height : bounds.getY();
    bounds = {bounds.getX(), y, MainWindowSize::width, height};
}
