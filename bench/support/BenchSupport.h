#pragma once

#include "platform/VirtualMidiBus.h"
#include "support/midi/SimulatedInstrument.h"

#include <functional>
#include <memory>

// What the benchmarks of the MIDI jobs and the progress window share.
namespace bench
{
// Steady wall-clock time in seconds.
double wallSeconds();

// The simulated instrument on the virtual bus with the device manager's ports connected to it
// (the manager in manual mode, looking for the instrument's family); disconnected at the end.
struct ConnectedInstrument
{
    ConnectedInstrument();
    ~ConnectedInstrument();

    std::shared_ptr<platform::VirtualMidiBus> bus;
    test::SimulatedInstrument instrument;
    bool connected = false;
};

// The body of a benchmark program that needs JUCE: initialises the GUI framework on this
// thread, runs setUp, then the benchmarks named on the command line, and deletes the
// framework's singletons at the end.
int runBenchmarks(int argc, char** argv, const std::function<void()>& setUp = {});
} // namespace bench
