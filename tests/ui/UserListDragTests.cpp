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
    struct Case
    {
        int rowCount;
        Rows dragged;
        int gap;
        Rows order;
        Rows positions;
    };
    const Case cases[] = {
        {6, {1, 2}, 4, {0, 3, 1, 2, 4, 5}, {2, 3}},
        {6, {3, 4}, 1, {0, 3, 4, 1, 2, 5}, {1, 2}},
        // The gaps before, inside and after the dragged block leave every row where it was.
        {6, {1, 2}, 1, {0, 1, 2, 3, 4, 5}, {1, 2}},
        {6, {1, 2}, 3, {0, 1, 2, 3, 4, 5}, {1, 2}},
        // Below the last row: appended at the end; a gap past the end counts as that.
        {6, {0, 2}, 6, {1, 3, 4, 5, 0, 2}, {4, 5}},
        {6, {0}, 99, {1, 2, 3, 4, 5, 0}, {5}},
        // Rows keep the order they were dragged in; rows outside the list and repeats are ignored.
        {6, {4, 1}, 0, {4, 1, 0, 2, 3, 5}, {0, 1}},
        {4, {-1, 2, 7, 2}, 0, {2, 0, 1, 3}, {0}},
    };
    for (const auto& c : cases)
    {
        const ui::DragInsertOrder move(c.rowCount, c.dragged, c.gap);
        EXPECT_EQ(move.newOrder, c.order) << "gap " << c.gap;
        EXPECT_EQ(move.newPositions, c.positions) << "gap " << c.gap;
        EXPECT_EQ(move.isIdentity(), c.order == Rows({0, 1, 2, 3, 4, 5}));
    }
}

TEST(DragCopyTarget, StartsAtTheTargetRowOrEarlierSoTheBlockFits)
{
    using Map = std::map<int, int>;
    const std::tuple<int, Rows, int, Map> cases[] = {
        {16, {0, 1, 2}, 14, {{13, 0}, {14, 1}, {15, 2}}},
        {16, {0, 1, 2}, 3, {{3, 0}, {4, 1}, {5, 2}}},
        {16, {5}, 5, {{5, 5}}},
        {8, {6, 2}, 0, {{0, 6}, {1, 2}}},
        // No row under the pointer, or no row in the list: nothing.
        {16, {1}, -1, {}},
        {8, {1}, 8, {}},
        {8, {9, -2}, 3, {}},
    };
    for (const auto& [rowCount, dragged, target, expected] : cases)
        EXPECT_EQ(ui::DragCopyTarget(rowCount, dragged, target).destinationToSource, expected) << "target " << target;
}

// Rows 25 high under a 28-pixel header, in a table 720 x 440 (16 rows, 400 pixels of content).
ui::ListDragGeometry tableGeometry(int scrollPosition = 0, int rowCount = 16)
{
    ui::ListDragGeometry geometry;
    geometry.rowHeight = 25;
    geometry.rowCount = rowCount;
    geometry.headerHeight = 28;
    geometry.width = 720;
    geometry.height = 440;
    geometry.scrollPosition = scrollPosition;
    return geometry;
}

TEST(ListDragGeometry, FindsTheGapAndTheRowUnderThePointer)
{
    // Point, scroll position, row count, then the gap and the row.
    const std::tuple<juce::Point<int>, int, int, int, int> cases[] = {
        {{10, 28}, 0, 16, 0, 0},    // top of the first row
        {{10, 40}, 0, 16, 0, 0},    // upper half of row 0
        {{10, 41}, 0, 16, 1, 0},    // lower half of row 0: the gap below it
        {{10, 128}, 0, 16, 4, 4},   // top edge of row 4
        {{10, 128}, 50, 16, 6, 6},  // scrolled by two rows
        {{10, 10}, 0, 16, 0, -1},   // over the header: no row (not row 0)
        {{10, 27}, 0, 16, 0, -1},   // the header's lowest pixel
        {{10, 300}, 0, 8, 8, -1},   // below the last of 8 rows: append, no row
        {{10, 427}, 0, 16, 16, 15}, // lowest pixel of the last row
        {{10, 439}, 0, 16, 16, -1}, // empty part of the table below the last row
        {{10, 440}, 0, 16, 16, -1}, // below the table
        {{-1, 128}, 0, 16, -1, -1}, // beside the table
        {{720, 128}, 0, 16, -1, -1},
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
    // Half a row is 12 pixels: bands are y < 40 at the top and y > 428 at the bottom.
    const std::pair<int, double> speeds[] = {
        {0, -144.0 / 3600}, {27, -144.0 / 3600}, {28, -144.0 / 3600}, {30, -100.0 / 3600}, {39, -1.0 / 3600},
        {40, 0.0},          {428, 0.0},          {429, 4.0 / 3600},   {439, 144.0 / 3600},
    };
    for (const auto& [y, speed] : speeds)
        EXPECT_DOUBLE_EQ(ui::dragScrollSpeed(tableGeometry(), y), speed) << "y " << y;

    // Scroll position, content and viewport heights, speed -> the next position.
    const std::tuple<int, int, int, double, int> ticks[] = {
        {0, 600, 400, 0.04, 8},     {100, 600, 400, 0.04, 108},
        {100, 600, 400, -0.04, 92}, {1, 600, 400, -0.004, 0}, // 0.2 rounds to 0
        {3, 600, 400, -0.01, 1},    {0, 600, 400, -0.04, 0},
        {199, 600, 400, 0.04, 200}, {0, 400, 412, 0.04, 0}, // nothing to scroll
    };
    for (const auto& [position, content, viewport, speed, next] : ticks)
        EXPECT_EQ(ui::nextDragScrollPosition(position, content, viewport, speed), next)
            << position << " at speed " << speed;
}

TEST(UserListDragItem, AcceptsOnlyItsOwnListsDescriptions)
{
    const auto description = ui::UserListDragItem("UserListDragItem", {1, 4}).toVar();
    EXPECT_EQ(ui::UserListDragItem::fromVar(description, "UserListDragItem")->rows, Rows({1, 4}));
    EXPECT_FALSE(ui::UserListDragItem::fromVar(description, "UserListDrag").has_value());

    const auto parse = [](const char* json)
    { return ui::UserListDragItem::fromVar(juce::JSON::parse(json), "UserListDragItem").has_value(); };
    EXPECT_TRUE(parse(R"(["UserListDragItem", [], "more"])"));
    for (const auto* refused :
         {R"("UserListDragItem")", R"(["UserListDragItem"])", R"(["UserListDragItem", 3])", R"([1, [1]])"})
        EXPECT_FALSE(parse(refused)) << refused;
}
} // namespace
