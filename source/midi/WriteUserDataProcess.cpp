#include "midi/WriteUserDataProcess.h"

#include "core/CTRXResource.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/UserDataTransmitter.h"

#include <algorithm>
#include <deque>

namespace w40388_midi
{
namespace Result = midi::MidiCommunicationResult;
using w40388_data::SlotState;

WriteUserDataProcess::WriteUserDataProcess(w40388_data::UserData* dataToWrite)
    : UserDataProcess(dataToWrite, answerTimeoutMs)
{
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
    return forEachList([this](auto list, int slotsBefore) { return writeList<decltype(list)>(slotsBefore == 0); });
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
            if (const int code =
                    request(transmitter, makeSwapUserSlots(family, channel, module, pair.from & 0x7F, pair.to & 0x7F));
                code != Result::noError)
                return code;
        }
        Family::guardedRecord(*userData, pair.from).slotIndex = pair.from;
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
