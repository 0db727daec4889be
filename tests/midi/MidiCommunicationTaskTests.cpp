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

Bytes makerAnswer(juce::uint8 function, int channel = 0)
{
    return {0xF0, 0x42, static_cast<juce::uint8>(0x30 | channel), 0x00, 0x01, 0x57, function, 0xF7};
}

using MidiCommunicationTaskTest = ConnectedJobTest;

TEST_F(MidiCommunicationTaskTest, WaitsDropUnawaitedAnswersAndEndAtTheirTimeout)
{
    w40388_midi::MidiCommunicationTask task;
    auto bystander = std::make_unique<w40388_midi::DeviceInquiry>(); // hears each message after `task`
    for (const auto& packet : {makerAnswer(0x47), makerAnswer(0x23), makerAnswer(0x26), makerAnswer(0x23, 9)})
        instrument->sendPacket(packet);
    ASSERT_TRUE(runMessageLoopUntil([&] { return task.queue.size() == 4; }));
    // The port may still be delivering the last message to the bystander, and nothing orders that
    // before this: it must leave the port before any part of it is destroyed (ThreadSanitizer
    // would see the port read a vtable pointer that a destructor rewrites).
    bystander.reset();

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
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_EQ(answer.kind, AnalyzedInformation::None);
    EXPECT_EQ(answer.data.getSize(), 0u);
}

// The answer and the code it gives.
struct IdentityCase
{
    const char* name;
    Fault fault;
    int expected;
};

class IdentityCheck : public MidiCommunicationTaskTest, public ::testing::WithParamInterface<IdentityCase>
{
};

TEST_P(IdentityCheck, FailsWithoutTakingTheChannel)
{
    const auto& [name, fault, expected] = GetParam();
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
        EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(3000));
    }
    EXPECT_EQ(inquiry.channel, 7);
}

INSTANTIATE_TEST_SUITE_P(Answers, IdentityCheck,
                         ::testing::Values(IdentityCase{"OtherMaker", Fault::otherMaker(0x41), Result::targetDevice},
                                           IdentityCase{"OtherFamily", Fault::otherFamily(0x0158),
                                                        Result::targetDevice},
                                           IdentityCase{"NoAnswer", Fault::noAnswer(), Result::timeout}),
                         [](const auto& info) { return std::string(info.param.name); });
} // namespace
