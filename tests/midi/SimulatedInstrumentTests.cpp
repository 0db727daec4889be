#include "midi/AnalyzedInformation.h"
#include "midi/SysExMessages.h"
#include "support/midi/SimulatedInstrumentFixture.h"

namespace
{
using Bytes = test::SimulatedInstrument::Bytes;
using w40388_midi::AnalyzedInformation;

constexpr juce::uint32 family = 343;

// A smoke test of the double the scanner and job tests talk to: it answers in the instrument's byte forms.
class SimulatedInstrumentSmoke : public test::SimulatedInstrumentTest
{
protected:
    // Sends the request to the instrument and returns its one answer (empty when there is none or more).
    Bytes exchange(const Bytes& request)
    {
        const size_t received = instrument->getReceivedCount(), sent = instrument->getSentPackets().size();
        EXPECT_TRUE(
            bus->sendToDestination(instrument->getDestinationIndex(), request.data(), (int)request.size()).wasOk());
        EXPECT_TRUE(instrument->waitForReceivedCount(received + 1, 5000) &&
                    instrument->waitUntilAnswersDelivered(5000));
        const auto packets = instrument->getSentPackets();
        return packets.size() == sent + 1 ? packets.back() : Bytes{};
    }
};

TEST_F(SimulatedInstrumentSmoke, AnswersSearchAndIdentityAndReadsAWrittenUnitBackAsItsHeader)
{
    EXPECT_EQ(exchange({0xF0, 0x42, 0x50, 0x00, 0x05, 0xF7}),
              (Bytes{0xF0, 0x42, 0x50, 0x01, 0x00, 0x05, 0x57, 0x01, 0x03, 0x00, 0x01, 0x02, 0x03, 0x00, 0xF7}));
    instrument->setChannel(5);
    EXPECT_EQ(exchange(w40388_midi::makeIdentityRequest()),
              (Bytes{0xF0, 0x7E, 0x05, 0x06, 0x02, 0x42, 0x57, 0x01, 0x03, 0x00, 0x01, 0x02, 0x03, 0x00, 0xF7}));

    juce::MemoryBlock unit(1156);
    for (size_t i = 0; i < unit.getSize(); ++i)
        unit[i] = static_cast<char>(i * 13 + 7);
    EXPECT_EQ(exchange(w40388_midi::makeUserSlotDataDump(family, 5, 4, 3, unit)),
              (Bytes{0xF0, 0x42, 0x35, 0x00, 0x01, 0x57, 0x23, 0xF7}));
    EXPECT_EQ(instrument->getSlot(4, 3), unit);
    const Bytes answer = exchange(w40388_midi::makeUserSlotHeaderRequest(family, 5, 4, 3));
    const auto info = w40388_midi::analyzeSysExMessage(answer.data(), (juce::uint32)answer.size(), family);
    EXPECT_EQ(info.kind, AnalyzedInformation::SlotHeader);
    EXPECT_EQ(info.data, juce::MemoryBlock(unit.getData(), 32));
}
} // namespace
