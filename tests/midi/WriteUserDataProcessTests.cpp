#include "core/CTRXResource.h"
#include "midi/WriteUserDataProcess.h"
#include "support/files/UnitFileBuilder.h"
#include "support/midi/JobTestSupport.h"

#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <tuple>

namespace
{
using namespace test;
using WriteJob = RecordingJob<w40388_midi::WriteUserDataProcess>;
using Match = SimulatedInstrument::Match;

const auto clear = [](int module, int slot, int channel = 0)
{ return w40388_midi::makeClearUserSlot(family, channel, module, slot); };
const auto swap = [](int module, int from, int to)
{ return w40388_midi::makeSwapUserSlots(family, 0, module, from, to); };

// Lists whose every unit already sits on the instrument in its own slot.
w40388_data::UserData matchingLists()
{
    w40388_data::UserData data;
    forEachRecord(data,
                  [](auto& record, int position)
                  {
                      record.state = SlotState::Received;
                      record.slotIndex = position;
                  });
    return data;
}

using WriteUserDataProcessTest = ConnectedJobTest;

TEST_F(WriteUserDataProcessTest, SwapsMisplacedUnitsIntoPlaceClearsWhatIsEmptyAndSendsNothingElse)
{
    auto data = matchingLists();
    // The instrument holds record 0's unit in slot 1, record 1's in slot 2 and record 2's in slot 0.
    for (int position = 0; position < 3; ++position)
    {
        data.oscData[position].slotIndex = (position + 1) % 3;
        instrument->setSlotHeader(4, (position + 1) % 3, {0x04, 0x03, (juce::uint8) "XYZ"[position]});
    }
    data.oscData[3] = w40388_data::UserOscData(); // empty, in the slot record 7's unit leaves
    data.oscData[7].slotIndex = 3;
    data.oscData[5].slotIndex = -1; // takes part in nothing: no swap, no clear, no step
    WriteJob job(&data);

    EXPECT_EQ(runJob(job), Result::noError);

    EXPECT_EQ(instrument->getReceivedMessages(),
              (std::vector<Bytes>{identityRequest, swap(4, 3, 7), swap(4, 0, 2), swap(4, 0, 1), clear(4, 3)}));
    EXPECT_EQ(job.steps, progressSteps(47, true));
    for (int position = 0; position < 3; ++position)
        EXPECT_EQ(static_cast<const char*>(instrument->getSlot(4, position).getData())[2], "XYZ"[position]);
    juce::String slots; // of every oscillator record, "e" marking an empty one
    for (const auto& record : data.oscData)
        slots << record.slotIndex.load() << (record.state == SlotState::Empty ? "e " : " ");
    EXPECT_EQ(slots, "0 1 2 3e 4 -1 6 7 8 9 10 11 12 13 14 15 -1e ");
    EXPECT_EQ(job.GetMessage(), CTRXResource::getInstance()->getText("CommunicationProcessWriteUserData"));
    EXPECT_EQ(job.GetErrorMessage(), "");
}

// Empty records clear their slot, on the channel the instrument named; loaded ones are written instead.
TEST_F(WriteUserDataProcessTest, WritesLoadedUnitsAndClearsEveryOtherSlotOnTheInstrumentsChannel)
{
    instrument->setChannel(5);
    UnitFileOptions reverb;
    reverb.module = UnitModule::ReverbEffect;
    reverb.payloadSize = 3000;
    const auto oscillatorBlock = makeUnitDataBlock(UnitFileOptions{});
    const auto reverbBlock = makeUnitDataBlock(reverb);
    w40388_data::UserData written;
    written.oscData[5] = w40388_data::UserOscData(oscillatorBlock);
    written.revFXData[5] = w40388_data::UserRevFXData(reverbBlock);
    WriteJob write(&written);

    EXPECT_EQ(runJob(write), Result::noError);

    std::vector<Bytes> expected{identityRequest};
    for (const auto& [module, slots] : listsInOrder)
        for (int slot = 0; slot < slots; ++slot)
            expected.push_back(clear(module, slot, 5));
    expected[1 + 5] = w40388_midi::makeUserSlotDataDump(family, 5, 4, 5, oscillatorBlock);
    expected[1 + 40 + 5] = w40388_midi::makeUserSlotDataDump(family, 5, 3, 5, reverbBlock); // after 40 other slots
    EXPECT_EQ(instrument->getReceivedMessages(), expected);
    EXPECT_EQ(write.steps, progressSteps(48, true));
    forEachRecord(written,
                  [&](auto& record, int position)
                  {
                      const bool isWritten = !record.unitData.isEmpty();
                      EXPECT_EQ(record.state, isWritten ? SlotState::Received : SlotState::Empty);
                      EXPECT_EQ(record.slotIndex, isWritten ? position : -1);
                  });
}

TEST_F(WriteUserDataProcessTest, ARefusalOfTheThirdMessageEndsTheJobAfterTwoStepsAndAStopRequestEndsItAsACancel)
{
    instrument->addFault({Request::Clear, 4, 2}, Fault::nak());
    w40388_data::UserData data;
    WriteJob job(&data);

    EXPECT_EQ(runJob(job), Result::nakOnReceive);

    EXPECT_EQ(instrument->getReceivedMessages(),
              (std::vector<Bytes>{identityRequest, clear(4, 0), clear(4, 1), clear(4, 2)}));
    EXPECT_EQ(job.steps, progressSteps(2));

    // A stop request ends the wait for a silent instrument as a cancel.
    instrument->addFault({Request::Clear, 4, 0}, Fault::noAnswer());
    instrument->clearReceivedMessages();
    WriteJob stopped(&data);
    midi::MidiCommunicationThread thread(stopped);
    thread.startThread();
    ASSERT_TRUE(runMessageLoopUntil([&] { return instrument->getReceivedMessages().size() == 2; }));

    // Quitting or Cancel while the job waits out its 60 s answer time-out.
    thread.signalThreadShouldExit();
    ASSERT_TRUE(thread.waitForThreadToExit(10000));
    EXPECT_EQ(thread.getResult(), Result::canceled);
    EXPECT_EQ(stopped.GetMessage(), midi::getMidiCommunicationErrorText(Result::canceled));
    EXPECT_EQ(stopped.GetErrorMessage(), "");
}

TEST_F(WriteUserDataProcessTest, CancellingInTheDelaySwapsStopsAfterTheSwapWithOnlyTheStatusText)
{
    auto data = matchingLists();
    data.delFXData[0].slotIndex = 1;
    data.delFXData[1].slotIndex = 0;
    WriteJob job(&data);
    // Oscillators and modulation make 32 steps, delay positions 7 to 2 six more; the swap is next.
    job.cancelAtStep = 39;

    EXPECT_EQ(runJob(job), Result::canceled);

    EXPECT_EQ(instrument->getReceivedMessages(), (std::vector<Bytes>{identityRequest, swap(2, 0, 1)}));
    EXPECT_EQ(job.steps, progressSteps(39));
    EXPECT_TRUE(data.delFXData[0].slotIndex == 0 && data.delFXData[1].slotIndex == 1);
    EXPECT_EQ(job.GetMessage(), midi::getMidiCommunicationErrorText(Result::canceled));
    EXPECT_EQ(job.GetErrorMessage(), "");
    EXPECT_FALSE(job.shouldExit()); // the job no longer refers to the finished thread
}

// A SEND ALL that stops part way, whatever stops it, leaves every row naming the slot its unit
// really sits in, or the one swap it could not learn the outcome of in doubt; the next SEND ALL
// then puts every unit into its row's slot and loses none.
enum class StopWay
{
    Cancel,    // Cancel pressed once the request was answered
    Refusal,   // the instrument refuses it (another device, for the identity check)
    NoAnswer,  // carried out, but no answer comes
    LostCable, // never reaches the instrument
};

struct StopPoint
{
    const char* name;
    Match match;
    int stepsBefore; // steps the job has made once the request is answered
    int swapsBefore; // earlier swaps of the same first slot that go through
    bool isSwap;
};

using InterruptedWriteTest = ::testing::WithParamInterface<std::tuple<StopPoint, StopWay>>;
class WriteStoppedPartWayTest : public ConnectedJobTest, public InterruptedWriteTest
{
protected:
    static constexpr int module = 4;

