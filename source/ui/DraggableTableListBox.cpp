#include "ui/DraggableTableListBox.h"

namespace ui
{
namespace
{
// Pixels of the screen per unit of the component: the display's own scale, the desktop's global
// scale and any transforms of the component and its parents.
float screenPixelsPerUnit(const juce::Component& component)
{
    auto scale = juce::Component::getApproximateScaleFactorForComponent(&component) *
                 juce::Desktop::getInstance().getGlobalScaleFactor();
    if (const auto* peer = component.getPeer())
        scale *= static_cast<float>(peer->getPlatformScaleFactor());
    return scale > 0.0f ? scale : 1.0f;
}
} // namespace

DraggableTableListBox::DraggableTableListBox(juce::TableListBoxModel* model, DraggableTableListBoxListener* owner)
    : juce::TableListBox({}, model), listener(owner)
{
    dragPicture.setInterceptsMouseClicks(false, false);
    dragPicture.setOpaque(true);
    // The picture's image is cut to the shown part, so it always fills the component exactly.
    dragPicture.setImagePlacement(juce::RectanglePlacement::stretchToFit);
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
    if (pictureOfDraggedRows.isNull())
        return;
    const auto bounds = dragPictureBounds(getDragGeometry(), pointer, pictureSize.x, pictureSize.y);
    if (bounds.isEmpty())
    {
        dragPicture.setVisible(false);
        return;
    }
    // The part that has room, in the picture's own pixels, so that it is drawn pixel for pixel.
    const auto shown = pictureOfDraggedRows.getBounds().getIntersection(
        {juce::roundToInt(static_cast<float>(bounds.getWidth()) * pictureScale),
         juce::roundToInt(static_cast<float>(bounds.getHeight()) * pictureScale)});
    if (dragPicture.getImage().getBounds() != shown)
        dragPicture.setImage(pictureOfDraggedRows.getClippedImage(shown));
    dragPicture.setBounds(bounds);
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

int DraggableTableListBox::pictureWidth()
{
    return juce::jmin(getVisibleRowWidth(), getHeader().getTotalWidth());
}

juce::Image DraggableTableListBox::createPictureOfRows(const juce::SparseSet<int>& rows, float pixelsPerUnit)
{
    auto* model = getModel();
    auto& header = getHeader();
    const int rowHeight = getRowHeight();
    const int width = pictureWidth();
    const int height = rows.size() * rowHeight;
    const int pixelWidth = juce::roundToInt(static_cast<float>(width) * pixelsPerUnit);
    const int pixelHeight = juce::roundToInt(static_cast<float>(height) * pixelsPerUnit);
    if (model == nullptr || rows.isEmpty() || pixelWidth <= 0 || pixelHeight <= 0)
        return {};

    juce::Image picture(juce::Image::RGB, pixelWidth, pixelHeight, true);
    juce::Graphics g(picture);
    g.addTransform(juce::AffineTransform::scale(static_cast<float>(pixelWidth) / static_cast<float>(width),
                                                static_cast<float>(pixelHeight) / static_cast<float>(height)));
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
    pictureScale = screenPixelsPerUnit(*this);
    pictureOfDraggedRows = createPictureOfRows(rows, pictureScale);
    pictureSize = {pictureWidth(), rows.size() * getRowHeight()};
    dragPicture.setImage({});
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
