#pragma once

#include <juce_graphics/juce_graphics.h>

#include <vector>

// Where the main window opens: the stored position and height from the preferences, corrected so
// that the window is always 720 wide, 280 to 1400 high, and reachable on a display. Positions and
// sizes are those of the window's client area (below the window manager's title bar); the frame,
// when the window manager has told it, is what it adds around that area.
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

// Places the 720-wide window at the limited height. A negative x or y centres it, frame included,
// on the main display (the first area). A stored position is kept when the window and its frame lie
// wholly on one display; otherwise the window moves onto the display it overlaps most (the main
// display when it overlaps none) just far enough to lie on it, or with its frame's top-left corner
// at the display's when it is wider. A window whose frame would be taller than its display is made
// just short enough to fit, but never shorter than 280. Areas are the displays' usable areas, the
// main display first; with none the stored position and height are used as they are.
MainWindowPlacement placeMainWindow(const StoredWindowGeometry& stored,
                                    const std::vector<juce::Rectangle<int>>& displayAreas,
                                    const juce::BorderSize<int>& frame = {});
} // namespace w40388_ui
