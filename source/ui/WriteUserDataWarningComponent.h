#pragma once

#include "ui/DefaultLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The warning before "SEND ALL" writes the slot lists to the instrument. OK closes its
// dialog with 1 and stores the opposite of the "don't warn" tick in "WarnBeforeWriting"
// (in memory); Cancel closes with 0 and leaves the preference alone. Message thread only.
class WriteUserDataWarningComponent : public juce::Component, public juce::Button::Listener
{
public:
    WriteUserDataWarningComponent();
    ~WriteUserDataWarningComponent() override;

    void paint(juce::Graphics&) override;
    void resized() override {}
    void buttonClicked(juce::Button*) override;

    // Ends the enclosing dialog window's modal state with result (nothing when there is none).
    void closeDialog(int result);

private:
    w40388_ui::DefaultLookAndFeel lookAndFeel;
    std::unique_ptr<juce::Label> textLabel;
    std::unique_ptr<juce::TextButton> okButton;
    std::unique_ptr<juce::TextButton> cancelButton;
    std::unique_ptr<juce::ToggleButton> dontWarnToggle;

    JUCE_DECLARE_NON_COPYABLE(WriteUserDataWarningComponent)
};
