#include "midi/CTRXMidi.h"
#include "platform/VirtualMidiBus.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace
{
using Bytes = std::vector<std::uint8_t>;

// Records what a device receives, for waiting on from the test thread.
class DeviceInbox
{
public:
    platform::VirtualMidiBus::DeviceReceiver receiver()
    {
        return [this](platform::MidiEndpointRef, const std::uint8_t* data, int size) {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                packets.emplace_back(data, data + size);
            }
            changed.notify_all();
        };
    }

    bool waitFor(std::size_t count)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [&] { return packets.size() >= count; });
    }

    std::vector<Bytes> received()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return packets;
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Bytes> packets;
};

// Counts the notifications the layer gives, for waiting on from the test thread.
class CountingListener : public CTRXMidiListener
{
public:
    void OnSysExMessage(CTRXMidi*, CTRXMidiMessage* message) override
    {
        record([&] { messages.emplace_back(message->GetBytes(), message->GetBytes() + message->GetLength()); });
    }
    void OnMidiMessage(CTRXMidi*, CTRXMidiMessage* message) override
    {
        record([&] { messages.emplace_back(message->GetBytes(), message->GetBytes() + message->GetLength()); });
    }
    void OnSysExSent(CTRXMidi*, std::uint32_t size) override
    {
        record([&] { sentSizes.push_back(size); });
    }
    void OnMidiSetupChanged(CTRXMidi*, std::uint32_t id, const void* notification) override
    {
        record([&] {
            ++setupChanges;
            zeroArguments = zeroArguments && id == 0 && notification == nullptr;
        });
    }

    bool waitUntil(const std::function<bool()>& condition)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), condition);
    }

    std::mutex mutex;
    std::vector<Bytes> messages;
    std::vector<std::uint32_t> sentSizes;
    int setupChanges = 0;
    bool zeroArguments = true;

private:
    template <typename Change>
    void record(Change&& change)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            change();
        }
        changed.notify_all();
    }

    std::condition_variable changed;
};

class CTRXMidiPortTest : public ::testing::Test
{
protected:
    CTRXMidiPortTest()
    {
        EXPECT_TRUE(midi.CreateClient("MidiDevice"));
        midi.AddListener(&listener);
    }

    int addSynth(const juce::String& name, DeviceInbox& inbox)
    {
        return bus->addDevice(name, {"Out"}, {"In"}, inbox.receiver());
    }

    std::shared_ptr<platform::VirtualMidiBus> bus = std::make_shared<platform::VirtualMidiBus>();
    CTRXMidi midi{bus};
    CountingListener listener;
};
} // namespace

TEST_F(CTRXMidiPortTest, ClientIsCreatedOnceAndDisposedOnce)
{
    EXPECT_FALSE(midi.CreateClient("MidiDevice"));
    EXPECT_EQ(midi.GetLastFailure(), "Client is already created.");
    EXPECT_TRUE(midi.DisposeClient());
    EXPECT_TRUE(midi.DisposeClient());
    EXPECT_FALSE(midi.CreateClient(nullptr));
    EXPECT_EQ(midi.GetLastFailure(), "Failed to create CFString.");
    EXPECT_FALSE(midi.CreateClient("\xC3\x28"));
    EXPECT_EQ(midi.GetLastFailure(), "Failed to create CFString.");
    EXPECT_TRUE(midi.CreateClient("MidiDevice"));
}

TEST_F(CTRXMidiPortTest, OpeningPortsWithoutEndpointsOrClientFails)
{
    EXPECT_FALSE(midi.OpenInPort(0));
    EXPECT_EQ(midi.GetLastFailure(), "Not found MIDI IN device.");
    EXPECT_FALSE(midi.OpenOutPort(0));
    EXPECT_EQ(midi.GetLastFailure(), "Not found MIDI Out device.");

    DeviceInbox inbox;
    addSynth("Synth", inbox);
    EXPECT_FALSE(midi.OpenInPort(-1));
    EXPECT_EQ(midi.GetLastFailure(), "Not found MIDI IN device.");
    EXPECT_FALSE(midi.OpenOutPort(1));
    EXPECT_EQ(midi.GetLastFailure(), "Not found MIDI Out device.");

    midi.DisposeClient();
    EXPECT_FALSE(midi.OpenInPort(0));
    EXPECT_EQ(midi.GetLastFailure(), "Faild to MIDIInputPortCreate().");
    EXPECT_FALSE(midi.OpenOutPort(0));
    EXPECT_EQ(midi.GetLastFailure(), "Faild to MIDIOutputPortCreate().");
    EXPECT_FALSE(midi.IsInPortOpen());
    EXPECT_FALSE(midi.IsOutPortOpen());
}

