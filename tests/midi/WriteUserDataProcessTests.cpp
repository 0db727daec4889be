#include "JobTestSupport.h"
#include "core/CTRXResource.h"
#include "data/SlotFamily.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/WriteUserDataProcess.h"
#include "support/files/UnitFileBuilder.h"

#include <gtest/gtest.h>

namespace
{
using w40388_data::SlotState;
using Fault = test::SimulatedInstrument::Fault;
using Request = test::SimulatedInstrument::Request;
using Bytes = test::SimulatedInstrument::Bytes;
namespace Result = midi::MidiCommunicationResult;
using WriteJob = test::RecordingJob<w40388_midi::WriteUserDataProcess>;

using test::family;
using test::identityRequest;
using test::listsInOrder;

Bytes clear(int module, int slot, int channel = 0)
{
    return w40388_midi::makeClearUserSlot(family, channel, module, slot);
}

Bytes swap(int module, int from, int to)
{
    return w40388_midi::makeSwapUserSlots(family, 0, module, from, to);
}

// Lists whose every unit already sits on the instrument in its own slot.
w40388_data::UserData matchingLists()
{
    w40388_data::UserData data;
    test::forEachRecord(data,
                        [](auto& record, int position)
                        {
                            record.state = SlotState::Received;
                            record.slotIndex = position;
                        });
    return data;
}

class WriteUserDataProcessTest : public test::ConnectedJobTest
{
protected:
    void expectStartTexts(const midi::MidiCommunicationProcess& job)
    {
        EXPECT_EQ(job.GetMessage(), CTRXResource::getInstance()->getText("CommunicationProcessWriteUserData"));
        EXPECT_TRUE(job.GetMessage().isNotEmpty());
        EXPECT_EQ(job.GetErrorMessage(), "");
    }

