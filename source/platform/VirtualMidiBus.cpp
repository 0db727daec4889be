#include "platform/VirtualMidiBus.h"

#include <algorithm>

namespace platform
{
namespace
{
const juce::Result& endpointGone()
{
    static const juce::Result result = juce::Result::fail("The MIDI endpoint does not exist.");
    return result;
}

const juce::Result& portClosed()
{
    static const juce::Result result = juce::Result::fail("The MIDI output port was closed before the send ended.");
    return result;
}
} // namespace

//==============================================================================
class VirtualMidiBus::InputPort : public MidiInputPort
{
public:
    InputPort(VirtualMidiBus& owner, int id) : bus(owner), portId(id) {}
    ~InputPort() override { bus.unregisterInputPort(portId); }

    juce::Result connectSource(MidiEndpointRef source) override { return bus.connectInputPort(portId, source); }
    void disconnectSource() override { bus.connectInputPort(portId, noMidiEndpoint); }

private:
    VirtualMidiBus& bus;
    const int portId;
};

class VirtualMidiBus::OutputPort : public MidiOutputPort
{
public:
    OutputPort(VirtualMidiBus& owner, int id) : bus(owner), portId(id) {}
    ~OutputPort() override { bus.unregisterOutputPort(portId); }

    juce::Result send(MidiEndpointRef destination, const std::uint8_t* data, int size) override
    {
        if (data == nullptr || size <= 0)
            return juce::Result::fail("Nothing to send.");
        return bus.queueToDestination(portId, destination, std::vector<std::uint8_t>(data, data + size), {});
    }

    juce::Result sendSysEx(MidiEndpointRef destination, std::vector<std::uint8_t> message,
                           MidiSysExCompletion completion) override
    {
        if (message.empty())
            return juce::Result::fail("Nothing to send.");
        if (!completion)
            completion = [](const juce::Result&) {};
        return bus.queueToDestination(portId, destination, std::move(message), std::move(completion));
    }

private:
    VirtualMidiBus& bus;
    const int portId;
};

class VirtualMidiBus::Client : public MidiClient
{
public:
    Client(VirtualMidiBus& owner, int id) : bus(owner), clientId(id) {}
    ~Client() override { bus.unregisterClient(clientId); }

    std::unique_ptr<MidiInputPort> createInputPort(const juce::String&, MidiReadCallback callback) override
    {
        if (!callback)
            return nullptr;
        return std::make_unique<InputPort>(bus, bus.registerInputPort(std::move(callback)));
    }

