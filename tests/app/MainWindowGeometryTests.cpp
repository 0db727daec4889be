#include "app/MainWindowConstrainer.h"
#include "app/MainWindowGeometry.h"
#include "core/PreferencesData.h"
#include "support/MessageLoop.h"
#include "support/gui/ApplicationTest.h"

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
        {"TallerThanTheDisplayIsMadeToFitAtItsTop", {100, 500, 1400}, {mainDisplay}, {{100, 30, 720, 1050}, true}},
        {"NeverShorterThan280", {100, 500, 900}, {{0, 0, 800, 200}}, {{80, 0, 720, 280}, true}},
    };
    for (const auto& [name, stored, displays, expected] : cases)
        EXPECT_EQ(placeMainWindow(stored, displays), expected)
            << name << ": got " << placeMainWindow(stored, displays).bounds.toString();
}

// Positions and sizes are the client area's; the window manager's frame (1 left and right, 20
// above, 5 below) must fit on the display too.
TEST(MainWindowPlacement, KeepsTheFrameOnTheDisplay)
{
    const juce::BorderSize<int> frame(20, 1, 5, 1);
    const std::tuple<const char*, StoredWindowGeometry, MainWindowPlacement> cases[] = {
        {"FrameWhollyOnTheDisplayStays", {100, 100, 600}, {{100, 100, 720, 600}, true}},
        {"TitleBarUnderThePanelMovesDown", {300, 40, 600}, {{300, 50, 720, 600}, true}},
        {"FrameOffTheRightEdgeMovesLeft", {1200, 100, 600}, {{1199, 100, 720, 600}, true}},
        {"TallerThanTheDisplayWithItsFrameIsMadeToFit", {100, 500, 1400}, {{100, 50, 720, 1025}, true}},
        {"CentredWithItsFrame", {-1, -1, 600}, {{600, 263, 720, 600}, false}},
    };
    for (const auto& [name, stored, expected] : cases)
        EXPECT_EQ(placeMainWindow(stored, {mainDisplay}, frame), expected)
            << name << ": got " << placeMainWindow(stored, {mainDisplay}, frame).bounds.toString();
}

// The window manager is handed the limits less the frame, so they hold the frame; the window's
// own bounds, its client area, keep to 720 x 280..1400.
TEST(MainWindowConstrainer, HandsOnTheFrameAndHoldsTheClientAreaToItsLimits)
{
    MainWindowConstrainer constrainer;
    constrainer.setFrame(juce::BorderSize<int>(20, 1, 5, 1));
    EXPECT_EQ(juce::Rectangle<int>(constrainer.getMinimumWidth(), constrainer.getMinimumHeight(),
                                   constrainer.getMaximumWidth(), constrainer.getMaximumHeight()),
              juce::Rectangle<int>(722, 305, 722, 1425));

    const std::tuple<juce::Rectangle<int>, bool, juce::Rectangle<int>> cases[] = {
        {{10, 20, 500, 100}, false, {10, 20, 720, 280}},
        {{10, 20, 900, 2000}, false, {10, 20, 720, 1400}},
        {{10, 20, 720, 600}, false, {10, 20, 720, 600}},
        {{10, 20, 720, 100}, true, {10, -160, 720, 280}},
    };
    for (auto [bounds, stretchingTop, expected] : cases)
    {
        const auto asked = bounds;
        constrainer.checkBounds(bounds, {}, {}, stretchingTop, false, false, false);
        EXPECT_EQ(bounds, expected) << asked.toString();
    }
}

// The real window over its preferences file. Without a window manager (each test's own Xvfb) the
// window gets exactly the bounds it asks for, so each key must come back in its own place.
class MainWindowKeysTest : public test::ApplicationTest
{
protected:
    juce::File preferencesFile() const
    {
        return preferencesFolder.getChildFile(w40388_preferences::preferencesFileName);
    }

    // The four window keys in the file, in the order x, y, width, height (-1 when missing).
    std::vector<int> storedKeys() const
    {
        const auto xml = juce::parseXML(preferencesFile());
        std::vector<int> values;
        for (const auto* key : {"MainWindowPositionX", "MainWindowPositionY", "MainWindowWidth", "MainWindowHeight"})
        {
            const auto* child = xml != nullptr ? xml->getChildByName(key) : nullptr;
            values.push_back(child != nullptr ? child->getIntAttribute("Value", -1) : -1);
        }
        return values;
    }

    // True once the window and its native window both stand at the bounds, and the window holds
    // them as what it will store.
    bool windowIsAt(juce::Rectangle<int> bounds) const
    {
        return test::runMessageLoopUntil(
            [&]
            {
                return window->getBounds() == bounds && window->getPeer()->getBounds() == bounds &&
                       window->getStoredBounds() == bounds;
            });
    }
};

TEST_F(MainWindowKeysTest, EachStoredKeyReopensTheWindowInItsOwnPlace)
{
    // Position and height differ from each other, from the width and from the defaults; the stored
    // width is not the window's (it is always 720).
    ASSERT_TRUE(preferencesFile().replaceWithText(
        "<PreferencesData><MainWindowPositionX Value=\"130\"/><MainWindowPositionY Value=\"170\"/>"
        "<MainWindowWidth Value=\"640\"/><MainWindowHeight Value=\"455\"/></PreferencesData>"));
    startApplication(false, Ports::setByHand);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(windowIsAt({130, 170, 720, 455})) << window->getBounds().toString();

    // Made shorter, then moved: the move's place and the resize's height are stored.
    window->setSize(720, 377);
    window->setTopLeftPosition(310, 240);
    ASSERT_TRUE(windowIsAt({310, 240, 720, 377}));
    stopApplication();
    EXPECT_EQ(storedKeys(), (std::vector<int>{310, 240, 720, 377}));

    // Moved, then made taller: the same the other way round.
    startApplication(false, Ports::setByHand);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_TRUE(windowIsAt({310, 240, 720, 377})) << window->getBounds().toString();
    window->setTopLeftPosition(50, 60);
    window->setSize(720, 612);
    ASSERT_TRUE(windowIsAt({50, 60, 720, 612}));
    stopApplication();
    EXPECT_EQ(storedKeys(), (std::vector<int>{50, 60, 720, 612}));
}
