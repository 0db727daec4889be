#pragma once

#include "midi/MidiCommunicationProcess.h"
#include "midi/MidiCommunicationThread.h"
#include "ui/DefaultLookAndFeel.h"
#include "ui/ProgressBarComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace midi
{
// The content of the MIDI progress window. When it first becomes visible it connects the MIDI
// ports (holding the device manager's communicationLock from then until the job thread has
// ended) and starts the job on a thread of its own; it then follows the job's progress and
// texts, offers Cancel while the job runs, closes its window by itself on success and waits
// for OK after a failure or a failed connection. The window leaves its modal state with 0
// after success and 1 otherwise.
//
// Threads: everything here runs on the message thread; the job's changes and its end arrive
// through the job's and the thread's asynchronous notifications.
class MidiCommunicationDialog : public juce::Component,
                                public juce::Button::Listener,
                                public MidiCommunicationProcessObserver,
                                public MidiCommunicationThreadListener,
                                public juce::AsyncUpdater
{
public:
    static constexpr int dialogWidth = 460;
    static constexpr int dialogHeight = 150;
    static constexpr int dialogHeightWithDetail = 193;

    explicit MidiCommunicationDialog(MidiCommunicationProcess& processToRun);
    // Stops a job thread that still runs (waiting a bounded time before it says so on standard
    // output, then for the thread's end) and leaves the communication lock if it still holds it.
    ~MidiCommunicationDialog() override;

    void visibilityChanged() override;
    void resized() override;
    void buttonClicked(juce::Button* button) override;
    void processChanged() override;
    void threadFinished() override;
    void handleAsyncUpdate() override;

    // True once the job has finished with a result its process calls a success.
    bool isSucceeded() const noexcept { return succeeded; }

    // For the application when it must quit while the window is open: asks a running job to
    // stop, as Cancel does, and closes the window with 1 as soon as the job has ended (at once
    // when no job runs), without waiting for OK.
    void stopAndClose();

private:
    void showOkButton();
    void closeDialog();
    void leaveCommunicationLock();

    w40388_ui::DefaultLookAndFeel lookAndFeel;
    MidiCommunicationProcess* process = nullptr;
    std::unique_ptr<MidiCommunicationThread> thread;
    bool succeeded = false;
    bool started = false;
    std::unique_ptr<ui::ProgressBarComponent> progressBar;
    std::unique_ptr<juce::TextButton> okButton;
    std::unique_ptr<juce::TextButton> cancelButton;
    std::unique_ptr<juce::Label> statusLabel;
    std::unique_ptr<juce::TextEditor> detailEditor;

    bool holdsCommunicationLock = false;
    bool closeWhenFinished = false;
    bool threadReportedEnd = false;

    JUCE_DECLARE_NON_COPYABLE(MidiCommunicationDialog)
};
} // namespace midi
