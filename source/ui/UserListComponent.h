#pragma once

#include "data/DataChangeBroadcaster.h"
#include "ui/DraggableTableListBox.h"
#include "ui/UserListControllerInterface.h"
#include "ui/UserListViewInterface.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

// The list widget of every slot pane: a table of the slots of one module type that reports its
// selection, reorders slots when rows are dragged inside it and copies them when the drag ends
// with the Alt key held, and refreshes itself after every change of the slot data. Rows, columns
// and painting come from the view, the edits go to the controller; both belong to the pane.
// Message thread only.
class UserListComponent : public juce::Component,
                          public juce::TableListBoxModel,
                          public data::DataChangeObserver,
                          public ui::DraggableTableListBoxListener,
                          public juce::DragAndDropContainer,
                          public ui::UserListViewListener
{
public:
    // Height of the band below the table that shows the list's own background.
    static constexpr int bandBelowTable = 90;
    static constexpr const char* defaultDragIdentifier = "UserListDrag";

    UserListComponent(ui::UserListViewInterface* view, ui::UserListControllerInterface* controller);
    ~UserListComponent() override;

    ui::DraggableTableListBox& getTable() noexcept { return *table; }

    void setRowHeight(int pixels);

    void setInsertMarkerColour(juce::Colour colour) { insertMarkerColour = colour; }
    void setCopyTargetColour(juce::Colour colour) { copyTargetColour = colour; }
    void setDragIdentifier(const juce::String& identifier) { dragIdentifier = identifier; }
    const juce::String& getDragIdentifier() const noexcept { return dragIdentifier; }

    // A drag description of this list's rows, and the test every drop must pass.
    juce::var makeDragDescription(const std::vector<int>& rows) const;
    bool isUserListDragDescription(const juce::var& description) const;

    void paint(juce::Graphics&) override;
    void resized() override;

    // juce::TableListBoxModel
    int getNumRows() override;
    void paintRowBackground(juce::Graphics&, int row, int width, int height, bool rowIsSelected) override;
    void paintCell(juce::Graphics&, int row, int columnId, int width, int height, bool rowIsSelected) override;
    void selectedRowsChanged(int lastRowSelected) override;
    juce::var getDragSourceDescription(const juce::SparseSet<int>& rowsToDescribe) override;
    juce::Component* refreshComponentForCell(int row, int columnId, bool isRowSelected,
                                             juce::Component* existingComponentToUpdate) override;

    // data::DataChangeObserver
    void dataChanged() override;

    // ui::DraggableTableListBoxListener
    bool isInterestedInDragSource(const juce::var& description, juce::Component* sourceComponent,
                                  juce::Point<int> position) override;
    void itemDropped(const juce::var& description, juce::Component* sourceComponent,
                     juce::Point<int> position) override;

private:
    // The drag marks of a row while a drag is over the table.
    void paintDragMarks(juce::Graphics&, int row, int width, int height);
    void selectRows(const std::vector<int>& rows);
    std::vector<int> selectedRows() const;

    ui::UserListViewInterface* view;
    ui::UserListControllerInterface* controller;
    juce::Colour insertMarkerColour{0xFFD3D3D3};
    juce::Colour copyTargetColour{0xFFD3D3D3};
    juce::String dragIdentifier{defaultDragIdentifier};
    std::unique_ptr<ui::DraggableTableListBox> table;

    JUCE_DECLARE_NON_COPYABLE(UserListComponent)
};
