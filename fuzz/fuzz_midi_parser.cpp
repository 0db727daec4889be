// Feeds the port layer's input parser byte runs cut into packets at random places, and checks
// that whatever reaches a listener is well formed and lies inside the packet it came from.
#include "midi/CTRXMidi.h"
#include "platform/VirtualMidiBus.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

namespace
{
void check(bool condition)
{
    if (!condition)
        std::abort();
}

class CheckingListener : public CTRXMidiListener
{
public:
    void OnMidiMessage(CTRXMidi*, CTRXMidiMessage* message) override
    {
        const auto* bytes = message->GetBytes();
        const auto length = (int)message->GetLength();
        check(length >= 1 && bytes[0] >= 0x80 && bytes[0] != 0xF0);
        check(length == CTRXMidi::GetMessageLength(bytes[0]));
        for (int i = 1; i < length; ++i)
            check(bytes[i] < 0x80);
    }

    void OnSysExMessage(CTRXMidi*, CTRXMidiMessage* message) override
    {
        const auto* bytes = message->GetBytes();
        const auto length = message->GetLength();
        check(length >= 2 && bytes[0] == 0xF0 && bytes[length - 1] == 0xF7);
        // Inside: data bytes, or a 0xF0 that opened a later packet of the same message.
        for (std::uint32_t i = 1; i + 1 < length; ++i)
            check(bytes[i] < 0x80 || bytes[i] == 0xF0);
    }

    void OnSysExReceiving(CTRXMidi*, std::int32_t count, const std::uint8_t* bytes) override
    {
        check(count > 0 && bytes >= packetStart && bytes + count <= packetEnd);
    }

    const std::uint8_t* packetStart = nullptr;
    const std::uint8_t* packetEnd = nullptr;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static auto bus = std::make_shared<platform::VirtualMidiBus>();
    CTRXMidi midi(bus);
    CheckingListener listener;
    midi.AddListener(&listener);

    FuzzedDataProvider provider(data, size);
    const auto splits = provider.ConsumeIntegralInRange<std::size_t>(0, 32);
    std::vector<std::size_t> lengths;
    for (std::size_t i = 0; i < splits; ++i)
        lengths.push_back(provider.ConsumeIntegralInRange<std::size_t>(0, 300));
    const auto bytes = provider.ConsumeRemainingBytes<std::uint8_t>();

    std::size_t offset = 0;
    for (std::size_t i = 0; offset < bytes.size(); ++i)
    {
        const auto length = std::min(i < lengths.size() ? lengths[i] : bytes.size(), bytes.size() - offset);
        // Each packet is a separate allocation, so reading past it is caught.
        std::vector<std::uint8_t> packet(bytes.begin() + (long)offset, bytes.begin() + (long)(offset + length));
        listener.packetStart = packet.data();
        listener.packetEnd = packet.data() + packet.size();
        midi.ParseMidiBytes((int)packet.size(), packet.data());
        offset += length;
    }
    midi.RemoveAllListeners();
    return 0;
}
