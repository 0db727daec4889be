#include "ui/DragInsertOrder.h"

#include <algorithm>

namespace ui
{
DragInsertOrder::DragInsertOrder(int rowCount, const std::vector<int>& draggedRows, int insertIndex)
{
    rowCount = std::max(rowCount, 0);
    std::vector<bool> isDragged(static_cast<std::size_t>(rowCount), false);
    std::vector<int> moved;
    for (const auto row : draggedRows)
    {
        if (row < 0 || row >= rowCount || isDragged[static_cast<std::size_t>(row)])
            continue;
        isDragged[static_cast<std::size_t>(row)] = true;
        moved.push_back(row);
    }

    std::vector<int> remaining;
    for (int row = 0; row < rowCount; ++row)
        if (!isDragged[static_cast<std::size_t>(row)])
            remaining.push_back(row);

    // The gap counted among the rows that stay: one less for every dragged row above it.
    const auto draggedAbove = std::count_if(moved.begin(), moved.end(), [&](int row) { return row < insertIndex; });
    const auto gap = remaining.begin() + std::clamp(insertIndex, 0, rowCount) - draggedAbove;

    newOrder.assign(remaining.begin(), gap);
    for (const auto row : moved)
    {
        newPositions.push_back(static_cast<int>(newOrder.size()));
        newOrder.push_back(row);
    }
    newOrder.insert(newOrder.end(), gap, remaining.end());
}

bool DragInsertOrder::isIdentity() const
{
    for (std::size_t position = 0; position < newOrder.size(); ++position)
        if (newOrder[position] != static_cast<int>(position))
            return false;
    return true;
}
} // namespace ui
