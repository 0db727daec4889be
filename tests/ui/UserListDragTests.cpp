#include "ui/DragCopyTarget.h"
#include "ui/DragInsertOrder.h"
#include "ui/ListDragGeometry.h"
#include "ui/UserListDragItem.h"

#include <gtest/gtest.h>

namespace
{
using Rows = std::vector<int>;

TEST(DragInsertOrder, PutsTheDraggedRowsIntoTheGap)
{
    // Rows in the list, rows dragged, gap, then the new order and where the dragged rows end up.
    const std::tuple<int, Rows, int, Rows, Rows> cases[] = {
        {6, {1, 2}, 4, {0, 3, 1, 2, 4, 5}, {2, 3}},
        // The gaps before and inside the dragged block leave every row where it was.
        {6, {1, 2}, 1, {0, 1, 2, 3, 4, 5}, {1, 2}},
        {6, {1, 2}, 3, {0, 1, 2, 3, 4, 5}, {1, 2}},
        // Below the last row: appended at the end.
        {6, {0, 2}, 6, {1, 3, 4, 5, 0, 2}, {4, 5}},
        // Rows keep the order they were dragged in; rows outside the list and repeats are ignored.
        {6, {4, 1}, 0, {4, 1, 0, 2, 3, 5}, {0, 1}},
        {4, {-1, 2, 7, 2}, 0, {2, 0, 1, 3}, {0}},
    };
    for (const auto& [rowCount, dragged, gap, order, positions] : cases)
    {
        const ui::DragInsertOrder move(rowCount, dragged, gap);
        EXPECT_EQ(move.newOrder, order) << "gap " << gap;
        EXPECT_EQ(move.newPositions, positions) << "gap " << gap;
        EXPECT_EQ(move.isIdentity(), order == Rows({0, 1, 2, 3, 4, 5}));
    }
}

TEST(DragCopyTarget, StartsAtTheTargetRowOrEarlierSoTheBlockFits)
{
    using Map = std::map<int, int>;
    const std::tuple<int, Rows, int, Map> cases[] = {
        {16, {0, 1, 2}, 14, {{13, 0}, {14, 1}, {15, 2}}},
        {16, {5}, 5, {{5, 5}}},
        {8, {6, 2}, 0, {{0, 6}, {1, 2}}},
        // No row under the pointer, or no dragged row in the list: nothing.
        {16, {1}, -1, {}},
        {8, {9, -2}, 3, {}},
    };
    for (const auto& [rowCount, dragged, target, expected] : cases)
        EXPECT_EQ(ui::DragCopyTarget(rowCount, dragged, target).destinationToSource, expected) << "target " << target;
}

// Rows 25 high under a 28-pixel header, in a table 720 x 440 (16 rows, 400 pixels of content).
ui::ListDragGeometry tableGeometry(int scrollPosition = 0, int rowCount = 16)
{
    return {25, rowCount, 28, 720, 440, scrollPosition};
}

TEST(ListDragGeometry, FindsTheGapAndTheRowUnderThePointer)
{
    // Point, scroll position, row count, then the gap and the row.
    const std::tuple<juce::Point<int>, int, int, int, int> cases[] = {
        {{10, 40}, 0, 16, 0, 0},     // upper half of row 0
        {{10, 41}, 0, 16, 1, 0},     // lower half of row 0: the gap below it
        {{10, 128}, 50, 16, 6, 6},   // top edge of row 4, scrolled by two rows
        {{10, 27}, 0, 16, 0, -1},    // the header's lowest pixel: no row (not row 0)
        {{10, 300}, 0, 8, 8, -1},    // below the last of 8 rows: append, no row
        {{10, 427}, 0, 16, 16, 15},  // lowest pixel of the last row
        {{720, 128}, 0, 16, -1, -1}, // beside the table
    };
    for (const auto& [point, scroll, rowCount, gap, row] : cases)
    {
        const auto geometry = tableGeometry(scroll, rowCount);
        EXPECT_EQ(ui::dragInsertIndex(geometry, point), gap) << point.toString() << " scroll " << scroll;
        EXPECT_EQ(ui::rowUnderPosition(geometry, point), row) << point.toString() << " scroll " << scroll;
    }
}

TEST(ListDragGeometry, ScrollsFasterTheDeeperThePointerIsInAnEdgeBand)
{
    // Half a row is 12 pixels: bands are y < 40 at the top (the header included) and y > 428 at the bottom.
    const std::pair<int, double> speeds[] = {{0, -144.0 / 3600}, {30, -100.0 / 3600}, {40, 0.0},
                                             {428, 0.0},         {429, 4.0 / 3600},   {439, 144.0 / 3600}};
    for (const auto& [y, speed] : speeds)
        EXPECT_DOUBLE_EQ(ui::dragScrollSpeed(tableGeometry(), y), speed) << "y " << y;

    // Scroll position, content and viewport heights, speed -> the next position.
    const std::tuple<int, int, int, double, int> ticks[] = {
        {100, 600, 400, -0.04, 92},
        {1, 600, 400, -0.004, 0}, // 0.2 rounds to 0
        {199, 600, 400, 0.04, 200},
        {0, 400, 412, 0.04, 0}, // nothing to scroll
    };
    for (const auto& [position, content, viewport, speed, next] : ticks)
        EXPECT_EQ(ui::nextDragScrollPosition(position, content, viewport, speed), next)
            << position << " at speed " << speed;
}

TEST(ListDragGeometry, PutsThePictureOfDraggedRowsWhollyInsideTheRowsBesideThePointerAndClearOfTheMarks)
{
    using Box = juce::Rectangle<int>;
    // Pointer, row count, table height, picture size, then where the picture goes.
    const std::tuple<const char*, juce::Point<int>, int, int, juce::Point<int>, Box> cases[] = {
        {"right of and below the pointer", {100, 90}, 16, 440, {388, 50}, {116, 117, 388, 50}},
        {"right part of a row", {600, 90}, 16, 440, {388, 50}, {332, 117, 388, 50}},
        {"right edge", {719, 90}, 16, 440, {388, 50}, {332, 117, 388, 50}},
        {"no room below", {100, 400}, 16, 440, {388, 50}, {116, 323, 388, 50}},
        // Over the header the gap above row 0 is marked: the picture stays below that mark.
        {"over the header", {100, 0}, 16, 440, {388, 50}, {116, 55, 388, 50}},
        // Below the last of 8 rows its bottom edge is marked (y 226): the picture goes above it.
        {"below the last row", {100, 420}, 8, 440, {388, 200}, {116, 28, 388, 196}},
        // Too high for either side: cut to the larger one, never over the header.
        {"many rows, more room below", {100, 228}, 16, 440, {388, 400}, {116, 255, 388, 185}},
        {"many rows, more room above", {100, 300}, 16, 440, {388, 400}, {116, 28, 388, 245}},
        {"just too high above", {100, 420}, 16, 440, {388, 370}, {116, 28, 388, 365}},
        {"no room at all", {100, 40}, 16, 60, {388, 50}, {}},
    };
    for (const auto& [what, pointer, rowCount, height, size, expected] : cases)
    {
        const ui::ListDragGeometry geometry{25, rowCount, 28, 720, height, 0};
        EXPECT_EQ(ui::dragPictureBounds(geometry, pointer, size.x, size.y), expected) << what;
    }
}

TEST(UserListDragItem, AcceptsOnlyItsOwnListsDescriptions)
{
    const auto description = ui::UserListDragItem("UserListDragItem", {1, 4}).toVar();
    EXPECT_EQ(ui::UserListDragItem::fromVar(description, "UserListDragItem")->rows, Rows({1, 4}));
    EXPECT_FALSE(ui::UserListDragItem::fromVar(description, "UserListDrag").has_value());
    for (const auto* refused : {R"("UserListDragItem")", R"(["UserListDragItem", 3])"})
        EXPECT_FALSE(ui::UserListDragItem::fromVar(juce::JSON::parse(refused), "UserListDragItem")) << refused;
}
} // namespace
