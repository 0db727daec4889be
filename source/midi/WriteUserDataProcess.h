#pragma once

#include "data/SwapInDoubt.h"
#include "midi/UserDataProcess.h"

#include <optional>
#include <vector>

namespace w40388_midi
{
// The detail text of a write refused for rows that name one slot: the list by its title and the
// rows by the numbers the list shows ("1 and 3", "1, 3 and 5").
juce::String describeRowsNamingOneSlot(UnitModule module, const std::vector<int>& rows);

// "SEND ALL": makes the instrument's user slots match the four live slot lists. After the
// identity check it works the lists in order, first moving units already on the instrument
// into place with slot swaps, then clearing emptied slots and writing loaded units, and records
// on the live records where each unit now sits (slotIndex and state, written on the job thread
// while the modal progress dialog keeps every edit away).
//
// Lists in which two rows name one instrument slot (a received row copied onto another) are not
// sent: a swap can move that unit but not copy it, so the job stops before it changes anything.
//
// The records say at every moment where their units really are, so a job that stops part way
// leaves them true for the next one. A swap whose outcome the job could not learn is kept as a
// swap in doubt; the next job reads both slots back before it changes anything.
class WriteUserDataProcess : public UserDataProcess
{
public:
    static constexpr juce::uint32 answerTimeoutMs = 60000;

    // `swapInDoubt` outlives the job and carries a swap in doubt from one job to the next; without
    // it the job keeps its own.
    explicit WriteUserDataProcess(w40388_data::UserData* dataToWrite,
                                  std::optional<w40388_data::SwapInDoubt>* swapInDoubt = nullptr);

    juce::String getTitle() override;

    // Whether the job changed the slot some row names (a swap, or what it learnt of a swap in
    // doubt): the rows then differ from the records the undo history keeps, even when the job
    // ended before its first step.
    bool hasChangedSlotIndices() const;

protected:
    juce::String getStartMessage() override;
    int runLists() override;

private:
    struct SwapPair
    {
        int from; // the instrument slot holding the unit
        int to;   // the unit's position in the list
    };

    template <typename Family> int refuseSlotNamedTwice();
    template <typename Family> int writeList(bool firstList);
    template <typename Family> int swapSlots(MidiCommunicationTask& transmitter, const SwapPair& pair);
    template <typename Family> int settleSwapInDoubt(const w40388_data::SwapInDoubt& swap);
    template <typename Family> void exchangeSlotIndices(int first, int second);

    // Sends a request and maps the answer: Ack is success.
    int request(MidiCommunicationTask& transmitter, const SysExBytes& message);
    void countStep();

    int counter = 0;
    bool changedSlotIndices = false;
    std::optional<w40388_data::SwapInDoubt> ownSwapInDoubt;
    std::optional<w40388_data::SwapInDoubt>* swapInDoubt;
};
} // namespace w40388_midi
