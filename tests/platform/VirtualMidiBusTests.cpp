#include "platform/VirtualMidiBus.h"

#include <gtest/gtest.h>

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
        return [this](const std::uint8_t* d, int n) { add({}, d, n); };
    }
    platform::VirtualMidiBus::DeviceReceiver receiver()
    {
        return [this](platform::MidiEndpointRef to, const std::uint8_t* d, int n) { add({(std::uint8_t)to}, d, n); };
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

} // namespace

// The transport every MIDI test relies on; numbering and removal show in the port and search tests.
TEST(VirtualMidiBus, CarriesPacketsInOrderOnTheBusThreadToConnectedInputsAndWholeToDevices)
{
    platform::VirtualMidiBus bus;
    auto client = bus.createClient("Test", [] {});
    auto out = client->createOutputPort("out");
    juce::StringArray results; // of the send's completion, read once the bus is idle
    const auto record = [&results](const juce::Result& r) { results.add(r.wasOk() ? "ok" : r.getErrorMessage()); };
    Collector first, second, other, device;
    const int a = bus.addDevice("A", {"out"}, {"in0", "in1"}, device.receiver());
    bus.addDevice("B", {"out"}, {});
    auto in1 = client->createInputPort("1", first.reader());
    auto in2 = client->createInputPort("2", second.reader());
    auto in3 = client->createInputPort("3", other.reader());
    ASSERT_TRUE(in1->connectSource(bus.getSource(0)).wasOk() && in2->connectSource(bus.getSource(0)).wasOk() &&
                in3->connectSource(bus.getSource(1)).wasOk());
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

    // Unknown endpoints and empty packets are refused.
    EXPECT_TRUE(out->send(12345, note.data(), 3).failed() && out->sendSysEx(12345, sysEx, {}).failed() &&
                out->send(bus.getDestination(0), note.data(), 0).failed() &&
                bus.sendToDestination(7, note.data(), 3).failed());
}
