// Packing speed of the unit write: a unit data block is packed into one System Exclusive
// message per slot write, so this is the cost the write job pays before each send.
#include "midi/SysExMessages.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
std::vector<juce::uint8> makeInput(size_t size)
{
    std::vector<juce::uint8> input(size);
    juce::Random random(42);
    for (auto& byte : input)
        byte = static_cast<juce::uint8>(random.nextInt(256));
    return input;
}

void BM_PackSysExData(benchmark::State& state)
{
    const auto input = makeInput(static_cast<size_t>(state.range(0)));
    const int count = static_cast<int>(input.size());
    std::vector<juce::uint8> output(static_cast<size_t>(w40388_midi::getPackedSize(count)));
    for (auto _ : state)
    {
        w40388_midi::packSysExData(output.data(), input.data(), &count);
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * count);
}
BENCHMARK(BM_PackSysExData)->Arg(1164)->Arg(32 * 1024)->Arg(1 << 20);

// The whole unit-write message, allocation and length prefix included.
void BM_MakeUserSlotDataDump(benchmark::State& state)
{
    const auto input = makeInput(static_cast<size_t>(state.range(0)));
    for (auto _ : state)
    {
        auto message = w40388_midi::makeUserSlotDataDump(343, 0, 4, 3, input.data(), input.size());
        benchmark::DoNotOptimize(message.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_MakeUserSlotDataDump)->Arg(1156)->Arg(32 * 1024);

void BM_UnpackSlotHeader(benchmark::State& state)
{
    std::vector<juce::uint8> message(48, 0x11);
    juce::uint8 header[32];
    for (auto _ : state)
    {
        w40388_midi::unpackSlotHeader(message.data(), header);
        benchmark::DoNotOptimize(header);
    }
}
BENCHMARK(BM_UnpackSlotHeader);
} // namespace

BENCHMARK_MAIN();
