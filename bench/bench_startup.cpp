// Start-up time: from the start of the process until its main window is mapped on the X display,
// for the librarian (with "MidiPortAutoScan" and "AutoReceive" off in a prepared preferences file)
// against bare_window_program, a JUCE program that opens one empty window. Several starts of each
// in one run; the librarian's counter "timesBare" is its mean over the bare program's. Needs a
// display (run under xvfb-run); both programs are found beside this one.

#include "core/PreferencesData.h"
#include "support/TemporaryFolder.h"

#include <X11/Xlib.h>
#include <benchmark/benchmark.h>
#include <juce_core/juce_core.h>

#include <chrono>
#include <csignal>
#include <poll.h>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace
{
using Clock = std::chrono::steady_clock;

constexpr int startsPerProgram = 8;
constexpr int windowWaitMs = 30000;
constexpr int mainWindowWidth = 720;

double bareMeanSeconds = 0.0;

Display* display()
{
    static Display* const connection = []
    {
        // A window of an ended start may be gone by the time it is looked at: not an error here.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        auto* opened = XOpenDisplay(nullptr);
        if (opened != nullptr)
            XSelectInput(opened, DefaultRootWindow(opened), SubstructureNotifyMask);
        return opened;
    }();
    return connection;
}

// Each program's main window is its one top-level window 720 wide (the title is set only after the
// window is mapped, so it cannot tell them apart). The bare program maps its window before giving
// it its size, so a window counts as shown once it is both mapped and 720 wide.
bool isMainWindow(Window window)
{
    XWindowAttributes attributes;
    return XGetWindowAttributes(display(), window, &attributes) != 0 && attributes.width == mainWindowWidth;
}

// Waits for the main window to be mapped; false after the bound.
bool waitForMappedWindow()
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(windowWaitMs);
    pollfd connection{ConnectionNumber(display()), POLLIN, 0};
    std::set<Window> mapped;
    while (Clock::now() < deadline)
    {
        while (XPending(display()) > 0)
        {
            XEvent event;
            XNextEvent(display(), &event);
            if (event.type == MapNotify)
            {
                mapped.insert(event.xmap.window);
                if (isMainWindow(event.xmap.window))
                    return true;
            }
            else if (event.type == ConfigureNotify && mapped.count(event.xconfigure.window) != 0 &&
                     event.xconfigure.width == mainWindowWidth)
            {
                return true;
            }
        }
        poll(&connection, 1, 10);
    }
    return false;
}

// Starts the program with HOME set to home, measures until its window shows, then ends it.
double timeOneStart(const juce::File& program, const juce::File& home, bool& ok)
{
    XSync(display(), True); // drop what earlier starts left
    const auto homeVariable = ("HOME=" + home.getFullPathName()).toStdString();
    std::vector<std::string> variables{homeVariable, "LANG=C"};
    for (char** entry = environ; *entry != nullptr; ++entry)
    {
        const juce::String text(*entry);
        if (!text.startsWith("HOME=") && !text.startsWith("LANG=") && !text.startsWith("LC_") &&
            !text.startsWith("XDG_CONFIG_HOME="))
            variables.push_back(*entry);
    }
    std::vector<char*> environment;
    for (auto& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);

    auto path = program.getFullPathName().toStdString();
    char* arguments[] = {path.data(), nullptr};

    const auto start = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, path.c_str(), nullptr, nullptr, arguments, environment.data()) != 0)
    {
        ok = false;
        return 0.0;
    }
    ok = waitForMappedWindow();
    const std::chrono::duration<double> elapsed = Clock::now() - start;

    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    return elapsed.count();
}

juce::File besideThisProgram(const char* name)
{
    return juce::File::getSpecialLocation(juce::File::currentExecutableFile).getSiblingFile(name);
}

void writeQuietPreferences(const juce::File& home)
{
    const auto file = home.getChildFile(".config")
                          .getChildFile(w40388_preferences::preferencesFolderName)
                          .getChildFile(w40388_preferences::preferencesFileName);
    file.getParentDirectory().createDirectory();
    file.replaceWithText("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<PreferencesData>\n"
                         "  <MidiPortAutoScan Value=\"0\"/>\n"
                         "  <AutoReceive Value=\"0\"/>\n"
                         "</PreferencesData>\n");
}

double runStarts(benchmark::State& state, const char* programName)
{
    if (display() == nullptr)
    {
        state.SkipWithError("no X display (run under xvfb-run)");
        return 0.0;
    }
    const auto program = besideThisProgram(programName);
    test::TemporaryFolder home("qtr-bench-startup");
    writeQuietPreferences(home.getFolder());

    double total = 0.0;
    int starts = 0;
    for (auto _ : state)
    {
        bool ok = false;
        const double seconds = timeOneStart(program, home.getFolder(), ok);
        if (!ok)
        {
            state.SkipWithError("the program's window did not show");
            return 0.0;
        }
        state.SetIterationTime(seconds);
        total += seconds;
        ++starts;
    }
    return starts > 0 ? total / starts : 0.0;
}

void BM_StartupBareWindow(benchmark::State& state)
{
    bareMeanSeconds = runStarts(state, "bare_window_program");
}
BENCHMARK(BM_StartupBareWindow)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(startsPerProgram);

void BM_StartupLibrarian(benchmark::State& state)
{
    const double mean = runStarts(state, "FeltanLibrarian");
    if (bareMeanSeconds > 0.0)
        state.counters["timesBare"] = mean / bareMeanSeconds;
}
BENCHMARK(BM_StartupLibrarian)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(startsPerProgram);
} // namespace

BENCHMARK_MAIN();
