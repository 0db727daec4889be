#include "midi/MidiDeviceScanner.h"
#include "support/MessageLoop.h"
#include "support/midi/SimulatedInstrument.h"
#include "support/midi/VirtualBusMidiScanDevices.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <vector>

namespace
{
using Bytes = std::vector<juce::uint8>;
using Instrument = test::SimulatedInstrument;

constexpr juce::uint32 qtrFamily = 0x157;
constexpr juce::uint32 anyMember = midi::MidiDeviceScanner::anyId;

Bytes request(juce::uint8 dd)
{
    return {0xF0, 0x42, 0x50, 0x00, dd, 0xF7};
}

// A valid search reply of this family, echoing output 0, before any trimming.
Bytes reply()
{
    return {0xF0, 0x42, 0x50, 0x01, 0x00, 0x00, 0x57, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7};
}

// What the listeners saw, read when scanFinished arrived.
struct Report
{
    bool found = false;
    int inputIndex = -2;
    int echoId = -2;
};

class ScanRecorder : public midi::MidiDeviceScannerListener
{
public:
    explicit ScanRecorder(midi::MidiDeviceScanner& watched) : scanner(watched) { scanner.addListener(this); }
    ~ScanRecorder() override { scanner.removeListener(this); }

    void scanFinished() override
    {
        reports.push_back({scanner.isFound(), scanner.getFoundInputIndex(), scanner.getFoundEchoId()});
    }

    midi::MidiDeviceScanner& scanner;
    std::vector<Report> reports;
};

// A bus device that only records what it is sent.
class Bystander
{
public:
    Bystander(platform::VirtualMidiBus& virtualBus, const juce::StringArray& sources,
              const juce::StringArray& destinations)
        : bus(virtualBus)
    {
        deviceId = bus.addDevice("Bystander", sources, destinations,
                                 [this](platform::MidiEndpointRef, const std::uint8_t* data, int size)
                                 {
                                     const std::lock_guard<std::mutex> lock(mutex);
                                     received.emplace_back(data, data + size);
                                 });
    }

    ~Bystander() { bus.removeDevice(deviceId); }

    std::vector<Bytes> getReceived()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return received;
    }

private:
    platform::VirtualMidiBus& bus;
    int deviceId = 0;
    std::mutex mutex;
    std::vector<Bytes> received;
};

class MidiDeviceScannerTest : public ::testing::Test
{
protected:
    MidiDeviceScannerTest()
    {
        auto scanDevices = std::make_unique<test::VirtualBusMidiScanDevices>(bus);
        devices = scanDevices.get();
        scanner = std::make_unique<midi::MidiDeviceScanner>(std::move(scanDevices), shortTiming());
        recorder = std::make_unique<ScanRecorder>(*scanner);
    }

    ~MidiDeviceScannerTest() override
    {
        recorder.reset();
        scanner.reset();
    }

    static midi::MidiDeviceScanner::Timing shortTiming()
    {
        midi::MidiDeviceScanner::Timing timing;
        timing.settleMs = 1;
        timing.closeMs = 1;
        timing.replyTimeoutMs = 300;
        return timing;
    }

    // Runs one search to its report.
    Report search()
    {
        const auto before = recorder->reports.size();
        scanner->StartScan(qtrFamily, anyMember);
        EXPECT_TRUE(test::runMessageLoopUntil([&] { return recorder->reports.size() > before; }));
        test::drainMessageLoop();
        EXPECT_EQ(before + 1, recorder->reports.size());
        return recorder->reports.empty() ? Report{} : recorder->reports.back();
    }

    void expectAllClosed() const
    {
        EXPECT_EQ(0, devices->getNumInputsOpen());
        EXPECT_EQ(0, devices->getNumOutputsOpen());
    }

    std::shared_ptr<platform::VirtualMidiBus> bus = std::make_shared<platform::VirtualMidiBus>();
    test::VirtualBusMidiScanDevices* devices = nullptr;
    std::unique_ptr<midi::MidiDeviceScanner> scanner;
    std::unique_ptr<ScanRecorder> recorder;
};

