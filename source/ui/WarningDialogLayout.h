#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// Texts of a warning that can be turned off: the message, the two buttons and the tick.
struct WarningDialogTexts
{
    juce::String message;
    juce::String ok;
    juce::String cancel;
    juce::String dontAskAgain;
};

// Lays out the children of the 540 x 180 warnings shown before an import of a unit built for
// another instrument and before "SEND ALL": the message top-left in the "DialogText" font, OK and
// Cancel bottom right as flat dialog buttons, the unticked "don't ask again" tick bottom left; a
// message too long for its 112 pixels makes the dialog that much taller. Adds the four children
// visible to content, gives them lookAndFeel, makes listener hear the buttons and sizes content.
// The caller owns the children and answers the buttons.
void layOutWarningDialog(juce::Component& content, juce::Label& message, juce::TextButton& ok, juce::TextButton& cancel,
                         juce::ToggleButton& dontAskAgain, const WarningDialogTexts& texts,
                         juce::LookAndFeel& lookAndFeel, juce::Button::Listener& listener);
} // namespace ui
