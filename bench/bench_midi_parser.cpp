// Throughput of the port layer's input parser, in bytes of MIDI per second.
#include "midi/CTRXMidi.h"
#include "platform/VirtualMidiBus.h"

#include <benchmark/benchmark.h>

namespace
{
class CountingListener : public CTRXMidiListener
{
public:
    void OnMidiMessage(CTRXMidi*, CTRXMidiMessage* message) override { bytes += message->GetLength(); }
    void OnSysExMessage(CTRXMidi*, CTRXMidiMessage* message) override { bytes += message->GetLength(); }
    std::size_t bytes = 0;
};

// Long System Exclusive messages (a unit write is tens of KiB) in 256-byte packets, as the
// ALSA sequencer delivers them.
void sysExInPackets(benchmark::State& state)
{
    const auto messageSize = (std::size_t)state.range(0);
    std::vector<std::uint8_t> message(messageSize, 0x2A);
    message.front() = 0xF0;
    message.back() = 0xF7;

    auto bus = std::make_shared<platform::VirtualMidiBus>();
    CTRXMidi midi(bus);
    CountingListener listener;
    midi.AddListener(&listener);

    for (auto _ : state)
    {
        for (std::size_t offset = 0; offset < message.size(); offset += 256)
            midi.ParseMidiBytes((int)std::min<std::size_t>(256, message.size() - offset), message.data() + offset);
    }
    benchmark::DoNotOptimize(listener.bytes);
    state.SetBytesProcessed((std::int64_t)(state.iterations() * messageSize));
}
BENCHMARK(sysExInPackets)->Arg(64)->Arg(4096)->Arg(65536);

// Short messages packed into packets: one allocation and one notification per message.
void shortMessages(benchmark::State& state)
{
    std::vector<std::uint8_t> packet;
    for (int i = 0; i < 1000; ++i)
        packet.insert(packet.end(), {0x90, 0x3C, 0x40, 0xC0, 0x05, 0xFE});

    auto bus = std::make_shared<platform::VirtualMidiBus>();
    CTRXMidi midi(bus);
    CountingListener listener;
    midi.AddListener(&listener);

    for (auto _ : state)
        midi.ParseMidiBytes((int)packet.size(), packet.data());
    benchmark::DoNotOptimize(listener.bytes);
    state.SetBytesProcessed((std::int64_t)(state.iterations() * packet.size()));
}
BENCHMARK(shortMessages);
} // namespace

BENCHMARK_MAIN();
