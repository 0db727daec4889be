#pragma once

#include "ui/DraggableTableListBoxListener.h"
#include "ui/ListDragGeometry.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// The table of a slot list, which is also the target of its row drags: while a drag is over it,
// it tracks the gap where moved rows would go and the row a copy would land on, and scrolls by
// itself while the pointer nears its top or bottom edge. Its listener (the owning list) decides
// what it accepts and performs the drop. Message thread only.
class DraggableTableListBox : public juce::TableListBox, public juce::DragAndDropTarget, private juce::Timer
{
public:
    static constexpr int scrollTimerIntervalMs = 100;

    DraggableTableListBox(juce::TableListBoxModel* model, DraggableTableListBoxListener* listener);
    ~DraggableTableListBox() override;

    bool isInterestedInDragSource(const SourceDetails& details) override;
    void itemDragEnter(const SourceDetails& details) override;
    void itemDragMove(const SourceDetails& details) override;
    void itemDragExit(const SourceDetails& details) override;
    void itemDropped(const SourceDetails& details) override;

    bool isDragging() const noexcept { return dragging; }
    // The gap (0 to the row count) the dragged rows would be inserted at; -1 when none.
    int getInsertIndex() const noexcept { return insertIndex; }
    // The row under the dragging pointer; -1 when none.
    int getHoveredRow() const noexcept { return hoveredRow; }
    double getScrollSpeed() const noexcept { return scrollSpeed; }

    // The table's rows, header and size as the drag arithmetic sees them.
    ListDragGeometry getDragGeometry();

    double getScrollSpeedForY(int y) { return dragScrollSpeed(getDragGeometry(), y); }

    // A picture of the rows as the table paints them, stacked in order and opaque, so that it reads
    // the same on a desktop that cannot show translucent windows. It has the given number of pixels
    // per unit of the table, so that on a scaled display it is as sharp as the table itself.
    juce::Image createPictureOfRows(const juce::SparseSet<int>& rows, float pixelsPerUnit = 1.0f);

    // The picture that follows the pointer while rows are dragged over the table, or as much of it
    // as has room there (dragPictureBounds); hidden otherwise. Its image has as many pixels per unit
    // as the display under the table.
    const juce::ImageComponent& getDragPicture() const noexcept { return dragPicture; }

    // The framework would show its drag image right under the pointer, over the gap and the row the
    // drop would go to. This table shows the dragged rows beside them instead (getDragPicture) and
    // gives the framework a single pixel of its own background.
    juce::ScaledImage createSnapshotOfRows(const juce::SparseSet<int>& rows, int& imageX, int& imageY) override;

private:
    void timerCallback() override;
    void endDrag();
    // The gap and the row under the pointer, over the rows as they are scrolled now.
    void updatePlaceUnderPointer();
    void placeDragPicture();
    // The rows' visible width: the picture of dragged rows shows the columns as far as the table does.
    int pictureWidth();

    DraggableTableListBoxListener* listener;
    bool dragging = false;
    juce::Point<int> pointer; // where the dragging pointer was last seen, in table coordinates
    int insertIndex = -1;
    int hoveredRow = -1;
    double scrollSpeed = 0.0;
    juce::Image pictureOfDraggedRows; // at pictureScale pixels per unit
    float pictureScale = 1.0f;
    juce::Point<int> pictureSize; // in the table's units
    juce::ImageComponent dragPicture;

    JUCE_DECLARE_NON_COPYABLE(DraggableTableListBox)
};
} // namespace ui
