#include "support/midi/VirtualBusMidiScanDevices.h"

namespace test
{
// Gathers the bytes of one input into whole messages: System Exclusive messages may span
// packets; a status byte other than a real-time one abandons an unfinished one.
class VirtualBusMidiScanDevices::Input : public midi::MidiScanInput
{
public:
    Input(VirtualBusMidiScanDevices& owner, int inputIndex, midi::MidiScanInputCallback& target)
        : devices(owner), index(inputIndex), callback(target)
    {
    }

    ~Input() override
    {
        // Destroying the port waits for a delivery in progress; none comes afterwards.
        port.reset();
        --devices.inputsOpen;
    }

    bool open(platform::MidiClient& client, platform::MidiEndpointRef source)
    {
        port = client.createInputPort("ScanIn", [this](const std::uint8_t* data, int size) { parse(data, size); });
        return port != nullptr && port->connectSource(source).wasOk();
    }

    void start() override { started = true; }

private:
    void parse(const std::uint8_t* data, int size)
    {
        if (!started)
            return;

        for (int i = 0; i < size; ++i)
        {
            const auto byte = data[i];

            if (byte >= 0xF8)
            {
                deliver({byte});
                continue;
            }

            if (inSysEx)
            {
                if (byte < 0x80 || byte == 0xF7)
                {
                    pending.push_back(byte);
                    if (byte == 0xF7)
                    {
                        inSysEx = false;
                        deliver(pending);
                        pending.clear();
                    }
                    continue;
                }
                inSysEx = false;
                pending.clear();
            }

            if (byte == 0xF0)
            {
                inSysEx = true;
                pending.assign(1, byte);
            }
            else if (byte >= 0x80)
            {
                pending.assign(1, byte);
                expected = juce::MidiMessage::getMessageLengthFromFirstByte(byte);
            }
            else if (!pending.empty())
            {
                pending.push_back(byte);
            }

            if (!inSysEx && !pending.empty() && static_cast<int>(pending.size()) == expected)
            {
                deliver(pending);
                pending.clear();
            }
        }
    }

    void deliver(const std::vector<std::uint8_t>& bytes)
    {
        callback.handleIncomingMidiMessage(index, juce::MidiMessage(bytes.data(), static_cast<int>(bytes.size())));
    }

    VirtualBusMidiScanDevices& devices;
    const int index;
    midi::MidiScanInputCallback& callback;
    std::unique_ptr<platform::MidiInputPort> port;
    std::atomic<bool> started{false};

    // Bus thread only.
    std::vector<std::uint8_t> pending;
    bool inSysEx = false;
    int expected = 0;
};

class VirtualBusMidiScanDevices::Output : public midi::MidiScanOutput
{
public:
    Output(VirtualBusMidiScanDevices& owner, std::unique_ptr<platform::MidiOutputPort> outputPort,
           platform::MidiEndpointRef target)
        : devices(owner), port(std::move(outputPort)), destination(target)
    {
    }

    ~Output() override
    {
        port.reset();
        --devices.outputsOpen;
    }

    void sendMessageNow(const juce::MidiMessage& message) override
    {
        port->send(destination, message.getRawData(), message.getRawDataSize());
    }

private:
    VirtualBusMidiScanDevices& devices;
    std::unique_ptr<platform::MidiOutputPort> port;
    const platform::MidiEndpointRef destination;
};

VirtualBusMidiScanDevices::VirtualBusMidiScanDevices(std::shared_ptr<platform::VirtualMidiBus> virtualBus)
    : bus(std::move(virtualBus)), client(bus->createClient("ScanDevices", {}))
{
}

VirtualBusMidiScanDevices::~VirtualBusMidiScanDevices() = default;

juce::StringArray VirtualBusMidiScanDevices::namesOf(const std::vector<platform::MidiEndpointRef>& endpoints)
{
    juce::StringArray names;
    for (const auto endpoint : endpoints)
    {
        juce::String name;
        bus->getEndpointName(endpoint, name);
        names.add(name);
    }
    return names;
}

juce::StringArray VirtualBusMidiScanDevices::getInputNames()
{
    sources.clear();
    for (int i = 0; i < bus->getNumberOfSources(); ++i)
        sources.push_back(bus->getSource(i));
    return namesOf(sources);
}

juce::StringArray VirtualBusMidiScanDevices::getOutputNames()
{
    destinations.clear();
    for (int j = 0; j < bus->getNumberOfDestinations(); ++j)
        destinations.push_back(bus->getDestination(j));
    return namesOf(destinations);
}

std::unique_ptr<midi::MidiScanInput> VirtualBusMidiScanDevices::openInput(int index,
                                                                          midi::MidiScanInputCallback& callback)
{
    if (index < 0 || index >= static_cast<int>(sources.size()))
        return nullptr;

    ++inputsOpen;
    auto input = std::make_unique<Input>(*this, index, callback);
    if (!input->open(*client, sources[static_cast<std::size_t>(index)]))
        return nullptr;
    ++inputsOpened;
    return input;
}

std::unique_ptr<midi::MidiScanOutput> VirtualBusMidiScanDevices::openOutput(int index)
{
    if (index < 0 || index >= static_cast<int>(destinations.size()) || refusedOutputs.count(index) != 0)
        return nullptr;

    auto port = client->createOutputPort("ScanOut");
    if (port == nullptr)
        return nullptr;
    ++outputsOpen;
    ++outputsOpened;
    return std::make_unique<Output>(*this, std::move(port), destinations[static_cast<std::size_t>(index)]);
}
} // namespace test
