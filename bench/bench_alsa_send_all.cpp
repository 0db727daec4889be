// How close SEND ALL comes to the wire's limit on the kernel's own sequencer: the simulated
// instrument answers at once behind an snd-virmidi device, and the job's wall time is set
// against the time its bytes need at the pacing rate (3125 B/s). Gaps between pieces and waits
// for answers are the overhead; the goal is "wire_ratio" <= 1.05. Runs only where there is a
// sequencer: in the virtual machine of scripts/test-alsa-guest.sh.
#include "midi/MidiDeviceManager.h"
#include "midi/WriteUserDataProcess.h"
#include "platform/SysExPacer.h"
#include "support/BenchSupport.h"
#include "support/files/UnitFileBuilder.h"
#include "support/midi/RawMidiInstrument.h"

#include <benchmark/benchmark.h>

namespace
{
// SEND ALL of eight oscillators with 4 KiB payloads: some tens of KiB on the wire.
void BM_SendAllOnAlsa(benchmark::State& state)
{
    test::RawMidiInstrument player("/dev/snd/midiC0D0");
    auto* manager = midi::MidiDeviceManager::getInstance();
    manager->automatic = false;
    manager->familyId = 0x157;
    manager->inPortName = manager->outPortName = "Virtual Raw MIDI 0-0 - VirMIDI 0-0";
    if (!player.isOpen() || !manager->Connect())
    {
        state.SkipWithError("no instrument on VirMIDI 0-0 (needs the guest's sequencer)");
        return;
    }
    test::UnitFileOptions options;
    options.payloadSize = 4096;
    const auto block = test::makeUnitDataBlock(options);

    for (auto _ : state)
    {
        w40388_data::UserData data;
        for (int slot = 0; slot < 8; ++slot)
            data.oscData[(size_t)slot] = w40388_data::UserOscData(block);
        player->clearReceivedMessages();
        w40388_midi::WriteUserDataProcess job(&data);
        const double start = bench::wallSeconds();
        const int result = job.execute();
        const double seconds = bench::wallSeconds() - start;
        state.SetIterationTime(seconds);

        double bytes = 0;
        for (const auto& message : player->getReceivedMessages())
            bytes += (double)message.size();
        state.counters["bytes"] = bytes;
        state.counters["wire_ratio"] = seconds / (bytes / (double)platform::SysExPacer::defaultBytesPerSecond);
        state.counters["failures"] = result != 0;
    }
    manager->Disconnect();
}
BENCHMARK(BM_SendAllOnAlsa)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv);
}
