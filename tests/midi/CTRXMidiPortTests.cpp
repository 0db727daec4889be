#include "platform/VirtualMidiBus.h"
#include "support/midi/CTRXMidiTraceListener.h"

#include <atomic>
#include <thread>

namespace
{
using Bytes = std::vector<std::uint8_t>;
using Trace = juce::StringArray;

// A bus whose sources can be made to name an endpoint that is gone, so that connecting fails.
struct StaleSourceBus : platform::VirtualMidiBus
{
    platform::MidiEndpointRef getSource(int index) override { return stale ? 12345 : VirtualMidiBus::getSource(index); }
    std::atomic<bool> stale{false};
};

class CTRXMidiPortTest : public ::testing::Test
{
protected:
    CTRXMidiPortTest()
    {
        EXPECT_TRUE(midi.CreateClient("MidiDevice"));
        midi.AddListener(&listener);
    }

    // The listener goes before the port: the bus's thread must not reach it after that.
    ~CTRXMidiPortTest() override { midi.RemoveAllListeners(); }

    // A device whose input writes what it receives into `inbox`.
    int addSynth(const juce::String& name)
    {
        return bus->addDevice(name, {"Out"}, {"In"},
                              [this](platform::MidiEndpointRef, const std::uint8_t* d, int n)
                              {
                                  const std::lock_guard<std::mutex> lock(inboxMutex);
                                  inbox.add(test::hex(d, n));
                              });
    }

    Trace received()
    {
        EXPECT_TRUE(bus->waitUntilIdle(5000));
        const std::lock_guard<std::mutex> lock(inboxMutex);
        return inbox;
    }

    void send(const Bytes& bytes) { midi.SendMessage(bytes.data(), (std::uint32_t)bytes.size()); }

    void expectFailure(bool result, const juce::String& text)
    {
        EXPECT_FALSE(result) << text;
        EXPECT_EQ(midi.GetLastFailure(), text);
    }

    std::shared_ptr<StaleSourceBus> bus = std::make_shared<StaleSourceBus>();
    CTRXMidi midi{bus};
    test::CTRXMidiTraceListener listener;
    std::mutex inboxMutex;
    Trace inbox;
};
} // namespace

TEST_F(CTRXMidiPortTest, FailuresNameWhatWentWrong)
{
    expectFailure(midi.CreateClient("MidiDevice"), "Client is already created.");
    expectFailure(midi.OpenInPort(0), "Not found MIDI IN device.");
    expectFailure(midi.OpenOutPort(0), "Not found MIDI Out device.");
    addSynth("Synth");
    expectFailure(midi.OpenInPort(-1), "Not found MIDI IN device.");
    expectFailure(midi.OpenOutPort(1), "Not found MIDI Out device.");
    bus->stale = true;
    expectFailure(midi.OpenInPort(0), "Faild to MIDIPortConnectSource().");
    EXPECT_FALSE(midi.IsInPortOpen());
    bus->stale = false;
    EXPECT_TRUE(midi.OpenInPort(0)); // the failed port is not left behind as an open one

    EXPECT_TRUE(midi.DisposeClient() && midi.DisposeClient());
    expectFailure(midi.OpenInPort(0), "Faild to MIDIInputPortCreate().");
    expectFailure(midi.OpenOutPort(0), "Faild to MIDIOutputPortCreate().");
    EXPECT_FALSE(midi.IsInPortOpen() || midi.IsOutPortOpen());
    expectFailure(midi.CreateClient(nullptr), "Failed to create CFString.");
    expectFailure(midi.CreateClient("\xC3\x28"), "Failed to create CFString.");
    EXPECT_TRUE(midi.CreateClient("MidiDevice"));
}

