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
    // Room for the pointer's arrow on the left. The hovered row and the marks of the nearest gap
    // all lie less than a row and a marker's thickness above or below the pointer.
    constexpr int besidePointer = 16;
    const int clearance = geometry.rowHeight + insertMarkerThickness;
    const int below = pointer.y + clearance;
    const int above = pointer.y - clearance - height;
    const bool fitsBelow = below + height <= geometry.height;
    const bool fitsAbove = above >= geometry.headerHeight;
    return {pointer.x + besidePointer, fitsBelow || !fitsAbove ? below : above, width, height};
}
} // namespace ui