    std::unique_ptr<MidiOutputPort> createOutputPort(const juce::String&) override
    {
        return std::make_unique<OutputPort>(bus, bus.registerOutputPort());
    }

private:
    VirtualMidiBus& bus;
    const int clientId;
};

//==============================================================================
VirtualMidiBus::VirtualMidiBus()
{
    thread = std::thread([this] { run(); });
    privateClient = createClient("VirtualMidiBus", {});
    privateOutput = privateClient->createOutputPort("Out");
}

VirtualMidiBus::~VirtualMidiBus()
{
    privateOutput.reset();
    privateClient.reset();

    std::deque<Delivery> abandoned;
    {
        const std::lock_guard<std::mutex> lock(queueMutex);
        stopping = true;
        abandoned.swap(queue);
    }
    queueChanged.notify_all();

    if (thread.get_id() == std::this_thread::get_id())
        thread.detach();
    else if (thread.joinable())
        thread.join();

    for (auto& delivery : abandoned)
        if (delivery.completion)
            delivery.completion(portClosed());
}

bool VirtualMidiBus::isBusThread() const
{
    return std::this_thread::get_id() == thread.get_id();
}

std::unique_lock<std::mutex> VirtualMidiBus::lockCallbacks()
{
    // On the bus thread the lock is already held by the delivery that called us.
    if (isBusThread())
        return {};
    return std::unique_lock<std::mutex>(callbackMutex);
}

//==============================================================================
int VirtualMidiBus::addDevice(const juce::String& deviceName, const juce::StringArray& sourceNames,
                              const juce::StringArray& destinationNames, DeviceReceiver receiver)
{
    int deviceId = 0;
    {
        const std::lock_guard<std::mutex> lock(topologyMutex);
        deviceId = nextId++;
        Device device;
        device.name = deviceName;
        device.receiver = std::move(receiver);

        for (const auto& name : sourceNames)
        {
            sourceList.push_back({nextEndpoint, name, deviceId});
            device.sources.push_back(nextEndpoint++);
        }
        for (const auto& name : destinationNames)
        {
            destinationList.push_back({nextEndpoint, name, deviceId});
            device.destinations.push_back(nextEndpoint++);
        }
        devices.emplace(deviceId, std::move(device));
    }
    enqueue({});
    return deviceId;
}

void VirtualMidiBus::setDeviceReceiver(int deviceId, DeviceReceiver receiver)
{
    const auto callbacks = lockCallbacks();
    const std::lock_guard<std::mutex> lock(topologyMutex);
    const auto found = devices.find(deviceId);
    if (found != devices.end())
        found->second.receiver = std::move(receiver);
}

bool VirtualMidiBus::removeDevice(int deviceId)
{
    {
        const auto callbacks = lockCallbacks();
        const std::lock_guard<std::mutex> lock(topologyMutex);
        const auto found = devices.find(deviceId);
        if (found == devices.end())
            return false;

        const auto ofDevice = [deviceId](const Endpoint& endpoint) { return endpoint.deviceId == deviceId; };
        sourceList.erase(std::remove_if(sourceList.begin(), sourceList.end(), ofDevice), sourceList.end());
        destinationList.erase(std::remove_if(destinationList.begin(), destinationList.end(), ofDevice),
                              destinationList.end());

        // Inputs connected to a vanished source stay connected to nothing.
        for (auto& port : inputPorts)
            if (std::find(found->second.sources.begin(), found->second.sources.end(), port.second.source) !=
                found->second.sources.end())
                port.second.source = noMidiEndpoint;

        devices.erase(found);
    }
    enqueue({});
    return true;
}

MidiEndpointRef VirtualMidiBus::getDeviceSource(int deviceId, int n) const
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    const auto found = devices.find(deviceId);
    if (found == devices.end() || n < 0 || n >= (int)found->second.sources.size())
        return noMidiEndpoint;
    return found->second.sources[(size_t)n];
}

MidiEndpointRef VirtualMidiBus::getDeviceDestination(int deviceId, int n) const
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    const auto found = devices.find(deviceId);
    if (found == devices.end() || n < 0 || n >= (int)found->second.destinations.size())
        return noMidiEndpoint;
    return found->second.destinations[(size_t)n];
}

int VirtualMidiBus::getSourceIndex(MidiEndpointRef source) const
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    for (size_t i = 0; i < sourceList.size(); ++i)
        if (sourceList[i].ref == source)
            return (int)i;
    return -1;
}

int VirtualMidiBus::getDestinationIndex(MidiEndpointRef destination) const
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    for (size_t i = 0; i < destinationList.size(); ++i)
        if (destinationList[i].ref == destination)
            return (int)i;
    return -1;
}

bool VirtualMidiBus::sendFromSource(MidiEndpointRef source, std::vector<std::uint8_t> packet)
{
    {
        const std::lock_guard<std::mutex> lock(topologyMutex);
        if (findEndpoint(sourceList, source) == nullptr)
            return false;
    }
    Delivery delivery;
    delivery.kind = Delivery::Kind::fromSource;
    delivery.endpoint = source;
    delivery.bytes = std::move(packet);
    enqueue(std::move(delivery));
    return true;
}

std::unique_ptr<MidiInputPort> VirtualMidiBus::openSource(int index, MidiReadCallback callback)
{
    const auto source = getSource(index);
    if (source == noMidiEndpoint)
        return nullptr;

    auto port = privateClient->createInputPort("In", std::move(callback));
    if (port == nullptr || port->connectSource(source).failed())
        return nullptr;
    return port;
}

juce::Result VirtualMidiBus::sendToDestination(int index, const std::uint8_t* data, int size)
{
    return privateOutput->send(getDestination(index), data, size);
}

