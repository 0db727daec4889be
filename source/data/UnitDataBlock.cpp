#include "data/UnitDataBlock.h"

#include <cstdio>
#include <cstring>

juce::MemoryBlock UnitDataBlock::build(const UnitHeader& header, const void* payload, std::size_t payloadSize)
{
    juce::MemoryBlock block(payloadSize + overhead, true);
    auto* bytes = static_cast<std::uint8_t*>(block.getData());
    std::memcpy(bytes, header.data(), headerPartSize);
    const auto size32 = juce::ByteOrder::swapIfBigEndian(static_cast<std::uint32_t>(payloadSize));
    std::memcpy(bytes + payloadSizeOffset, &size32, sizeof(size32));
    if (payloadSize > 0 && payload != nullptr)
        std::memcpy(bytes + payloadOffset, payload, payloadSize);
    return block;
}

bool UnitDataBlock::check(const juce::MemoryBlock& block, std::string& failureText)
{
    if (block.getSize() < overhead)
    {
        failureText = "Unit data block is too short.";
        return false;
    }

    const UnitHeader header = getHeader(block);
    if (header.getTarget() > 0x3FF || header.getModule() >= numUnitModules || !header.hasTerminatedName())
    {
        failureText = "Unit binary header is invalid." + describeHeader(header);
        return false;
    }

    // A payload shorter than its tag never matches, even if the zero tail would.
    const auto tag = moduleTag(header.getModule());
    if (getPayloadSize(block) < moduleTagSize ||
        std::memcmp(static_cast<const char*>(block.getData()) + payloadOffset, tag.data(), moduleTagSize) != 0)
    {
        failureText = "Binary magic bytes do not match the manifest's declared target module.";
        return false;
    }
    return true;
}

UnitHeader UnitDataBlock::getHeader(const juce::MemoryBlock& block)
{
    return UnitHeader(block.getData(), block.getSize());
}

std::uint32_t UnitDataBlock::getPayloadSize(const juce::MemoryBlock& block)
{
    if (block.getSize() < payloadOffset)
        return 0;
    return juce::ByteOrder::littleEndianInt(static_cast<const char*>(block.getData()) + payloadSizeOffset);
}

std::string UnitDataBlock::describeHeader(const UnitHeader& header)
{
    char ids[32];
    std::snprintf(ids, sizeof(ids), " did:%08X uid:%08X", static_cast<unsigned>(header.getDevId()),
                  static_cast<unsigned>(header.getPrgId()));
    return "\"" + header.getName() + "\" v" + formatUnitVersionWord(header.getVersion()) + " api:" +
           formatUnitVersionWord(header.getApi()) + ids;
}
