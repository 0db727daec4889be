#include "support/BenchSupport.h"

#include "midi/MidiDeviceManager.h"
#include "midi/SysExMessages.h"
#include "support/midi/SimulatedInstrumentFixture.h"

#include <benchmark/benchmark.h>
#include <juce_events/juce_events.h>

#include <chrono>

namespace bench
{
double wallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ConnectedInstrument::ConnectedInstrument() : bus(test::getVirtualMidiBus()), instrument(*bus)
{
    auto* manager = midi::MidiDeviceManager::getInstance();
    manager->Disconnect();
    manager->familyId = w40388_midi::sysex::instrumentFamilyId;
    manager->automatic = false;
    manager->inPortName = manager->getMidiPort().GetInPortName(instrument.getSourceIndex());
    manager->outPortName = manager->getMidiPort().GetOutPortName(instrument.getDestinationIndex());
    connected = manager->Connect();
}

ConnectedInstrument::~ConnectedInstrument()
{
    midi::MidiDeviceManager::getInstance()->Disconnect();
}

int runBenchmarks(int argc, char** argv, const std::function<void()>& setUp)
{
    juce::ScopedJuceInitialiser_GUI juce;
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    if (setUp)
        setUp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    juce::DeletedAtShutdown::deleteAll();
    return 0;
}
} // namespace bench
