#include "midi/MidiCommunicationProcess.h"

#include "midi/MidiCommunicationResult.h"
#include "midi/MidiCommunicationThread.h"

namespace midi
{
void MidiCommunicationProcess::notifyListener(MidiCommunicationProcessObserver& observer)
{
    observer.processChanged();
}

void MidiCommunicationProcess::SetMessage(const juce::String& text)
{
    {
        const juce::ScopedLock guard(lock);
        message = text;
    }
    notifyListenersLater();
}

void MidiCommunicationProcess::SetErrorMessage(const juce::String& text)
{
    {
        const juce::ScopedLock guard(lock);
        errorMessage = text;
    }
    notifyListenersLater();
}

juce::String MidiCommunicationProcess::GetMessage() const
{
    const juce::ScopedLock guard(lock);
    return message;
}

juce::String MidiCommunicationProcess::GetErrorMessage() const
{
    const juce::ScopedLock guard(lock);
    return errorMessage;
}

void MidiCommunicationProcess::setProgress(float value)
{
    progress.store(value);
    notifyListenersLater();
}

bool MidiCommunicationProcess::shouldExit() const
{
    const auto* running = thread.load();
    return running != nullptr && running->threadShouldExit();
}

int MidiCommunicationProcess::failWith(int code, const juce::String& detail)
{
    SetMessage(getMidiCommunicationErrorText(code));
    SetErrorMessage(detail.isNotEmpty() ? detail : getMidiCommunicationErrorDetailText(code));
    return code;
}

int MidiCommunicationProcess::cancel()
{
    SetMessage(getMidiCommunicationErrorText(MidiCommunicationResult::canceled));
    return MidiCommunicationResult::canceled;
}
} // namespace midi
