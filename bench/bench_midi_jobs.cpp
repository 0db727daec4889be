// The MIDI jobs against the simulated instrument on the virtual bus: what a job thread costs
// while it waits for an answer, and how long SEND ALL and RECEIVE ALL take when the
// instrument answers at once.
#include "data/SlotFamily.h"
#include "midi/MidiCommunicationTask.h"
#include "midi/MidiDeviceManager.h"
#include "midi/ReceiveUserDataProcess.h"
#include "midi/WriteUserDataProcess.h"
#include "support/files/UnitFileBuilder.h"
#include "support/midi/SimulatedInstrument.h"
#include "support/midi/SimulatedInstrumentFixture.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <chrono>
#include <ctime>
#include <thread>

namespace
{
double cpuSeconds(clockid_t clock)
{
    timespec time{};
    clock_gettime(clock, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
}

double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The instrument on the bus with the device manager's ports connected to it.
struct ConnectedInstrument
{
    ConnectedInstrument() : bus(test::getVirtualMidiBus()), instrument(*bus)
    {
        auto* manager = midi::MidiDeviceManager::getInstance();
        manager->Disconnect();
        manager->familyId = w40388_midi::sysex::instrumentFamilyId;
        manager->automatic = false;
        manager->inPortName = manager->getMidiPort().GetInPortName(instrument.getSourceIndex());
        manager->outPortName = manager->getMidiPort().GetOutPortName(instrument.getDestinationIndex());
        connected = manager->Connect();
    }

    ~ConnectedInstrument() { midi::MidiDeviceManager::getInstance()->Disconnect(); }

    std::shared_ptr<platform::VirtualMidiBus> bus;
    test::SimulatedInstrument instrument;
    bool connected = false;
};

// A wait that no answer ends, on a job thread of its own: the thread's CPU time over the wall
// time of the wait (the counter "cpu_over_wall").
void BM_UnansweredWait(benchmark::State& state)
{
    ConnectedInstrument setup;
    const auto timeoutMs = static_cast<juce::uint32>(state.range(0));
    for (auto _ : state)
    {
        double cpu = 0;
        double wall = 0;
        std::thread job(
            [&]
            {
                w40388_midi::MidiCommunicationTask task;
                w40388_midi::AnalyzedInformation answer;
                const double wallStart = wallSeconds();
                const double cpuStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
                task.waitForAnswer(answer, {w40388_midi::AnalyzedInformation::Ack}, timeoutMs);
                cpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
                wall = wallSeconds() - wallStart;
            });
        job.join();
        state.SetIterationTime(wall);
        state.counters["cpu_over_wall"] = cpu / wall;
        state.counters["job_thread_cpu_ms"] = cpu * 1000;
    }
}
BENCHMARK(BM_UnansweredWait)->Arg(5000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// Lists of 48 loaded units, each with a payload of `payloadSize` bytes.
w40388_data::UserData loadedLists(size_t payloadSize)
{
    w40388_data::UserData data;
    auto fill = [&](auto family)
    {
        using Family = decltype(family);
        test::UnitFileOptions options;
        options.module = Family::module;
        options.payloadSize = payloadSize;
        const auto block = test::makeUnitDataBlock(options);
        for (int position = 0; position < Family::numUsableSlots; ++position)
            Family::records(data)[position] = typename Family::Record(block);
    };
    fill(w40388_data::OscSlotFamily{});
    fill(w40388_data::ModFXSlotFamily{});
    fill(w40388_data::DelFXSlotFamily{});
    fill(w40388_data::RevFXSlotFamily{});
    return data;
}

// SEND ALL of 48 units with 32 KiB payloads. Real time is the job's wall time; CPU time is the
// job thread's; "process_cpu_ms" adds the bus and the simulated instrument.
void BM_SendAll(benchmark::State& state)
{
    ConnectedInstrument setup;
    const auto lists = loadedLists(static_cast<size_t>(state.range(0)));
    double processCpu = 0;
    int failures = !setup.connected;
    for (auto _ : state)
    {
        state.PauseTiming();
        auto data = lists;
        w40388_midi::WriteUserDataProcess job(&data);
        const double cpuStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
        state.ResumeTiming();

        failures += job.execute() != 0;

        state.PauseTiming();
        processCpu += cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - cpuStart;
        state.ResumeTiming();
    }
    state.counters["process_cpu_ms"] = processCpu * 1000 / static_cast<double>(state.iterations());
    state.counters["failures"] = failures;
}
BENCHMARK(BM_SendAll)->Arg(32 * 1024)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// RECEIVE ALL of 48 slot headers, every slot holding a unit.
void BM_ReceiveAll(benchmark::State& state)
{
    ConnectedInstrument setup;
    for (int module = 1; module <= 4; ++module)
        for (int slot = 0; slot < test::SimulatedInstrument::getSlotCount(module); ++slot)
            setup.instrument.setSlotHeader(module, slot, {static_cast<juce::uint8>(module), 0x03, 'U'});
    int failures = !setup.connected;
    for (auto _ : state)
    {
        w40388_data::UserData data;
        w40388_midi::ReceiveUserDataProcess job(&data);
        failures += job.execute() != 0;
    }
    state.counters["failures"] = failures;
}
BENCHMARK(BM_ReceiveAll)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
} // namespace

int main(int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    juce::DeletedAtShutdown::deleteAll();
    return 0;
}
