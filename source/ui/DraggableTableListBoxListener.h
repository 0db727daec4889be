#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// The owner of a DraggableTableListBox: decides which drags the table accepts and performs drops.
// Positions are in the table's coordinates. Message thread only.
class DraggableTableListBoxListener
{
public:
    virtual ~DraggableTableListBoxListener() = default;

    virtual bool isInterestedInDragSource(const juce::var& description, juce::Component* sourceComponent,
                                          juce::Point<int> position) = 0;
    virtual void itemDropped(const juce::var& description, juce::Component* sourceComponent,
                             juce::Point<int> position) = 0;
};
} // namespace ui
