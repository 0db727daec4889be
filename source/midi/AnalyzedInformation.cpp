#include "midi/AnalyzedInformation.h"

#include "midi/SysExMessages.h"

namespace w40388_midi
{
const AnalyzedInformation noAnswer;

AnalyzedInformation::AnalyzedInformation(Kind kindToUse, juce::MemoryBlock dataToUse)
    : kind(kindToUse), data(std::move(dataToUse))
{
}

AnalyzedInformation& AnalyzedInformation::operator=(const AnalyzedInformation& other)
{
    kind = other.kind;
    // The copy constructor copies nothing for an empty block.
    data = juce::MemoryBlock(other.data);
    return *this;
}

namespace
{
constexpr juce::uint32 minimumMakerAnswerSize = 8;

AnalyzedInformation classifySlotHeaderDump(const juce::uint8* bytes, juce::uint32 length)
{
    if (length == static_cast<juce::uint32>(sysex::emptySlotHeaderDumpSize))
        return {AnalyzedInformation::SlotHeader, juce::MemoryBlock(sysex::slotHeaderSize, true)};

    if (length >= static_cast<juce::uint32>(sysex::fullSlotHeaderDumpSize))
    {
        juce::MemoryBlock header(sysex::slotHeaderSize, true);
        unpackSlotHeader(bytes, static_cast<juce::uint8*>(header.getData()));
        return {AnalyzedInformation::SlotHeader, std::move(header)};
    }

    return {AnalyzedInformation::BrokenHeader, {}};
}

AnalyzedInformation classifyMakerMessage(const juce::uint8* bytes, juce::uint32 length, juce::uint32 familyId)
{
    if (length < minimumMakerAnswerSize)
        return noAnswer;
    if ((bytes[2] & 0xF0) != sysex::makerMessageFormat)
        return noAnswer;
    if (static_cast<juce::uint32>(bytes[4] << 8 | bytes[5]) != familyId)
        return noAnswer;

    const juce::uint8 function = bytes[sysex::functionByteIndex] & 0x7F;
    if (function >= sysex::firstUserCommError && function <= sysex::lastUserCommError)
        return {AnalyzedInformation::UserCommError, {}};

    switch (function)
    {
    case sysex::ack:
        return {AnalyzedInformation::Ack, {}};
    case sysex::nak:
        return {AnalyzedInformation::Nak, {}};
    case sysex::function26:
        return {AnalyzedInformation::Function26, {}};
    case sysex::function47:
        return {AnalyzedInformation::Function47, {}};
    case sysex::function48:
        return {AnalyzedInformation::Function48, {}};
    case sysex::userSlotHeaderDump:
        return classifySlotHeaderDump(bytes, length);
    case sysex::userSlotDataDump:
        return {AnalyzedInformation::SlotData, {}};
    default:
        return noAnswer;
    }
}

AnalyzedInformation classifyUniversalMessage(const juce::uint8* bytes, juce::uint32 length)
{
    if (length == static_cast<juce::uint32>(sysex::identityReplySize) && bytes[3] == sysex::generalInformation &&
        bytes[4] == sysex::identityReplyId)
        return {AnalyzedInformation::IdentityReply, juce::MemoryBlock(bytes, length)};
    return noAnswer;
}
} // namespace

AnalyzedInformation analyzeSysExMessage(const juce::uint8* bytes, juce::uint32 length, juce::uint32 familyId)
{
    // Byte 0 is never looked at; without byte 1 there is nothing to tell the message by.
    if (bytes == nullptr || length < 2)
        return noAnswer;

    switch (bytes[1])
    {
    case sysex::makerId:
        return classifyMakerMessage(bytes, length, familyId);
    case sysex::universalNonRealTime:
        return classifyUniversalMessage(bytes, length);
    default:
        return noAnswer;
    }
}
} // namespace w40388_midi
