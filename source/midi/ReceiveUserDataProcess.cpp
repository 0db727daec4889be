#include "midi/ReceiveUserDataProcess.h"

#include "core/CTRXResource.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/UserDataReceiver.h"

namespace w40388_midi
{
namespace Result = midi::MidiCommunicationResult;
using w40388_data::SlotState;

static_assert(totalUserSlots == w40388_data::UserData::numOscSlots + w40388_data::UserData::numModFXSlots +
                                    w40388_data::UserData::numDelFXSlots + w40388_data::UserData::numRevFXSlots);

ReceiveUserDataProcess::ReceiveUserDataProcess(w40388_data::UserData* dataToFill)
    : UserDataProcess(dataToFill, answerTimeoutMs)
{
}

juce::String ReceiveUserDataProcess::getTitle()
{
    return CTRXResource::getInstance()->getText("ConnectionReceiveUserDataTitle");
}

juce::String ReceiveUserDataProcess::getStartMessage()
{
    return CTRXResource::getInstance()->getText("CommunicationProcessReceiveUserData");
}

int ReceiveUserDataProcess::runLists()
{
    return forEachList([this](auto list, int slotsBefore) { return receiveList<decltype(list)>(slotsBefore); });
}

template <typename Family> int ReceiveUserDataProcess::receiveList(int slotsBefore)
{
    constexpr auto module = static_cast<int>(Family::module);
    auto& records = Family::records(*userData);
    UserDataReceiver<typename Family::Record> receiver;
    prepare(receiver);
    auto& record = receiver.record;

    for (int slot = 0; slot < Family::numUsableSlots; ++slot)
    {
        if (const int code = readSlotHeader(receiver, module, slot, record.header); code != Result::noError)
            return code;

        record.unitData.reset();
        record.slotIndex = slot;
        // A zero target word marks an empty slot.
        record.state = record.getTarget() != 0 ? SlotState::Received : SlotState::Empty;
        records[slot] = record;

        setProgress(static_cast<float>((slotsBefore + slot + 1) / static_cast<double>(totalUserSlots)));
        if (shouldExit())
            return Result::canceled;
    }
    return Result::noError;
}
} // namespace w40388_midi
