#pragma once

#include "ui/DefaultLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace midi
{
// The window of the MIDI progress dialog: a document window with no title-bar buttons, so that
// the user cannot close it; only its content ends its modal state. It keeps a look-and-feel of
// its own. Built off the desktop; its owner places it there (addToDesktop) once it has its
// content, so that the job already runs while the platform window is made. Message thread only.
class DialogWithNoCloseButton : public juce::DocumentWindow
{
public:
    static constexpr juce::uint32 backgroundColour = 0xFF333333;

    explicit DialogWithNoCloseButton(const juce::String& title);
    ~DialogWithNoCloseButton() override;

private:
    w40388_ui::DefaultLookAndFeel lookAndFeel;

    JUCE_DECLARE_NON_COPYABLE(DialogWithNoCloseButton)
};
} // namespace midi
