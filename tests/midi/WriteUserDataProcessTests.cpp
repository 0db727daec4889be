#include "core/CTRXResource.h"
#include "midi/WriteUserDataProcess.h"
#include "support/files/UnitFileBuilder.h"
#include "support/midi/JobTestSupport.h"

namespace
{
using namespace test;
using WriteJob = RecordingJob<w40388_midi::WriteUserDataProcess>;

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

} // namespace
