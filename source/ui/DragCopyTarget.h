#pragma once

#include <map>
#include <vector>

namespace ui
{
// The outcome of copying dragged rows of a list onto a target row: the block of copies starts at
// the target row, or earlier when it would run past the last row, and keeps the order the rows
// were given in. Dragged rows outside the list are left out.
class DragCopyTarget
{
public:
    DragCopyTarget(int rowCount, const std::vector<int>& draggedRows, int targetRow);
    virtual ~DragCopyTarget() = default;

    // The destination rows, ascending.
    std::vector<int> destinationRows() const;

    int rowCount = 0;
    // Destination row -> source row, ordered by destination; empty when the target is no row.
    std::map<int, int> destinationToSource;
};
} // namespace ui
