#pragma once

#include "ui/DefaultLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The question before importing a unit built for another instrument, with a tick that turns the
// question off. OK closes its dialog with 1 and stores the opposite of the tick in
// "WarnBeforeImportingForOtherTarget" (in memory); Cancel, Escape and the close button give 0 and
// leave the preference alone. The import flow asks through confirm(). Message thread only.
class ImportUserDataWarningComponent : public juce::Component, public juce::Button::Listener
{
public:
    ImportUserDataWarningComponent();
    ~ImportUserDataWarningComponent() override;

    void paint(juce::Graphics&) override;
    void resized() override {}
    void buttonClicked(juce::Button*) override;

    // Ends the enclosing dialog window's modal state with result (nothing when there is none).
    void closeDialog(int result);

    // True when the import may go on: at once when the question is turned off, else when the user
    // answers OK. False, without any further message, when the user declines or another modal
    // dialog is already open.
    static bool confirm();

private:
    w40388_ui::DefaultLookAndFeel lookAndFeel;
    std::unique_ptr<juce::Label> messageLabel;
    std::unique_ptr<juce::TextButton> okButton;
    std::unique_ptr<juce::TextButton> cancelButton;
    std::unique_ptr<juce::ToggleButton> dontWarnToggle;

    JUCE_DECLARE_NON_COPYABLE(ImportUserDataWarningComponent)
};
