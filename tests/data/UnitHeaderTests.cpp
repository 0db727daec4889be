#include "data/UnitDataBlock.h"
#include "data/UnitHeader.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

namespace
{
const auto blockWithPayload = [](const UnitHeader& header, const std::string& payload)
{ return UnitDataBlock::build(header, payload.data(), payload.size()); };

UnitHeader validHeader(UnitModule module)
{
    UnitHeader header;
    header.setTarget(UnitPlatform::FeltanDigital, module);
    header.setName("Unit");
    return header;
}
} // namespace

TEST(UnitHeaderTests, FieldsNameAndDescriptorsLandLittleEndianAtTheirOffsetsAndVersionsFormatCappedAt99)
{
    UnitHeader header;
    header.setTarget(UnitPlatform::ParvolinVr, UnitModule::DelayEffect);
    header.setApi(0x11223344);
    header.setDevId(0xA1B2C3D4);
    header.setPrgId(0x01020304);
    header.setVersion(0x00050607);
    header.setNumParam(2);
    header.setName("ABCDEFGHIJKLMNOPQ"); // clipped to 13 characters, terminated at byte 31
    const UnitParamDescriptor descriptor{-50, 100, 1, "ThirteenChars"};
    ASSERT_TRUE(header.setParam(60, descriptor));
    EXPECT_FALSE(header.setParam(61, descriptor));

    std::string expected("\x02\x02\x44\x33\x22\x11\xD4\xC3\xB2\xA1\x04\x03\x02\x01\x07\x06\x05\x00"
                         "ABCDEFGHIJKLM",
                         31);
    expected.resize(UnitHeader::size, '\0');
    expected[32] = 2;
    expected.replace(996, 16, "\xCE\x64\x01ThirteenChars");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(header.data()), UnitHeader::size), expected);
    EXPECT_EQ(header.getTarget(), 0x0202);
    EXPECT_EQ(header.getName(), "ABCDEFGHIJKLM");
    EXPECT_TRUE(header.hasTerminatedName());
    EXPECT_EQ(header.getParam(60), descriptor);
    // The 61st descriptor survives into the data block.
    EXPECT_EQ(UnitDataBlock::getHeader(blockWithPayload(header, "UOSC")).getParam(60), descriptor);

    header.setName("X");
    EXPECT_EQ(header.getName(), "X");
    EXPECT_EQ(header.data()[19], 0);

    // Each part of a formatted version is capped at 99.
    const std::pair<std::array<int, 3>, const char*> cases[] = {
        {{1, 2, 3}, "1.02-3"}, {{0, 0, 0}, "0.00-0"}, {{120, 5, 100}, "99.05-99"}, {{255, 255, 255}, "99.99-99"}};
    for (const auto& [parts, text] : cases)
        EXPECT_EQ(formatUnitVersion(parts[0], parts[1], parts[2]), text);
    EXPECT_EQ(formatUnitVersionWord(0x010203u), "1.02-3");
}

// check() accepts it, and refuses a wrong tag, a short payload and an invalid header.
TEST(UnitHeaderTests, BlockJoinsHeaderPayloadSizeAndZeroTailAndPassesOnlyItsOwnCheck)
{
    UnitHeader header = validHeader(UnitModule::ReverbEffect);
    std::memset(header.data() + 1020, 0xEE, 4); // replaced by the payload size
    const auto block = blockWithPayload(header, "UREVpayload");

    std::string expected(reinterpret_cast<const char*>(header.data()), 1020);
    expected.append("\x0B\0\0\0UREVpayload", 15).resize(11 + 1156, '\0');
    EXPECT_EQ(std::string(static_cast<const char*>(block.getData()), block.getSize()), expected);
    EXPECT_EQ(UnitDataBlock::getPayloadSize(block), 11u);

    std::string noFailure;
    EXPECT_TRUE(UnitDataBlock::check(block, noFailure));

    // An empty payload leaves the tag bytes in the zero tail; a tag that needs tail bytes never matches.
    const std::pair<UnitModule, std::string> cases[] = {
        {UnitModule::Oscillator, "UMODxx"}, {UnitModule::Global, ""}, {UnitModule::Oscillator, "UOS"}};
    for (const auto& [module, payload] : cases)
    {
        std::string failure;
        EXPECT_FALSE(UnitDataBlock::check(blockWithPayload(validHeader(module), payload), failure)) << payload;
        EXPECT_EQ(failure, "Binary magic bytes do not match the manifest's declared target module.");
    }
    EXPECT_EQ(blockWithPayload(validHeader(UnitModule::Global), "").getSize(), 1156u);
    EXPECT_TRUE(moduleTag(static_cast<int>(UnitModule::Oscillator) + 1).empty() && moduleTag(-1).empty());

    // An invalid header is refused with its summary.
    header = validHeader(UnitModule::Oscillator);
    header.setVersion(makeUnitVersionWord(1, 2, 3));
    header.setApi(makeUnitVersionWord(2, 0, 1));
    header.setDevId(0xABCD);
    header.setPrgId(1);
    std::string failure;
    // Unknown module 5 on platforms 4 and 3, and platforms 4 to 7 even with a known module.
    for (const std::uint16_t target : {0x0405, 0x0305, 0x0404, 0x0504, 0x0704})
    {
        header.setTarget(target);
        failure.clear();
        EXPECT_FALSE(UnitDataBlock::check(blockWithPayload(header, "UOSC"), failure)) << std::hex << target;
        EXPECT_EQ(failure, "Unit binary header is invalid.\"Unit\" v1.02-3 api:2.00-1 did:0000ABCD uid:00000001");
    }

    header.setTarget(0x0304);
    std::memset(header.data() + 18, 'N', 14); // name without terminator
    failure.clear();
    EXPECT_FALSE(UnitDataBlock::check(blockWithPayload(header, "UOSC"), failure));
    EXPECT_EQ(failure, "Unit binary header is invalid.\"NNNNNNNNNNNNNN\" v1.02-3 api:2.00-1 did:0000ABCD uid:00000001");
}
