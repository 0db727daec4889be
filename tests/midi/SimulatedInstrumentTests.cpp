#include "midi/AnalyzedInformation.h"
#include "midi/SysExMessages.h"
#include "support/midi/SimulatedInstrumentFixture.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace
{
using Bytes = std::vector<juce::uint8>;
using test::SimulatedInstrument;
using Fault = SimulatedInstrument::Fault;
using Request = SimulatedInstrument::Request;
using w40388_midi::AnalyzedInformation;

constexpr int waitMs = 5000;
constexpr juce::uint32 family = 343;

// The computer's side: sends to the instrument's destination and collects the packets of its source.
class SimulatedInstrumentRoundTrip : public test::SimulatedInstrumentTest
{
protected:
    void SetUp() override
    {
        test::SimulatedInstrumentTest::SetUp();
        input = bus->openSource(instrument->getSourceIndex(),
                                [this](const std::uint8_t* data, int size)
                                {
                                    {
                                        const std::lock_guard<std::mutex> guard(packetLock);
                                        packets.emplace_back(data, data + size);
                                    }
                                    packetArrived.notify_all();
                                });
        ASSERT_NE(nullptr, input);
    }

    void TearDown() override
    {
        input.reset();
        test::SimulatedInstrumentTest::TearDown();
    }

    void send(const Bytes& message)
    {
        ASSERT_TRUE(
            bus->sendToDestination(instrument->getDestinationIndex(), message.data(), static_cast<int>(message.size()))
                .wasOk());
    }

    // Sends the request and returns the first packet that comes back.
    std::vector<Bytes> exchange(const Bytes& request)
    {
        const size_t before = instrument->getReceivedCount();
        send(request);
        EXPECT_TRUE(instrument->waitForReceivedCount(before + 1, waitMs));
        return waitForPackets(1);
    }

    std::vector<Bytes> waitForPackets(size_t count)
    {
        std::unique_lock<std::mutex> guard(packetLock);
        EXPECT_TRUE(
            packetArrived.wait_for(guard, std::chrono::milliseconds(waitMs), [&] { return packets.size() >= count; }));
        std::vector<Bytes> taken(packets.begin(), packets.begin() + static_cast<long>(std::min(count, packets.size())));
        packets.erase(packets.begin(), packets.begin() + static_cast<long>(taken.size()));
        return taken;
    }

    // Everything the instrument has sent so far and the bus has delivered.
    std::vector<Bytes> takeDeliveredPackets()
    {
        EXPECT_TRUE(instrument->waitUntilAnswersDelivered(waitMs));
        const std::lock_guard<std::mutex> guard(packetLock);
        return std::exchange(packets, {});
    }

    static Bytes ack(juce::uint8 channelByte = 0x30) { return {0xF0, 0x42, channelByte, 0x00, 0x01, 0x57, 0x23, 0xF7}; }
    static Bytes nak() { return {0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x24, 0xF7}; }

    static AnalyzedInformation analyze(const Bytes& message)
    {
        return w40388_midi::analyzeSysExMessage(message.data(), static_cast<juce::uint32>(message.size()), family);
    }

    static juce::MemoryBlock makeUnit(size_t size, int seed)
    {
        juce::MemoryBlock unit(size);
        for (size_t i = 0; i < size; ++i)
            unit[i] = static_cast<char>((i * 13 + static_cast<size_t>(seed)) & 0xFF);
        return unit;
    }

    std::unique_ptr<platform::MidiInputPort> input;
    std::mutex packetLock;
    std::condition_variable packetArrived;
    std::vector<Bytes> packets;
};

TEST_F(SimulatedInstrumentRoundTrip, AnswersSearchAndIdentityAndMakerMessagesOnItsChannel)
{
    EXPECT_EQ((std::vector<Bytes>{
                  {0xF0, 0x42, 0x50, 0x01, 0x00, 0x05, 0x57, 0x01, 0x03, 0x00, 0x01, 0x02, 0x03, 0x00, 0xF7}}),
              exchange({0xF0, 0x42, 0x50, 0x00, 0x05, 0xF7}));
    instrument->setChannel(5);
    EXPECT_EQ((std::vector<Bytes>{
                  {0xF0, 0x7E, 0x05, 0x06, 0x02, 0x42, 0x57, 0x01, 0x03, 0x00, 0x01, 0x02, 0x03, 0x00, 0xF7}}),
              exchange(w40388_midi::makeIdentityRequest()));

    // A maker message on another channel goes unanswered.
    send(w40388_midi::makeClearUserSlot(family, 0, 4, 0));
    EXPECT_EQ((std::vector<Bytes>{ack(0x35)}), exchange(w40388_midi::makeClearUserSlot(family, 5, 4, 0)));
    EXPECT_EQ(std::vector<Bytes>{}, takeDeliveredPackets());
}

TEST_F(SimulatedInstrumentRoundTrip, WrittenUnitIsReadBackAsItsHeader)
{
    const juce::MemoryBlock unit = makeUnit(1156, 7);
    EXPECT_EQ((std::vector<Bytes>{ack()}), exchange(w40388_midi::makeUserSlotDataDump(family, 0, 4, 3, unit)));
    EXPECT_EQ(unit, instrument->getSlot(4, 3));
    const auto answer = exchange(w40388_midi::makeUserSlotHeaderRequest(family, 0, 4, 3)).at(0);
    ASSERT_EQ(48u, answer.size());
    EXPECT_EQ((Bytes{0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x49, 0x04, 0x03}), Bytes(answer.begin(), answer.begin() + 9));
    const AnalyzedInformation info = analyze(answer);
    EXPECT_EQ(AnalyzedInformation::SlotHeader, info.kind);
    EXPECT_EQ(juce::MemoryBlock(unit.getData(), 32), info.data);
    EXPECT_EQ((std::vector<Bytes>{{0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x49, 0x04, 0x02, 0xF7}}),
              exchange(w40388_midi::makeUserSlotHeaderRequest(family, 0, 4, 2)));
}

TEST_F(SimulatedInstrumentRoundTrip, CommErrorAndOtherFamilyFaultsShapeTheAnswer)
{
    instrument->addFault({Request::DataDump}, Fault::userCommError(0x2A));
    instrument->addFault({Request::Clear}, Fault::otherFamily());
    EXPECT_EQ((std::vector<Bytes>{{0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x2A, 0xF7}}),
              exchange(w40388_midi::makeUserSlotDataDump(family, 0, 4, 0, makeUnit(32, 6))));
    EXPECT_TRUE(instrument->isSlotEmpty(4, 0));
    EXPECT_EQ((std::vector<Bytes>{{0xF0, 0x42, 0x30, 0x00, 0x01, 0x58, 0x23, 0xF7}}),
              exchange(w40388_midi::makeClearUserSlot(family, 0, 4, 0)));
}

TEST_F(SimulatedInstrumentRoundTrip, DelayedAnswerDoesNotHoldUpLaterTraffic)
{
    // Far longer than the test: the answer waits until it is released.
    instrument->addFault({Request::Clear, 4, 0}, Fault::delay(600000));
    send(w40388_midi::makeClearUserSlot(family, 0, 4, 0));
    EXPECT_EQ((std::vector<Bytes>{nak()}), exchange(w40388_midi::makeClearUserSlot(family, 0, 4, 99)));
    EXPECT_EQ(2u, instrument->getReceivedCount());
    EXPECT_EQ((std::vector<Bytes>{nak()}), instrument->getSentPackets());
    EXPECT_FALSE(instrument->waitUntilAnswersDelivered(0));

    instrument->releaseDelayedAnswers();
    EXPECT_EQ((std::vector<Bytes>{ack()}), waitForPackets(1));
}
} // namespace
