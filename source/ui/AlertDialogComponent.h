#pragma once

#include "ui/DefaultLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The content of a modal alert: a message above one, two or three buttons. It closes its
// dialog window itself with the answer (see Result); the code that showed it reads that
// as the dialog's result. Used for read errors and for the question before discarding
// unsent edits. Message thread only.
class AlertDialogComponent : public juce::Component, public juce::Button::Listener
{
public:
    enum Mode
    {
        okOnly = 0,
        okCancel = 1,
        yesNoCancel = 2
    };

    // Dialog results; Escape and the window's close button give cancelled too.
    enum Result
    {
        cancelled = 0,
        okOrYes = 1,
        no = 2
    };

    // mode: one of Mode; any other value shows OK only.
    AlertDialogComponent(int mode, const juce::String& message);
    ~AlertDialogComponent() override;

    void paint(juce::Graphics&) override;
    void resized() override;
    void buttonClicked(juce::Button*) override;

    // Ends the enclosing dialog window's modal state with result (nothing when there is none).
    void closeDialog(int result);

private:
    // Height of the message as laid out, word-wrapped to the editor's width.
    int messageHeight() const;

    w40388_ui::DefaultLookAndFeel lookAndFeel;
    int mode;
    juce::String message;
    std::unique_ptr<juce::TextEditor> messageEditor;
    std::unique_ptr<juce::TextButton> yesButton;
    std::unique_ptr<juce::TextButton> noButton;
    std::unique_ptr<juce::TextButton> cancelButton;

    JUCE_DECLARE_NON_COPYABLE(AlertDialogComponent)
};
