#include "midi/SysExMessages.h"

#include <algorithm>

namespace w40388_midi
{
namespace
{
constexpr int groupSize = 7;

// Data bytes of a System Exclusive message must keep bit 7 clear, or the message would end early.
juce::uint8 dataByte(int value)
{
    return static_cast<juce::uint8>(value & 0x7F);
}

SysExBytes makeMakerMessage(juce::uint32 familyId, int channel, juce::uint8 function,
                            std::initializer_list<int> arguments)
{
    SysExBytes message(sysex::makerHeaderSize);
    writeMakerHeader(message.data(), familyId, channel);
    message.push_back(function);
    for (const int argument : arguments)
        message.push_back(dataByte(argument));
    message.push_back(sysex::sysExEnd);
    return message;
}
} // namespace

void packSysExData(juce::uint8* output, const juce::uint8* input, const int* count)
{
    const int n = *count;
    for (int groupStart = 0; groupStart < n; groupStart += groupSize)
    {
        const int groupLength = std::min(groupSize, n - groupStart);
        juce::uint8 leading = 0;
        for (int i = 0; i < groupLength; ++i)
        {
            const juce::uint8 byte = input[groupStart + i];
            leading = static_cast<juce::uint8>(leading | ((byte >> 7) << i));
            output[i + 1] = static_cast<juce::uint8>(byte & 0x7F);
        }
        output[0] = leading;
        output += groupLength + 1;
    }
}

int unpackSysExData(juce::uint8* output, int outputCapacity, const juce::uint8* packed, int packedCount)
{
    int written = 0;
    int read = 0;
    while (read < packedCount && written < outputCapacity)
    {
        const juce::uint8 leading = packed[read++];
        for (int i = 0; i < groupSize && read < packedCount && written < outputCapacity; ++i)
            output[written++] = static_cast<juce::uint8>(packed[read++] | (((leading >> i) & 1) << 7));
    }
    return written;
}

void unpackSlotHeader(const juce::uint8* message, juce::uint8* header)
{
    unpackSysExData(header, sysex::slotHeaderSize, message + sysex::slotHeaderDumpPackedOffset,
                    sysex::slotHeaderPackedSize);
}

void writeMakerHeader(juce::uint8* output, juce::uint32 familyId, int channel)
{
    output[0] = sysex::sysExStart;
    output[1] = sysex::makerId;
    output[2] = static_cast<juce::uint8>(sysex::makerMessageFormat | (channel & 0x0F));
    output[3] = 0x00;
    output[4] = static_cast<juce::uint8>((familyId >> 8) & 0x7F);
    output[5] = static_cast<juce::uint8>(familyId & 0x7F);
}

SysExBytes makeIdentityRequest()
{
    return {sysex::sysExStart,         sysex::universalNonRealTime, sysex::allDevices,
            sysex::generalInformation, sysex::identityRequestId,    sysex::sysExEnd};
}

SysExBytes makeUserSlotHeaderRequest(juce::uint32 familyId, int channel, int module, int slot)
{
    return makeMakerMessage(familyId, channel, sysex::userSlotHeaderRequest, {module, slot});
}

SysExBytes makeClearUserSlot(juce::uint32 familyId, int channel, int module, int slot)
{
    return makeMakerMessage(familyId, channel, sysex::clearUserSlot, {module, slot});
}

SysExBytes makeSwapUserSlots(juce::uint32 familyId, int channel, int module, int firstSlot, int secondSlot)
{
    return makeMakerMessage(familyId, channel, sysex::swapUserSlots, {module, firstSlot, secondSlot});
}

size_t getUserSlotDataDumpSize(size_t unitDataSize)
{
    const size_t payloadSize = unitDataSize + sysex::userSlotDataDumpPrefixSize;
    return sysex::userSlotDataDumpPackedOffset + payloadSize + (payloadSize + groupSize - 1) / groupSize + 1;
}

SysExBytes makeUserSlotDataDump(juce::uint32 familyId, int channel, int module, int slot, const void* unitData,
                                size_t unitDataSize)
{
    // The payload's length travels as a 32-bit little-endian word followed by a zero word.
    SysExBytes payload(sysex::userSlotDataDumpPrefixSize + unitDataSize, 0);
    const auto size = static_cast<juce::uint32>(unitDataSize);
    for (int i = 0; i < 4; ++i)
        payload[static_cast<size_t>(i)] = static_cast<juce::uint8>(size >> (8 * i));
    if (unitDataSize > 0)
        std::copy_n(static_cast<const juce::uint8*>(unitData), unitDataSize,
                    payload.begin() + sysex::userSlotDataDumpPrefixSize);

    SysExBytes message(getUserSlotDataDumpSize(unitDataSize));
    writeMakerHeader(message.data(), familyId, channel);
    message[6] = sysex::userSlotDataDump;
    message[7] = dataByte(module);
    message[8] = dataByte(slot);
    const int payloadSize = static_cast<int>(payload.size());
    packSysExData(message.data() + sysex::userSlotDataDumpPackedOffset, payload.data(), &payloadSize);
    message.back() = sysex::sysExEnd;
    return message;
}

SysExBytes makeUserSlotDataDump(juce::uint32 familyId, int channel, int module, int slot,
                                const juce::MemoryBlock& unitData)
{
    return makeUserSlotDataDump(familyId, channel, module, slot, unitData.getData(), unitData.getSize());
}
} // namespace w40388_midi
