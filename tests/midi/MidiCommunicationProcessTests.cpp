#include "core/CTRXResource.h"
#include "midi/ReceiveUserDataProcess.h"
#include "midi/WriteUserDataProcess.h"
#include "support/midi/JobTestSupport.h"

#include <memory>
#include <vector>

namespace
{
using namespace test;

TEST(MidiCommunicationResult, CodesKeepTheirNumbersAndTexts)
{
    // In code order: the constant and its status text key. The detail key adds "Detail", except
    // for a cancellation, which has one text for both.
    const std::pair<int, const char*> codes[] = {
        {Result::noError, "MidiCommunicationNoError"},
        {Result::canceled, "MidiCommunicationCanceled"},
        {Result::failedToOpenDialog, "MidiCommunicationErrorFailedToOpenDialog"},
        {Result::timeout, "MidiCommunicationErrorTimeout"},
        {Result::targetDevice, "MidiCommunicationErrorTargetDevice"},
        {Result::nakOnReceive, "MidiCommunicationErrorReceiveNakOnReceive"},
        {Result::nakOnWrite, "MidiCommunicationErrorReceiveNakOnWrite"},
        {Result::writeError, "MidiCommunicationErrorReceiveWriteError"},
        {Result::messageBroken, "MidiCommunicationErrorMessageBroken"},
        {Result::userCommError, "MidiCommunicationErrorReceiveUserCommErr"},
        {Result::slotsInDoubt, "MidiCommunicationErrorSlotsInDoubt"},
        {Result::slotNamedTwice, "MidiCommunicationErrorSlotNamedTwice"}};
    ASSERT_EQ(Result::count, 12);
    auto* texts = CTRXResource::getInstance();
    for (int code = 0; code < Result::count; ++code)
    {
        const auto& [constant, key] = codes[code];
        EXPECT_EQ(constant, code) << key;
        const juce::String detailKey = juce::String(key) + (code == 1 ? "" : "Detail");
        EXPECT_TRUE(texts->getText(key).isNotEmpty() && texts->getText(detailKey).isNotEmpty()) << key;
        EXPECT_EQ(midi::getMidiCommunicationErrorText(code), texts->getText(key));
        EXPECT_EQ(midi::getMidiCommunicationErrorDetailText(code), texts->getText(detailKey));
    }
    for (const int code : {-1, 12, 255})
        EXPECT_EQ(midi::getMidiCommunicationErrorText(code) + midi::getMidiCommunicationErrorDetailText(code), "");
}

// A misbehaviour of the instrument for some requests and the result code it must end a job with.
struct AnswerCase
{
    const char* name;
    bool write;
    SimulatedInstrument::Match request;
    Fault fault;
    int expected; // the code's number, its texts checked above
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
    const std::unique_ptr<w40388_midi::UserDataProcess> job(
        answerCase.write ? static_cast<w40388_midi::UserDataProcess*>(new w40388_midi::WriteUserDataProcess(&data))
                         : new w40388_midi::ReceiveUserDataProcess(&data));
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

const Fault ackOnly = only({0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x23, 0xF7}); // an Ack where a header is due
// A slot header answer of 20 bytes: neither the empty form nor a whole header.
const Fault brokenHeader = only({0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x49, 0x04, 0x00, 0x00,
                                 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF7});

INSTANTIATE_TEST_SUITE_P(
    Answers, JobAnswerCodes,
    ::testing::Values(AnswerCase{"WriteUserCommError", true, {Request::Clear}, Fault::userCommError(0x2A), 9},
                      AnswerCase{"WriteBrokenHeader", true, {Request::Clear}, brokenHeader, 8},
                      AnswerCase{"WriteSilence", true, {Request::Clear}, Fault::noAnswer(), 3},
                      AnswerCase{"ReceiveBrokenHeader", false, {Request::SlotHeader, 2, 5}, brokenHeader, 8},
                      AnswerCase{"ReceiveSilence", false, {Request::SlotHeader, 2, 5}, Fault::noAnswer(), 3},
                      AnswerCase{"ReceiveAckOnly", false, {Request::SlotHeader, 2, 5}, ackOnly, 3},
                      AnswerCase{
                          "ReceiveUserCommError", false, {Request::SlotHeader, 3, 1}, Fault::userCommError(0x2A), 9},
                      AnswerCase{"ReceiveOtherFamily", false, {Request::Identity}, Fault::otherFamily(), 4}),
    [](const auto& info) { return std::string(info.param.name); });
} // namespace
