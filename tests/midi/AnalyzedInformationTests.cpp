#include "midi/AnalyzedInformation.h"
#include "midi/SysExMessages.h"

#include <gtest/gtest.h>

namespace
{
using w40388_midi::AnalyzedInformation;
using Bytes = std::vector<juce::uint8>;

constexpr juce::uint32 family = 343;

Bytes makerAnswer(juce::uint8 function, size_t length = 8, juce::uint8 formatAndChannel = 0x30)
{
    Bytes message{0xF0, 0x42, formatAndChannel, 0x00, 0x01, 0x57, function};
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
    using Info = AnalyzedInformation;
    // Answers of the maker by function byte and length: each range with its neighbours. A slot header answer is
    // empty (10 bytes) or whole (49).
    const std::tuple<juce::uint8, size_t, Info::Kind> answers[] = {
        {0x22, 8, Info::None},          {0x23, 8, Info::Ack},          {0x24, 8, Info::Nak},
        {0x25, 8, Info::None},          {0x26, 12, Info::Function26},  {0x27, 8, Info::UserCommError},
        {0x2F, 8, Info::UserCommError}, {0x30, 8, Info::None},         {0x46, 8, Info::None},
        {0x47, 8, Info::Function47},    {0x48, 8, Info::Function48},   {0x4A, 30, Info::SlotData},
        {0x4B, 8, Info::None},          {0x49, 9, Info::BrokenHeader}, {0x49, 11, Info::BrokenHeader},
        {0x49, 47, Info::BrokenHeader}, {0x49, 49, Info::SlotHeader}};
    std::vector<KindCase> cases = {
        {makerAnswer(0x23, 8, 0x3F), Info::Ack},  // another channel
        {makerAnswer(0x23, 8, 0x50), Info::None}, // search format byte
        {makerAnswer(0x23), Info::None, 344},     // the family comes from the caller
        {{0xF0, 0x42, 0x30, 0x00, 0x7F, 0x7F, 0x23, 0xF7}, Info::Ack, 0x7F7F},
        {{0xF0, 0x42, 0x30, 0x00, 0x01, 0x58, 0x23, 0xF7}, Info::None},
        {{0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x23}, Info::None},
        {{0xF0, 0x42, 0x30, 0x55, 0x01, 0x57, 0xA3, 0xF7}, Info::Ack}, // any byte 3, top bit of function
        {{0xF0, 0x41, 0x30, 0x00, 0x01, 0x57, 0x23, 0xF7}, Info::None},
        {{0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x49, 0x04, 0x03, 0xF7}, Info::SlotHeader},                // empty slot
        {{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x13, 0x57, 0x01, 0, 0, 1, 2, 3, 4, 0xF7}, Info::IdentityReply}, // any maker
        {{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x13, 0x57, 0x01, 0, 0, 1, 2, 3, 0xF7}, Info::None},             // 14 bytes
        {{0xF0, 0x7E, 0x00, 0x06, 0x02, 0x13, 0x57, 0x01, 0, 0, 1, 2, 3, 4, 0, 0xF7}, Info::None},       // 16 bytes
        {{0xF0, 0x7E, 0x00, 0x06, 0x01, 0x13, 0x57, 0x01, 0, 0, 1, 2, 3, 4, 0xF7}, Info::None},          // sub-ID
        {{0xF0, 0x7E, 0x00, 0x07, 0x02, 0x13, 0x57, 0x01, 0, 0, 1, 2, 3, 4, 0xF7}, Info::None},          // group
        {{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, Info::None},
        {{0xF0, 0x7F, 0x00, 0x06, 0x02, 0x42, 0x57, 0x01, 0, 0, 0, 0, 0, 0, 0xF7}, Info::None},
        {{0xF0, 0x42, 0x50, 0x01, 0, 0x03, 0x57, 0x01, 0, 0, 0, 0, 0, 0, 0xF7}, Info::None},
        {{0xF0}, Info::None},
        {{}, Info::None}};
    for (const auto& [function, length, kind] : answers)
        cases.push_back({makerAnswer(function, length), kind});
    for (const auto& [message, kind, familyId] : cases)
    {
        const auto info = w40388_midi::analyzeSysExMessage(message.data(), (juce::uint32)message.size(), familyId);
        const auto hex = juce::String::toHexString(message.data(), (int)message.size());
        EXPECT_EQ(kind, info.kind) << hex;
        const bool carriesData = kind == Info::IdentityReply || kind == Info::SlotHeader;
        EXPECT_EQ(carriesData, info.data.getSize() > 0) << hex;
    }
    EXPECT_EQ(Info::None, w40388_midi::analyzeSysExMessage(nullptr, 15, family).kind);
}
} // namespace
