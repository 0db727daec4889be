#pragma once

#include <map>
#include <vector>

namespace ui
{
// What a slot list widget (UserListComponent) tells its pane's list controller: the selection and
// the edits of a drop. The pane owns the controller; the widget only points at it.
// Message thread only.
class UserListControllerInterface
{
public:
    virtual ~UserListControllerInterface() = default;

    // The list's selected rows, ascending; empty when nothing is selected.
    virtual void setSelectedRows(const std::vector<int>& rows) = 0;

    // Called after every selection report.
    virtual void selectionReported() {}

    // Called after the list has refreshed itself for a data change.
    virtual void dataChangeShown() {}

    // A move drop: entry p of newOrder is the row whose content belongs at position p afterwards;
    // one entry per row.
    virtual void moveSlots(const std::vector<int>& newOrder) = 0;

    // A copy drop: destination row -> source row, in ascending order of destination.
    virtual void copySlots(const std::map<int, int>& destinationToSource) = 0;
};
} // namespace ui
