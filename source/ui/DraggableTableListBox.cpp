#include "ui/DraggableTableListBox.h"

namespace ui
{
DraggableTableListBox::DraggableTableListBox(juce::TableListBoxModel* model, DraggableTableListBoxListener* owner)
    : juce::TableListBox({}, model), listener(owner)
{
    dragPicture.setInterceptsMouseClicks(false, false);
    dragPicture.setOpaque(true);
    addChildComponent(dragPicture);
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
    pointer = details.localPosition;
    scrollSpeed = dragScrollSpeed(getDragGeometry(), pointer.y);
    updatePlaceUnderPointer();
    placeDragPicture();
}

void DraggableTableListBox::placeDragPicture()
{
    const auto& picture = dragPicture.getImage();
    if (picture.isNull())
        return;
    dragPicture.setBounds(
        dragPictureBounds(getDragGeometry(), pointer, picture.getBounds().getWidth(), picture.getBounds().getHeight()));
    dragPicture.setVisible(true);
    dragPicture.toFront(false);
}

void DraggableTableListBox::updatePlaceUnderPointer()
{
    const auto geometry = getDragGeometry();
    insertIndex = dragInsertIndex(geometry, pointer);
    hoveredRow = rowUnderPosition(geometry, pointer);
    repaint();
}

void DraggableTableListBox::itemDragExit(const SourceDetails&)
{
    endDrag();
}

void DraggableTableListBox::itemDropped(const SourceDetails& details)
{
    // The drop lands where the pointer is over the rows as they stand now, even when the rows
    // scrolled under a pointer that has not moved since.
    pointer = details.localPosition;
    updatePlaceUnderPointer();
    if (listener != nullptr)
        listener->itemDropped(details.description, details.sourceComponent.get(), details.localPosition);
    endDrag();
}

void DraggableTableListBox::endDrag()
{
    dragPicture.setVisible(false);
    dragging = false;
    insertIndex = -1;
    hoveredRow = -1;
    scrollSpeed = 0.0;
    repaint();
}

juce::Image DraggableTableListBox::createPictureOfRows(const juce::SparseSet<int>& rows)
{
    auto* model = getModel();
    auto& header = getHeader();
    const int rowHeight = getRowHeight();
    const int width = juce::jmin(getVisibleRowWidth(), header.getTotalWidth());
    if (model == nullptr || rows.isEmpty() || width <= 0)
        return {};

    juce::Image picture(juce::Image::RGB, width, rows.size() * rowHeight, true);
    juce::Graphics g(picture);
    g.fillAll(findColour(juce::ListBox::backgroundColourId).withAlpha(1.0f));
    for (int i = 0; i < rows.size(); ++i)
    {
        // Painted as the table paints a row: its background, then each visible column's cell.
        const juce::Graphics::ScopedSaveState rowState(g);
        g.setOrigin(0, i * rowHeight);
        g.reduceClipRegion(0, 0, width, rowHeight);
        const int row = rows[i];
        const bool selected = isRowSelected(row);
        model->paintRowBackground(g, row, width, rowHeight, selected);
        for (int column = 0; column < header.getNumColumns(true); ++column)
        {
            const auto area = header.getColumnPosition(column).withHeight(rowHeight);
            const juce::Graphics::ScopedSaveState cellState(g);
            if (g.reduceClipRegion(area))
            {
                g.setOrigin(area.getPosition());
                model->paintCell(g, row, header.getColumnIdOfIndex(column, true), area.getWidth(), rowHeight, selected);
            }
        }
    }
    return picture;
}

juce::ScaledImage DraggableTableListBox::createSnapshotOfRows(const juce::SparseSet<int>& rows, int& imageX,
                                                              int& imageY)
{
    dragPicture.setImage(createPictureOfRows(rows));
    dragPicture.setVisible(false);

    const auto underPointer = getMouseXYRelative();
    imageX = underPointer.x;
    imageY = underPointer.y;
    juce::Image pixel(juce::Image::ARGB, 1, 1, false);
    pixel.setPixelAt(0, 0, findColour(juce::ListBox::backgroundColourId).withAlpha(1.0f));
    return juce::ScaledImage(pixel);
}

void DraggableTableListBox::timerCallback()
{
    if (!dragging || scrollSpeed == 0.0)
        return;
    auto* viewport = getViewport();
    const int position =
        nextDragScrollPosition(viewport->getViewPositionY(), viewport->getViewedComponent()->getHeight(),
                               viewport->getViewHeight(), scrollSpeed);
    if (position == viewport->getViewPositionY())
        return;
    viewport->setViewPosition(viewport->getViewPositionX(), position);
    // Other rows are under the pointer now, though it has not moved.
    updatePlaceUnderPointer();
}
} // namespace ui