TEST_F(CTRXMidiPortTest, ReceivesFromTheConnectedSourceOnly)
{
    DeviceInbox first, second;
    const int a = addSynth("A", first);
    const int b = addSynth("B", second);
    ASSERT_TRUE(midi.OpenInPort(1));

    bus->sendFromSource(bus->getDeviceSource(a), {0x90, 0x01, 0x01});
    bus->sendFromSource(bus->getDeviceSource(b), {0xF0, 0x42});
    bus->sendFromSource(bus->getDeviceSource(b), {0x01, 0xF7});
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    EXPECT_EQ(listener.messages, (std::vector<Bytes>{{0xF0, 0x42, 0x01, 0xF7}}));
}

TEST_F(CTRXMidiPortTest, ASecondOpenFailsAndLeavesTheFirstWorking)
{
    DeviceInbox inbox;
    const int synth = addSynth("Synth", inbox);
    ASSERT_TRUE(midi.OpenInPort(0));
    ASSERT_TRUE(midi.OpenOutPort(0));
    EXPECT_FALSE(midi.OpenInPort(0));
    EXPECT_EQ(midi.GetLastFailure(), "MIDI IN already opened.");
    EXPECT_FALSE(midi.OpenOutPort(0));
    EXPECT_EQ(midi.GetLastFailure(), "MIDI OUT already opened.");

    bus->sendFromSource(bus->getDeviceSource(synth), {0xB0, 0x07, 0x64});
    const Bytes note{0x90, 0x3C, 0x40};
    midi.SendMessage(note.data(), (std::uint32_t)note.size());
    ASSERT_TRUE(inbox.waitFor(1));
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    EXPECT_EQ(listener.messages, (std::vector<Bytes>{{0xB0, 0x07, 0x64}}));
    EXPECT_EQ(inbox.received(), (std::vector<Bytes>{note}));
}

TEST_F(CTRXMidiPortTest, ReopenedInputStartsWithAnEmptyBuffer)
{
    DeviceInbox inbox;
    const int synth = addSynth("Synth", inbox);
    ASSERT_TRUE(midi.OpenInPort(0));
    bus->sendFromSource(bus->getDeviceSource(synth), {0xF0, 0x01, 0x02});
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    midi.CloseInPort();
    midi.CloseInPort();
    ASSERT_TRUE(midi.OpenInPort(0));
    bus->sendFromSource(bus->getDeviceSource(synth), {0x03, 0xF7});
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    // The old message is forgotten: its end is a lone 0xF7.
    EXPECT_EQ(listener.messages, (std::vector<Bytes>{{0xF7}}));
}

TEST_F(CTRXMidiPortTest, ShortMessagesTakeTheirLengthFromTheStatusByte)
{
    DeviceInbox inbox;
    addSynth("Synth", inbox);
    ASSERT_TRUE(midi.OpenOutPort(0));

    const Bytes twoOfThree{0x90, 0x3C};
    const Bytes longer{0xC0, 0x05, 0x06, 0x07};
    const Bytes clock{0xF8, 0x01};
    midi.SendMessage(twoOfThree.data(), (std::uint32_t)twoOfThree.size());
    midi.SendMessage(longer.data(), (std::uint32_t)longer.size());
    midi.SendMessage(clock.data(), (std::uint32_t)clock.size());
    midi.SendMessage(clock.data(), 0);
    ASSERT_TRUE(inbox.waitFor(3));
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    EXPECT_EQ(inbox.received(), (std::vector<Bytes>{{0x90, 0x3C, 0x00}, {0xC0, 0x05}, {0xF8}}));
}

TEST_F(CTRXMidiPortTest, SysExSendDeliversWholeAndReportsItsSize)
{
    DeviceInbox inbox;
    addSynth("Synth", inbox);
    ASSERT_TRUE(midi.OpenOutPort(0));

    Bytes message(3000, 0x12);
    message.front() = 0xF0;
    message.back() = 0xF7;
    midi.SendMessage(message.data(), (std::uint32_t)message.size());
    // The bus completes at once, well inside the bounded wait.
    EXPECT_TRUE(listener.waitUntil([&] { return listener.sentSizes.size() == 1; }));
    EXPECT_EQ(listener.sentSizes, (std::vector<std::uint32_t>{3000}));
    EXPECT_EQ(inbox.received(), (std::vector<Bytes>{message}));
}

