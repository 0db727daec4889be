#pragma once

#include "core/ListenerHolder.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// Observer of a slot list view. The views of this program create no cell components, so none of
// the hooks is ever called; the list registers all the same.
class UserListViewListener
{
public:
    virtual ~UserListViewListener() = default;

    virtual void userListItemMouseDown(int /*row*/, const juce::MouseEvent&) {}
    virtual void userListItemMouseUp(int /*row*/, const juce::MouseEvent&) {}
    virtual void userListItemMouseDrag(int /*row*/, const juce::MouseEvent&) {}
};

// What a slot list widget (UserListComponent) asks of its pane's list view: rows, columns and
// the painting of rows and cells. Column ids start at 1. Message thread only.
class UserListViewInterface : public ListenerHolder<UserListViewListener>
{
public:
    ~UserListViewInterface() override = default;

    virtual int getNumRows() const = 0;
    virtual int getNumColumns() const = 0;
    virtual juce::String getColumnName(int columnId) const = 0;
    virtual int getColumnWidth(int columnId) const = 0;
    virtual int getColumnMinimumWidth(int columnId) const = 0;
    // juce::TableHeaderComponent::ColumnPropertyFlags
    virtual int getColumnFlags(int columnId) const = 0;

    virtual void paintRowBackground(juce::Graphics&, int row, int width, int height, bool rowIsSelected) = 0;
    virtual void paintCell(juce::Graphics&, int row, int columnId, int width, int height, bool rowIsSelected) = 0;

    // A component for a cell, as juce::TableListBoxModel::refreshComponentForCell; none by default.
    virtual juce::Component* refreshComponentForCell(int /*row*/, int /*columnId*/, bool /*isRowSelected*/,
                                                     juce::Component* existingComponentToUpdate)
    {
        delete existingComponentToUpdate;
        return nullptr;
    }
};
} // namespace ui
