#pragma once

#include <juce_graphics/juce_graphics.h>

namespace ui
{
// Height of the line that marks the gap moved rows would go into.
constexpr int insertMarkerThickness = 2;

// Where a pointer is in a scrolling table of equal rows under a column header, in the table's own
// coordinates. The slot list's drag tracking, its automatic scrolling and the panes' file drops
// use these; they need no component.
struct ListDragGeometry
{
    int rowHeight = 1;
    int rowCount = 0;
    int headerHeight = 0; // the rows area starts below the header
    int width = 0;        // the table's size
    int height = 0;
    int scrollPosition = 0; // vertical scroll position of the rows area
};

// The gap (0 to the row count) nearest to the position, where dragged rows would be inserted;
// -1 when the position is left or right of the table.
int dragInsertIndex(const ListDragGeometry& geometry, juce::Point<int> position);

// The row under the position; -1 when the position lies outside the rows area of the table (the
// header included) or below the last row.
int rowUnderPosition(const ListDragGeometry& geometry, juce::Point<int> position);

// Automatic scrolling per timer tick while a drag is at height y, as a fraction of the scrollable
// range: negative (up) over the header and in the upper half of the first visible row, positive
// (down) in the lowest half row, growing with the square of the depth; 0 elsewhere.
double dragScrollSpeed(const ListDragGeometry& geometry, int y);

// The vertical scroll position after one tick at the given speed, for a rows area of
// viewportHeight showing content of contentHeight.
int nextDragScrollPosition(int scrollPosition, int contentHeight, int viewportHeight, double speed);

// Where a picture of the dragged rows of the given size goes: wholly inside the rows area of the
// table (never over the header), clear of the pointer, of the row under it and of the mark of the
// gap nearest to it. It stands right of the pointer, or further left where the table ends; below
// the marks, or above them when only there it fits. A picture that fits on neither side is cut to
// the larger side, keeping its first rows; empty when there is no room at all.
juce::Rectangle<int> dragPictureBounds(const ListDragGeometry& geometry, juce::Point<int> pointer, int width,
                                       int height);
} // namespace ui