    static std::array<juce::uint8, 32> headerOf(char unit)
    {
        return {static_cast<juce::uint8>(module), 0x03, static_cast<juce::uint8>(unit)};
    }

    // Oscillator rows as received: A to P in slots 0 to 15. Then A's row was dragged below C's
    // (B C A), D's row 3 cleared, a unit imported into row 4 and row 5 cleared. The other lists
    // are empty and get cleared after them.
    void SetUp() override
    {
        ConnectedJobTest::SetUp();
        const char units[] = "ABCDEFGHIJKLMNOP";
        for (int slot = 0; slot < 16; ++slot)
        {
            const auto header = headerOf(units[slot]);
            instrument->setSlotHeader(module, slot, Bytes(header.begin(), header.end()));
            auto& row = lists.oscData[static_cast<size_t>(slot)];
            row.header = header;
            row.state = SlotState::Received;
            row.slotIndex = slot;
        }
        const int order[] = {1, 2, 0};
        for (int row = 0; row < 3; ++row)
        {
            lists.oscData[static_cast<size_t>(row)].header = headerOf(units[order[row]]);
            lists.oscData[static_cast<size_t>(row)].slotIndex = order[row];
        }
        lists.oscData[3] = w40388_data::UserOscData();
        lists.oscData[4] = w40388_data::UserOscData(makeUnitDataBlock(UnitFileOptions{}));
        lists.oscData[5] = w40388_data::UserOscData();
    }

