#include "midi/ReceiveUserDataProcess.h"

#include "core/CTRXResource.h"
#include "midi/DeviceInquiry.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiDeviceManager.h"
#include "midi/SysExMessages.h"
#include "midi/UserDataReceiver.h"
#include "data/SlotFamily.h"

#include <cstring>

namespace w40388_midi
{
namespace Result = midi::MidiCommunicationResult;
using w40388_data::SlotState;

ReceiveUserDataProcess::ReceiveUserDataProcess(w40388_data::UserData* dataToFill)
    : userData(dataToFill), identityTimeout(DeviceInquiry::defaultReplyTimeoutMs)
{
}

bool ReceiveUserDataProcess::isSucceeded(int result)
{
    return result == Result::noError;
}

juce::String ReceiveUserDataProcess::getTitle()
{
    return CTRXResource::getInstance()->getText("ConnectionReceiveUserDataTitle");
}

bool ReceiveUserDataProcess::isCancelable()
{
    return true;
}

void ReceiveUserDataProcess::setTimeoutsForTesting(juce::uint32 identityMs, juce::uint32 answerMs)
{
    identityTimeout = identityMs;
    answerTimeout = answerMs;
}

int ReceiveUserDataProcess::execute()
{
    setProgress(0.0f);
    SetMessage(CTRXResource::getInstance()->getText("CommunicationProcessReceiveUserData"));
    SetErrorMessage({});

    // Kept for the whole run: its queue goes on collecting and is discarded with it.
    DeviceInquiry inquiry;
    inquiry.ctrxMidi = &midi::MidiDeviceManager::getInstance()->getMidiPort();
    inquiry.channel = 0;
    inquiry.replyTimeoutMs = identityTimeout;
    if (const int identity = inquiry.execute(); identity != Result::noError)
        return failWith(identity);

    family = MidiCommunicationTask::familyId();
    using namespace w40388_data;
    // Progress before a list counts the slots of the lists handled before it.
    int code = receiveList<OscSlotFamily, UserOscDataReceiver>(inquiry.channel, 0);
    if (code == Result::noError)
        code = receiveList<ModFXSlotFamily, UserModFXDataReceiver>(inquiry.channel, UserData::numOscSlots);
    if (code == Result::noError)
        code = receiveList<DelFXSlotFamily, UserDelFXDataReceiver>(
            inquiry.channel, UserData::numOscSlots + UserData::numModFXSlots);
    if (code == Result::noError)
        code = receiveList<RevFXSlotFamily, UserRevFXDataReceiver>(
            inquiry.channel, UserData::numOscSlots + UserData::numModFXSlots + UserData::numDelFXSlots);

    if (code == Result::canceled)
        return cancel();
    if (code != Result::noError)
        return failWith(code);

    setProgress(1.0f);
    return Result::noError;
}

template <typename Family, typename Receiver>
int ReceiveUserDataProcess::receiveList(int channel, int progressBase)
{
    constexpr auto module = static_cast<int>(Family::module);
    auto& records = Family::records(*userData);

    Receiver receiver;
    receiver.ctrxMidi = &midi::MidiDeviceManager::getInstance()->getMidiPort();
    receiver.channel = channel;

    for (int slot = 0; slot < Family::numUsableSlots; ++slot)
    {
        receiver.sendMessage(makeUserSlotHeaderRequest(family, channel, module, slot));

        AnalyzedInformation answer;
        receiver.waitForAnswer(answer,
                               {AnalyzedInformation::BrokenHeader, AnalyzedInformation::SlotHeader,
                                AnalyzedInformation::Nak, AnalyzedInformation::UserCommError},
                               answerTimeout);

        if (answer.kind != AnalyzedInformation::SlotHeader)
            return MidiCommunicationTask::failureCodeOf(answer.kind);
        auto& record = receiver.record;
        if (answer.data.getSize() < record.header.size())
            return Result::messageBroken;

        record.unitData.reset();
        std::memcpy(record.header.data(), answer.data.getData(), record.header.size());
        record.slotIndex = slot;
        // A zero target word marks an empty slot.
        record.state = record.getTarget() != 0 ? SlotState::Received : SlotState::Empty;

        records[slot] = record;
        setProgress(static_cast<float>((progressBase + slot + 1) / static_cast<double>(totalUserSlots)));

        if (shouldExit())
            return Result::canceled;
    }
    return Result::noError;
}
} // namespace w40388_midi
