#pragma once

#include <vector>

namespace ui
{
// The outcome of dropping dragged rows of a list into the gap before row insertIndex (0 to the row
// count): the remaining rows keep their order and the dragged rows, in the order given, come in
// where the gap was. Dragged rows outside the list and repeated rows are left out.
class DragInsertOrder
{
public:
    DragInsertOrder(int rowCount, const std::vector<int>& draggedRows, int insertIndex);
    virtual ~DragInsertOrder() = default;

    // True when no row changes its position.
    bool isIdentity() const;

    // Entry p is the old row whose content belongs at position p after the move.
    std::vector<int> newOrder;
    // Where the dragged rows are afterwards, ascending.
    std::vector<int> newPositions;
};
} // namespace ui