    std::vector<float> completeProgress() const
    {
        auto steps = test::progressSteps(1, 48);
        steps.push_back(1.0f);
        return steps;
    }
};

TEST_F(WriteUserDataProcessTest, MovesUnitsIntoPlaceWithOneSwapPerMisplacedUnit)
{
    auto data = matchingLists();
    data.oscData[0].slotIndex = 1;
    data.oscData[1].slotIndex = 2;
    data.oscData[2].slotIndex = 0;
    // The instrument holds record 0's unit in slot 1, record 1's in slot 2 and record 2's in slot 0.
    instrument->setSlotHeader(4, 1, {0x04, 0x03, 'X'});
    instrument->setSlotHeader(4, 2, {0x04, 0x03, 'Y'});
    instrument->setSlotHeader(4, 0, {0x04, 0x03, 'Z'});
    WriteJob job(&data);

    EXPECT_EQ(test::runJob(job), Result::noError);

    EXPECT_EQ(instrument->getReceivedMessages(), (std::vector<Bytes>{identityRequest(), swap(4, 0, 2), swap(4, 0, 1)}));
    EXPECT_EQ(job.steps, completeProgress());
    for (int position = 0; position < 3; ++position)
    {
        EXPECT_EQ(data.oscData[position].slotIndex, position);
        EXPECT_EQ(data.oscData[position].state, SlotState::Received);
        EXPECT_EQ(static_cast<const char*>(instrument->getSlot(4, position).getData())[2], "XYZ"[position]);
    }
    expectStartTexts(job);
}

TEST_F(WriteUserDataProcessTest, ListsMatchingTheInstrumentSendNothingButTheIdentityCheck)
{
    auto data = matchingLists();
    data.oscData[5].slotIndex = -1; // takes part in nothing: no swap, no clear, no step
    WriteJob job(&data);

    EXPECT_EQ(test::runJob(job), Result::noError);

    EXPECT_EQ(instrument->getReceivedMessages(), std::vector<Bytes>{identityRequest()});
    EXPECT_EQ(data.oscData[5].slotIndex, -1);
    EXPECT_EQ(data.oscData[5].state, SlotState::Received);
    auto steps = test::progressSteps(1, 47);
    steps.push_back(1.0f);
    EXPECT_EQ(job.steps, steps);
}

TEST_F(WriteUserDataProcessTest, EmptyListsClearEverySlotOnTheChannelTheInstrumentNamed)
{
    instrument->setChannel(5);
    w40388_data::UserData data;
    WriteJob job(&data);

    EXPECT_EQ(test::runJob(job), Result::noError);

    std::vector<Bytes> expected{identityRequest()};
    for (const auto& [module, slots] : listsInOrder)
        for (int slot = 0; slot < slots; ++slot)
            expected.push_back(clear(module, slot, 5));
    EXPECT_EQ(expected[1][2], 0x35);
    EXPECT_EQ(instrument->getReceivedMessages(), expected);
    EXPECT_EQ(job.steps, completeProgress());
    test::forEachRecord(data,
                        [](auto& record, int)
                        {
                            EXPECT_EQ(record.state, SlotState::Empty);
                            EXPECT_EQ(record.slotIndex, -1);
                        });
}

TEST_F(WriteUserDataProcessTest, LoadedUnitsAreWrittenAndThenSitInTheirSlots)
{
    auto data = matchingLists();
    test::UnitFileOptions oscillator;
    test::UnitFileOptions reverb;
    reverb.module = UnitModule::ReverbEffect;
    reverb.payloadSize = 3000;
    const auto oscillatorBlock = test::makeUnitDataBlock(oscillator);
    const auto reverbBlock = test::makeUnitDataBlock(reverb);
    data.oscData[5] = w40388_data::UserOscData(oscillatorBlock);
    data.revFXData[5] = w40388_data::UserRevFXData(reverbBlock);
    WriteJob job(&data);

    EXPECT_EQ(test::runJob(job), Result::noError);

    EXPECT_EQ(
        instrument->getReceivedMessages(),
        (std::vector<Bytes>{identityRequest(), w40388_midi::makeUserSlotDataDump(family, 0, 4, 5, oscillatorBlock),
                            w40388_midi::makeUserSlotDataDump(family, 0, 3, 5, reverbBlock)}));
    EXPECT_EQ(instrument->getSlot(4, 5), oscillatorBlock);
    EXPECT_EQ(instrument->getSlot(3, 5), reverbBlock);
    EXPECT_EQ(data.oscData[5].slotIndex, 5);
    EXPECT_EQ(data.oscData[5].state, SlotState::Received);
    EXPECT_EQ(data.revFXData[5].slotIndex, 5);
    EXPECT_EQ(data.revFXData[5].state, SlotState::Received);
    EXPECT_EQ(data.revFXData[5].unitData, reverbBlock);
    EXPECT_EQ(job.steps, completeProgress());
}

TEST_F(WriteUserDataProcessTest, AnEmptyRecordInASwappedSlotIsGivenItsIndexAndCleared)
{
    auto data = matchingLists();
    data.oscData[7].slotIndex = 3;
    data.oscData[3] = w40388_data::UserOscData();
    WriteJob job(&data);

    EXPECT_EQ(test::runJob(job), Result::noError);

    EXPECT_EQ(instrument->getReceivedMessages(), (std::vector<Bytes>{identityRequest(), swap(4, 3, 7), clear(4, 3)}));
    EXPECT_EQ(data.oscData[3].slotIndex, 3);
    EXPECT_EQ(data.oscData[3].state, SlotState::Empty);
    EXPECT_EQ(data.oscData[7].slotIndex, 7);
    EXPECT_EQ(job.steps, completeProgress());
}

TEST_F(WriteUserDataProcessTest, ARefusalOfTheThirdMessageEndsTheJobAfterTwoSteps)
{
    instrument->addFault({Request::Clear, 4, 2}, Fault::nak());
    w40388_data::UserData data;
    WriteJob job(&data);

    EXPECT_EQ(test::runJob(job), Result::nakOnReceive);

    EXPECT_EQ(instrument->getReceivedMessages(),
              (std::vector<Bytes>{identityRequest(), clear(4, 0), clear(4, 1), clear(4, 2)}));
    EXPECT_EQ(job.steps, test::progressSteps(1, 2));
    EXPECT_EQ(job.GetMessage(), midi::getMidiCommunicationErrorText(Result::nakOnReceive));
    EXPECT_EQ(job.GetErrorMessage(), midi::getMidiCommunicationErrorDetailText(Result::nakOnReceive));
    EXPECT_TRUE(job.GetErrorMessage().isNotEmpty());
}

TEST_F(WriteUserDataProcessTest, CancellingInTheDelaySwapsStopsAfterTheSwapWithOnlyTheStatusText)
{
    auto data = matchingLists();
    data.delFXData[0].slotIndex = 1;
    data.delFXData[1].slotIndex = 0;
    WriteJob job(&data);
    // Oscillators and modulation make 32 steps, delay positions 7 to 2 six more; the swap is next.
    job.cancelAtStep = 39;

    EXPECT_EQ(test::runJob(job), Result::canceled);

    EXPECT_EQ(instrument->getReceivedMessages(), (std::vector<Bytes>{identityRequest(), swap(2, 0, 1)}));
    EXPECT_EQ(job.steps, test::progressSteps(1, 39));
    EXPECT_EQ(data.delFXData[0].slotIndex, 0);
    EXPECT_EQ(data.delFXData[1].slotIndex, 1);
    EXPECT_EQ(job.GetMessage(), midi::getMidiCommunicationErrorText(Result::canceled));
    EXPECT_EQ(job.GetErrorMessage(), "");
}

class WriteAnswerCodes : public WriteUserDataProcessTest, public ::testing::WithParamInterface<test::AnswerCase>
{
};

TEST_P(WriteAnswerCodes, EndTheJobWithBothTextsOfTheCode)
{
    test::expectJobEndsWith<WriteJob>(*instrument, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, WriteAnswerCodes,
    ::testing::Values(
        test::AnswerCase{"Nak", {Request::Clear}, Fault::nak(), Result::nakOnReceive},
        test::AnswerCase{"UserCommError", {Request::Clear}, Fault::userCommError(0x2A), Result::userCommError},
        test::AnswerCase{
            "BrokenHeader", {Request::Clear}, test::onlyPackets({test::brokenHeaderAnswer()}), Result::messageBroken},
        test::AnswerCase{"Silence", {Request::Clear}, Fault::noAnswer(), Result::timeout},
        test::AnswerCase{"OnlyUnawaited",
                         {Request::Clear},
                         test::onlyPackets({{0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x26, 0xF7},
                                            {0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x47, 0xF7}}),
                         Result::timeout},
        test::AnswerCase{"OtherMaker", {Request::Identity}, Fault::otherMaker(), Result::targetDevice},
        test::AnswerCase{"NoIdentity", {Request::Identity}, Fault::noAnswer(), Result::timeout}),
    test::answerCaseName);
} // namespace
