#include "midi/AnalyzedInformation.h"
#include "midi/DeviceInquiry.h"
#include "midi/MidiCommunicationTask.h"
#include "support/midi/JobTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace
{
using namespace test;
using w40388_midi::AnalyzedInformation;
using Clock = std::chrono::steady_clock;

long long millisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

Bytes makerAnswer(juce::uint8 function, int channel = 0)
{
    return {0xF0, 0x42, static_cast<juce::uint8>(0x30 | channel), 0x00, 0x01, 0x57, function, 0xF7};
}

using MidiCommunicationTaskTest = ConnectedJobTest;

TEST_F(MidiCommunicationTaskTest, WaitsDropUnawaitedAnswersAndEndAtTheirTimeout)
{
    w40388_midi::MidiCommunicationTask task;
    for (const auto& packet : {makerAnswer(0x47), makerAnswer(0x23), makerAnswer(0x26), makerAnswer(0x23, 9)})
        instrument->sendPacket(packet);
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

    // Only a Nak nobody waits for: the wait gives nothing, and not before its time-out.
    instrument->sendPacket(makerAnswer(0x24));
    answer = AnalyzedInformation(AnalyzedInformation::Ack, juce::MemoryBlock(4, true));
    const auto start = Clock::now();
    task.waitForAnswer(answer, {AnalyzedInformation::Ack}, 250);
    EXPECT_GE(millisecondsSince(start), 250);
    EXPECT_EQ(answer.kind, AnalyzedInformation::None);
    EXPECT_EQ(answer.data.getSize(), 0u);
}

// A request object being destroyed while the port is delivering to it: the port must never reach
// a part of it that is already gone (ThreadSanitizer sees the port read a vtable pointer that the
// destructor is rewriting).
TEST_F(MidiCommunicationTaskTest, LeavesThePortBeforeAnyOfItIsDestroyed)
{
    w40388_midi::MidiCommunicationTask first; // hears every message before `second`
    auto second = std::make_unique<w40388_midi::DeviceInquiry>();
    instrument->sendPacket(makerAnswer(0x23));
    ASSERT_TRUE(runMessageLoopUntil([&] { return first.queue.size() == 1; }));
    second.reset(); // nothing orders the delivery to `second` before this
}

using IdentityCase = std::pair<Fault, int>; // the answer and the code it gives

class IdentityCheck : public MidiCommunicationTaskTest, public ::testing::WithParamInterface<IdentityCase>
{
};

TEST_P(IdentityCheck, FailsWithoutTakingTheChannel)
{
    const auto& [fault, expected] = GetParam();
    instrument->setChannel(3);
    instrument->addFault({Request::Identity}, fault);
    w40388_midi::DeviceInquiry inquiry;
    inquiry.ctrxMidi = &midi::MidiDeviceManager::getInstance()->getMidiPort();
    inquiry.channel = 7;
    ASSERT_EQ(inquiry.replyTimeoutMs, 3000u);

    const auto start = Clock::now();
    EXPECT_EQ(inquiry.execute(), expected);
    if (expected == Result::timeout)
    {
        EXPECT_GE(millisecondsSince(start), 3000);
    }
    EXPECT_EQ(inquiry.channel, 7);
}

INSTANTIATE_TEST_SUITE_P(Answers, IdentityCheck,
                         ::testing::Values(IdentityCase{Fault::otherMaker(0x41), Result::targetDevice},
                                           IdentityCase{Fault::otherFamily(0x0158), Result::targetDevice},
                                           IdentityCase{Fault::noAnswer(), Result::timeout}));
} // namespace
