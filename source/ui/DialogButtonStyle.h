#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// The dialogs' flat text buttons: joined on all four edges (square corners), white text,
// a light grey "on" colour and the given normal colour.
inline void styleDialogButton(juce::TextButton& button, juce::uint32 normalColour)
{
    button.setConnectedEdges(juce::Button::ConnectedOnLeft | juce::Button::ConnectedOnRight |
                             juce::Button::ConnectedOnTop | juce::Button::ConnectedOnBottom);
    button.setColour(juce::TextButton::buttonColourId, juce::Colour(normalColour));
    button.setColour(juce::TextButton::buttonOnColourId, juce::Colour(0x69999999));
    button.setColour(juce::TextButton::textColourOffId, juce::Colour(0xFFFFFFFF));
    button.setColour(juce::TextButton::textColourOnId, juce::Colour(0xFFFFFFFF));
}
} // namespace ui
