#include "midi/SysExMessages.h"

#include <gtest/gtest.h>

#include <numeric>

namespace
{
using w40388_midi::SysExBytes;

SysExBytes pack(const SysExBytes& input)
{
    // One guard byte past the expected size shows that packing stays inside its output.
    const int count = static_cast<int>(input.size());
    SysExBytes output(static_cast<size_t>(w40388_midi::getPackedSize(count)) + 1, 0xEE);
    w40388_midi::packSysExData(output.data(), input.data(), &count);
    EXPECT_EQ(0xEE, output.back());
    output.pop_back();
    return output;
}

TEST(SysExMessages, PackingKeepsTopBitsInALeadingByteAndMessagesCarryChannelAndFamily)
{
    const SysExBytes unit{0x80, 0x01, 0xFF};
    const std::pair<SysExBytes, SysExBytes> cases[] = {
        {w40388_midi::makeIdentityRequest(), {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}},
        {w40388_midi::makeClearUserSlot(343, 0, 4, 3), {0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x1B, 0x04, 0x03, 0xF7}},
        {w40388_midi::makeSwapUserSlots(343, 0, 1, 2, 5),
         {0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x1E, 0x01, 0x02, 0x05, 0xF7}},
        {w40388_midi::makeUserSlotHeaderRequest(343, 5, 2, 7),
         {0xF0, 0x42, 0x35, 0x00, 0x01, 0x57, 0x19, 0x02, 0x07, 0xF7}},
        // Channel keeps its low nibble, family its two 7-bit halves, slots their low seven bits.
        {w40388_midi::makeSwapUserSlots(0xFFFF, 0x1F, 3, 0x81, 0xFF),
         {0xF0, 0x42, 0x3F, 0x00, 0x7F, 0x7F, 0x1E, 0x03, 0x01, 0x7F, 0xF7}},
        // Payload 03 00 00 00 00 00 00 | 00 80 01 FF packs to 00 03 00 00 00 00 00 00 | 0A 00 00 01 7F.
        {w40388_midi::makeUserSlotDataDump(343, 2, 3, 6, unit.data(), unit.size()),
         {0xF0, 0x42, 0x32, 0x00, 0x01, 0x57, 0x4A, 0x03, 0x06, 0x00, 0x03, 0x00,
          0x00, 0x00, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x01, 0x7F, 0xF7}},
        // An empty unit carries only the length prefix.
        {w40388_midi::makeUserSlotDataDump(343, 0, 1, 0, juce::MemoryBlock()),
         {0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x4A, 0x01, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0xF7}}};
    for (const auto& [built, expected] : cases)
        EXPECT_EQ(expected, built);

    EXPECT_EQ((SysExBytes{0x05, 0x01, 0x02, 0x03}), pack({0x81, 0x02, 0x83}));
    EXPECT_EQ((SysExBytes{0x7F, 0, 0, 0, 0, 0, 0, 0}), pack(SysExBytes(7, 0x80)));
    EXPECT_EQ((SysExBytes{0x41, 0x70, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x01, 0x7F}),
              pack({0xF0, 0x01, 0x02, 0x03, 0x04, 0x05, 0x86, 0xFF}));
    EXPECT_EQ(std::make_pair(0, 0), std::make_pair(w40388_midi::getPackedSize(0), w40388_midi::getPackedSize(-3)));

    SysExBytes output(4, 0xEE); // packs nothing, not even from itself
    for (const int count : {0, -1})
        w40388_midi::packSysExData(output.data(), output.data(), &count);
    EXPECT_EQ(SysExBytes(4, 0xEE), output);

    // Unpacking restores every byte value and stops at the output's capacity.
    SysExBytes input(256 + 5);
    std::iota(input.begin(), input.end(), 0);
    const SysExBytes packed = pack(input);
    for (const auto byte : packed)
        ASSERT_LT(byte, 0x80);
    SysExBytes unpacked(input.size() + 8, 0);
    ASSERT_EQ(static_cast<int>(input.size()),
              w40388_midi::unpackSysExData(unpacked.data(), static_cast<int>(unpacked.size()), packed.data(),
                                           static_cast<int>(packed.size())));
    unpacked.resize(input.size());
    EXPECT_EQ(input, unpacked);

    SysExBytes capped(3, 0);
    EXPECT_EQ(2, w40388_midi::unpackSysExData(capped.data(), 2, packed.data(), static_cast<int>(packed.size())));
    EXPECT_EQ((SysExBytes{0x00, 0x01, 0x00}), capped);
}
} // namespace
