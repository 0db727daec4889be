#pragma once

#include "midi/AnalyzedInformation.h"
#include "midi/CTRXMidiListener.h"
#include "midi/MidiMessageQueue.h"
#include "midi/SysExMessages.h"

#include <juce_core/juce_core.h>

#include <vector>

class CTRXMidi;
class CTRXMidiMessage;

namespace w40388_midi
{
// The user slots of all four lists (16 + 16 + 8 + 8): both jobs count progress in steps of one slot.
constexpr int totalUserSlots = 48;

// A request object of a MIDI job. For as long as it exists it listens on the device manager's
// port layer and keeps a copy of every System Exclusive message that arrives; the job sends
// its requests through it and waits for the answer of an awaited kind.
//
// Threads: created, used and destroyed on the job thread; the port layer's receive thread
// delivers under the layer's listener lock and takes only the queue's lock.
//
// The port layer does not call the task itself but a final member that queues for it and
// leaves the listener list in its own destructor. Registered as itself, the task would be
// reached through its vtable pointer while a subclass's constructor or destructor (and then
// this class's) rewrites it on the job thread.
class MidiCommunicationTask : public CTRXMidiListener
{
public:
    MidiCommunicationTask() = default;
    ~MidiCommunicationTask() override = default;

    void OnMidiMessage(CTRXMidi* sender, CTRXMidiMessage* message) override;
    void OnSysExMessage(CTRXMidi* sender, CTRXMidiMessage* message) override;

    // The instrument family the device manager expects.
    static juce::uint32 familyId();

    // Classifies one complete received System Exclusive message for the expected family.
    AnalyzedInformation analyzeMessage(const juce::uint8* bytes, juce::uint32 length) const;

    // Sends one message through `ctrxMidi`.
    void sendMessage(const SysExBytes& bytes);

    // Takes queued messages, oldest first, until one of an awaited kind arrives; the others are
    // dropped. `answer` becomes that message's classification, or the no-answer value once
    // more than `timeoutMs` have passed since the wait began, or soon after the calling thread is
    // asked to stop. Blocks without using the CPU.
    void waitForAnswer(AnalyzedInformation& answer, const std::vector<int>& awaitedKinds, juce::uint32 timeoutMs);

    // The MidiCommunicationResult code of an answer that is not the awaited success: no answer,
    // a broken slot header, a refusal or a communication error.
    static int failureCodeOf(int kind);

    midi::MidiMessageQueue queue;
    CTRXMidi* ctrxMidi = nullptr; // set by the creator
    int channel = 0;              // set by the creator

private:
    // Listens on the device manager's port layer from its construction to its destruction.
    class PortListener final : public CTRXMidiListener
    {
    public:
        explicit PortListener(midi::MidiMessageQueue& queueToFill);
        ~PortListener() override; // waits for a delivery in progress; none reaches it afterwards

        void OnSysExMessage(CTRXMidi* sender, CTRXMidiMessage* message) override;

    private:
        midi::MidiMessageQueue& queue;
    };

    // After `queue`: leaves the port layer before the queue is destroyed.
    PortListener portListener{queue};

    JUCE_DECLARE_NON_COPYABLE(MidiCommunicationTask)
};
} // namespace w40388_midi
