#include "midi/WriteUserDataProcess.h"

#include "core/CTRXResource.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/UserDataTransmitter.h"

#include <algorithm>
#include <array>
#include <deque>

namespace w40388_midi
{
namespace Result = midi::MidiCommunicationResult;
using w40388_data::SlotState;
using w40388_data::SwapInDoubt;

juce::String describeRowsNamingOneSlot(UnitModule module, const std::vector<int>& rows)
{
    const auto* texts = CTRXResource::getInstance();
    const auto separator = texts->getText("MidiCommunicationSlotNumberSeparator");
    const auto lastSeparator = texts->getText("MidiCommunicationSlotNumberLastSeparator");
    juce::String numbers;
    for (size_t i = 0; i < rows.size(); ++i)
    {
        if (i > 0)
            numbers << (i + 1 == rows.size() ? lastSeparator : separator);
        numbers << rows[i] + 1;
    }
    return texts->getText("MidiCommunicationErrorSlotNamedTwiceDetail")
        .replace("%1", w40388_data::listTitle(module))
        .replace("%2", numbers);
}

WriteUserDataProcess::WriteUserDataProcess(w40388_data::UserData* dataToWrite,
                                           std::optional<SwapInDoubt>* swapInDoubtToKeep)
    : UserDataProcess(dataToWrite, answerTimeoutMs),
      swapInDoubt(swapInDoubtToKeep != nullptr ? swapInDoubtToKeep : &ownSwapInDoubt)
{
}

bool WriteUserDataProcess::hasChangedSlotIndices() const
{
    return changedSlotIndices;
}

juce::String WriteUserDataProcess::getTitle()
{
    return CTRXResource::getInstance()->getText("ConnectionWriteUserDataTitle");
}

juce::String WriteUserDataProcess::getStartMessage()
{
    return CTRXResource::getInstance()->getText("CommunicationProcessWriteUserData");
}

int WriteUserDataProcess::runLists()
{
    counter = 0;
    changedSlotIndices = false;

    // Lists that cannot be sent as they stand stop the job before it reads or changes any slot.
    if (const int code = forEachList([this](auto list, int) { return refuseSlotNamedTwice<decltype(list)>(); });
        code != Result::noError)
        return code;

    // Before anything changes on the instrument, learn where an earlier job's last swap left the units.
    if (swapInDoubt->has_value())
    {
        const SwapInDoubt swap = **swapInDoubt;
        const int code = forEachList(
            [this, &swap](auto list, int) {
                return decltype(list)::module == swap.module ? settleSwapInDoubt<decltype(list)>(swap)
                                                             : Result::noError;
            });
        if (code != Result::noError)
            return code;
    }
    return forEachList([this](auto list, int slotsBefore) { return writeList<decltype(list)>(slotsBefore == 0); });
}

template <typename Family> int WriteUserDataProcess::refuseSlotNamedTwice()
{
    const auto& records = Family::records(*userData);
    const auto namesSlot = [&records](int position, int slot)
    { return records[position].state == SlotState::Received && records[position].slotIndex == slot; };

    for (int first = 0; first < Family::numUsableSlots; ++first)
    {
        const int slot = records[first].slotIndex;
        if (slot < 0 || !namesSlot(first, slot))
            continue;
        std::vector<int> rows{first};
        for (int other = first + 1; other < Family::numUsableSlots; ++other)
            if (namesSlot(other, slot))
                rows.push_back(other);
        if (rows.size() > 1)
        {
            failureDetail = describeRowsNamingOneSlot(Family::module, rows);
            return Result::slotNamedTwice;
        }
    }
    return Result::noError;
}

template <typename Family> int WriteUserDataProcess::writeList(bool firstList)
{
    constexpr auto module = static_cast<int>(Family::module);
    auto& records = Family::records(*userData);
    UserDataTransmitter<typename Family::Record> transmitter;
    prepare(transmitter);

    // Units already on the instrument, highest list position first.
    std::deque<SwapPair> swaps;
    for (int position = 0; position < Family::numUsableSlots; ++position)
    {
        const auto& record = records[position];
        if (record.state == SlotState::Received && record.slotIndex >= 0)
            swaps.push_front({record.slotIndex, position});
    }

    if (!firstList && shouldExit())
        return Result::canceled;

    // One swap per misplaced unit, following the cycles between list positions and slots.
    while (!swaps.empty())
    {
        const auto pair = swaps.front();
        if (pair.from != pair.to)
        {
            if (const int code = swapSlots<Family>(transmitter, pair); code != Result::noError)
                return code;
        }
        // Rows with no unit on the instrument take the number of their own position; the moved
        // unit's row already names the slot it now sits in.
        auto& fromRecord = Family::guardedRecord(*userData, pair.from);
        if (fromRecord.state != SlotState::Received)
            fromRecord.slotIndex = pair.from;
        Family::guardedRecord(*userData, pair.to).slotIndex = pair.to;

        swaps.pop_front();
        countStep();

        // The unit that sat in the slot just filled now sits where the moved one was.
        const auto displaced =
            std::find_if(swaps.begin(), swaps.end(), [&pair](const SwapPair& other) { return other.from == pair.to; });
        if (displaced != swaps.end())
            displaced->from = pair.from;

        if (shouldExit())
            return Result::canceled;
    }

    for (int slot = 0; slot < Family::numUsableSlots; ++slot)
    {
        auto& record = records[slot];
        const SlotState state = record.state;
        int code = Result::noError;

        if (state == SlotState::Empty)
            code = request(transmitter, makeClearUserSlot(family, channel, module, slot));
        else if (state == SlotState::Loaded)
            code = request(transmitter, makeUserSlotDataDump(family, channel, module, slot, record.unitData));
        else
            continue; // already on the instrument: no step, no cancellation point

        if (code != Result::noError)
            return code;
        if (state == SlotState::Loaded)
        {
            record.slotIndex = slot;
            auto written = SlotState::Loaded;
            record.state.compare_exchange_strong(written, SlotState::Received);
        }

        countStep();
        if (shouldExit())
            return Result::canceled;
    }
    return Result::noError;
}

template <typename Family> int WriteUserDataProcess::swapSlots(MidiCommunicationTask& transmitter, const SwapPair& pair)
{
    constexpr auto module = static_cast<int>(Family::module);
    const int code = request(transmitter, makeSwapUserSlots(family, channel, module, pair.from & 0x7F, pair.to & 0x7F));
    if (code == Result::noError)
        exchangeSlotIndices<Family>(pair.from, pair.to);
    else if (code != Result::nakOnReceive)
        // No answer, a damaged or an error answer, or a Cancel during the wait: the instrument may
        // have swapped the slots or not.
        *swapInDoubt = SwapInDoubt{Family::module, pair.from, pair.to};
    return code;
}

template <typename Family> int WriteUserDataProcess::settleSwapInDoubt(const SwapInDoubt& swap)
{
    constexpr auto module = static_cast<int>(Family::module);
    UserDataTransmitter<typename Family::Record> transmitter;
    prepare(transmitter);

    const std::array<int, 2> slots{swap.firstSlot, swap.secondSlot};
    std::array<std::array<juce::uint8, Family::Record::headerSize>, 2> held{};
    for (size_t i = 0; i < slots.size(); ++i)
    {
        if (const int code = readSlotHeader(transmitter, module, slots[i] & 0x7F, held[i]); code != Result::noError)
            return code;
    }

    // Whether every row naming one of the two slots shows the unit that slot holds, with the
    // slots taken as the rows say or exchanged.
    const auto& records = Family::records(*userData);
    const auto rowsMatch = [&](bool exchanged)
    {
        for (int position = 0; position < Family::numUsableSlots; ++position)
        {
            const auto& record = records[position];
            for (size_t i = 0; i < slots.size(); ++i)
            {
                if (record.state == SlotState::Received && record.slotIndex == slots[i] &&
                    record.header != held[exchanged ? 1 - i : i])
                    return false;
            }
        }
        return true;
    };
    if (!rowsMatch(false))
    {
        // Neither way round: the slots hold units the rows do not show; only a receive can tell.
        if (!rowsMatch(true))
            return Result::slotsInDoubt;
        exchangeSlotIndices<Family>(slots[0], slots[1]);
    }
    swapInDoubt->reset();
    return Result::noError;
}

// Every row whose unit sits in one of the two slots now names the other.
template <typename Family> void WriteUserDataProcess::exchangeSlotIndices(int first, int second)
{
    auto& records = Family::records(*userData);
    for (int position = 0; position < Family::numUsableSlots; ++position)
    {
        auto& record = records[position];
        if (record.state != SlotState::Received)
            continue;
        if (record.slotIndex == first)
            record.slotIndex = second;
        else if (record.slotIndex == second)
            record.slotIndex = first;
    }
    changedSlotIndices = true;
}

int WriteUserDataProcess::request(MidiCommunicationTask& transmitter, const SysExBytes& message)
{
    const auto answer = exchange(transmitter, message,
                                 {AnalyzedInformation::BrokenHeader, AnalyzedInformation::Ack, AnalyzedInformation::Nak,
                                  AnalyzedInformation::UserCommError});
    return answer.kind == AnalyzedInformation::Ack ? Result::noError
                                                   : MidiCommunicationTask::failureCodeOf(answer.kind);
}

void WriteUserDataProcess::countStep()
{
    ++counter;
    setProgress(static_cast<float>(counter / static_cast<double>(totalUserSlots)));
}
} // namespace w40388_midi
