#include "JobTestSupport.h"
#include "core/CTRXResource.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/ReceiveUserDataProcess.h"
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
using ReceiveJob = test::RecordingJob<w40388_midi::ReceiveUserDataProcess>;

using test::family;
using test::identityRequest;
using test::listsInOrder;

// The identity request, then the header requests of the first `count` slots in job order.
std::vector<Bytes> requestsOfFirstSlots(int count, int channel = 0)
{
    std::vector<Bytes> requests{identityRequest()};
    for (const auto& [module, slots] : listsInOrder)
        for (int slot = 0; slot < slots && static_cast<int>(requests.size()) <= count; ++slot)
            requests.push_back(w40388_midi::makeUserSlotHeaderRequest(family, channel, module, slot));
    return requests;
}

// A copy of the lists holding something in every slot, so that filled records show.
w40388_data::UserData occupiedLists()
{
    w40388_data::UserData data;
    test::forEachRecord(data,
                        [](auto& record, int)
                        {
                            record.unitData = juce::MemoryBlock(8, true);
                            record.header.fill(0x55);
                            record.slotIndex = 20;
                            record.state = SlotState::Loaded;
                        });
    return data;
}

class ReceiveUserDataProcessTest : public test::ConnectedJobTest
{
};

TEST_F(ReceiveUserDataProcessTest, AnEmptyInstrumentGivesEmptyRecordsAtTheirOwnSlots)
{
    auto data = occupiedLists();
    const auto spare = data.oscData[16].slotIndex.load();
    ReceiveJob job(&data);

    EXPECT_EQ(test::runJob(job), Result::noError);

    // Delay and reverb slots 8 to 15 are never asked for.
    EXPECT_EQ(instrument->getReceivedMessages(), requestsOfFirstSlots(48));
    auto steps = test::progressSteps(1, 48);
    steps.push_back(1.0f);
    EXPECT_EQ(job.steps, steps);
    test::forEachRecord(data,
                        [](auto& record, int position)
                        {
                            EXPECT_EQ(record.state, SlotState::Empty);
                            EXPECT_EQ(record.slotIndex, position);
                            EXPECT_EQ(record.unitData.getSize(), 0u);
                            EXPECT_EQ(record.header, decltype(record.header){});
                        });
    EXPECT_EQ(data.oscData[16].slotIndex, spare);
    EXPECT_EQ(job.GetMessage(), CTRXResource::getInstance()->getText("CommunicationProcessReceiveUserData"));
    EXPECT_TRUE(job.GetMessage().isNotEmpty());
    EXPECT_EQ(job.GetErrorMessage(), "");
}

TEST_F(ReceiveUserDataProcessTest, TheTargetWordDecidesBetweenReceivedAndEmpty)
{
    Bytes header{0x04, 0x03};
    for (juce::uint8 i = 1; i <= 30; ++i)
        header.push_back(static_cast<juce::uint8>(i * 3));
    instrument->setSlotHeader(1, 4, header);
    instrument->setSlotHeader(2, 3, {0x00, 0x00, 'A', 'B'});
    w40388_data::UserData data;
    ReceiveJob job(&data);

    EXPECT_EQ(test::runJob(job), Result::noError);

    const auto& unit = data.modFXData[4];
    EXPECT_EQ(unit.state, SlotState::Received);
    EXPECT_EQ(unit.slotIndex, 4);
    EXPECT_EQ(unit.getTarget(), 0x0304);
    EXPECT_EQ(Bytes(unit.header.begin(), unit.header.end()), header);
    EXPECT_EQ(unit.unitData.getSize(), 0u);

    const auto& zeroTarget = data.delFXData[3];
    EXPECT_EQ(zeroTarget.state, SlotState::Empty);
    EXPECT_EQ(zeroTarget.slotIndex, 3);
    EXPECT_EQ(zeroTarget.header[2], 'A');
}

TEST_F(ReceiveUserDataProcessTest, ARefusalAtModulationSlotThreeKeepsWhatWasFilled)
{
    instrument->addFault({Request::SlotHeader, 1, 3}, Fault::nak());
    w40388_data::UserData data;
    ReceiveJob job(&data);

    EXPECT_EQ(test::runJob(job), Result::nakOnReceive);

    EXPECT_EQ(instrument->getReceivedMessages(), requestsOfFirstSlots(20));
    EXPECT_EQ(job.steps, test::progressSteps(1, 19));
    for (int slot = 0; slot < 16; ++slot)
        EXPECT_EQ(data.oscData[slot].slotIndex, slot);
    for (int slot = 0; slot < 3; ++slot)
        EXPECT_EQ(data.modFXData[slot].slotIndex, slot);
    EXPECT_EQ(data.modFXData[3].slotIndex, -1);
    EXPECT_EQ(job.GetMessage(), midi::getMidiCommunicationErrorText(Result::nakOnReceive));
    EXPECT_EQ(job.GetErrorMessage(), midi::getMidiCommunicationErrorDetailText(Result::nakOnReceive));
}

