#include "core/CTRXResource.h"
#include "midi/ReceiveUserDataProcess.h"
#include "support/midi/JobTestSupport.h"

namespace
{
using namespace test;
using ReceiveJob = RecordingJob<w40388_midi::ReceiveUserDataProcess>;

// The identity request, then the header requests of the first `count` slots in job order.
std::vector<Bytes> requestsOfFirstSlots(int count)
{
    std::vector<Bytes> requests{identityRequest};
    for (const auto& [module, slots] : listsInOrder)
        for (int slot = 0; slot < slots && static_cast<int>(requests.size()) <= count; ++slot)
            requests.push_back(w40388_midi::makeUserSlotHeaderRequest(family, 0, module, slot));
    return requests;
}

using ReceiveUserDataProcessTest = ConnectedJobTest;

TEST_F(ReceiveUserDataProcessTest, EveryUsableSlotIsAskedForAndItsTargetWordDecidesBetweenReceivedAndEmpty)
{
    Bytes header{0x04, 0x03};
    for (juce::uint8 i = 1; i <= 30; ++i)
        header.push_back(static_cast<juce::uint8>(i * 3));
    instrument->setSlotHeader(1, 4, header);
    instrument->setSlotHeader(2, 3, {0x00, 0x00, 'A', 'B'});
    // Something in every record, so that filled ones show.
    w40388_data::UserData data;
    forEachRecord(data,
                  [](auto& record, int)
                  {
                      record.unitData = juce::MemoryBlock(8, true);
                      record.header.fill(0x55);
                      record.slotIndex = 20;
                      record.state = SlotState::Loaded;
                  });
    ReceiveJob job(&data);

    EXPECT_EQ(runJob(job), Result::noError);

    // Delay and reverb slots 8 to 15 are never asked for.
    EXPECT_EQ(instrument->getReceivedMessages(), requestsOfFirstSlots(48));
    EXPECT_EQ(job.steps, progressSteps(48, true));
    int received = 0, zeroHeaders = 0;
    forEachRecord(data,
                  [&](auto& record, int position)
                  {
                      EXPECT_EQ(record.slotIndex, position);
                      EXPECT_EQ(record.unitData.getSize(), 0u);
                      received += record.state == SlotState::Received;
                      zeroHeaders += record.header == decltype(record.header){};
                  });
    EXPECT_EQ(std::make_pair(received, zeroHeaders), std::make_pair(1, 46));
    EXPECT_EQ(data.modFXData[4].state, SlotState::Received);
    EXPECT_EQ(data.modFXData[4].getTarget(), 0x0304);
    EXPECT_EQ(Bytes(data.modFXData[4].header.begin(), data.modFXData[4].header.end()), header);
    EXPECT_EQ(data.delFXData[3].state, SlotState::Empty); // a zero target
    EXPECT_EQ(data.delFXData[3].header[2], 'A');
    EXPECT_EQ(data.delFXData[8].slotIndex, -1); // the spare record is left alone
    EXPECT_EQ(job.GetMessage(), CTRXResource::getInstance()->getText("CommunicationProcessReceiveUserData"));
    EXPECT_EQ(job.GetErrorMessage(), "");
}

// A refusal at modulation slot 3, or a cancel after the first delay slot, ends the job with what was filled.
TEST_F(ReceiveUserDataProcessTest, ARefusalOrACancelEndsTheJobKeepingWhatWasFilled)
{
    instrument->addFault({Request::SlotHeader, 1, 3}, Fault::nak());
    for (const auto& [cancelAtStep, result, filled] :
         {std::tuple{-1, Result::nakOnReceive, 19}, {33, Result::canceled, 33}})
    {
        instrument->clearReceivedMessages();
        w40388_data::UserData data;
        ReceiveJob job(&data);
        job.cancelAtStep = cancelAtStep;

        EXPECT_EQ(runJob(job), result);

        EXPECT_EQ(instrument->getReceivedMessages(), requestsOfFirstSlots(filled + (result == Result::nakOnReceive)));
        EXPECT_EQ(job.steps, progressSteps(filled));
        int order = 0;
        forEachRecord(data, [&](auto& record, int position)
                      { EXPECT_EQ(record.slotIndex, order++ < filled ? position : -1); });
        EXPECT_EQ(job.GetMessage(), midi::getMidiCommunicationErrorText(result));
        EXPECT_EQ(job.GetErrorMessage(),
                  result == Result::canceled ? "" : midi::getMidiCommunicationErrorDetailText(result));
    }
}
} // namespace