TEST_F(MidiDeviceScannerTest, FindsTheInputOfTheReplyAndTheOutputTheInstrumentEchoes)
{
    Bystander keys(*bus, {"Keys Out 1", "Keys Out 2"}, {"Keys In 1", "Keys In 2", "Keys In 3"});
    Instrument instrument(*bus);
    ASSERT_EQ(2, instrument.getSourceIndex());
    ASSERT_EQ(3, instrument.getDestinationIndex());

    const auto report = search();

    EXPECT_TRUE(report.found);
    EXPECT_EQ(2, report.inputIndex);
    EXPECT_EQ(3, report.echoId);
    EXPECT_EQ(std::vector<Bytes>{request(3)}, instrument.getReceivedMessages());
    EXPECT_EQ((std::vector<Bytes>{request(0), request(1), request(2)}), keys.getReceived());
    EXPECT_EQ(3, devices->getNumInputsOpened());
    EXPECT_EQ(4, devices->getNumOutputsOpened());
    expectAllClosed();
}

class MidiDeviceScannerOneSidedTest : public MidiDeviceScannerTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(MidiDeviceScannerOneSidedTest, WithoutInputsOrOutputsReportsAtOnceAndKeepsThePreviousResult)
{
    {
        Bystander keys(*bus, {"Keys Out"}, {"Keys In"});
        Instrument instrument(*bus);
        const auto first = search();
        ASSERT_TRUE(first.found);
        ASSERT_EQ(1, first.inputIndex);
        ASSERT_EQ(1, first.echoId);
    }
    ASSERT_EQ(0, bus->getNumberOfSources());

    const bool withInputs = GetParam();
    Bystander lonely(*bus, withInputs ? juce::StringArray{"Only Out"} : juce::StringArray{},
                     withInputs ? juce::StringArray{} : juce::StringArray{"Only In"});

    scanner->StartScan(qtrFamily, anyMember);
    // Nothing was opened, and the report is already on its way.
    EXPECT_EQ(2, devices->getNumInputsOpened());
    EXPECT_EQ(2, devices->getNumOutputsOpened());
    test::drainMessageLoop();

    ASSERT_EQ(2u, recorder->reports.size());
    EXPECT_TRUE(recorder->reports[1].found);
    EXPECT_EQ(1, recorder->reports[1].inputIndex);
    EXPECT_EQ(1, recorder->reports[1].echoId);
    EXPECT_TRUE(lonely.getReceived().empty());
}

INSTANTIATE_TEST_SUITE_P(InputsOnlyOrOutputsOnly, MidiDeviceScannerOneSidedTest, ::testing::Bool());

TEST_F(MidiDeviceScannerTest, AReplyOfAnotherFamilyIsIgnoredAndTheSearchEndsNotFound)
{
    Instrument instrument(*bus);
    ASSERT_TRUE(search().found);

    instrument.addFault({Instrument::Request::Search}, Instrument::Fault::otherFamily());
    const auto report = search();

    EXPECT_FALSE(report.found);
    EXPECT_EQ(-1, report.inputIndex);
    EXPECT_EQ(-1, report.echoId);
    ASSERT_EQ(2u, instrument.getSentPackets().size());
    EXPECT_EQ(0x58, instrument.getSentPackets()[1][6]);
    expectAllClosed();
}

TEST_F(MidiDeviceScannerTest, TheFirstReplyWins)
{
    Instrument late(*bus, "Late");
    Instrument early(*bus, "Early");
    late.addFault({Instrument::Request::Search}, Instrument::Fault::delay(50));

    scanner->StartScan(qtrFamily, anyMember);
    // Both replies reach the still open inputs before the report is delivered.
    ASSERT_TRUE(late.waitForReceivedCount(1, 5000));
    ASSERT_TRUE(early.waitForReceivedCount(1, 5000));
    ASSERT_TRUE(late.waitUntilAnswersDelivered(5000));
    ASSERT_TRUE(early.waitUntilAnswersDelivered(5000));
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return !recorder->reports.empty(); }));

    EXPECT_TRUE(recorder->reports[0].found);
    EXPECT_EQ(1, recorder->reports[0].inputIndex);
    EXPECT_EQ(1, recorder->reports[0].echoId);
    EXPECT_EQ(1u, late.getSentPackets().size());
}