bool VirtualMidiBus::waitUntilIdle(int timeoutMs)
{
    jassert(!isBusThread());
    std::unique_lock<std::mutex> lock(queueMutex);
    return queueChanged.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [this] { return queue.empty() && !delivering; });
}

//==============================================================================
int VirtualMidiBus::getNumberOfSources()
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    return (int)sourceList.size();
}

int VirtualMidiBus::getNumberOfDestinations()
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    return (int)destinationList.size();
}

MidiEndpointRef VirtualMidiBus::getSource(int index)
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    return index >= 0 && index < (int)sourceList.size() ? sourceList[(size_t)index].ref : noMidiEndpoint;
}

MidiEndpointRef VirtualMidiBus::getDestination(int index)
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    return index >= 0 && index < (int)destinationList.size() ? destinationList[(size_t)index].ref : noMidiEndpoint;
}

const VirtualMidiBus::Endpoint* VirtualMidiBus::findEndpoint(const std::vector<Endpoint>& list, MidiEndpointRef ref)
{
    const auto found = std::find_if(list.begin(), list.end(), [ref](const Endpoint& e) { return e.ref == ref; });
    return found == list.end() ? nullptr : &*found;
}

bool VirtualMidiBus::getEndpointName(MidiEndpointRef endpoint, juce::String& name)
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    const auto* found = findEndpoint(sourceList, endpoint);
    if (found == nullptr)
        found = findEndpoint(destinationList, endpoint);
    if (found == nullptr || found->name.isEmpty())
        return false;
    name = found->name;
    return true;
}

bool VirtualMidiBus::getDeviceName(MidiEndpointRef endpoint, juce::String& name)
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    const auto* found = findEndpoint(sourceList, endpoint);
    if (found == nullptr)
        found = findEndpoint(destinationList, endpoint);
    if (found == nullptr)
        return false;
    const auto device = devices.find(found->deviceId);
    if (device == devices.end() || device->second.name.isEmpty())
        return false;
    name = device->second.name;
    return true;
}

std::unique_ptr<MidiClient> VirtualMidiBus::createClient(const juce::String&, MidiSetupChangedCallback setupChanged)
{
    return std::make_unique<Client>(*this, registerClient(std::move(setupChanged)));
}

//==============================================================================
int VirtualMidiBus::registerInputPort(MidiReadCallback callback)
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    const int id = nextId++;
    inputPorts[id].callback = std::move(callback);
    return id;
}

void VirtualMidiBus::unregisterInputPort(int portId)
{
    const auto callbacks = lockCallbacks();
    const std::lock_guard<std::mutex> lock(topologyMutex);
    inputPorts.erase(portId);
}

juce::Result VirtualMidiBus::connectInputPort(int portId, MidiEndpointRef source)
{
    const auto callbacks = lockCallbacks();
    const std::lock_guard<std::mutex> lock(topologyMutex);
    if (source != noMidiEndpoint && findEndpoint(sourceList, source) == nullptr)
        return endpointGone();
    inputPorts[portId].source = source;
    return juce::Result::ok();
}

int VirtualMidiBus::registerOutputPort()
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    const int id = nextId++;
    outputPorts[id] = true;
    return id;
}

void VirtualMidiBus::unregisterOutputPort(int portId)
{
    std::vector<MidiSysExCompletion> cancelled;
    {
        const auto callbacks = lockCallbacks();
        {
            const std::lock_guard<std::mutex> lock(topologyMutex);
            outputPorts.erase(portId);
        }
        const std::lock_guard<std::mutex> lock(queueMutex);
        for (auto it = queue.begin(); it != queue.end();)
        {
            if (it->kind == Delivery::Kind::toDestination && it->outputPortId == portId)
            {
                if (it->completion)
                    cancelled.push_back(std::move(it->completion));
                it = queue.erase(it);
            }
            else
            {
                ++it;
            }
        }
    }
    queueChanged.notify_all();
    for (auto& completion : cancelled)
        completion(portClosed());
}

