// Peak memory of the librarian holding 48 units of 32 KiB: the whole application runs in this
// process (start-up, main window with its four lists) and one unit file is dropped into every
// usable slot of the four lists; the counter "peakResidentMiB" is the process's peak resident size
// (VmHWM) after the lists have been painted. Needs a display (run under xvfb-run).

#include "app/qtr3LibrarianApplication.h"
#include "core/PreferencesData.h"
#include "support/TemporaryFolder.h"
#include "support/files/UnitFileBuilder.h"
#include "ui/MainWindowManager.h"
#include "ui/UserUnitImport.h"

#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <fstream>
#include <string>

namespace
{
constexpr std::size_t unitPayloadSize = 32 * 1024;

// A field of /proc/self/status in kB ("VmHWM", "VmRSS"); -1 when missing.
long statusKilobytes(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

struct ListShape
{
    UnitModule module;
    int slots;
};

void BM_PeakMemoryWith48Units(benchmark::State& state)
{
    if (juce::Desktop::getInstance().getDisplays().displays.isEmpty())
    {
        state.SkipWithError("no display (run under xvfb-run)");
        return;
    }

    for (auto _ : state)
    {
        test::TemporaryFolder preferences("qtr-bench-memory");
        using namespace w40388_preferences;
        preferences.getChildFile(preferencesFileName)
            .replaceWithText("<PreferencesData><MidiPortAutoScan Value=\"0\"/><AutoReceive Value=\"0\"/>"
                             "</PreferencesData>");

        qtr3LibrarianApplication::Options options;
        options.preferencesFolder = preferences.getFolder();
        options.quit = [] {};
        auto app = std::make_unique<qtr3LibrarianApplication>(options);
        app->initialise({});

        test::TemporaryFolder units("qtr-bench-units");
        int loaded = 0;
        for (const auto& list : {ListShape{UnitModule::Oscillator, 16}, ListShape{UnitModule::ModulationEffect, 16},
                                 ListShape{UnitModule::DelayEffect, 8}, ListShape{UnitModule::ReverbEffect, 8}})
        {
            for (int slot = 0; slot < list.slots; ++slot, ++loaded)
            {
                test::UnitFileOptions unit;
                unit.module = list.module;
                unit.name = "Unit " + std::to_string(loaded);
                unit.payloadSize = unitPayloadSize;
                const auto file = units.getChildFile("unit" + juce::String(loaded) + ".ftndigunit");
                file.replaceWithData(test::buildUnitFile(unit).getData(), test::buildUnitFile(unit).getSize());
                importUserUnitFile(file, slot, static_cast<int>(list.module));
            }
        }

        // Let the lists repaint with every unit in them.
        auto* window = w40388_ui::MainWindowManager::getInstance()->getWindow();
        window->repaint();
        juce::MessageManager::getInstance()->runDispatchLoopUntil(500);

        state.counters["unitsLoaded"] = loaded;
        state.counters["peakResidentMiB"] = static_cast<double>(statusKilobytes("VmHWM")) / 1024.0;
        state.counters["residentMiB"] = static_cast<double>(statusKilobytes("VmRSS")) / 1024.0;

        app->shutdown();
        app.reset();
        juce::DeletedAtShutdown::deleteAll();
    }
}
BENCHMARK(BM_PeakMemoryWith48Units)->Iterations(1)->Unit(benchmark::kMillisecond);
} // namespace

int main(int argc, char** argv)
{
    // Without a window manager some window properties name atoms that do not exist. The program
    // proper gets the framework's forgiving X error handler; this runner is no application
    // object, so it installs one that likewise ignores them.
    XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
    juce::ScopedJuceInitialiser_GUI juce;
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    juce::DeletedAtShutdown::deleteAll();
    return 0;
}
