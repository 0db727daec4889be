#pragma once

#include "platform/MidiPlatform.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace platform
{
// An in-process MIDI system for tests: named devices with source endpoints (device to
// computer) and destination endpoints (computer to device) that tests add and remove while
// everything runs. Every packet, System Exclusive completion and setup-changed notification
// is delivered in order on the bus's own thread; a device's packets reach the input ports
// connected to its source, and what output ports send reaches the device's receiver whole
// (a System Exclusive message as one packet).
//
// Sources and destinations are numbered in the order their devices were added (a device's
// endpoints in the order given); removing a device closes the gap. The same numbers are what
// getSource / getDestination, openSource and sendToDestination take, so a stand-in for
// another program's MIDI input or output can open "device i" the way the port layer does.
//
// Usage:
//     auto bus = std::make_shared<platform::VirtualMidiBus>();
//     platform::selectMidiBackend(bus);               // once, before anything uses MIDI
//     const int synth = bus->addDevice("Synth", {"Out"}, {"In"},
//         [](platform::MidiEndpointRef, const std::uint8_t* data, int size) { /* bus thread */ });
//     bus->sendFromSource(bus->getDeviceSource(synth), {0x90, 0x3C, 0x40});  // to connected inputs
//     auto input = bus->openSource(0, [](const std::uint8_t* data, int size) { /* bus thread */ });
//     bus->sendToDestination(0, bytes, size);                             // to the device's receiver
//     bus->waitUntilIdle(5000);                       // everything queued so far was delivered
//     bus->removeDevice(synth);                       // its receiver is never called afterwards
//
// Callbacks must not block for long: they hold up every later delivery. They may call back
// into the bus (send, add or remove devices, destroy ports).
class VirtualMidiBus : public MidiBackend
{
public:
    // Receives every packet sent to one of the device's destinations, on the bus thread.
    using DeviceReceiver = std::function<void(MidiEndpointRef destination, const std::uint8_t* data, int size)>;

    VirtualMidiBus();
    ~VirtualMidiBus() override;

    // Adds a device and notifies setup changed; returns its id (from 1). An empty device or
    // endpoint name reads as missing (getDeviceName / getEndpointName give false).
    int addDevice(const juce::String& deviceName, const juce::StringArray& sourceNames,
                  const juce::StringArray& destinationNames, DeviceReceiver receiver = {});
    void setDeviceReceiver(int deviceId, DeviceReceiver receiver);
    // Removes the device and its endpoints and notifies setup changed. Afterwards its
    // receiver is not called (waits for a call running on the bus thread to end).
    bool removeDevice(int deviceId);

    // The n-th source / destination of a device; noMidiEndpoint when none.
    MidiEndpointRef getDeviceSource(int deviceId, int n = 0) const;
    MidiEndpointRef getDeviceDestination(int deviceId, int n = 0) const;
    // Current index of an endpoint in the source / destination list, -1 when gone.
    int getSourceIndex(MidiEndpointRef source) const;
    int getDestinationIndex(MidiEndpointRef destination) const;

    // The device's side: queues one packet out of its source; false when the source is gone.
    bool sendFromSource(MidiEndpointRef source, std::vector<std::uint8_t> packet);

    // Another program's side, by index: an input port of a private client connected to
    // source `index` (null when none), and one packet to destination `index`.
    std::unique_ptr<MidiInputPort> openSource(int index, MidiReadCallback callback);
    juce::Result sendToDestination(int index, const std::uint8_t* data, int size);

    // Waits until every delivery queued so far has been made; false when the bound passed.
    // Not to be called on the bus thread.
    bool waitUntilIdle(int timeoutMs);

    // MidiBackend
    int getNumberOfSources() override;
    int getNumberOfDestinations() override;
    MidiEndpointRef getSource(int index) override;
    MidiEndpointRef getDestination(int index) override;
    bool getEndpointName(MidiEndpointRef endpoint, juce::String& name) override;
    bool getDeviceName(MidiEndpointRef endpoint, juce::String& name) override;
    std::unique_ptr<MidiClient> createClient(const juce::String& name, MidiSetupChangedCallback setupChanged) override;

private:
    class Client;
    class InputPort;
    class OutputPort;

    struct Endpoint
    {
        MidiEndpointRef ref = noMidiEndpoint;
        juce::String name;
        int deviceId = 0;
    };

    struct Device
    {
        juce::String name;
        std::vector<MidiEndpointRef> sources;
        std::vector<MidiEndpointRef> destinations;
        DeviceReceiver receiver;
    };

    struct Delivery
    {
        enum class Kind
        {
            fromSource,
            toDestination,
            setupChanged
        };

        Kind kind = Kind::setupChanged;
        MidiEndpointRef endpoint = noMidiEndpoint;
        std::vector<std::uint8_t> bytes;
        int outputPortId = 0;
        MidiSysExCompletion completion;
    };

    void run();
    void deliver(Delivery& delivery);
    void enqueue(Delivery delivery);
    // Held while a callback runs; taken by whatever must know no callback of it runs.
    std::unique_lock<std::mutex> lockCallbacks();
    bool isBusThread() const;

    int registerInputPort(MidiReadCallback callback);
    void unregisterInputPort(int portId);
    juce::Result connectInputPort(int portId, MidiEndpointRef source);
    int registerOutputPort();
    void unregisterOutputPort(int portId);
    juce::Result queueToDestination(int outputPortId, MidiEndpointRef destination, std::vector<std::uint8_t> bytes,
                                    MidiSysExCompletion completion);
    int registerClient(MidiSetupChangedCallback callback);
    void unregisterClient(int clientId);

    static const Endpoint* findEndpoint(const std::vector<Endpoint>& list, MidiEndpointRef ref);

    mutable std::mutex topologyMutex;
    std::vector<Endpoint> sourceList;
    std::vector<Endpoint> destinationList;
    std::map<int, Device> devices;
    struct InputPortState
    {
        MidiReadCallback callback;
        MidiEndpointRef source = noMidiEndpoint;
    };
    std::map<int, InputPortState> inputPorts;
    std::map<int, MidiSetupChangedCallback> clients;
    std::map<int, bool> outputPorts;
    int nextId = 1;
    MidiEndpointRef nextEndpoint = 1;

    std::mutex callbackMutex;

    std::mutex queueMutex;
    std::condition_variable queueChanged;
    std::deque<Delivery> queue;
    bool delivering = false;
    bool stopping = false;

    std::unique_ptr<MidiClient> privateClient;
    std::unique_ptr<MidiOutputPort> privateOutput;
    std::thread thread;
};
} // namespace platform
