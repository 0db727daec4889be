#include "platform/VirtualMidiBus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// Packets in arrival order and the thread of the last one, read once the bus is idle; a
// device's packets carry their destination in front.
struct Collector
{
    platform::MidiReadCallback reader()
    {
        return [this](const std::uint8_t* data, int size) { add({}, data, size); };
    }

    platform::VirtualMidiBus::DeviceReceiver receiver()
    {
        return [this](platform::MidiEndpointRef to, const std::uint8_t* data, int size)
        { add({(std::uint8_t)to}, data, size); };
    }

    void add(Bytes packet, const std::uint8_t* data, int size)
    {
        packet.insert(packet.end(), data, data + size);
        packets.push_back(std::move(packet));
        thread = std::this_thread::get_id();
    }

    std::vector<Bytes> packets;
    std::thread::id thread;
};

juce::String nameOf(platform::MidiBackend& backend, platform::MidiEndpointRef endpoint)
{
    juce::String device, name;
    const bool hasDevice = backend.getDeviceName(endpoint, device);
    const bool hasName = backend.getEndpointName(endpoint, name);
    return (hasDevice ? device : "?") + "/" + (hasName ? name : "?");
}

class VirtualMidiBusTest : public ::testing::Test
{
protected:
    ~VirtualMidiBusTest() override { released.signal(); }

    // Holds the bus thread in a device's receiver until `released`, then runs `then` there:
    // whatever the test queues meanwhile is delivered after it.
    void holdTheBus(std::function<void()> then)
    {
        const int holder = bus.addDevice("Holder", {}, {"in"},
                                         [this, then](platform::MidiEndpointRef, const std::uint8_t*, int)
                                         {
                                             entered.signal();
                                             released.wait();
                                             then();
                                         });
        ASSERT_TRUE(out->send(bus.getDeviceDestination(holder), &clock, 1).wasOk());
        ASSERT_TRUE(entered.wait(5000));
    }

    // Completions, in the order they ran, read once the bus is idle.
    juce::StringArray results;
    const platform::MidiSysExCompletion record = [this](const juce::Result& r)
    { results.add(r.wasOk() ? "ok" : r.getErrorMessage()); };
    const std::uint8_t clock = 0xF8;
    platform::VirtualMidiBus bus;
    std::atomic<int> setupChanges{0};
    std::unique_ptr<platform::MidiClient> client = bus.createClient("Test", [this] { ++setupChanges; });
    std::unique_ptr<platform::MidiOutputPort> out = client->createOutputPort("out");
    juce::WaitableEvent entered, released{true};
};
} // namespace

TEST_F(VirtualMidiBusTest, NumbersEndpointsInDeviceOrderClosesGapsAndNotifiesLiveClients)
{
    std::atomic<int> goneClientChanges{0};
    auto gone = bus.createClient("Gone", [&] { ++goneClientChanges; });
    const int a = bus.addDevice("A", {"a1", "a2"}, {"a-in"});
    const int b = bus.addDevice("B", {"b1"}, {"b-in1", "b-in2"});
    ASSERT_EQ(bus.getNumberOfSources(), 3);
    ASSERT_EQ(bus.getNumberOfDestinations(), 3);
    EXPECT_EQ(nameOf(bus, bus.getSource(1)), "A/a2");
    EXPECT_EQ(nameOf(bus, bus.getSource(2)), "B/b1");
    EXPECT_EQ(nameOf(bus, bus.getDestination(2)), "B/b-in2");
    EXPECT_EQ(bus.getSource(3), platform::noMidiEndpoint);
    EXPECT_EQ(bus.getDestination(-1), platform::noMidiEndpoint);
    EXPECT_EQ(bus.getDeviceSource(a, 1), bus.getSource(1));
    EXPECT_EQ(bus.getDeviceSource(b, 1), platform::noMidiEndpoint);
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    gone.reset();

    const auto removed = bus.getSource(0);
    EXPECT_TRUE(bus.removeDevice(a));
    EXPECT_FALSE(bus.removeDevice(a));
    EXPECT_EQ(nameOf(bus, bus.getSource(0)), "B/b1");
    EXPECT_EQ(bus.getDestinationIndex(bus.getDeviceDestination(b, 1)), 1);
    EXPECT_EQ(bus.getSourceIndex(removed), -1);
    EXPECT_EQ(nameOf(bus, removed), "?/?");

    // A new device never reuses an old endpoint.
    bus.addDevice("", {""}, {});
    EXPECT_NE(bus.getSource(1), removed);
    EXPECT_EQ(nameOf(bus, bus.getSource(1)), "?/?");
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_EQ(setupChanges.load(), 4);
    EXPECT_EQ(goneClientChanges.load(), 2);
}

