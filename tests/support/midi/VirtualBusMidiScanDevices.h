#pragma once

#include "midi/MidiScanDevices.h"
#include "platform/VirtualMidiBus.h"

#include <atomic>
#include <memory>
#include <set>
#include <vector>

namespace test
{
// The instrument search's devices on the virtual MIDI bus: input i is the bus's source i and output
// j its destination j, the numbering the port layer uses. The endpoints are fixed when the names
// are read, so an index opens what the names showed even when devices came or went in between.
// Packets are split into messages the way the framework's MIDI input does (System Exclusive
// messages gathered whole). Counts what was opened and closed so that tests can follow the devices.
class VirtualBusMidiScanDevices : public midi::MidiScanDevices
{
public:
    explicit VirtualBusMidiScanDevices(std::shared_ptr<platform::VirtualMidiBus> bus);
    ~VirtualBusMidiScanDevices() override;

    // The output at this index will not open.
    void refuseOutput(int index) { refusedOutputs.insert(index); }

    int getNumInputsOpened() const noexcept { return inputsOpened.load(); }
    int getNumOutputsOpened() const noexcept { return outputsOpened.load(); }
    int getNumInputsOpen() const noexcept { return inputsOpen.load(); }
    int getNumOutputsOpen() const noexcept { return outputsOpen.load(); }

    juce::StringArray getInputNames() override;
    juce::StringArray getOutputNames() override;
    std::unique_ptr<midi::MidiScanInput> openInput(int index, midi::MidiScanInputCallback& callback) override;
    std::unique_ptr<midi::MidiScanOutput> openOutput(int index) override;

private:
    class Input;
    class Output;

    juce::StringArray namesOf(const std::vector<platform::MidiEndpointRef>& endpoints);

    std::shared_ptr<platform::VirtualMidiBus> bus;
    std::unique_ptr<platform::MidiClient> client;
    std::vector<platform::MidiEndpointRef> sources;
    std::vector<platform::MidiEndpointRef> destinations;
    std::set<int> refusedOutputs;

    std::atomic<int> inputsOpened{0};
    std::atomic<int> outputsOpened{0};
    std::atomic<int> inputsOpen{0};
    std::atomic<int> outputsOpen{0};
};
} // namespace test
