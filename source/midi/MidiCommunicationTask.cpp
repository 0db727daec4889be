#include "midi/MidiCommunicationTask.h"

#include "midi/CTRXMidi.h"
#include "midi/CTRXMidiMessage.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiDeviceManager.h"

#include <algorithm>

namespace w40388_midi
{
MidiCommunicationTask::PortListener::PortListener(midi::MidiMessageQueue& queueToFill) : queue(queueToFill)
{
    midi::MidiDeviceManager::getInstance()->getMidiPort().AddListener(this);
}

MidiCommunicationTask::PortListener::~PortListener()
{
    midi::MidiDeviceManager::getInstance()->getMidiPort().RemoveListener(this);
}

void MidiCommunicationTask::PortListener::OnSysExMessage(CTRXMidi*, CTRXMidiMessage* message)
{
    queue.push(message->GetBytes(), message->GetLength());
}

void MidiCommunicationTask::OnMidiMessage(CTRXMidi*, CTRXMidiMessage*) {}

void MidiCommunicationTask::OnSysExMessage(CTRXMidi* sender, CTRXMidiMessage* message)
{
    portListener.OnSysExMessage(sender, message);
}

AnalyzedInformation MidiCommunicationTask::analyzeMessage(const juce::uint8* bytes, juce::uint32 length) const
{
    return analyzeSysExMessage(bytes, length, familyId());
}

juce::uint32 MidiCommunicationTask::familyId()
{
    return midi::MidiDeviceManager::getInstance()->familyId;
}

void MidiCommunicationTask::sendMessage(const SysExBytes& bytes)
{
    if (ctrxMidi != nullptr && !bytes.empty())
        ctrxMidi->SendMessage(bytes.data(), static_cast<juce::uint32>(bytes.size()));
}

void MidiCommunicationTask::waitForAnswer(AnalyzedInformation& answer, const std::vector<int>& awaitedKinds,
                                          juce::uint32 timeoutMs)
{
    using Clock = midi::MidiMessageQueue::Clock;
    // The deadline runs from the start of the wait; dropped messages do not extend it.
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs) + std::chrono::microseconds(1);
    // A job thread asked to stop (Cancel, quitting) gives up the wait within this time instead of
    // sitting out a long answer time-out.
    constexpr auto stopCheckInterval = std::chrono::milliseconds(50);
    juce::MemoryBlock message;

    for (;;)
    {
        if (!queue.takeBefore(message, std::min(deadline, Clock::now() + stopCheckInterval)))
        {
            if (Clock::now() >= deadline || juce::Thread::currentThreadShouldExit())
                break;
            continue;
        }
        auto classified = analyzeMessage(static_cast<const juce::uint8*>(message.getData()),
                                         static_cast<juce::uint32>(message.getSize()));
        if (std::find(awaitedKinds.begin(), awaitedKinds.end(), classified.kind) != awaitedKinds.end())
        {
            answer = std::move(classified);
            return;
        }
    }
    answer = noAnswer;
}

int MidiCommunicationTask::failureCodeOf(int kind)
{
    using Kind = AnalyzedInformation::Kind;
    namespace Result = midi::MidiCommunicationResult;

    switch (kind)
    {
    case Kind::None:
        return Result::timeout;
    case Kind::Nak:
        return Result::nakOnReceive;
    case Kind::UserCommError:
        return Result::userCommError;
    case Kind::BrokenHeader:
    default:
        return Result::messageBroken;
    }
}
} // namespace w40388_midi
