#include "midi/AnalyzedInformation.h"
#include "midi/SysExMessages.h"

#include <gtest/gtest.h>

namespace
{
using w40388_midi::AnalyzedInformation;
using Bytes = std::vector<juce::uint8>;

constexpr juce::uint32 family = 343;

AnalyzedInformation analyze(const Bytes& message, juce::uint32 familyId = family)
{
    return w40388_midi::analyzeSysExMessage(message.data(), static_cast<juce::uint32>(message.size()), familyId);
}

Bytes makerAnswer(juce::uint8 function, size_t length = 8, juce::uint8 formatAndChannel = 0x30)
{
    Bytes message(length, 0x00);
    const Bytes head{0xF0, 0x42, formatAndChannel, 0x00, 0x01, 0x57, function};
    std::copy(head.begin(), head.begin() + static_cast<long>(std::min(length, head.size())), message.begin());
    message.back() = 0xF7;
    return message;
}

Bytes identityReply(size_t length)
{
    Bytes message{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x13, 0x57, 0x01, 0x00, 0x00, 0x01, 0x02, 0x03, 0x04, 0xF7};
    message.resize(length, 0x00);
    message.back() = 0xF7;
    return message;
}

struct KindCase
{
    Bytes message;
    AnalyzedInformation::Kind kind;
    juce::uint32 familyId = family;
};

TEST(AnalyzedInformation, ClassifiesEachMessage)
{
    const KindCase cases[] = {
        {makerAnswer(0x23), AnalyzedInformation::Ack},
        {makerAnswer(0x23, 8, 0x3F), AnalyzedInformation::Ack},  // another channel
        {makerAnswer(0x23, 8, 0x50), AnalyzedInformation::None}, // search format byte
        {{0xF0, 0x42, 0x30, 0x00, 0x01, 0x58, 0x23, 0xF7}, AnalyzedInformation::None},
        {{0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x23}, AnalyzedInformation::None},
        {{0xF0, 0x42, 0x30, 0x55, 0x01, 0x57, 0xA3, 0xF7}, AnalyzedInformation::Ack}, // any byte 3, top bit of function
        {makerAnswer(0x23), AnalyzedInformation::None, 344}, // the family comes from the caller
        {{0xF0, 0x42, 0x30, 0x00, 0x7F, 0x7F, 0x23, 0xF7}, AnalyzedInformation::Ack, 0x7F7F},
        {makerAnswer(0x24), AnalyzedInformation::Nak},
        {makerAnswer(0x25), AnalyzedInformation::None},
        {makerAnswer(0x26, 12), AnalyzedInformation::Function26},
        {makerAnswer(0x27), AnalyzedInformation::UserCommError},
        {makerAnswer(0x2F), AnalyzedInformation::UserCommError},
        {makerAnswer(0x30), AnalyzedInformation::None},
        {makerAnswer(0x46), AnalyzedInformation::None},
        {makerAnswer(0x47), AnalyzedInformation::Function47},
        {makerAnswer(0x48), AnalyzedInformation::Function48},
        {makerAnswer(0x4A, 30), AnalyzedInformation::SlotData},
        {makerAnswer(0x4B), AnalyzedInformation::None},
        {makerAnswer(0x22), AnalyzedInformation::None},
        {makerAnswer(0x49, 9), AnalyzedInformation::BrokenHeader},
        {{0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x49, 0x04, 0x03, 0xF7}, AnalyzedInformation::SlotHeader}, // empty slot
        {makerAnswer(0x49, 11), AnalyzedInformation::BrokenHeader},
        {makerAnswer(0x49, 47), AnalyzedInformation::BrokenHeader},
        {makerAnswer(0x49, 49), AnalyzedInformation::SlotHeader},
        {identityReply(15), AnalyzedInformation::IdentityReply}, // of any maker
        {identityReply(14), AnalyzedInformation::None},
        {identityReply(16), AnalyzedInformation::None},
        {{0xF0, 0x7E, 0x00, 0x06, 0x01, 0x13, 0x57, 0x01, 0, 0, 1, 2, 3, 4, 0xF7}, AnalyzedInformation::None}, // sub-ID
        {{0xF0, 0x7E, 0x00, 0x07, 0x02, 0x13, 0x57, 0x01, 0, 0, 1, 2, 3, 4, 0xF7}, AnalyzedInformation::None}, // group
        {{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, AnalyzedInformation::None},
        {{0xF0, 0x7F, 0x00, 0x06, 0x02, 0x42, 0x57, 0x01, 0, 0, 0, 0, 0, 0, 0xF7}, AnalyzedInformation::None},
        {{0xF0, 0x42, 0x50, 0x01, 0, 0x03, 0x57, 0x01, 0, 0, 0, 0, 0, 0, 0xF7}, AnalyzedInformation::None},
        {{0xF0, 0x41, 0x30, 0x00, 0x01, 0x57, 0x23, 0xF7}, AnalyzedInformation::None},
        {{0xF0}, AnalyzedInformation::None},
        {{}, AnalyzedInformation::None}};
    for (const auto& [message, kind, familyId] : cases)
    {
        const AnalyzedInformation info = analyze(message, familyId);
        const auto hex = juce::String::toHexString(message.data(), (int)message.size());
        EXPECT_EQ(kind, info.kind) << hex;
        const bool carriesData = kind == AnalyzedInformation::IdentityReply || kind == AnalyzedInformation::SlotHeader;
        EXPECT_EQ(carriesData, info.data.getSize() > 0) << hex;
    }
    EXPECT_EQ(AnalyzedInformation::None, w40388_midi::analyzeSysExMessage(nullptr, 15, family).kind);
}
} // namespace