TEST_F(CTRXMidiPortTest, SysExSendWithTheOutputClosedReturnsAtOnce)
{
    DeviceInbox inbox;
    addSynth("Synth", inbox);
    const Bytes message{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

    // Were the call to wait, this would take 500 ms per send.
    const auto started = juce::Time::getMillisecondCounterHiRes();
    for (int i = 0; i < 10; ++i)
        midi.SendMessage(message.data(), (std::uint32_t)message.size());
    EXPECT_LT(juce::Time::getMillisecondCounterHiRes() - started, 2000.0);
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    EXPECT_TRUE(inbox.received().empty());
    EXPECT_TRUE(listener.sentSizes.empty());
}

TEST_F(CTRXMidiPortTest, SysExSendToAVanishedDeviceReportsNoCompletion)
{
    DeviceInbox inbox;
    const int synth = addSynth("Synth", inbox);
    ASSERT_TRUE(midi.OpenOutPort(0));
    bus->removeDevice(synth);
    const Bytes message{0xF0, 0x01, 0xF7};
    midi.SendMessage(message.data(), (std::uint32_t)message.size());
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    EXPECT_TRUE(listener.sentSizes.empty());
    EXPECT_TRUE(inbox.received().empty());
}

TEST_F(CTRXMidiPortTest, PortNamesJoinDeviceAndEndpointNames)
{
    DeviceInbox inbox;
    bus->addDevice("QTR-3", {"MIDI Out", "Spare"}, {"MIDI In"});
    bus->addDevice("", {"Lonely"}, {""});
    EXPECT_EQ(midi.GetInPortName(0), "QTR-3 - MIDI Out");
    EXPECT_EQ(midi.GetInPortName(1), "QTR-3 - Spare");
    EXPECT_EQ(midi.GetInPortName(2), " - Lonely");
    EXPECT_EQ(midi.GetOutPortName(0), "QTR-3 - MIDI In");
    EXPECT_EQ(midi.GetOutPortName(1), " - ");
    EXPECT_EQ(midi.GetInPortName(3), "");
    EXPECT_EQ(midi.GetOutPortName(2), "");
    EXPECT_EQ(midi.GetOutPortName(-1), "");
    EXPECT_EQ(midi.GetEndpointDeviceName(bus->getSource(0)), "QTR-3");
    EXPECT_EQ(midi.GetEndpointDeviceName(platform::noMidiEndpoint), "");
}

TEST_F(CTRXMidiPortTest, SetupChangesReachTheListenersWithZeroArguments)
{
    DeviceInbox inbox;
    const int synth = addSynth("Synth", inbox);
    bus->removeDevice(synth);
    EXPECT_TRUE(listener.waitUntil([&] { return listener.setupChanges == 2; }));
    EXPECT_TRUE(listener.zeroArguments);
}

TEST_F(CTRXMidiPortTest, ListenersComeAndGoWhileMessagesArrive)
{
    DeviceInbox inbox;
    const int synth = addSynth("Synth", inbox);
    ASSERT_TRUE(midi.OpenInPort(0));

    // Every listener is notified with the lock held, so a removed one hears nothing more and
    // a listener being destroyed right after RemoveListener is never called.
    std::atomic<bool> stop{false};
    std::thread device([&] {
        while (!stop)
            bus->sendFromSource(bus->getDeviceSource(synth), {0xF0, 0x01, 0xF8, 0xF7});
    });

    for (int round = 0; round < 2000; ++round)
    {
        auto transient = std::make_unique<CountingListener>();
        midi.AddListener(transient.get());
        midi.RemoveListener(transient.get());
        transient.reset();
    }
    EXPECT_TRUE(listener.waitUntil([&] { return listener.messages.size() > 10; }));
    stop = true;
    device.join();
    midi.RemoveAllListeners();
    ASSERT_TRUE(bus->waitUntilIdle(5000));

    const std::lock_guard<std::mutex> lock(listener.mutex);
    // Listeners may have been removed between the clock byte and the message.
    for (std::size_t i = 0; i + 1 < listener.messages.size(); i += 2)
    {
        ASSERT_EQ(listener.messages[i], (Bytes{0xF8}));
        ASSERT_EQ(listener.messages[i + 1], (Bytes{0xF0, 0x01, 0xF7}));
    }
}

TEST_F(CTRXMidiPortTest, ClosingTheInputStopsDeliveries)
{
    DeviceInbox inbox;
    const int synth = addSynth("Synth", inbox);
    ASSERT_TRUE(midi.OpenInPort(0));
    bus->sendFromSource(bus->getDeviceSource(synth), {0xFE});
    EXPECT_TRUE(listener.waitUntil([&] { return listener.messages.size() == 1; }));
    midi.CloseInPort();
    bus->sendFromSource(bus->getDeviceSource(synth), {0xFE});
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    EXPECT_EQ(listener.messages.size(), 1u);
}
