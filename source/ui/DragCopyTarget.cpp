#include "ui/DragCopyTarget.h"

#include <algorithm>

namespace ui
{
DragCopyTarget::DragCopyTarget(int numRows, const std::vector<int>& draggedRows, int targetRow)
    : rowCount(std::max(numRows, 0))
{
    if (targetRow < 0 || targetRow >= rowCount)
        return;

    std::vector<int> sources;
    for (const auto row : draggedRows)
        if (row >= 0 && row < rowCount)
            sources.push_back(row);

    const int count = std::min(static_cast<int>(sources.size()), rowCount);
    const int start = std::min(targetRow, rowCount - count);
    for (int i = 0; i < count; ++i)
        destinationToSource[start + i] = sources[static_cast<std::size_t>(i)];
}

std::vector<int> DragCopyTarget::destinationRows() const
{
    std::vector<int> rows;
    for (const auto& [destination, source] : destinationToSource)
        rows.push_back(destination);
    return rows;
}
} // namespace ui