    // Every unit a row shows is on the instrument: in the slot the row names, or, for the swap in
    // doubt, in either of its slots.
    void expectEveryShownUnitWhereItsRowSays()
    {
        for (const auto& row : lists.oscData)
        {
            if (row.state != SlotState::Received || row.slotIndex < 0)
                continue;
            std::vector<int> slots{row.slotIndex.load()};
            if (doubt && (row.slotIndex == doubt->firstSlot || row.slotIndex == doubt->secondSlot))
                slots = {doubt->firstSlot, doubt->secondSlot};
            bool found = false;
            for (const int slot : slots)
                found = found || std::memcmp(instrument->getSlot(module, slot).getData(), row.header.data(), 32) == 0;
            EXPECT_TRUE(found) << "unit " << row.header[2] << " is not in slot " << row.slotIndex.load();
        }
    }

    // Every slot of the instrument holds its row's unit, or nothing for an empty row.
    void expectInstrumentHoldsTheLists()
    {
        for (int slot = 0; slot < 16; ++slot)
        {
            const auto& row = lists.oscData[static_cast<size_t>(slot)];
            EXPECT_EQ(row.state == SlotState::Empty, instrument->isSlotEmpty(module, slot)) << "slot " << slot;
            if (row.state != SlotState::Empty)
            {
                EXPECT_EQ(row.state, SlotState::Received);
                EXPECT_EQ(row.slotIndex, slot);
                EXPECT_EQ(std::memcmp(instrument->getSlot(module, slot).getData(), row.header.data(), 32), 0)
                    << "slot " << slot;
            }
        }
    }

    w40388_data::UserData lists;
    std::optional<w40388_data::SwapInDoubt> doubt;
};

std::string stopCaseName(const ::testing::TestParamInfo<std::tuple<StopPoint, StopWay>>& info)
{
    static const char* const ways[] = {"Cancel", "Refusal", "NoAnswer", "LostCable"};
    return std::string(std::get<0>(info.param).name) + ways[static_cast<int>(std::get<1>(info.param))];
}

TEST_P(WriteStoppedPartWayTest, LeavesRowsTrueSoTheNextWriteLosesNoUnit)
{
    const auto& [point, way] = GetParam();
    const bool atIdentity = point.match.request == Request::Identity;
    WriteJob stopped(&lists, &doubt);
    stopped.setTimeoutsForTesting(1000, 1000);
    for (int swap = 0; swap < point.swapsBefore; ++swap)
        instrument->addFault(point.match, Fault{});
    int expected = Result::canceled;
    switch (way)
    {
    case StopWay::Cancel:
        stopped.cancelAtStep = point.stepsBefore;
        if (atIdentity) // pressed while the instrument holds back its identity
            instrument->addFault(point.match, Fault::delay(60000));
        break;
    case StopWay::Refusal:
        instrument->addFault(point.match, atIdentity ? Fault::otherFamily() : Fault::nak());
        expected = atIdentity ? Result::targetDevice : Result::nakOnReceive;
        break;
    case StopWay::NoAnswer:
        instrument->addFault(point.match, Fault::noAnswer());
        expected = Result::timeout;
        break;
    case StopWay::LostCable:
        instrument->addFault(point.match, Fault::lost());
        expected = Result::timeout;
        break;
    }

    EXPECT_EQ(runJob(stopped), expected);
    EXPECT_EQ(stopped.GetMessage(), midi::getMidiCommunicationErrorText(expected));
    const bool outcomeUnknown = point.isSwap && (way == StopWay::NoAnswer || way == StopWay::LostCable);
    EXPECT_EQ(doubt.has_value(), outcomeUnknown);
    expectEveryShownUnitWhereItsRowSays();

    instrument->clearFaults();
    WriteJob completing(&lists, &doubt);
    EXPECT_EQ(runJob(completing), Result::noError);
    EXPECT_FALSE(doubt.has_value());
    expectInstrumentHoldsTheLists();
}

// Oscillator steps: ten rows already in place (15 down to 6), the two swaps, row 0's unit
// already in place, then clear 3, write 4 and clear 5.
INSTANTIATE_TEST_SUITE_P(
    StopPointsAndWays, WriteStoppedPartWayTest,
    ::testing::Combine(::testing::Values(StopPoint{"Identity", {Request::Identity}, 0, 0, false},
                                         StopPoint{"FirstSwap", {Request::Swap, 4, 0}, 11, 0, true},
                                         StopPoint{"SecondSwap", {Request::Swap, 4, 0}, 12, 1, true},
                                         StopPoint{"FirstClear", {Request::Clear, 4, 3}, 14, 0, false},
                                         StopPoint{"Write", {Request::DataDump, 4, 4}, 15, 0, false},
                                         StopPoint{"SecondClear", {Request::Clear, 4, 5}, 16, 0, false}),
                       ::testing::Values(StopWay::Cancel, StopWay::Refusal, StopWay::NoAnswer, StopWay::LostCable)),
    stopCaseName);
} // namespace
