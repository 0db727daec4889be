#include "midi/WriteUserDataProcess.h"

#include "core/CTRXResource.h"
#include "midi/DeviceInquiry.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiDeviceManager.h"
#include "midi/SysExMessages.h"
#include "midi/UserDataTransmitter.h"
#include "data/SlotFamily.h"

#include <algorithm>
#include <deque>

namespace w40388_midi
{
namespace Result = midi::MidiCommunicationResult;
using w40388_data::SlotState;

static_assert(totalUserSlots == w40388_data::UserData::numOscSlots + w40388_data::UserData::numModFXSlots +
                                    w40388_data::UserData::numDelFXSlots + w40388_data::UserData::numRevFXSlots);

WriteUserDataProcess::WriteUserDataProcess(w40388_data::UserData* dataToWrite)
    : userData(dataToWrite), identityTimeout(DeviceInquiry::defaultReplyTimeoutMs)
{
}

bool WriteUserDataProcess::isSucceeded(int result)
{
    return result == Result::noError;
}

juce::String WriteUserDataProcess::getTitle()
{
    return CTRXResource::getInstance()->getText("ConnectionWriteUserDataTitle");
}

bool WriteUserDataProcess::isCancelable()
{
    return true;
}

void WriteUserDataProcess::setTimeoutsForTesting(juce::uint32 identityMs, juce::uint32 answerMs)
{
    identityTimeout = identityMs;
    answerTimeout = answerMs;
}

int WriteUserDataProcess::execute()
{
    setProgress(0.0f);
    SetMessage(CTRXResource::getInstance()->getText("CommunicationProcessWriteUserData"));
    SetErrorMessage({});

    auto* port = &midi::MidiDeviceManager::getInstance()->getMidiPort();

    // Kept for the whole run: its queue goes on collecting and is discarded with it.
    DeviceInquiry inquiry;
    inquiry.ctrxMidi = port;
    inquiry.channel = 0;
    inquiry.replyTimeoutMs = identityTimeout;
    if (const int identity = inquiry.execute(); identity != Result::noError)
        return failWith(identity);

    family = MidiCommunicationTask::familyId();
    counter = 0;
    int code = writeList<w40388_data::OscSlotFamily, UserOscDataTransmitter>(inquiry.channel, false);
    if (code == Result::noError)
        code = writeList<w40388_data::ModFXSlotFamily, UserModFXDataTransmitter>(inquiry.channel, true);
    if (code == Result::noError)
        code = writeList<w40388_data::DelFXSlotFamily, UserDelFXDataTransmitter>(inquiry.channel, true);
    if (code == Result::noError)
        code = writeList<w40388_data::RevFXSlotFamily, UserRevFXDataTransmitter>(inquiry.channel, true);

    if (code == Result::canceled)
        return cancel();
    if (code != Result::noError)
        return failWith(code);

    setProgress(1.0f);
    return Result::noError;
}

template <typename Family, typename Transmitter>
int WriteUserDataProcess::writeList(int channel, bool checkCancelFirst)
{
    constexpr auto module = static_cast<int>(Family::module);
    auto& records = Family::records(*userData);

    Transmitter transmitter;
    transmitter.ctrxMidi = &midi::MidiDeviceManager::getInstance()->getMidiPort();
    transmitter.channel = channel;

    // Units already on the instrument, highest list position first.
    std::deque<SwapPair> swaps;
    for (int position = 0; position < Family::numUsableSlots; ++position)
    {
        const auto& record = records[position];
        if (record.state == SlotState::Received && record.slotIndex >= 0)
            swaps.push_front({record.slotIndex, position});
    }

    if (checkCancelFirst && shouldExit())
        return Result::canceled;

    // One swap per misplaced unit, following the cycles between list positions and slots.
    while (!swaps.empty())
    {
        const auto pair = swaps.front();
        if (pair.from != pair.to)
        {
            const int code = exchange(transmitter, makeSwapUserSlots(family, channel, module, pair.from & 0x7F, pair.to & 0x7F));
            if (code != Result::noError)
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

        if (state == SlotState::Empty)
        {
            if (const int code = exchange(transmitter, makeClearUserSlot(family, channel, module, slot)); code != Result::noError)
                return code;
        }
        else if (state == SlotState::Loaded)
        {
            if (const int code = exchange(transmitter, makeUserSlotDataDump(family, channel, module, slot, record.unitData));
                code != Result::noError)
                return code;
            record.slotIndex = slot;
            auto written = SlotState::Loaded;
            record.state.compare_exchange_strong(written, SlotState::Received);
        }
        else
        {
            continue;
        }

        countStep();
        if (shouldExit())
            return Result::canceled;
    }
    return Result::noError;
}

int WriteUserDataProcess::exchange(MidiCommunicationTask& transmitter, const SysExBytes& request)
{
    transmitter.sendMessage(request);

    AnalyzedInformation answer;
    transmitter.waitForAnswer(answer,
                              {AnalyzedInformation::BrokenHeader, AnalyzedInformation::Ack, AnalyzedInformation::Nak,
                               AnalyzedInformation::UserCommError},
                              answerTimeout);
    if (answer.kind == AnalyzedInformation::Ack)
        return Result::noError;
    return MidiCommunicationTask::failureCodeOf(answer.kind);
}

void WriteUserDataProcess::countStep()
{
    ++counter;
    setProgress(static_cast<float>(counter / static_cast<double>(totalUserSlots)));
}
} // namespace w40388_midi
