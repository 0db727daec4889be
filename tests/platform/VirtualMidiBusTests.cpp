#include "platform/VirtualMidiBus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// Collects packets (and the threads they came on) for the test thread to wait on.
class Collector
{
public:
    platform::MidiReadCallback reader()
    {
        return [this](const std::uint8_t* data, int size) { add(Bytes(data, data + size)); };
    }

    platform::VirtualMidiBus::DeviceReceiver receiver()
    {
        return [this](platform::MidiEndpointRef destination, const std::uint8_t* data, int size)
        {
            Bytes packet(data, data + size);
            packet.insert(packet.begin(), (std::uint8_t)destination);
            add(std::move(packet));
        };
    }

    void add(Bytes packet)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            packets.push_back(std::move(packet));
            threads.push_back(std::this_thread::get_id());
        }
        changed.notify_all();
    }

    std::vector<Bytes> get()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return packets;
    }

    std::vector<std::thread::id> getThreads()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return threads;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Bytes> packets;
    std::vector<std::thread::id> threads;
};

// Holds the bus thread inside a callback until the test opens it.
class Gate
{
public:
    void waitOpen()
    {
        std::unique_lock<std::mutex> lock(mutex);
        entered = true;
        changed.notify_all();
        changed.wait(lock, [this] { return open; });
    }

    bool waitEntered()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [this] { return entered; });
    }

    void openGate()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            open = true;
        }
        changed.notify_all();
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    bool entered = false;
    bool open = false;
};

juce::String nameOf(platform::MidiBackend& backend, platform::MidiEndpointRef endpoint)
{
    juce::String device, name;
    const bool hasDevice = backend.getDeviceName(endpoint, device);
    const bool hasName = backend.getEndpointName(endpoint, name);
    return (hasDevice ? device : "?") + "/" + (hasName ? name : "?");
}
} // namespace

TEST(VirtualMidiBus, NumbersEndpointsInDeviceOrderAndClosesGaps)
{
    platform::VirtualMidiBus bus;
    const int a = bus.addDevice("A", {"a1", "a2"}, {"a-in"});
    const int b = bus.addDevice("B", {"b1"}, {"b-in1", "b-in2"});
    ASSERT_EQ(bus.getNumberOfSources(), 3);
    ASSERT_EQ(bus.getNumberOfDestinations(), 3);
    EXPECT_EQ(nameOf(bus, bus.getSource(0)), "A/a1");
    EXPECT_EQ(nameOf(bus, bus.getSource(1)), "A/a2");
    EXPECT_EQ(nameOf(bus, bus.getSource(2)), "B/b1");
    EXPECT_EQ(nameOf(bus, bus.getDestination(2)), "B/b-in2");
    EXPECT_EQ(bus.getSource(3), platform::noMidiEndpoint);
    EXPECT_EQ(bus.getDestination(-1), platform::noMidiEndpoint);
    EXPECT_EQ(bus.getDeviceSource(a, 1), bus.getSource(1));
    EXPECT_EQ(bus.getDeviceDestination(b, 1), bus.getDestination(2));
    EXPECT_EQ(bus.getDeviceSource(b, 1), platform::noMidiEndpoint);

    const auto removed = bus.getSource(0);
    EXPECT_TRUE(bus.removeDevice(a));
    EXPECT_FALSE(bus.removeDevice(a));
    EXPECT_EQ(bus.getNumberOfSources(), 1);
    EXPECT_EQ(nameOf(bus, bus.getSource(0)), "B/b1");
    EXPECT_EQ(bus.getSourceIndex(bus.getDeviceSource(b)), 0);
    EXPECT_EQ(bus.getDestinationIndex(bus.getDeviceDestination(b, 1)), 1);
    EXPECT_EQ(bus.getSourceIndex(removed), -1);
    EXPECT_EQ(nameOf(bus, removed), "?/?");

    // A new device never reuses an old endpoint.
    bus.addDevice("", {""}, {});
    EXPECT_NE(bus.getSource(1), removed);
    EXPECT_EQ(nameOf(bus, bus.getSource(1)), "?/?");
}

