#pragma once

#include "midi/MidiCommunicationProcess.h"
#include "data/UserData.h"
#include "midi/SysExMessages.h"

namespace w40388_midi
{
class MidiCommunicationTask;

// "SEND ALL": makes the instrument's user slots match the four live slot lists. After the
// identity check it works the lists in order, first moving units already on the instrument
// into place with slot swaps, then clearing emptied slots and writing loaded units, and records
// on the live records where each unit now sits (slotIndex and state, written on the job thread
// while the modal progress dialog keeps every edit away).
class WriteUserDataProcess : public midi::MidiCommunicationProcess
{
public:
    static constexpr juce::uint32 answerTimeoutMs = 60000;

    explicit WriteUserDataProcess(w40388_data::UserData* dataToWrite);

    int execute() override;
    bool isSucceeded(int result) override;
    juce::String getTitle() override;
    bool isCancelable() override;

    // Only tests shorten the waits.
    void setTimeoutsForTesting(juce::uint32 identityMs, juce::uint32 answerMs);

private:
    struct SwapPair
    {
        int from; // the instrument slot holding the unit
        int to;   // the unit's position in the list
    };

    template <typename Family, typename Transmitter>
    int writeList(int channel, bool checkCancelFirst);

    int exchange(MidiCommunicationTask& transmitter, const SysExBytes& request);
    void countStep();

    w40388_data::UserData* userData;
    juce::uint32 family = 0;
    int counter = 0;
    juce::uint32 identityTimeout;
    juce::uint32 answerTimeout = answerTimeoutMs;
};
} // namespace w40388_midi
