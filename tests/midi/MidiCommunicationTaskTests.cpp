#include "JobTestSupport.h"
#include "midi/AnalyzedInformation.h"
#include "midi/DeviceInquiry.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiCommunicationTask.h"

#include <gtest/gtest.h>

#include <chrono>

namespace
{
using w40388_midi::AnalyzedInformation;
using Fault = test::SimulatedInstrument::Fault;
using Request = test::SimulatedInstrument::Request;
using Bytes = test::SimulatedInstrument::Bytes;
namespace Result = midi::MidiCommunicationResult;
using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

Bytes makerAnswer(juce::uint8 function, int channel = 0)
{
    return {0xF0, 0x42, static_cast<juce::uint8>(0x30 | channel), 0x00, 0x01, 0x57, function, 0xF7};
}

class MidiCommunicationTaskTest : public test::ConnectedJobTest
{
protected:
    void prepare(w40388_midi::MidiCommunicationTask& task)
    {
        task.ctrxMidi = &midi::MidiDeviceManager::getInstance()->getMidiPort();
    }
};

TEST_F(MidiCommunicationTaskTest, UnawaitedAnswersAreDroppedAndALeftoverAckEndsTheNextWait)
{
    w40388_midi::MidiCommunicationTask task;
    instrument->sendPacket(makerAnswer(0x47));
    instrument->sendPacket(makerAnswer(0x23));
    instrument->sendPacket(makerAnswer(0x26));
    instrument->sendPacket(makerAnswer(0x23, 9));
    ASSERT_TRUE(instrument->waitUntilAnswersDelivered(5000));
    ASSERT_EQ(task.queue.size(), 4u);

    AnalyzedInformation answer;
    task.waitForAnswer(answer, {AnalyzedInformation::Ack, AnalyzedInformation::Nak}, 60000);
    EXPECT_EQ(answer.kind, AnalyzedInformation::Ack);
    EXPECT_EQ(task.queue.size(), 2u); // the later messages stay queued in order

    // An Ack on another channel is an answer all the same; the 0x26 answer before it is dropped.
    task.waitForAnswer(answer, {AnalyzedInformation::Ack}, 60000);
    EXPECT_EQ(answer.kind, AnalyzedInformation::Ack);
    EXPECT_EQ(task.queue.size(), 0u);
}

TEST_F(MidiCommunicationTaskTest, AWaitWithoutAnswerEndsOnlyAfterItsTimeout)
{
    w40388_midi::MidiCommunicationTask task;
    instrument->sendPacket(makerAnswer(0x24)); // a Nak nobody waits for

    AnalyzedInformation answer(AnalyzedInformation::Ack, juce::MemoryBlock(4, true));
    const auto start = Clock::now();
    task.waitForAnswer(answer, {AnalyzedInformation::Ack}, 250);

    EXPECT_GE(millisecondsSince(start), 250);
    EXPECT_EQ(answer.kind, AnalyzedInformation::None);
    EXPECT_EQ(answer.data.getSize(), 0u);
}

class IdentityFromAnotherDevice : public MidiCommunicationTaskTest, public ::testing::WithParamInterface<Fault>
{
};

TEST_P(IdentityFromAnotherDevice, GivesTargetDeviceAndKeepsTheChannel)
{
    instrument->setChannel(3);
    instrument->addFault({Request::Identity}, GetParam());
    w40388_midi::DeviceInquiry inquiry;
    prepare(inquiry);
    inquiry.channel = 7;

    EXPECT_EQ(inquiry.execute(), Result::targetDevice);
    EXPECT_EQ(inquiry.channel, 7);
}

INSTANTIATE_TEST_SUITE_P(MakerOrFamily, IdentityFromAnotherDevice,
                         ::testing::Values(Fault::otherMaker(0x41), Fault::otherFamily(0x0158)));

TEST_F(MidiCommunicationTaskTest, IdentityCheckTimesOutAfterThreeSecondsOfSilence)
{
    instrument->addFault({Request::Identity}, Fault::noAnswer());
    w40388_midi::DeviceInquiry inquiry;
    prepare(inquiry);
    ASSERT_EQ(inquiry.replyTimeoutMs, 3000u);

    const auto start = Clock::now();
    EXPECT_EQ(inquiry.execute(), Result::timeout);
    EXPECT_GE(millisecondsSince(start), 3000);
    EXPECT_EQ(inquiry.channel, 0);
}
} // namespace
