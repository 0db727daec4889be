#include "JobTestSupport.h"
#include "core/CTRXResource.h"
#include "midi/ReceiveUserDataProcess.h"
#include "midi/WriteUserDataProcess.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
using namespace test;

TEST(MidiCommunicationProcess, ChangesBeforeTheLoopTurnsGiveOneNotificationWithTheLatestValues)
{
    w40388_data::UserData data;
    RecordingJob<w40388_midi::WriteUserDataProcess> job(&data);
    JobWatcher watcher(job);

    job.SetMessage("first");
    job.setProgress(0.25f);
    job.SetMessage("third");
    drainMessageLoop();

    EXPECT_EQ(watcher.events, std::vector<juce::String>{"third 0.25"});
}

TEST(MidiCommunicationResult, CodesHaveTheirTextsAndCancellationOneTextTwice)
{
    auto* texts = CTRXResource::getInstance();
    EXPECT_EQ(midi::getMidiCommunicationErrorText(Result::noError), texts->getText("MidiCommunicationNoError"));
    EXPECT_EQ(midi::getMidiCommunicationErrorDetailText(Result::timeout),
              texts->getText("MidiCommunicationErrorTimeoutDetail"));
    EXPECT_EQ(midi::getMidiCommunicationErrorText(Result::userCommError),
              texts->getText("MidiCommunicationErrorReceiveUserCommErr"));
    EXPECT_EQ(midi::getMidiCommunicationErrorDetailText(Result::canceled), texts->getText("MidiCommunicationCanceled"));
    for (int code = 0; code < Result::count; ++code)
    {
        EXPECT_TRUE(midi::getMidiCommunicationErrorText(code).isNotEmpty()) << code;
        EXPECT_TRUE(midi::getMidiCommunicationErrorDetailText(code).isNotEmpty()) << code;
    }

    for (const int code : {-1, 10, 255})
    {
        EXPECT_EQ(midi::getMidiCommunicationErrorText(code), "") << code;
        EXPECT_EQ(midi::getMidiCommunicationErrorDetailText(code), "") << code;
    }
}

// A misbehaviour of the instrument for some requests and the result code it must end a job with.
struct AnswerCase
{
    const char* name;
    bool write;
    SimulatedInstrument::Match request;
    Fault fault;
    int expected;
};

class JobAnswerCodes : public ConnectedJobTest, public ::testing::WithParamInterface<AnswerCase>
{
};

// Waits shortened from the product's 3000 ms and 60000 or 5000 ms.
TEST_P(JobAnswerCodes, EndTheJobWithBothTextsOfTheCode)
{
    const auto& answerCase = GetParam();
    instrument->addFault(answerCase.request, answerCase.fault);
    w40388_data::UserData data;
    std::unique_ptr<w40388_midi::UserDataProcess> job;
    if (answerCase.write)
        job = std::make_unique<w40388_midi::WriteUserDataProcess>(&data);
    else
        job = std::make_unique<w40388_midi::ReceiveUserDataProcess>(&data);
    job->setTimeoutsForTesting(300, 300);

    EXPECT_EQ(runJob(*job), answerCase.expected);
    EXPECT_EQ(job->GetMessage(), midi::getMidiCommunicationErrorText(answerCase.expected));
    EXPECT_EQ(job->GetErrorMessage(), midi::getMidiCommunicationErrorDetailText(answerCase.expected));
}

Fault only(Bytes packet)
{
    auto fault = Fault::noAnswer();
    fault.before.push_back(std::move(packet));
    return fault;
}

const Fault userCommError = Fault::userCommError(0x2A);
const Fault ackOnly = only({0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x23, 0xF7}); // an Ack where a header is due
// A slot header answer of 20 bytes: neither the empty form nor a whole header.
const Fault brokenHeader = only({0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x49, 0x04, 0x00, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7});

INSTANTIATE_TEST_SUITE_P(
    Answers, JobAnswerCodes,
    ::testing::Values(
        AnswerCase{"WriteUserCommError", true, {Request::Clear}, userCommError, Result::userCommError},
        AnswerCase{"WriteBrokenHeader", true, {Request::Clear}, brokenHeader, Result::messageBroken},
        AnswerCase{"WriteSilence", true, {Request::Clear}, Fault::noAnswer(), Result::timeout},
        AnswerCase{"ReceiveBrokenHeader", false, {Request::SlotHeader, 2, 5}, brokenHeader, Result::messageBroken},
        AnswerCase{"ReceiveSilence", false, {Request::SlotHeader, 2, 5}, Fault::noAnswer(), Result::timeout},
        AnswerCase{"ReceiveAckOnly", false, {Request::SlotHeader, 2, 5}, ackOnly, Result::timeout},
        AnswerCase{"ReceiveUserCommError", false, {Request::SlotHeader, 3, 1}, userCommError, Result::userCommError},
        AnswerCase{"ReceiveOtherFamily", false, {Request::Identity}, Fault::otherFamily(), Result::targetDevice}),
    [](const auto& info) { return std::string(info.param.name); });
} // namespace
