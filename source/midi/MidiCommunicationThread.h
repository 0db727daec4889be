#pragma once

#include "core/AsyncNotifier.h"

#include <juce_events/juce_events.h>

#include <atomic>

namespace midi
{
class MidiCommunicationProcess;

// Told on the message thread when the job thread has finished its job.
class MidiCommunicationThreadListener
{
public:
    virtual ~MidiCommunicationThreadListener() = default;
    virtual void threadFinished() = 0;
};

// Runs one MIDI job once on a thread of its own ("MidiCommunicationThread") and reports the
// end to its listeners on the message thread, after any pending processChanged of the job.
// The progress dialog creates, starts, signals and deletes it on the message thread; deleting
// it while the job still runs asks the job to stop and waits for it.
class MidiCommunicationThread : public juce::Thread, public AsyncNotifier<MidiCommunicationThreadListener>
{
public:
    explicit MidiCommunicationThread(MidiCommunicationProcess& jobToRun);
    ~MidiCommunicationThread() override;

    void run() override;

    // Both bases keep listeners; these overloads tell them apart by the listener's type.
    using AsyncNotifier<MidiCommunicationThreadListener>::addListener;
    using AsyncNotifier<MidiCommunicationThreadListener>::removeListener;
    using juce::Thread::addListener;
    using juce::Thread::removeListener;

    // The job's MidiCommunicationResult code; 0 until the job has returned.
    int getResult() const { return result.load(); }

protected:
    // Message thread: threadFinished of every listener, in list order.
    void notifyListener(MidiCommunicationThreadListener& listener) override;

private:
    MidiCommunicationProcess& process;
    std::atomic<int> result{0};

    JUCE_DECLARE_NON_COPYABLE(MidiCommunicationThread)
};
} // namespace midi