TEST_F(VirtualMidiBusTest, CarriesPacketsInOrderOnTheBusThreadToConnectedInputsAndWholeToDevices)
{
    Collector first, second, other, device;
    const int a = bus.addDevice("A", {"out"}, {"in0", "in1"}, device.receiver());
    bus.addDevice("B", {"out"}, {});
    auto in1 = client->createInputPort("1", first.reader());
    auto in2 = client->createInputPort("2", second.reader());
    auto in3 = client->createInputPort("3", other.reader());
    ASSERT_TRUE(in1->connectSource(bus.getSource(0)).wasOk());
    ASSERT_TRUE(in2->connectSource(bus.getSource(0)).wasOk());
    ASSERT_TRUE(in3->connectSource(bus.getSource(1)).wasOk());
    EXPECT_TRUE(in3->connectSource(12345).failed());

    const Bytes note{0x90, 0x3C, 0x40};
    Bytes sysEx(10000, 0x33);
    sysEx.front() = 0xF0;
    sysEx.back() = 0xF7;
    EXPECT_TRUE(bus.sendFromSource(bus.getDeviceSource(a), note));
    EXPECT_TRUE(bus.sendFromSource(bus.getDeviceSource(a), {0xF0, 0x01, 0xF7}));
    ASSERT_TRUE(out->send(bus.getDestination(1), note.data(), 3).wasOk());
    ASSERT_TRUE(out->sendSysEx(bus.getDestination(0), sysEx, record).wasOk());
    ASSERT_TRUE(bus.sendToDestination(1, note.data(), 2).wasOk());
    ASSERT_TRUE(bus.waitUntilIdle(5000));

    const std::vector<Bytes> expected{note, {0xF0, 0x01, 0xF7}};
    EXPECT_EQ(first.packets, expected);
    EXPECT_EQ(second.packets, expected);
    EXPECT_TRUE(other.packets.empty());
    EXPECT_NE(first.thread, std::this_thread::get_id());
    const auto d1 = (std::uint8_t)bus.getDeviceDestination(a, 1);
    sysEx.insert(sysEx.begin(), (std::uint8_t)bus.getDeviceDestination(a, 0));
    EXPECT_EQ(device.packets, (std::vector<Bytes>{{d1, 0x90, 0x3C, 0x40}, sysEx, {d1, 0x90, 0x3C}}));
    EXPECT_EQ(results, juce::StringArray{"ok"});

    EXPECT_TRUE(out->send(12345, note.data(), 3).failed());
    EXPECT_TRUE(out->sendSysEx(12345, sysEx, {}).failed());
    EXPECT_TRUE(out->send(bus.getDestination(0), note.data(), 0).failed());
    EXPECT_TRUE(bus.sendToDestination(7, note.data(), 3).failed());
}

TEST_F(VirtualMidiBusTest, QueuedSendsFailOnceTheirDeviceOrOutputIsGone)
{
    Collector device, input;
    const int synth = bus.addDevice("Synth", {"out"}, {"in"}, device.receiver());
    auto in = client->createInputPort("in", input.reader());
    std::unique_ptr<platform::MidiOutputPort> doomed = client->createOutputPort("doomed");
    const auto destination = bus.getDestination(0);
    const auto source = bus.getSource(0);
    ASSERT_TRUE(in->connectSource(source).wasOk());

    // Both sends are queued while device and output exist, and come up after both are gone.
    holdTheBus(
        [&]
        {
            bus.removeDevice(synth);
            doomed.reset();
        });
    ASSERT_TRUE(out->sendSysEx(destination, {0xF0, 0xF7}, record).wasOk());
    ASSERT_TRUE(doomed->sendSysEx(destination, {0xF0, 0x01, 0xF7}, record).wasOk());
    released.signal();
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_EQ(results, (juce::StringArray{"The MIDI output port was closed before the send ended.",
                                          "The MIDI endpoint does not exist."}));

    EXPECT_FALSE(bus.sendFromSource(source, {0xF8}));
    EXPECT_TRUE(out->send(destination, &clock, 1).failed());
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_TRUE(device.packets.empty());
    EXPECT_TRUE(input.packets.empty());
}