class MidiDeviceScannerMalformedReplyTest : public MidiDeviceScannerTest, public ::testing::WithParamInterface<Bytes>
{
};

TEST_P(MidiDeviceScannerMalformedReplyTest, IsIgnored)
{
    Instrument instrument(*bus);
    Instrument::Fault fault = Instrument::Fault::noAnswer();
    fault.before = {GetParam()};
    instrument.addFault({Instrument::Request::Search}, fault);

    const auto report = search();

    EXPECT_FALSE(report.found);
    EXPECT_EQ(-1, report.inputIndex);
    EXPECT_EQ(-1, report.echoId);
    EXPECT_EQ(std::vector<Bytes>{GetParam()}, instrument.getSentPackets());
}

Bytes shortened()
{
    auto bytes = reply();
    bytes.erase(bytes.begin() + 10);
    return bytes;
}

Bytes lengthened()
{
    auto bytes = reply();
    bytes.insert(bytes.begin() + 10, 0x00);
    return bytes;
}

Bytes requestShaped()
{
    auto bytes = reply();
    bytes[3] = 0x00;
    return bytes;
}

INSTANTIATE_TEST_SUITE_P(FourteenSixteenBytesOrARequest, MidiDeviceScannerMalformedReplyTest,
                         ::testing::Values(shortened(), lengthened(), requestShaped()));

TEST_F(MidiDeviceScannerTest, OutputIndicesWrapToSevenBits)
{
    juce::StringArray many;
    for (int j = 0; j < 130; ++j)
        many.add("Port " + juce::String(j));
    Bystander patchbay(*bus, {}, many);
    Instrument instrument(*bus);
    ASSERT_EQ(130, instrument.getDestinationIndex());

    const auto report = search();

    EXPECT_EQ(std::vector<Bytes>{request(2)}, instrument.getReceivedMessages());
    EXPECT_TRUE(report.found);
    EXPECT_EQ(0, report.inputIndex);
    EXPECT_EQ(2, report.echoId);
}

TEST_F(MidiDeviceScannerTest, ASecondSearchOpensTheDevicesAnewAndNumbersThemAfresh)
{
    const int keysId = bus->addDevice("Keys", {"Keys Out"}, {"Keys In"});
    Instrument instrument(*bus);
    const auto first = search();
    EXPECT_EQ(1, first.inputIndex);
    EXPECT_EQ(1, first.echoId);
    expectAllClosed();

    bus->removeDevice(keysId);
    const auto second = search();

    EXPECT_TRUE(second.found);
    EXPECT_EQ(0, second.inputIndex);
    EXPECT_EQ(0, second.echoId);
    EXPECT_EQ(3, devices->getNumInputsOpened());
    EXPECT_EQ(3, devices->getNumOutputsOpened());
    EXPECT_EQ((std::vector<Bytes>{request(1), request(0)}), instrument.getReceivedMessages());
    expectAllClosed();
}

TEST_F(MidiDeviceScannerTest, ASearchStartedBeforeThePreviousCloseRanCarriesOnWithTheOpenDevices)
{
    Bystander keys(*bus, {"Keys Out"}, {"Keys In"});
    Instrument instrument(*bus);

    scanner->StartScan(qtrFamily, anyMember);
    ASSERT_TRUE(scanner->waitForThreadToExit(5000));
    // The first search has ended; its close and report wait for the message loop.
    ASSERT_EQ(2, devices->getNumInputsOpen());
    ASSERT_TRUE(scanner->isFound());

    scanner->StartScan(qtrFamily, anyMember);
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return !recorder->reports.empty(); }));
    test::drainMessageLoop();

    // One report, after the second exchange, on devices opened once and closed once.
    ASSERT_EQ(1u, recorder->reports.size());
    EXPECT_TRUE(recorder->reports[0].found);
    EXPECT_EQ(1, recorder->reports[0].inputIndex);
    EXPECT_EQ(1, recorder->reports[0].echoId);
    EXPECT_EQ((std::vector<Bytes>{request(1), request(1)}), instrument.getReceivedMessages());
    EXPECT_EQ((std::vector<Bytes>{request(0), request(0)}), keys.getReceived());
    EXPECT_EQ(2, devices->getNumInputsOpened());
    EXPECT_EQ(2, devices->getNumOutputsOpened());
    expectAllClosed();
}

