#include "ui/RunMidiCommunicationProcess.h"

#include "core/ModalDialogState.h"
#include "ui/DialogWithNoCloseButton.h"
#include "ui/MidiCommunicationDialog.h"

#include <memory>

namespace
{
// The dialog of the window runMidiCommunicationProcess is showing; message thread only.
juce::Component::SafePointer<midi::MidiCommunicationDialog> runningDialog;

// The window's modal loop. The framework's own loop looks at the modal state only every 20 ms,
// which would add up to 20 ms to every job after its end; this one looks after every message
// (or every millisecond when none comes). Ends with the window's modal result, or with -1 when
// the application quits first.
int runModalLoop(juce::Component& window)
{
    struct Outcome
    {
        bool finished = false;
        int result = -1;
    };
    // Shared with the callback, which may run after this loop has returned (when the
    // application quits while the window is modal).
    auto outcome = std::make_shared<Outcome>();
    window.enterModalState(true, juce::ModalCallbackFunction::create(
                                     [outcome](int result)
                                     {
                                         outcome->result = result;
                                         outcome->finished = true;
                                     }));
    auto* messageManager = juce::MessageManager::getInstance();
    while (!outcome->finished)
        if (!messageManager->runDispatchLoopUntil(0))
            break;
    return outcome->result;
}
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
        // Placing the dialog makes it visible, which connects and starts the job.
        window.setContentOwned(dialog, true);
        window.setResizable(false, false);
        window.centreWithSize(window.getWidth(), window.getHeight());
        window.addToDesktop();

        const int modalResult = runModalLoop(window);
        // The loop also ends without a result when the application quits; only a job that
        // finished with success counts as one.
        result = (modalResult == 0 && dialog->isSucceeded()) ? 0 : 1;

        // Off the desktop first: the teardown then costs no drawing and no round trips to the
        // window system.
        window.removeFromDesktop();
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
