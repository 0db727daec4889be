// What the MIDI progress window costs a job: SEND ALL of 48 units of 32 KiB against the simulated
// instrument answering at once, run bare on the calling thread and through
// runMidiCommunicationProcess (window, job thread, coalesced progress updates), alternately in the
// same iterations. The counter "ratio" is the window's time over the bare job's. Needs a display
// (run under xvfb-run).
#include "midi/MidiCommunicationThread.h"
#include "midi/WriteUserDataProcess.h"
#include "support/BenchSupport.h"
#include "support/files/LoadedUserData.h"
#include "support/gui/GuiTest.h"
#include "ui/FontLibrary.h"
#include "ui/RunMidiCommunicationProcess.h"

#include <benchmark/benchmark.h>

#include <cstdio>

namespace
{
void BM_SendAllBareAndInProgressWindow(benchmark::State& state)
{
    bench::ConnectedInstrument setup;
    int failures = setup.connected ? 0 : 1;

    const auto lists = test::makeLoadedUserData(static_cast<size_t>(state.range(0)));
    double bare = 0;
    double onThread = 0;
    double windowed = 0;
    for (auto _ : state)
    {
        auto bareData = lists;
        w40388_midi::WriteUserDataProcess bareJob(&bareData);
        double start = bench::wallSeconds();
        failures += bareJob.execute() != 0;
        bare += bench::wallSeconds() - start;

        auto threadData = lists;
        w40388_midi::WriteUserDataProcess threadJob(&threadData);
        start = bench::wallSeconds();
        {
            midi::MidiCommunicationThread thread(threadJob);
            thread.startThread();
            while (thread.isThreadRunning())
                juce::MessageManager::getInstance()->runDispatchLoopUntil(0);
            failures += thread.getResult() != 0;
        }
        onThread += bench::wallSeconds() - start;

        auto windowData = lists;
        w40388_midi::WriteUserDataProcess windowJob(&windowData);
        start = bench::wallSeconds();
        failures += runMidiCommunicationProcess(windowJob) != 0;
        windowed += bench::wallSeconds() - start;
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["bare_ms"] = bare * 1000 / iterations;
    state.counters["thread_ms"] = onThread * 1000 / iterations;
    state.counters["window_ms"] = windowed * 1000 / iterations;
    state.counters["ratio"] = windowed / bare;
    state.counters["failures"] = failures;
}
BENCHMARK(BM_SendAllBareAndInProgressWindow)
    ->Arg(16)
    ->Arg(32 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(4.0);
} // namespace

int main(int argc, char** argv)
{
    return bench::runBenchmarks(argc, argv,
                                []
                                {
                                    // Opens the display and ignores the X errors of a server
                                    // without a window manager, as the program does.
                                    if (!test::gui::displayAvailable())
                                        std::fprintf(stderr, "No display: run under xvfb-run\n");
                                    ui::FontLibrary::getInstance()->registerApplicationFonts();
                                });
}