TEST(VirtualMidiBus, DeliversPacketsInOrderOnTheBusThreadToConnectedInputsOnly)
{
    platform::VirtualMidiBus bus;
    const int a = bus.addDevice("A", {"out"}, {});
    bus.addDevice("B", {"out"}, {});
    auto client = bus.createClient("Test", {});
    Collector first, second, other;
    auto in1 = client->createInputPort("1", first.reader());
    auto in2 = client->createInputPort("2", second.reader());
    auto in3 = client->createInputPort("3", other.reader());
    ASSERT_TRUE(in1->connectSource(bus.getSource(0)).wasOk());
    ASSERT_TRUE(in2->connectSource(bus.getSource(0)).wasOk());
    ASSERT_TRUE(in3->connectSource(bus.getSource(1)).wasOk());
    EXPECT_TRUE(in3->connectSource(12345).failed());

    EXPECT_TRUE(bus.sendFromSource(bus.getDeviceSource(a), {0x90, 0x3C, 0x40}));
    EXPECT_TRUE(bus.sendFromSource(bus.getDeviceSource(a), {0xF0, 0x01, 0xF7}));
    ASSERT_TRUE(bus.waitUntilIdle(5000));

    const std::vector<Bytes> expected{{0x90, 0x3C, 0x40}, {0xF0, 0x01, 0xF7}};
    EXPECT_EQ(first.get(), expected);
    EXPECT_EQ(second.get(), expected);
    EXPECT_TRUE(other.get().empty());
    EXPECT_NE(first.getThreads().front(), std::this_thread::get_id());

    // Another program's input opened by index hears the same source.
    in1->disconnectSource();
    Collector byIndex;
    EXPECT_EQ(bus.openSource(2, byIndex.reader()), nullptr);
    auto opened = bus.openSource(0, byIndex.reader());
    ASSERT_NE(opened, nullptr);
    bus.sendFromSource(bus.getDeviceSource(a), {0xFE});
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_EQ(first.get().size(), 2u);
    EXPECT_EQ(second.get().size(), 3u);
    EXPECT_EQ(byIndex.get(), (std::vector<Bytes>{{0xFE}}));
}

TEST(VirtualMidiBus, OutputsReachTheDeviceReceiverWhole)
{
    platform::VirtualMidiBus bus;
    Collector device;
    const int synth = bus.addDevice("Synth", {}, {"in0", "in1"}, device.receiver());
    auto client = bus.createClient("Test", {});
    auto out = client->createOutputPort("out");

    const Bytes note{0x90, 0x3C, 0x40};
    ASSERT_TRUE(out->send(bus.getDestination(1), note.data(), 3).wasOk());
    std::promise<juce::Result> done;
    Bytes long_(10000, 0x33);
    long_.front() = 0xF0;
    long_.back() = 0xF7;
    ASSERT_TRUE(
        out->sendSysEx(bus.getDestination(0), long_, [&](const juce::Result& r) { done.set_value(r); }).wasOk());
    auto future = done.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_TRUE(future.get().wasOk());
    ASSERT_TRUE(bus.sendToDestination(1, note.data(), 2).wasOk());
    ASSERT_TRUE(bus.waitUntilIdle(5000));

    const auto d0 = (std::uint8_t)bus.getDeviceDestination(synth, 0);
    const auto d1 = (std::uint8_t)bus.getDeviceDestination(synth, 1);
    auto expectedLong = long_;
    expectedLong.insert(expectedLong.begin(), d0);
    EXPECT_EQ(device.get(), (std::vector<Bytes>{{d1, 0x90, 0x3C, 0x40}, expectedLong, {d1, 0x90, 0x3C}}));

    EXPECT_TRUE(out->send(12345, note.data(), 3).failed());
    EXPECT_TRUE(out->sendSysEx(12345, long_, {}).failed());
    EXPECT_TRUE(out->send(bus.getDestination(0), note.data(), 0).failed());
    EXPECT_TRUE(bus.sendToDestination(7, note.data(), 3).failed());
}