TEST_F(CTRXMidiPortTest, SendsNothingWhileClosedAndASecondOpenFailsLeavingTheFirstWorkingUntilClosed)
{
    const int a = addSynth("A");
    const int b = addSynth("B");
    send({0x90, 0x3C, 0x40});
    // Were the call to wait for a completion, ten sends would take five seconds.
    const auto started = juce::Time::getMillisecondCounterHiRes();
    for (int i = 0; i < 10; ++i)
        send({0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7});
    EXPECT_LT(juce::Time::getMillisecondCounterHiRes() - started, 2000.0);

    ASSERT_TRUE(midi.OpenInPort(1));
    ASSERT_TRUE(midi.OpenOutPort(1));
    expectFailure(midi.OpenInPort(0), "MIDI IN already opened.");
    expectFailure(midi.OpenOutPort(0), "MIDI OUT already opened.");
    bus->sendFromSource(bus->getDeviceSource(a), {0x90, 0x01, 0x01});
    bus->sendFromSource(bus->getDeviceSource(b), {0xF0, 0x42});
    bus->sendFromSource(bus->getDeviceSource(b), {0x01, 0xF7});

    // Closing the input stops deliveries; reopening forgets the old message: its end arrives as a lone 0xF7.
    bus->sendFromSource(bus->getDeviceSource(b), {0xF0, 0x01, 0x02});
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    midi.CloseInPort();
    midi.CloseInPort();
    bus->sendFromSource(bus->getDeviceSource(b), {0xFE});
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    ASSERT_TRUE(midi.OpenInPort(1));
    bus->sendFromSource(bus->getDeviceSource(b), {0x03, 0xF7});
    ASSERT_TRUE(bus->waitUntilIdle(5000));

    // Short messages go by their status byte, a system exclusive one whole.
    send({0x90, 0x3C, 0x40});
    send({0x90, 0x3C});
    send({0xC0, 0x05, 0x06, 0x07});
    send({0xF8, 0x01});
    midi.SendMessage(nullptr, 0);
    Bytes message(3000, 0x12);
    message.front() = 0xF0;
    message.back() = 0xF7;
    send(message);
    ASSERT_TRUE(listener.waitFor(6));
    EXPECT_EQ(listener.lines(), (Trace{"receiving F0 42", "receiving 01 F7", "sysex F0 42 01 F7", "receiving F0 01 02",
                                       "midi F7", "sent 3000"}));
    EXPECT_EQ(received(),
              (Trace{"90 3C 40", "90 3C 00", "C0 05", "F8", test::hex(message.data(), (int)message.size())}));
}

// The usual "<device> - <endpoint>" shows in the preferences and manager tests; here the gaps.
TEST_F(CTRXMidiPortTest, PortNamesKeepTheSeparatorWhenANameIsMissingAndSetupChangesReachTheListeners)
{
    test::CTRXMidiTraceListener setup(false, true);
    midi.AddListener(&setup);
    bus->removeDevice(bus->addDevice("", {"Lonely"}, {""}));
    bus->addDevice("", {"Lonely"}, {""});
    EXPECT_EQ(midi.GetInPortName(0), " - Lonely");
    EXPECT_EQ(midi.GetOutPortName(0), " - ");
    EXPECT_EQ(midi.GetInPortName(1) + midi.GetOutPortName(-1), "");
    EXPECT_EQ(midi.GetEndpointDeviceName(platform::noMidiEndpoint), "");
    const bool notified = setup.waitFor(3);
    midi.RemoveListener(&setup);
    ASSERT_TRUE(notified);
    EXPECT_EQ(setup.lines(), (Trace{"setup 0 0", "setup 0 0", "setup 0 0"}));
}

TEST_F(CTRXMidiPortTest, ListenersComeAndGoWhileMessagesArrive)
{
    const int synth = addSynth("Synth");
    ASSERT_TRUE(midi.OpenInPort(0));

    // Listeners are called under the lock, so one destroyed right after RemoveListener is
    // never called (the address sanitizer would catch it).
    std::atomic<bool> stop{false};
    std::thread device(
        [&]
        {
            while (!stop)
                bus->sendFromSource(bus->getDeviceSource(synth), {0xF0, 0x01, 0xF8, 0xF7});
        });
    for (int round = 0; round < 2000; ++round)
    {
        auto transient = std::make_unique<test::CTRXMidiTraceListener>();
        midi.AddListener(transient.get());
        midi.RemoveListener(transient.get());
    }
    EXPECT_TRUE(listener.waitFor(12));
    stop = true;
    device.join();
    midi.RemoveAllListeners();
    ASSERT_TRUE(bus->waitUntilIdle(5000));

    const auto lines = listener.lines();
    const Trace cycle{"midi F8", "receiving F0 01 F8 F7", "sysex F0 01 F7"};
    for (int i = 0; i < lines.size(); ++i)
        ASSERT_EQ(lines[i], cycle[i % 3]) << i;
}
