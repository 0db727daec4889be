#include "ui/ListDragGeometry.h"

#include <algorithm>
#include <cmath>

namespace ui
{
namespace
{
// Scroll speed of a pointer the given number of pixels into an edge band.
constexpr double edgeSpeed(int depth)
{
    return static_cast<double>(depth) * depth / 3600.0;
}

bool isBesideTable(const ListDragGeometry& geometry, juce::Point<int> position)
{
    return position.x < 0 || position.x >= geometry.width;
}

// The line painted for the gap nearest to the position: on the top edge of the gap's row, or on the
// bottom edge of the last row for the gap below it; empty when there is none.
juce::Rectangle<int> insertMarkerArea(const ListDragGeometry& geometry, juce::Point<int> position)
{
    const int gap = dragInsertIndex(geometry, position);
    if (gap < 0 || geometry.rowCount <= 0)
        return {};
    const int rowHeight = std::max(geometry.rowHeight, 1);
    const int row = std::min(gap, geometry.rowCount - 1);
    const int rowTop = geometry.headerHeight - geometry.scrollPosition + row * rowHeight;
    const int y = gap < geometry.rowCount ? rowTop : rowTop + rowHeight - insertMarkerThickness;
    return {0, y, geometry.width, insertMarkerThickness};
}
} // namespace

int dragInsertIndex(const ListDragGeometry& geometry, juce::Point<int> position)
{
    if (isBesideTable(geometry, position))
        return -1;
    const int rowHeight = std::max(geometry.rowHeight, 1);
    const int offset = position.y + geometry.scrollPosition - geometry.headerHeight + rowHeight / 2;
    return std::clamp(offset / rowHeight, 0, geometry.rowCount);
}

int rowUnderPosition(const ListDragGeometry& geometry, juce::Point<int> position)
{
    // A point over the header is no row, though the truncating division would give row 0 for the
    // header's lowest pixels.
    if (isBesideTable(geometry, position) || position.y < geometry.headerHeight || position.y >= geometry.height)
        return -1;
    const int row = (position.y + geometry.scrollPosition - geometry.headerHeight) / std::max(geometry.rowHeight, 1);
    return row < geometry.rowCount ? row : -1;
}

double dragScrollSpeed(const ListDragGeometry& geometry, int y)
{
    const int halfRow = geometry.rowHeight / 2;
    if (y < geometry.headerHeight)
        return -edgeSpeed(halfRow);
    if (y < geometry.headerHeight + halfRow)
        return -edgeSpeed(geometry.headerHeight + halfRow - y);
    if (y > geometry.height - halfRow)
        return edgeSpeed(y - (geometry.height - halfRow) + 1);
    return 0.0;
}

int nextDragScrollPosition(int scrollPosition, int contentHeight, int viewportHeight, double speed)
{
    const int range = contentHeight - viewportHeight;
    if (range <= 0)
        return 0;
    const double proportion = static_cast<double>(scrollPosition) / range;
    const auto position = static_cast<int>(std::lround((proportion + speed) * range));
    return position < 1 ? 0 : std::min(position, range);
}

juce::Rectangle<int> dragPictureBounds(const ListDragGeometry& geometry, juce::Point<int> pointer, int width,
                                       int height)
{
    // Room for the pointer's arrow on the left.
    constexpr int besidePointer = 16;
    const int shownWidth = std::min(width, geometry.width);
    if (shownWidth <= 0 || height <= 0)
        return {};

    // The band the picture keeps out of. The row under the pointer and the mark of the gap nearest
    // to it lie less than a row and a marker's thickness above or below the pointer; over the
    // header that holds for the header's lower edge, where the first rows start.
    const int pointerY = std::max(pointer.y, geometry.headerHeight);
    const int clearance = std::max(geometry.rowHeight, 1) + insertMarkerThickness;
    int bandTop = pointerY - clearance;
    int bandBottom = pointerY + clearance;
    // Below the last row the mark stays on the last row's bottom edge, however far down the pointer is.
    if (const auto mark = insertMarkerArea(geometry, pointer); !mark.isEmpty())
    {
        bandTop = std::min(bandTop, mark.getY() - insertMarkerThickness);
        bandBottom = std::max(bandBottom, mark.getBottom() + insertMarkerThickness);
    }

    const int roomBelow = geometry.height - bandBottom;
    const int roomAbove = bandTop - geometry.headerHeight;
    const bool below = height <= roomBelow || roomBelow >= roomAbove;
    const int shownHeight = std::min(height, below ? roomBelow : roomAbove);
    if (shownHeight <= 0)
        return {};
    const int x = std::clamp(pointer.x + besidePointer, 0, geometry.width - shownWidth);
    return {x, below ? bandBottom : bandTop - shownHeight, shownWidth, shownHeight};
}
} // namespace ui
