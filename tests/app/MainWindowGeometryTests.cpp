#include "app/MainWindowGeometry.h"

#include <gtest/gtest.h>

namespace
{
using w40388_ui::MainWindowPlacement;
using w40388_ui::placeMainWindow;
using w40388_ui::StoredWindowGeometry;

using Area = juce::Rectangle<int>;

// The main display 1920 x 1080 with a 30-pixel panel at the top; a second display to its right.
const Area mainDisplay(0, 30, 1920, 1050);
const Area rightDisplay(1920, 0, 1280, 1024);

TEST(MainWindowPlacement, PlacesTheWindowAsStoredWithinTheLimitsAndOnADisplay)
{
    struct PlacementCase
    {
        const char* name;
        StoredWindowGeometry stored;
        std::vector<Area> displays;
        MainWindowPlacement expected;
    };
    // Centred on the main display: x = 960 - 360 = 600, y = 555 - height / 2.
    const PlacementCase cases[] = {
        {"NothingStoredCentresAtTheGivenHeight", {-1, -1, 618}, {mainDisplay}, {{600, 246, 720, 618}, false}},
        {"HeightBelowTheMinimumBecomes280", {-1, -1, 100}, {mainDisplay}, {{600, 415, 720, 280}, false}},
        {"HeightAboveTheMaximumBecomes1400", {10, 20, 5000}, {}, {{10, 20, 720, 1400}, true}},
        {"HeightsAtTheLimitsStay", {0, 30, 280}, {mainDisplay}, {{0, 30, 720, 280}, true}},
        {"OnlyOneCoordinateStoredCentres", {40, -1, 500}, {mainDisplay}, {{600, 305, 720, 500}, false}},
        {"WhollyOnTheSecondDisplayStays", {2000, 100, 900}, {mainDisplay, rightDisplay}, {{2000, 100, 720, 900}, true}},
        {"OffEveryDisplayMovesOntoTheMainDisplay",
         {5000, 4000, 600},
         {mainDisplay, rightDisplay},
         {{1200, 480, 720, 600}, true}},
        {"AcrossTwoDisplaysMovesOntoTheOneItOverlapsMost",
         {1700, 100, 600},
         {mainDisplay, rightDisplay},
         {{1920, 100, 720, 600}, true}},
        {"UnderThePanelMovesDownOnly", {300, 0, 600}, {mainDisplay}, {{300, 30, 720, 600}, true}},
        {"TallerThanTheDisplayStartsAtItsTop", {100, 500, 1400}, {mainDisplay}, {{100, 30, 720, 1400}, true}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(placeMainWindow(c.stored, c.displays), c.expected)
            << c.name << ": got " << placeMainWindow(c.stored, c.displays).bounds.toString();
}
} // namespace