TEST_F(ReceiveUserDataProcessTest, CancellingAfterTheFirstDelaySlotStopsThere)
{
    w40388_data::UserData data;
    ReceiveJob job(&data);
    job.cancelAtStep = 33;

    EXPECT_EQ(test::runJob(job), Result::canceled);

    EXPECT_EQ(instrument->getReceivedMessages(), requestsOfFirstSlots(33));
    EXPECT_EQ(data.delFXData[0].slotIndex, 0);
    EXPECT_EQ(data.delFXData[1].slotIndex, -1);
    EXPECT_EQ(job.GetMessage(), midi::getMidiCommunicationErrorText(Result::canceled));
    EXPECT_EQ(job.GetErrorMessage(), "");
}

class ReceiveAnswerCodes : public ReceiveUserDataProcessTest, public ::testing::WithParamInterface<test::AnswerCase>
{
};

TEST_P(ReceiveAnswerCodes, EndTheJobWithBothTextsOfTheCode)
{
    test::expectJobEndsWith<ReceiveJob>(*instrument, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReceiveAnswerCodes,
    ::testing::Values(
        test::AnswerCase{"BrokenHeader",
                         {Request::SlotHeader, 2, 5},
                         test::onlyPackets({test::brokenHeaderAnswer()}),
                         Result::messageBroken},
        test::AnswerCase{"Silence", {Request::SlotHeader, 2, 5}, Fault::noAnswer(), Result::timeout},
        test::AnswerCase{"AckOnly",
                         {Request::SlotHeader, 2, 5},
                         test::onlyPackets({{0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x23, 0xF7}}),
                         Result::timeout},
        test::AnswerCase{
            "UserCommErrorOsc", {Request::SlotHeader, 4, 1}, Fault::userCommError(0x2A), Result::userCommError},
        test::AnswerCase{
            "UserCommErrorMod", {Request::SlotHeader, 1, 1}, Fault::userCommError(0x2A), Result::userCommError},
        test::AnswerCase{
            "UserCommErrorDel", {Request::SlotHeader, 2, 1}, Fault::userCommError(0x2A), Result::userCommError},
        test::AnswerCase{
            "UserCommErrorRev", {Request::SlotHeader, 3, 1}, Fault::userCommError(0x2A), Result::userCommError},
        test::AnswerCase{"OtherFamily", {Request::Identity}, Fault::otherFamily(), Result::targetDevice}),
    test::answerCaseName);

TEST_F(ReceiveUserDataProcessTest, AfterAWriteTheInstrumentReportsWhatWasWritten)
{
    test::UnitFileOptions oscillator;
    oscillator.name = "Saw";
    test::UnitFileOptions delay;
    delay.module = UnitModule::DelayEffect;
    delay.name = "Echo";
    w40388_data::UserData written;
    written.oscData[2] = w40388_data::UserOscData(test::makeUnitDataBlock(oscillator));
    written.delFXData[7] = w40388_data::UserDelFXData(test::makeUnitDataBlock(delay));
    instrument->setSlotHeader(4, 9, {0x04, 0x03, 'O', 'l', 'd'}); // emptied by the write

    w40388_midi::WriteUserDataProcess write(&written);
    ASSERT_EQ(test::runJob(write), Result::noError);

    w40388_data::UserData received;
    w40388_midi::ReceiveUserDataProcess receive(&received);
    ASSERT_EQ(test::runJob(receive), Result::noError);

    test::forEachRecord(received, [](auto& record, int position) { EXPECT_EQ(record.slotIndex, position); });
    EXPECT_EQ(received.oscData[2].state, SlotState::Received);
    EXPECT_EQ(received.oscData[2].header, written.oscData[2].header);
    EXPECT_EQ(received.delFXData[7].state, SlotState::Received);
    EXPECT_EQ(received.delFXData[7].header, written.delFXData[7].header);
    EXPECT_EQ(received.oscData[9].state, SlotState::Empty);
    int receivedUnits = 0;
    test::forEachRecord(received, [&](auto& record, int) { receivedUnits += record.state == SlotState::Received; });
    EXPECT_EQ(receivedUnits, 2);
}
} // namespace
