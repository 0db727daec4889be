#include "ui/DraggableTableListBox.h"

namespace ui
{
DraggableTableListBox::DraggableTableListBox(juce::TableListBoxModel* model, DraggableTableListBoxListener* owner)
    : juce::TableListBox({}, model), listener(owner)
{
    startTimer(scrollTimerIntervalMs);
}

DraggableTableListBox::~DraggableTableListBox()
{
    stopTimer();
}

ListDragGeometry DraggableTableListBox::getDragGeometry()
{
    ListDragGeometry geometry;
    geometry.rowHeight = getRowHeight();
    geometry.rowCount = getNumRows();
    geometry.headerHeight = getHeaderHeight();
    geometry.width = getWidth();
    geometry.height = getHeight();
    geometry.scrollPosition = getViewport()->getViewPositionY();
    return geometry;
}

bool DraggableTableListBox::isInterestedInDragSource(const SourceDetails& details)
{
    return listener != nullptr && listener->isInterestedInDragSource(details.description, details.sourceComponent.get(),
                                                                     details.localPosition);
}

void DraggableTableListBox::itemDragEnter(const SourceDetails& details)
{
    dragging = true;
    itemDragMove(details);
}

void DraggableTableListBox::itemDragMove(const SourceDetails& details)
{
    const auto geometry = getDragGeometry();
    scrollSpeed = dragScrollSpeed(geometry, details.localPosition.y);
    insertIndex = dragInsertIndex(geometry, details.localPosition);
    hoveredRow = rowUnderPosition(geometry, details.localPosition);
    repaint();
}

void DraggableTableListBox::itemDragExit(const SourceDetails&)
{
    endDrag();
}

void DraggableTableListBox::itemDropped(const SourceDetails& details)
{
    if (listener != nullptr)
        listener->itemDropped(details.description, details.sourceComponent.get(), details.localPosition);
    endDrag();
}

void DraggableTableListBox::endDrag()
{
    dragging = false;
    insertIndex = -1;
    hoveredRow = -1;
    scrollSpeed = 0.0;
    repaint();
}

void DraggableTableListBox::timerCallback()
{
    if (!dragging || scrollSpeed == 0.0)
        return;
    auto* viewport = getViewport();
    const int position =
        nextDragScrollPosition(viewport->getViewPositionY(), viewport->getViewedComponent()->getHeight(),
                               viewport->getViewHeight(), scrollSpeed);
    viewport->setViewPosition(viewport->getViewPositionX(), position);
}
} // namespace ui
