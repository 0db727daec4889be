#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

// Where the main window opens: the stored position and height from the preferences, corrected so
// that the window is always 720 wide, 280 to 1400 high, and reachable on a display.
namespace w40388_ui
{
struct MainWindowSize
{
    static constexpr int width = 720;
    static constexpr int minHeight = 280;
    static constexpr int maxHeight = 1400;
};

// What the preferences hold: the position (-1 when missing) and the height (its default is the
// window's height after taking its content).
struct StoredWindowGeometry
{
    int x = -1;
    int y = -1;
    int height = 0;
};

// The window's bounds; atStoredPosition is false when the window is centred, true when it was
// placed from the stored position (moved onto a display when it had to be).
struct MainWindowPlacement
{
    juce::Rectangle<int> bounds;
    bool atStoredPosition = false;

    bool operator==(const MainWindowPlacement& other) const
    {
        return bounds == other.bounds && atStoredPosition == other.atStoredPosition;
    }
};

// The height limited to 280..1400.
int limitMainWindowHeight(int height) noexcept;

// Places the 720-wide window at the limited height. A negative x or y centres it on the main
// display (the first area). A stored position is kept when the window lies wholly on one display;
// otherwise the window keeps its size and moves onto the display it overlaps most (the main
// display when it overlaps none) just far enough to lie on it, or with its top-left corner at the
// display's when it is larger. Areas are the displays' usable areas, the main display first; with
// none the stored position is used as it is.
MainWindowPlacement placeMainWindow(const StoredWindowGeometry& stored,
                                    const std::vector<juce::Rectangle<int>>& displayAreas);
} // namespace w40388_ui
