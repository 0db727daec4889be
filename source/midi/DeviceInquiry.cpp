#include "midi/DeviceInquiry.h"

#include "midi/MidiCommunicationResult.h"
#include "midi/SysExMessages.h"

namespace w40388_midi
{
int DeviceInquiry::execute()
{
    namespace Result = midi::MidiCommunicationResult;

    sendMessage(makeIdentityRequest());

    AnalyzedInformation reply;
    waitForAnswer(reply, {AnalyzedInformation::IdentityReply}, replyTimeoutMs);
    if (reply.kind != AnalyzedInformation::IdentityReply)
        return Result::timeout;

    const auto* b = static_cast<const juce::uint8*>(reply.data.getData());
    const auto family = static_cast<juce::uint32>(b[7] << 8 | b[6]);
    if (b[5] != sysex::makerId || family != familyId())
        return Result::targetDevice;

    channel = b[2] & 0x0F;
    for (size_t i = 0; i < versionBytes.size(); ++i)
        versionBytes[i] = static_cast<juce::int8>(b[10 + i]);
    return Result::noError;
}
} // namespace w40388_midi
