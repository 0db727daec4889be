#include "data/UnitHeader.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
template <std::size_t N>
std::optional<int> indexOfKey(const std::array<std::string_view, N>& keys, std::string_view key)
{
    for (std::size_t i = 0; i < N; ++i)
        if (keys[i] == key)
            return static_cast<int>(i);
    return std::nullopt;
}
} // namespace

std::optional<UnitModule> unitModuleFromKey(std::string_view key)
{
    if (const auto index = indexOfKey(moduleKeys, key))
        return static_cast<UnitModule>(*index);
    return std::nullopt;
}

std::optional<UnitPlatform> unitPlatformFromKey(std::string_view key)
{
    if (const auto index = indexOfKey(platformKeys, key))
        return static_cast<UnitPlatform>(*index + 1);
    return std::nullopt;
}

std::optional<int> paramTypeIndexFromKey(std::string_view key)
{
    return indexOfKey(paramTypeKeys, key);
}

std::string_view moduleTag(int module)
{
    if (module < 0 || module >= numUnitModules)
        return {};
    return std::string_view(moduleTags + static_cast<std::size_t>(module) * moduleTagSize, moduleTagSize);
}

std::string formatUnitVersion(std::uint8_t major, std::uint8_t minor, std::uint8_t patch)
{
    const auto cap = [](std::uint8_t part) { return static_cast<unsigned>(std::min<std::uint8_t>(part, 99)); };
    char text[12];
    const int length = std::snprintf(text, sizeof(text), "%u.%02u-%u", cap(major), cap(minor), cap(patch));
    return std::string(text, static_cast<std::size_t>(std::clamp(length, 0, static_cast<int>(sizeof(text)) - 1)));
}

std::string formatUnitVersionWord(std::uint32_t word)
{
    return formatUnitVersion(static_cast<std::uint8_t>((word >> 16) & 0x7F), static_cast<std::uint8_t>((word >> 8) & 0x7F),
                             static_cast<std::uint8_t>(word & 0x7F));
}

UnitHeader::UnitHeader(const void* source, std::size_t numBytes)
{
    if (source != nullptr)
        std::memcpy(bytes.data(), source, std::min(numBytes, size));
}

std::uint16_t UnitHeader::getTarget() const
{
    return static_cast<std::uint16_t>(bytes[targetOffset] | bytes[targetOffset + 1] << 8);
}

void UnitHeader::setTarget(std::uint16_t target)
{
    bytes[targetOffset] = static_cast<std::uint8_t>(target & 0xFF);
    bytes[targetOffset + 1] = static_cast<std::uint8_t>(target >> 8);
}

void UnitHeader::setTarget(UnitPlatform platform, UnitModule module)
{
    setTarget(static_cast<std::uint16_t>((static_cast<int>(platform) & 0x7F) << 8 | (static_cast<int>(module) & 0x7F)));
}

std::string UnitHeader::getName() const
{
    const auto* first = reinterpret_cast<const char*>(bytes.data() + nameOffset);
    return std::string(first, strnlen(first, nameFieldSize));
}

void UnitHeader::setName(std::string_view name)
{
    std::fill_n(bytes.begin() + nameOffset, nameFieldSize, 0);
    std::memcpy(bytes.data() + nameOffset, name.data(), std::min(name.size(), maxNameLength));
}

bool UnitHeader::hasTerminatedName() const
{
    const auto* first = bytes.data() + nameOffset;
    return std::find(first, first + nameFieldSize, 0) != first + nameFieldSize;
}

UnitParamDescriptor UnitHeader::getParam(std::size_t index) const
{
    UnitParamDescriptor descriptor;
    if (index >= maxParamDescriptors)
        return descriptor;

    const auto* first = bytes.data() + paramsOffset + index * UnitParamDescriptor::size;
    descriptor.min = static_cast<std::int8_t>(first[0]);
    descriptor.max = static_cast<std::int8_t>(first[1]);
    descriptor.type = first[2];
    const auto* name = reinterpret_cast<const char*>(first + UnitParamDescriptor::nameOffset);
    descriptor.name.assign(name, strnlen(name, UnitParamDescriptor::maxNameLength));
    return descriptor;
}

bool UnitHeader::setParam(std::size_t index, const UnitParamDescriptor& descriptor)
{
    if (index >= maxParamDescriptors)
        return false;

    auto* first = bytes.data() + paramsOffset + index * UnitParamDescriptor::size;
    std::fill_n(first, UnitParamDescriptor::size, 0);
    first[0] = static_cast<std::uint8_t>(descriptor.min);
    first[1] = static_cast<std::uint8_t>(descriptor.max);
    first[2] = descriptor.type;
    // A 13-character name fills its field without a terminator.
    std::memcpy(first + UnitParamDescriptor::nameOffset, descriptor.name.data(),
                std::min(descriptor.name.size(), UnitParamDescriptor::maxNameLength));
    return true;
}

std::uint32_t UnitHeader::readWord(std::size_t offset) const
{
    return juce::ByteOrder::littleEndianInt(bytes.data() + offset);
}

void UnitHeader::writeWord(std::size_t offset, std::uint32_t value)
{
    const auto littleEndian = juce::ByteOrder::swapIfBigEndian(value);
    std::memcpy(bytes.data() + offset, &littleEndian, sizeof(littleEndian));
}
