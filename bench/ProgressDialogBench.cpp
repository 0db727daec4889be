// What the MIDI progress window costs a job: SEND ALL of 48 units of 32 KiB against the simulated
// instrument answering at once, run bare on the calling thread and through
// runMidiCommunicationProcess (window, job thread, coalesced progress updates), alternately in the
// same iterations. The counter "ratio" is the window's time over the bare job's. Needs a display
// (run under xvfb-run).
//
// The benchmarks link only the model layers, so the window's sources and the look-and-feel and
// fonts it uses are compiled in here.
#include "ui/DefaultLookAndFeel.cpp"
#include "ui/DialogWithNoCloseButton.cpp"
#include "ui/FontLibrary.cpp"
#include "ui/MidiCommunicationDialog.cpp"
#include "ui/RunMidiCommunicationProcess.cpp"

#include "midi/MidiDeviceManager.h"
#include "midi/WriteUserDataProcess.h"
#include "support/files/LoadedUserData.h"
#include "support/midi/SimulatedInstrument.h"
#include "support/midi/SimulatedInstrumentFixture.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <dlfcn.h>

namespace
{
double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void BM_SendAllBareAndInProgressWindow(benchmark::State& state)
{
    auto bus = test::getVirtualMidiBus();
    test::SimulatedInstrument instrument(*bus);
    auto* manager = midi::MidiDeviceManager::getInstance();
    manager->familyId = w40388_midi::sysex::instrumentFamilyId;
    manager->automatic = false;
    manager->inPortName = manager->getMidiPort().GetInPortName(instrument.getSourceIndex());
    manager->outPortName = manager->getMidiPort().GetOutPortName(instrument.getDestinationIndex());
    int failures = manager->Connect() ? 0 : 1;

    const auto lists = test::makeLoadedUserData(static_cast<size_t>(state.range(0)));
    double bare = 0;
    double onThread = 0;
    double windowed = 0;
    for (auto _ : state)
    {
        auto bareData = lists;
        w40388_midi::WriteUserDataProcess bareJob(&bareData);
        double start = wallSeconds();
        failures += bareJob.execute() != 0;
        bare += wallSeconds() - start;

        auto threadData = lists;
        w40388_midi::WriteUserDataProcess threadJob(&threadData);
        start = wallSeconds();
        {
            midi::MidiCommunicationThread thread(threadJob);
            thread.startThread();
            while (thread.isThreadRunning())
                juce::MessageManager::getInstance()->runDispatchLoopUntil(0);
            failures += thread.getResult() != 0;
        }
        onThread += wallSeconds() - start;

        auto windowData = lists;
        w40388_midi::WriteUserDataProcess windowJob(&windowData);
        start = wallSeconds();
        failures += runMidiCommunicationProcess(windowJob) != 0;
        windowed += wallSeconds() - start;
    }
    const auto iterations = static_cast<double>(state.iterations());
    state.counters["bare_ms"] = bare * 1000 / iterations;
    state.counters["thread_ms"] = onThread * 1000 / iterations;
    state.counters["window_ms"] = windowed * 1000 / iterations;
    state.counters["ratio"] = windowed / bare;
    state.counters["failures"] = failures;
    manager->Disconnect();
}
BENCHMARK(BM_SendAllBareAndInProgressWindow)
    ->Arg(16)
    ->Arg(32 * 1024)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(4.0);
} // namespace

// The window manager atoms Xvfb lacks raise X errors that Xlib's default handler ends the
// process for; the program ignores them, and so does this bench once the display is open.
void ignoreXErrors()
{
    juce::Desktop::getInstance().getDisplays();
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (xlib == nullptr)
        return;
    using ErrorHandler = int (*)(void* display, void* event);
    using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
    if (auto* setErrorHandler = reinterpret_cast<SetErrorHandler>(dlsym(xlib, "XSetErrorHandler")))
        setErrorHandler([](void*, void*) { return 0; });
}

int main(int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    ignoreXErrors();
    ui::FontLibrary::getInstance()->registerApplicationFonts();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    juce::DeletedAtShutdown::deleteAll();
    return 0;
}