TEST_F(MidiDeviceScannerTest, ASearchStartedAfterAReportWasQueuedForNoDevicesGetsItsOwnDevices)
{
    scanner->StartScan(qtrFamily, anyMember); // no devices at all: report queued
    Instrument instrument(*bus);
    scanner->StartScan(qtrFamily, anyMember);
    ASSERT_EQ(1, devices->getNumInputsOpen());

    ASSERT_TRUE(test::runMessageLoopUntil([&] { return !recorder->reports.empty(); }));
    test::drainMessageLoop();

    ASSERT_EQ(1u, recorder->reports.size());
    EXPECT_TRUE(recorder->reports[0].found);
    EXPECT_EQ(std::vector<Bytes>{request(0)}, instrument.getReceivedMessages());
    expectAllClosed();
}

TEST_F(MidiDeviceScannerTest, InputsOpenedForASearchWithoutAnyOutputAreClosedAgain)
{
    Instrument instrument(*bus);
    devices->refuseOutput(0);

    const auto report = search();

    EXPECT_FALSE(report.found);
    EXPECT_EQ(1, devices->getNumInputsOpened());
    EXPECT_EQ(0, devices->getNumOutputsOpened());
    expectAllClosed();
    EXPECT_EQ(0u, instrument.getReceivedCount());
}

TEST_F(MidiDeviceScannerTest, AReplyThatCameTooLateDoesNotCutTheNextSearchShort)
{
    Instrument instrument(*bus);
    instrument.addFault({Instrument::Request::Search}, Instrument::Fault::delay(shortTiming().replyTimeoutMs + 100));
    // In time for the second search, though not at once.
    instrument.addFault({Instrument::Request::Search}, Instrument::Fault::delay(50));

    scanner->StartScan(qtrFamily, anyMember);
    ASSERT_TRUE(scanner->waitForThreadToExit(5000));
    ASSERT_FALSE(scanner->isFound());
    // The late reply reaches the inputs, which stay open until the report is delivered.
    ASSERT_TRUE(instrument.waitUntilAnswersDelivered(5000));
    ASSERT_TRUE(bus->waitUntilIdle(5000));
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return recorder->reports.size() == 1; }));

    const auto second = search();

    EXPECT_TRUE(second.found);
    EXPECT_EQ(0, second.inputIndex);
    EXPECT_EQ(0, second.echoId);
}

// Without waking the search thread the destructor would wait out the whole reply time.
TEST(MidiDeviceScanner, DestroyingItDuringTheWaitEndsTheSearchAtOnce)
{
    auto bus = std::make_shared<platform::VirtualMidiBus>();
    Instrument instrument(*bus);
    instrument.addFault({Instrument::Request::Search}, Instrument::Fault::noAnswer());

    auto scanDevices = std::make_unique<test::VirtualBusMidiScanDevices>(bus);
    auto* devices = scanDevices.get();
    midi::MidiDeviceScanner::Timing timing;
    timing.settleMs = 1;
    timing.closeMs = 1;
    timing.replyTimeoutMs = 600000;
    {
        midi::MidiDeviceScanner scanner(std::move(scanDevices), timing);
        scanner.StartScan(qtrFamily, anyMember);
        ASSERT_TRUE(instrument.waitForReceivedCount(1, 5000));
        ASSERT_EQ(1, devices->getNumOutputsOpen());
    }
}
} // namespace
