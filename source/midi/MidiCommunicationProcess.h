#pragma once

#include "core/AsyncNotifier.h"

#include <juce_events/juce_events.h>

#include <atomic>

namespace midi
{
class MidiCommunicationThread;

// Watches a MIDI job; told on the message thread after the job changed its progress or texts.
class MidiCommunicationProcessObserver
{
public:
    virtual ~MidiCommunicationProcessObserver() = default;
    virtual void processChanged() = 0;
};

// An abstract MIDI job (writing or reading the instrument's slots). execute runs on the job
// thread and reports through a progress value and two localised texts; observers learn of
// changes through one coalesced processChanged on the message thread, where they read the
// latest values.
class MidiCommunicationProcess : public AsyncNotifier<MidiCommunicationProcessObserver>
{
public:
    ~MidiCommunicationProcess() override = default;

    // Job thread: runs the whole job and returns a MidiCommunicationResult code.
    virtual int execute() = 0;
    virtual bool isSucceeded(int result) = 0;
    virtual juce::String getTitle() = 0;
    virtual bool isCancelable() = 0;

    // The status text and the detail text; the setters notify.
    void SetMessage(const juce::String& text);
    void SetErrorMessage(const juce::String& text);
    juce::String GetMessage() const;
    juce::String GetErrorMessage() const;

    // Fraction done, 0 to 1.
    float getProgress() const { return progress.load(); }

    // Set by the job thread before execute; cancellation is asked of it.
    void setThread(MidiCommunicationThread* runningThread) { thread.store(runningThread); }

protected:
    MidiCommunicationProcess() = default;

    // Message thread: processChanged of every observer, in list order.
    void notifyListener(MidiCommunicationProcessObserver& observer) override;

    // Stores the fraction done and notifies. Virtual so that tests can record every step.
    virtual void setProgress(float value);

    // True when the thread running the job has been asked to stop.
    bool shouldExit() const;

    // Ends a job with an error: the code's status text, and its detail text unless `detail` gives
    // one that says more.
    int failWith(int code, const juce::String& detail = {});

    // Ends a job at a cancellation point: only the status text changes.
    int cancel();

private:
    std::atomic<float> progress{0.0f};
    juce::CriticalSection lock;
    juce::String message;
    juce::String errorMessage;
    std::atomic<MidiCommunicationThread*> thread{nullptr};

    JUCE_DECLARE_NON_COPYABLE(MidiCommunicationProcess)
};
} // namespace midi
