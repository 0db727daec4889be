#pragma once

#include "midi/UserDataProcess.h"

namespace w40388_midi
{
// "SEND ALL": makes the instrument's user slots match the four live slot lists. After the
// identity check it works the lists in order, first moving units already on the instrument
// into place with slot swaps, then clearing emptied slots and writing loaded units, and records
// on the live records where each unit now sits (slotIndex and state, written on the job thread
// while the modal progress dialog keeps every edit away).
class WriteUserDataProcess : public UserDataProcess
{
public:
    static constexpr juce::uint32 answerTimeoutMs = 60000;

    explicit WriteUserDataProcess(w40388_data::UserData* dataToWrite);

    juce::String getTitle() override;

protected:
    juce::String getStartMessage() override;
    int runLists() override;

private:
    struct SwapPair
    {
        int from; // the instrument slot holding the unit
        int to;   // the unit's position in the list
    };

    template <typename Family> int writeList(bool firstList);

    // Sends a request and maps the answer: Ack is success.
    int request(MidiCommunicationTask& transmitter, const SysExBytes& message);
    void countStep();

    int counter = 0;
};
} // namespace w40388_midi