juce::Result VirtualMidiBus::queueToDestination(int outputPortId, MidiEndpointRef destination,
                                                std::vector<std::uint8_t> bytes, MidiSysExCompletion completion)
{
    {
        const std::lock_guard<std::mutex> lock(topologyMutex);
        if (findEndpoint(destinationList, destination) == nullptr)
            return endpointGone();
    }
    Delivery delivery;
    delivery.kind = Delivery::Kind::toDestination;
    delivery.endpoint = destination;
    delivery.bytes = std::move(bytes);
    delivery.outputPortId = outputPortId;
    delivery.completion = std::move(completion);
    enqueue(std::move(delivery));
    return juce::Result::ok();
}

int VirtualMidiBus::registerClient(MidiSetupChangedCallback callback)
{
    const std::lock_guard<std::mutex> lock(topologyMutex);
    const int id = nextId++;
    clients[id] = std::move(callback);
    return id;
}

void VirtualMidiBus::unregisterClient(int clientId)
{
    const auto callbacks = lockCallbacks();
    const std::lock_guard<std::mutex> lock(topologyMutex);
    clients.erase(clientId);
}

//==============================================================================
void VirtualMidiBus::enqueue(Delivery delivery)
{
    {
        const std::lock_guard<std::mutex> lock(queueMutex);
        if (stopping)
            return;
        queue.push_back(std::move(delivery));
    }
    queueChanged.notify_all();
}

void VirtualMidiBus::run()
{
    for (;;)
    {
        {
            std::unique_lock<std::mutex> lock(queueMutex);
            queueChanged.wait(lock, [this] { return stopping || !queue.empty(); });
            if (stopping)
                return;
        }

        // The callback lock is taken before the delivery leaves the queue, so that a port
        // being destroyed either finds its send still queued or already delivered.
        const std::lock_guard<std::mutex> callbacks(callbackMutex);
        Delivery delivery;
        {
            const std::lock_guard<std::mutex> lock(queueMutex);
            if (queue.empty())
                continue;
            delivery = std::move(queue.front());
            queue.pop_front();
            delivering = true;
        }

        deliver(delivery);

        {
            const std::lock_guard<std::mutex> lock(queueMutex);
            delivering = false;
        }
        queueChanged.notify_all();
    }
}

void VirtualMidiBus::deliver(Delivery& delivery)
{
    const auto* data = delivery.bytes.data();
    const auto size = (int)delivery.bytes.size();

    switch (delivery.kind)
    {
    case Delivery::Kind::fromSource:
    {
        std::vector<int> targets;
        {
            const std::lock_guard<std::mutex> lock(topologyMutex);
            for (const auto& port : inputPorts)
                if (port.second.source == delivery.endpoint)
                    targets.push_back(port.first);
        }
        for (const int portId : targets)
        {
            // A callback may have closed another port meanwhile.
            MidiReadCallback callback;
            {
                const std::lock_guard<std::mutex> lock(topologyMutex);
                const auto found = inputPorts.find(portId);
                if (found == inputPorts.end() || found->second.source != delivery.endpoint)
                    continue;
                callback = found->second.callback;
            }
            callback(data, size);
        }
        break;
    }
    case Delivery::Kind::toDestination:
    {
        DeviceReceiver receiver;
        bool exists = false;
        {
            const std::lock_guard<std::mutex> lock(topologyMutex);
            if (const auto* endpoint = findEndpoint(destinationList, delivery.endpoint))
            {
                exists = true;
                const auto device = devices.find(endpoint->deviceId);
                if (device != devices.end())
                    receiver = device->second.receiver;
            }
        }
        if (exists && receiver)
            receiver(delivery.endpoint, data, size);
        if (delivery.completion)
            delivery.completion(exists ? juce::Result::ok() : endpointGone());
        break;
    }
    case Delivery::Kind::setupChanged:
    {
        std::vector<int> targets;
        {
            const std::lock_guard<std::mutex> lock(topologyMutex);
            for (const auto& client : clients)
                if (client.second)
                    targets.push_back(client.first);
        }
        for (const int clientId : targets)
        {
            MidiSetupChangedCallback callback;
            {
                const std::lock_guard<std::mutex> lock(topologyMutex);
                const auto found = clients.find(clientId);
                if (found == clients.end())
                    continue;
                callback = found->second;
            }
            callback();
        }
        break;
    }
    }
}
} // namespace platform
