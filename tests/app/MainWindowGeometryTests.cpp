#include "app/MainWindowGeometry.h"

#include <gtest/gtest.h>

using namespace w40388_ui;
using Area = juce::Rectangle<int>;

// The main display 1920 x 1080 with a 30-pixel panel at the top; a second display to its right.
const Area mainDisplay(0, 30, 1920, 1050);
const Area rightDisplay(1920, 0, 1280, 1024);
const std::vector<Area> bothDisplays{mainDisplay, rightDisplay};

TEST(MainWindowPlacement, PlacesTheWindowAsStoredWithinTheLimitsAndOnADisplay)
{
    // Name, stored geometry, displays, placement. Centred on the main display: x = 600, y = 555 - height / 2.
    const std::tuple<const char*, StoredWindowGeometry, std::vector<Area>, MainWindowPlacement> cases[] = {
        {"NothingStoredCentresAtTheGivenHeight", {-1, -1, 618}, {mainDisplay}, {{600, 246, 720, 618}, false}},
        {"HeightBelowTheMinimumBecomes280", {-1, -1, 100}, {mainDisplay}, {{600, 415, 720, 280}, false}},
        {"HeightAboveTheMaximumBecomes1400", {10, 20, 5000}, {}, {{10, 20, 720, 1400}, true}},
        {"HeightsAtTheLimitsStay", {0, 30, 280}, {mainDisplay}, {{0, 30, 720, 280}, true}},
        {"OnlyOneCoordinateStoredCentres", {40, -1, 500}, {mainDisplay}, {{600, 305, 720, 500}, false}},
        {"WhollyOnTheSecondDisplayStays", {2000, 100, 900}, bothDisplays, {{2000, 100, 720, 900}, true}},
        {"OffEveryDisplayMovesOntoTheMainDisplay", {5000, 4000, 600}, bothDisplays, {{1200, 480, 720, 600}, true}},
        {"AcrossTwoDisplaysGoesWhereMostOfItIs", {1700, 100, 600}, bothDisplays, {{1920, 100, 720, 600}, true}},
        {"UnderThePanelMovesDownOnly", {300, 0, 600}, {mainDisplay}, {{300, 30, 720, 600}, true}},
        {"TallerThanTheDisplayStartsAtItsTop", {100, 500, 1400}, {mainDisplay}, {{100, 30, 720, 1400}, true}},
    };
    for (const auto& [name, stored, displays, expected] : cases)
        EXPECT_EQ(placeMainWindow(stored, displays), expected)
            << name << ": got " << placeMainWindow(stored, displays).bounds.toString();
}
