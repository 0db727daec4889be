// The MIDI jobs against the simulated instrument on the virtual bus: what a job thread costs
// while it waits for an answer, and how long SEND ALL and RECEIVE ALL take when the
// instrument answers at once.
#include "midi/MidiCommunicationTask.h"
#include "midi/ReceiveUserDataProcess.h"
#include "midi/WriteUserDataProcess.h"
#include "support/BenchSupport.h"
#include "support/files/LoadedUserData.h"
#include "support/midi/SimulatedInstrument.h"

#include <benchmark/benchmark.h>

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

// A wait that no answer ends, on a job thread of its own: the thread's CPU time over the wall
// time of the wait (the counter "cpu_over_wall").
void BM_UnansweredWait(benchmark::State& state)
{
    bench::ConnectedInstrument setup;
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
                const double wallStart = bench::wallSeconds();
                const double cpuStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
                task.waitForAnswer(answer, {w40388_midi::AnalyzedInformation::Ack}, timeoutMs);
                cpu = cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart;
                wall = bench::wallSeconds() - wallStart;
            });
        job.join();
        state.SetIterationTime(wall);
        state.counters["cpu_over_wall"] = cpu / wall;
        state.counters["job_thread_cpu_ms"] = cpu * 1000;
    }
}
BENCHMARK(BM_UnansweredWait)->Arg(5000)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// SEND ALL of 48 units with 32 KiB payloads. Real time is the job's wall time; CPU time is the
// job thread's; "process_cpu_ms" adds the bus and the simulated instrument.
void BM_SendAll(benchmark::State& state)
{
    bench::ConnectedInstrument setup;
    const auto lists = test::makeLoadedUserData(static_cast<size_t>(state.range(0)));
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
    bench::ConnectedInstrument setup;
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
    return bench::runBenchmarks(argc, argv);
}
