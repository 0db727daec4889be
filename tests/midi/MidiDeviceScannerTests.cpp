#include "midi/MidiDeviceScanner.h"
#include "support/MessageLoop.h"
#include "support/midi/SimulatedInstrument.h"
#include "support/midi/VirtualBusMidiScanDevices.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace
{
using Bytes = std::vector<juce::uint8>;
using Instrument = test::SimulatedInstrument;
// What the listeners read when scanFinished arrived: found, input index, echoed output.
using Report = std::tuple<bool, int, int>;

constexpr juce::uint32 qtrFamily = 0x157;
const Report notFound{false, -1, -1};

const auto request = [](juce::uint8 dd) { return Bytes{0xF0, 0x42, 0x50, 0x00, dd, 0xF7}; };

// Records what the listeners read when each report arrived.
class MidiDeviceScannerTest : public ::testing::Test, public midi::MidiDeviceScannerListener
{
protected:
    MidiDeviceScannerTest() { scanner->addListener(this); }
    ~MidiDeviceScannerTest() override { scanner->removeListener(this); }

    void scanFinished() override
    {
        reports.emplace_back(scanner->isFound(), scanner->getFoundInputIndex(), scanner->getFoundEchoId());
    }

    void start() { scanner->StartScan(qtrFamily, midi::MidiDeviceScanner::anyId); }

    // Waits for the report number `n` (from 1) and returns it; no other report may follow, and
    // every device is closed by then.
    Report waitForReport(size_t n)
    {
        EXPECT_TRUE(test::runMessageLoopUntil([&] { return reports.size() >= n; }));
        test::drainMessageLoop();
        EXPECT_TRUE(bus->waitUntilIdle(5000));
        EXPECT_EQ(n, reports.size());
        EXPECT_EQ(std::make_pair(0, 0), std::make_pair(devices->getNumInputsOpen(), devices->getNumOutputsOpen()));
        return reports.size() < n ? Report{} : reports[n - 1];
    }

    Report search()
    {
        start();
        return waitForReport(reports.size() + 1);
    }

    // Inputs and outputs opened so far.
    std::pair<int, int> opened() const { return {devices->getNumInputsOpened(), devices->getNumOutputsOpened()}; }

    // A bus device that only records what it is sent, in heard[id], read once the bus is idle.
    int addBystander(const juce::StringArray& sources, const juce::StringArray& inputs)
    {
        const int id = bus->addDevice("Bystander", sources, inputs);
        auto& packets = heard[id];
        bus->setDeviceReceiver(id, [&packets](platform::MidiEndpointRef, const std::uint8_t* data, int size)
                               { packets.emplace_back(data, data + size); });
        return id;
    }

    static constexpr midi::MidiDeviceScanner::Timing timing{1, 1, 300};
    std::map<int, std::vector<Bytes>> heard;
    std::vector<Report> reports;
    std::shared_ptr<platform::VirtualMidiBus> bus = std::make_shared<platform::VirtualMidiBus>();
    test::VirtualBusMidiScanDevices* devices = new test::VirtualBusMidiScanDevices(bus);
    std::unique_ptr<midi::MidiDeviceScanner> scanner =
        std::make_unique<midi::MidiDeviceScanner>(std::unique_ptr<midi::MidiScanDevices>(devices), timing);
};

TEST_F(MidiDeviceScannerTest, FindsTheInputOfTheReplyAndTheEchoedOutputAndNumbersThemAfreshOnTheNextSearch)
{
    const int keys = addBystander({"Keys Out 1", "Keys Out 2"}, {"Keys In 1", "Keys In 2", "Keys In 3"});
    Instrument instrument(*bus);

    EXPECT_EQ(search(), Report(true, 2, 3));
    EXPECT_EQ(std::vector<Bytes>{request(3)}, instrument.getReceivedMessages());
    EXPECT_EQ((std::vector<Bytes>{request(0), request(1), request(2)}), heard[keys]);
    EXPECT_EQ(opened(), std::make_pair(3, 4));

    bus->removeDevice(keys);
    EXPECT_EQ(search(), Report(true, 0, 0));
    EXPECT_EQ(opened(), std::make_pair(4, 5));
    EXPECT_EQ((std::vector<Bytes>{request(3), request(0)}), instrument.getReceivedMessages());
}

TEST_F(MidiDeviceScannerTest, WithoutInputsOrOutputsReportsAtOnceAndKeepsThePreviousResult)
{
    {
        const int keys = addBystander({"Keys Out"}, {"Keys In"});
        Instrument instrument(*bus);
        ASSERT_EQ(search(), Report(true, 1, 1));
        bus->removeDevice(keys);
    }
    for (const bool withInputs : {true, false})
    {
        const int lonely = addBystander(withInputs ? juce::StringArray{"Only Out"} : juce::StringArray{},
                                        withInputs ? juce::StringArray{} : juce::StringArray{"Only In"});
        start();
        // Nothing was opened, and the report is already on its way.
        EXPECT_EQ(opened(), std::make_pair(2, 2));
        test::drainMessageLoop();
        EXPECT_EQ(reports, std::vector<Report>(withInputs ? 2 : 3, {true, 1, 1}));
        EXPECT_TRUE(heard[lonely].empty());
        bus->removeDevice(lonely);
    }
}

// Output numbers wrap to seven bits; replies of 14 or 16 bytes, of another family or shaped like requests are ignored.
TEST_F(MidiDeviceScannerTest, OutputIndicesWrapToSevenBitsAndMalformedRepliesAreIgnored)
{
    juce::StringArray many;
    for (int j = 0; j < 130; ++j)
        many.add("Port " + juce::String(j));
    addBystander({}, many);
    Instrument instrument(*bus);
    ASSERT_EQ(130, instrument.getDestinationIndex());
    const Bytes reply{0xF0, 0x42, 0x50, 0x01, 0x00, 0x02, 0x57, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7};
    Bytes shortened = reply, lengthened = reply, requestShaped = reply, otherFamily = reply;
    shortened.erase(shortened.begin() + 10);
    lengthened.insert(lengthened.begin() + 10, 0x00);
    requestShaped[3] = 0x00;
    otherFamily[6] = 0x58;
    for (const auto& malformed : {shortened, lengthened, requestShaped, otherFamily})
    {
        Instrument::Fault fault = Instrument::Fault::noAnswer();
        fault.before = {malformed};
        instrument.addFault({Instrument::Request::Search}, fault);
        EXPECT_EQ(search(), notFound);
        EXPECT_EQ(malformed, instrument.getSentPackets().back());
    }

    EXPECT_EQ(search(), Report(true, 0, 2));
    EXPECT_EQ(std::vector<Bytes>(5, request(2)), instrument.getReceivedMessages());
}

TEST_F(MidiDeviceScannerTest, ASearchStartedBeforeThePreviousCloseRanCarriesOnWithTheOpenDevices)
{
    const int keys = addBystander({"Keys Out"}, {"Keys In"});
    Instrument instrument(*bus);

    start();
    ASSERT_TRUE(scanner->waitForThreadToExit(5000));
    // The first search has ended; its close and report wait for the message loop.
    ASSERT_EQ(2, devices->getNumInputsOpen());
    start();

    // One report, after the second exchange, on devices opened once and closed once.
    EXPECT_EQ(waitForReport(1), Report(true, 1, 1));
    EXPECT_EQ((std::vector<Bytes>{request(1), request(1)}), instrument.getReceivedMessages());
    EXPECT_EQ((std::vector<Bytes>{request(0), request(0)}), heard[keys]);
    EXPECT_EQ(opened(), std::make_pair(2, 2));
}

TEST_F(MidiDeviceScannerTest, ASearchStartedAfterAReportWasQueuedForNoDevicesGetsItsOwnDevicesClosedAfterwards)
{
    start(); // no devices at all: report queued
    Instrument instrument(*bus);
    start();
    ASSERT_EQ(1, devices->getNumInputsOpen());
    EXPECT_EQ(waitForReport(1), Report(true, 0, 0));
    EXPECT_EQ(std::vector<Bytes>{request(0)}, instrument.getReceivedMessages());

    // Inputs opened for a search without any output are closed again.
    devices->refuseOutput(0);
    EXPECT_EQ(search(), notFound);
    EXPECT_EQ(opened(), std::make_pair(2, 1));
    EXPECT_EQ(1u, instrument.getReceivedCount());
}

// A reply that came too late does not cut the next search short; of two replies the first wins.
TEST_F(MidiDeviceScannerTest, AReplyThatCameTooLateDoesNotCutTheNextSearchShortAndTheFirstReplyWins)
{
    Instrument late(*bus, "Late");
    late.addFault({Instrument::Request::Search}, Instrument::Fault::delay(timing.replyTimeoutMs + 100));
    // In time for the later searches, though not at once.
    late.addFault({Instrument::Request::Search}, Instrument::Fault::delay(50), 2);

    start();
    ASSERT_TRUE(scanner->waitForThreadToExit(5000));
    ASSERT_FALSE(scanner->isFound());
    // The late reply reaches the inputs, which stay open until the report is delivered.
    ASSERT_TRUE(late.waitUntilAnswersDelivered(5000) && bus->waitUntilIdle(5000));
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return reports.size() == 1; }));
    EXPECT_EQ(search(), Report(true, 0, 0));

    Instrument early(*bus, "Early");
    start();
    // Both replies reach the still open inputs before the report is delivered.
    ASSERT_TRUE(late.waitForReceivedCount(3, 5000) && early.waitForReceivedCount(1, 5000));
    ASSERT_TRUE(late.waitUntilAnswersDelivered(5000) && early.waitUntilAnswersDelivered(5000) &&
                bus->waitUntilIdle(5000));
    EXPECT_EQ(waitForReport(3), Report(true, 1, 1));
    EXPECT_EQ(3u, late.getSentPackets().size());
}

// Without waking the search thread the destructor would wait out the whole reply time.
TEST(MidiDeviceScanner, DestroyingItDuringTheWaitEndsTheSearchAtOnce)
{
    auto bus = std::make_shared<platform::VirtualMidiBus>();
    Instrument instrument(*bus);
    instrument.addFault({Instrument::Request::Search}, Instrument::Fault::noAnswer());
    midi::MidiDeviceScanner scanner(std::make_unique<test::VirtualBusMidiScanDevices>(bus), {1, 1, 600000});
    scanner.StartScan(qtrFamily, midi::MidiDeviceScanner::anyId);
    ASSERT_TRUE(instrument.waitForReceivedCount(1, 5000));
}
} // namespace
