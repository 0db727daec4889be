#include "ui/UserListComponent.h"

#include "ui/DragCopyTarget.h"
#include "ui/DragInsertOrder.h"
#include "ui/UserListDragItem.h"

namespace
{
const juce::Colour listBackground{0xFF111111};
const juce::Colour headerText{0xFFFFFFFF};

bool isCopyDrag()
{
    return juce::ModifierKeys::currentModifiers.isAltDown();
}
} // namespace

UserListComponent::UserListComponent(ui::UserListViewInterface* listView,
                                     ui::UserListControllerInterface* listController)
    : view(listView), controller(listController)
{
    table = std::make_unique<ui::DraggableTableListBox>(this, this);
    addAndMakeVisible(*table);
    table->setName("userList");

    auto& header = table->getHeader();
    header.setColour(juce::TableHeaderComponent::textColourId, headerText);
    header.setColour(juce::TableHeaderComponent::highlightColourId, listBackground);
    header.setColour(juce::TableHeaderComponent::backgroundColourId, listBackground);
    for (int columnId = 1; columnId <= view->getNumColumns(); ++columnId)
        header.addColumn(view->getColumnName(columnId), columnId, view->getColumnWidth(columnId),
                         view->getColumnMinimumWidth(columnId), -1, view->getColumnFlags(columnId), -1);
    header.setPopupMenuActive(false);
    table->setMultipleSelectionEnabled(true);

    view->addListener(this);
    setSize(600, 400);
    table->selectRow(0);
    data::DataChangeBroadcaster::getInstance()->addListener(this);
}

UserListComponent::~UserListComponent()
{
    if (auto* broadcaster = data::DataChangeBroadcaster::getInstanceWithoutCreating())
        broadcaster->removeListener(this);
    view->removeListener(this);
    table.reset();
}

void UserListComponent::setRowHeight(int pixels)
{
    table->setRowHeight(pixels);
    table->sendLookAndFeelChange();
    table->updateContent();
    repaint();
}

juce::var UserListComponent::makeDragDescription(const std::vector<int>& rows) const
{
    return ui::UserListDragItem(dragIdentifier, rows).toVar();
}

bool UserListComponent::isUserListDragDescription(const juce::var& description) const
{
    return ui::UserListDragItem::fromVar(description, dragIdentifier).has_value();
}

void UserListComponent::paint(juce::Graphics& g)
{
    g.fillAll(listBackground);
}

void UserListComponent::resized()
{
    table->setBounds(0, 0, getWidth(), getHeight() - bandBelowTable);
}

int UserListComponent::getNumRows()
{
    return view->getNumRows();
}

void UserListComponent::paintRowBackground(juce::Graphics& g, int row, int width, int height, bool rowIsSelected)
{
    view->paintRowBackground(g, row, width, height, rowIsSelected);
    if (table != nullptr && table->isDragging())
        paintDragMarks(g, row, width, height);
}

void UserListComponent::paintDragMarks(juce::Graphics& g, int row, int width, int height)
{
    if (isCopyDrag())
    {
        if (row == table->getHoveredRow())
        {
            g.setColour(copyTargetColour);
            g.fillRect(0, 0, width, height);
        }
        return;
    }

    const int insertIndex = table->getInsertIndex();
    if (insertIndex < 0)
        return;
    const int rowCount = getNumRows();
    const bool belowLastRow = insertIndex >= rowCount;
    if (row != (belowLastRow ? rowCount - 1 : insertIndex))
        return;
    g.setColour(insertMarkerColour);
    g.fillRect(0, belowLastRow ? height - ui::insertMarkerThickness : 0, width, ui::insertMarkerThickness);
}

void UserListComponent::paintCell(juce::Graphics& g, int row, int columnId, int width, int height, bool rowIsSelected)
{
    g.setColour(juce::Colours::white);
    view->paintCell(g, row, columnId, width, height, rowIsSelected);
}

std::vector<int> UserListComponent::selectedRows() const
{
    std::vector<int> rows;
    const int rowCount = view->getNumRows();
    for (int row = 0; row < rowCount; ++row)
        if (table->isRowSelected(row))
            rows.push_back(row);
    return rows;
}

void UserListComponent::selectedRowsChanged(int)
{
    if (table == nullptr)
        return;
    controller->setSelectedRows(selectedRows());
    controller->selectionReported();
}

juce::var UserListComponent::getDragSourceDescription(const juce::SparseSet<int>& rowsToDescribe)
{
    std::vector<int> rows;
    for (int i = 0; i < rowsToDescribe.size(); ++i)
        rows.push_back(rowsToDescribe[i]);
    return makeDragDescription(rows);
}

juce::Component* UserListComponent::refreshComponentForCell(int row, int columnId, bool isRowSelected,
                                                            juce::Component* existingComponentToUpdate)
{
    return view->refreshComponentForCell(row, columnId, isRowSelected, existingComponentToUpdate);
}

void UserListComponent::dataChanged()
{
    table->updateContent();
    table->repaint();
    controller->dataChangeShown();
}

bool UserListComponent::isInterestedInDragSource(const juce::var& description, juce::Component* sourceComponent,
                                                 juce::Point<int>)
{
    // Every list carries the same drag identifier, so the source must be this list: rows dragged
    // from another module's list would otherwise be read as rows of this one.
    return isUserListDragDescription(description) && sourceComponent != nullptr &&
           (sourceComponent == this || isParentOf(sourceComponent));
}

void UserListComponent::itemDropped(const juce::var& description, juce::Component* sourceComponent,
                                    juce::Point<int> position)
{
    if (!isInterestedInDragSource(description, sourceComponent, position))
        return;
    const auto item = ui::UserListDragItem::fromVar(description, dragIdentifier);
    const int rowCount = getNumRows();

    if (isCopyDrag())
    {
        const ui::DragCopyTarget copy(rowCount, item->rows, table->getHoveredRow());
        if (copy.destinationToSource.empty())
            return;
        controller->copySlots(copy.destinationToSource);
        selectRows(copy.destinationRows());
        return;
    }

    const int insertIndex = table->getInsertIndex();
    if (insertIndex < 0)
        return;
    const ui::DragInsertOrder move(rowCount, item->rows, insertIndex);
    controller->moveSlots(move.newOrder);
    selectRows(move.newPositions);
}

void UserListComponent::selectRows(const std::vector<int>& rows)
{
    juce::SparseSet<int> selection;
    for (const auto row : rows)
        selection.addRange({row, row + 1});
    table->setSelectedRows(selection, juce::sendNotification);
}
