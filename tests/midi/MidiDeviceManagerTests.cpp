#include "midi/MidiDeviceManager.h"
#include "midi/SysExMessages.h"
#include "support/MessageLoop.h"
#include "support/midi/CTRXMidiTraceListener.h"
#include "support/midi/SimulatedInstrument.h"
#include "support/midi/VirtualBusMidiScanDevices.h"

#include <memory>
#include <vector>

namespace
{
using Bytes = std::vector<juce::uint8>;
using Instrument = test::SimulatedInstrument;

const Bytes probe = {0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x7E, 0xF7};
const juce::StringArray probeHeard{"sysex F0 42 30 00 01 57 7E F7"};

// Counts the search reports in `calls`.
class MidiDeviceManagerTest : public ::testing::Test, public midi::MidiDeviceManagerListener
{
protected:
    MidiDeviceManagerTest()
    {
        manager = std::make_unique<midi::MidiDeviceManager>(bus, std::make_unique<test::VirtualBusMidiScanDevices>(bus),
                                                            midi::MidiDeviceScanner::Timing{1, 1, 300});
        manager->familyId = w40388_midi::sysex::instrumentFamilyId;
        manager->addListener(this);
        midi::scanRunning = false;
    }

    ~MidiDeviceManagerTest() override
    {
        manager.reset();
        midi::scanRunning = false;
    }

    void scanFinished() override { ++calls; }

    void useManualPorts(const juce::String& in, const juce::String& out)
    {
        manager->automatic = false;
        manager->inPortName = in;
        manager->outPortName = out;
    }

    // The first automatic Connect starts the search; waits for its end.
    void searchThroughConnect()
    {
        EXPECT_FALSE(manager->Connect());
        EXPECT_TRUE(midi::scanRunning);
        EXPECT_TRUE(test::runMessageLoopUntil([this] { return calls == 1; }));
        test::drainMessageLoop();
        EXPECT_EQ(1, calls);
        EXPECT_TRUE(manager->scanDone && !midi::scanRunning);
    }

    // True when the port layer's input hears `instrument` and its output reaches it.
    bool isConnectedTo(Instrument& instrument)
    {
        test::CTRXMidiTraceListener recorder(false);
        manager->getMidiPort().AddListener(&recorder);
        instrument.sendPacket(probe);
        instrument.waitUntilAnswersDelivered(5000);
        bus->waitUntilIdle(5000);
        manager->getMidiPort().RemoveListener(&recorder);
        const bool hears = recorder.lines() == probeHeard;

        const auto before = instrument.getReceivedCount();
        manager->getMidiPort().SendMessage(probe.data(), static_cast<std::uint32_t>(probe.size()));
        bus->waitUntilIdle(5000);
        const auto received = instrument.getReceivedMessages();
        return hears && received.size() == before + 1 && received.back() == probe;
    }

    void expectNothingOpen()
    {
        auto& port = manager->getMidiPort();
        EXPECT_FALSE(manager->isConnected() || port.IsInPortOpen() || port.IsOutPortOpen());
    }

    std::shared_ptr<platform::VirtualMidiBus> bus = std::make_shared<platform::VirtualMidiBus>();
    std::unique_ptr<midi::MidiDeviceManager> manager;
    int calls = 0;
};

TEST_F(MidiDeviceManagerTest, AutomaticModeSearchesFirstThenOpensTheReplysInputAndTheEchoedOutput)
{
    bus->addDevice("Keys", {"Keys Out"}, {"Keys In 1", "Keys In 2"});
    Instrument instrument(*bus);

    searchThroughConnect();
    expectNothingOpen();
    ASSERT_EQ(1u, instrument.getReceivedCount());

    EXPECT_TRUE(manager->Connect() && manager->isConnected());
    EXPECT_TRUE(isConnectedTo(instrument));
    EXPECT_EQ(1, calls);
}

class MidiDeviceManagerUnusableReplyTest : public MidiDeviceManagerTest, public ::testing::WithParamInterface<bool>
{
};

// No reply at all, or one naming output 5, which does not exist.
TEST_P(MidiDeviceManagerUnusableReplyTest, AutomaticModeFailsClosesWhatItOpenedAndDoesNotSearchAgain)
{
    Instrument instrument(*bus);
    auto fault = Instrument::Fault::noAnswer();
    if (GetParam())
        fault.before = {{0xF0, 0x42, 0x50, 0x01, 0x00, 0x05, 0x57, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7}};
    instrument.addFault({Instrument::Request::Search}, fault, -1);

    searchThroughConnect();
    ASSERT_EQ(GetParam() ? 5 : -1, manager->getScanner().getFoundEchoId());
    EXPECT_FALSE(manager->Connect());
    EXPECT_FALSE(manager->getScanner().isThreadRunning() || midi::scanRunning);
    test::drainMessageLoop();
    EXPECT_EQ(1u, instrument.getReceivedCount());
    EXPECT_EQ(1, calls);
    expectNothingOpen();
}

INSTANTIATE_TEST_SUITE_P(NoReplyOrMissingOutput, MidiDeviceManagerUnusableReplyTest, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "MissingOutput" : "NoReply"); });

TEST_F(MidiDeviceManagerTest, ManualModeOpensTheFirstPortsNamedExactlyAndKeepsThemUntilDisconnect)
{
    bus->addDevice("Keys", {"Keys Out"}, {"Keys In"});
    Instrument first(*bus), second(*bus);
    // Without an exact match it never connects nor searches.
    const std::pair<const char*, const char*> mismatches[] = {{"", ""},
                                                              {"qtr-3 digital - Out", "QTR-3 Digital - In"},
                                                              {"QTR-3 Digital - Out", "QTR-3 DIGITAL - IN"},
                                                              {"QTR-3 Digital - Out", ""},
                                                              {"QTR-3 Digital", "QTR-3 Digital"},
                                                              {"QTR-3 Digital - Out ", "QTR-3 Digital - In"}};
    for (const auto& [in, out] : mismatches)
    {
        useManualPorts(in, out);
        EXPECT_FALSE(manager->Connect()) << in << " / " << out;
        expectNothingOpen();
        EXPECT_FALSE(midi::scanRunning);
    }
    useManualPorts("QTR-3 Digital - Out", "QTR-3 Digital - In");
    EXPECT_TRUE(manager->Connect());
    EXPECT_TRUE(isConnectedTo(first));
    EXPECT_EQ(std::vector<Bytes>{probe}, first.getReceivedMessages()); // no search request

    // Once connected, Connect keeps the open ports whatever the settings say.
    Instrument other(*bus, "Other");
    useManualPorts("Other - Out", "Other - In");
    EXPECT_TRUE(manager->Connect());
    manager->automatic = true;
    EXPECT_TRUE(manager->Connect());
    EXPECT_FALSE(midi::scanRunning);
    EXPECT_TRUE(isConnectedTo(first));
    test::drainMessageLoop();
    EXPECT_EQ(0u, second.getReceivedCount() + other.getReceivedCount());

    // Disconnect closes both ports and forgets the port's listeners; the next Connect follows the settings.
    test::CTRXMidiTraceListener recorder;
    manager->getMidiPort().AddListener(&recorder);
    manager->Disconnect();
    expectNothingOpen();
    manager->automatic = false;
    ASSERT_TRUE(manager->Connect());
    EXPECT_TRUE(isConnectedTo(other));
    EXPECT_TRUE(recorder.lines().isEmpty());
    manager->Disconnect();
    manager->Disconnect();
    expectNothingOpen();
}
} // namespace