TEST(VirtualMidiBus, RemovedDevicesNeitherSendNorReceive)
{
    platform::VirtualMidiBus bus;
    Collector device, input;
    const int synth = bus.addDevice("Synth", {"out"}, {"in"}, device.receiver());
    auto client = bus.createClient("Test", {});
    auto in = client->createInputPort("in", input.reader());
    auto out = client->createOutputPort("out");
    ASSERT_TRUE(in->connectSource(bus.getSource(0)).wasOk());
    const auto destination = bus.getDestination(0);
    const auto source = bus.getSource(0);

    std::promise<juce::Result> done;
    Gate gate;
    // Queue a send behind a held delivery that removes the device once the test lets it go.
    const int blocker = bus.addDevice("Blocker", {}, {"in"},
                                      [&](platform::MidiEndpointRef, const std::uint8_t*, int)
                                      {
                                          gate.waitOpen();
                                          bus.removeDevice(synth);
                                      });
    const std::uint8_t clock = 0xF8;
    ASSERT_TRUE(out->send(bus.getDeviceDestination(blocker), &clock, 1).wasOk());
    ASSERT_TRUE(gate.waitEntered());
    ASSERT_TRUE(out->sendSysEx(destination, {0xF0, 0xF7}, [&](const juce::Result& r) { done.set_value(r); }).wasOk());
    gate.openGate();

    auto future = done.get_future();
    ASSERT_EQ(future.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(future.get().getErrorMessage(), "The MIDI endpoint does not exist.");
    EXPECT_FALSE(bus.sendFromSource(source, {0xF8}));
    EXPECT_TRUE(out->send(destination, &clock, 1).failed());
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_TRUE(device.get().empty());
    EXPECT_TRUE(input.get().empty());
}

TEST(VirtualMidiBus, DestroyingAnOutputCancelsItsQueuedSysExSends)
{
    platform::VirtualMidiBus bus;
    Gate gate;
    Collector device;
    bus.addDevice("Synth", {}, {"in"}, device.receiver());
    auto client = bus.createClient("Test", {});
    auto out = client->createOutputPort("out");
    std::unique_ptr<platform::MidiOutputPort> doomed = client->createOutputPort("doomed");

    // The first delivery waits for the gate, then destroys the port whose send is queued.
    const int holder = bus.addDevice("Holder", {}, {"in"},
                                     [&](platform::MidiEndpointRef, const std::uint8_t*, int)
                                     {
                                         gate.waitOpen();
                                         doomed.reset();
                                     });
    std::vector<juce::String> results;
    const std::uint8_t clock = 0xF8;
    ASSERT_TRUE(out->send(bus.getDeviceDestination(holder), &clock, 1).wasOk());
    ASSERT_TRUE(gate.waitEntered());
    ASSERT_TRUE(doomed
                    ->sendSysEx(bus.getDestination(0), {0xF0, 0x01, 0xF7},
                                [&](const juce::Result& r)
                                { results.push_back(r.wasOk() ? "ok" : r.getErrorMessage()); })
                    .wasOk());
    gate.openGate();
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_EQ(results, (std::vector<juce::String>{"The MIDI output port was closed before the send ended."}));
    EXPECT_TRUE(device.get().empty());
}

TEST(VirtualMidiBus, NotifiesEveryClientOfSetupChangesUntilItIsGone)
{
    platform::VirtualMidiBus bus;
    std::atomic<int> first{0}, second{0};
    auto one = bus.createClient("One", [&] { ++first; });
    auto two = bus.createClient("Two", [&] { ++second; });
    const int device = bus.addDevice("D", {"o"}, {"i"});
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    two.reset();
    bus.removeDevice(device);
    ASSERT_TRUE(bus.waitUntilIdle(5000));
    EXPECT_EQ(first.load(), 2);
    EXPECT_EQ(second.load(), 1);
}
