#include "ui/RunMidiCommunicationProcess.h"

#include "core/ModalDialogState.h"
#include "ui/DialogWithNoCloseButton.h"
#include "ui/MidiCommunicationDialog.h"

namespace
{
// The dialog of the window runMidiCommunicationProcess is showing; message thread only.
juce::Component::SafePointer<midi::MidiCommunicationDialog> runningDialog;
} // namespace

int runMidiCommunicationProcess(midi::MidiCommunicationProcess& process)
{
    const auto title = process.getTitle();

    // Claimed for the window's whole life; a flag another dialog already holds stays its own.
    bool wasOpen = false;
    ui::ModalDialogState::getInstance()->beginModalDialog(wasOpen);

    auto* dialog = new midi::MidiCommunicationDialog(process);
    const auto previousDialog = runningDialog;
    runningDialog = dialog;

    int result = 1;
    {
        midi::DialogWithNoCloseButton window(title);
        window.setUsingNativeTitleBar(false);
        // Placing the dialog makes it visible, which connects and starts the job.
        window.setContentOwned(dialog, true);
        window.setResizable(false, false);
        window.centreWithSize(window.getWidth(), window.getHeight());

        const int modalResult = window.runModalLoop();
        // The loop also ends without a result when the application quits; only a job that
        // finished with success counts as one.
        result = (modalResult == 0 && dialog->isSucceeded()) ? 0 : 1;

        window.clearContentComponent();
        runningDialog = previousDialog;
        ui::ModalDialogState::getInstance()->endModalDialog(wasOpen);
    }
    return result;
}

bool isMidiCommunicationProcessRunning()
{
    return runningDialog != nullptr;
}

bool cancelMidiCommunicationProcess()
{
    if (runningDialog == nullptr)
        return false;
    runningDialog->stopAndClose();
    return true;
}
