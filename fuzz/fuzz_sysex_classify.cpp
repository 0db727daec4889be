// Feeds arbitrary byte runs to the answer classification: it must never read outside the
// message, and its result must be consistent with the kind it reports.
#include "midi/AnalyzedInformation.h"
#include "midi/SysExMessages.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // An exact-size heap copy lets the address sanitizer catch any read past the end.
    std::vector<juce::uint8> message(data, data + size);
    const auto length = static_cast<juce::uint32>(message.size());
    const juce::uint8* bytes = message.empty() ? nullptr : message.data();

    for (const juce::uint32 familyId : {w40388_midi::sysex::instrumentFamilyId, juce::uint32{0xFFFFFFFF}})
    {
        const auto info = w40388_midi::analyzeSysExMessage(bytes, length, familyId);
        switch (info.kind)
        {
        case w40388_midi::AnalyzedInformation::IdentityReply:
            if (info.data.getSize() != 15 || length != 15)
                std::abort();
            break;
        case w40388_midi::AnalyzedInformation::SlotHeader:
            if (info.data.getSize() != 32 || (length != 10 && length < 48))
                std::abort();
            break;
        default:
            if (info.data.getSize() != 0)
                std::abort();
        }
    }

    // Packing then unpacking gives the input back and leaves every packed byte 7-bit.
    const int count = static_cast<int>(message.size());
    std::vector<juce::uint8> packed(static_cast<size_t>(w40388_midi::getPackedSize(count)));
    w40388_midi::packSysExData(packed.data(), message.data(), &count);
    for (const auto byte : packed)
        if (byte >= 0x80)
            std::abort();
    std::vector<juce::uint8> unpacked(message.size());
    const int written =
        w40388_midi::unpackSysExData(unpacked.data(), count, packed.data(), static_cast<int>(packed.size()));
    if (written != count || unpacked != message)
        std::abort();
    return 0;
}
