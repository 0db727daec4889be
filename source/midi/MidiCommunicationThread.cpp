#include "midi/MidiCommunicationThread.h"

#include "midi/MidiCommunicationProcess.h"

namespace midi
{
MidiCommunicationThread::MidiCommunicationThread(MidiCommunicationProcess& jobToRun)
    : juce::Thread("MidiCommunicationThread"), process(jobToRun)
{
}

MidiCommunicationThread::~MidiCommunicationThread()
{
    // A job still running is asked to stop at its next cancellation point and waited for.
    stopThread(-1);
}

void MidiCommunicationThread::run()
{
    process.setThread(this);
    result.store(process.execute());
    // The job must not ask a thread object that may be gone by its next run.
    process.setThread(nullptr);
    notifyListenersLater();
}

void MidiCommunicationThread::notifyListener(MidiCommunicationThreadListener& listener)
{
    listener.threadFinished();
}
} // namespace midi
