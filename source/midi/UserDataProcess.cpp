#include "midi/UserDataProcess.h"

#include "midi/DeviceInquiry.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiDeviceManager.h"

#include <cstring>

namespace w40388_midi
{
namespace Result = midi::MidiCommunicationResult;

UserDataProcess::UserDataProcess(w40388_data::UserData* lists, juce::uint32 answerTimeoutMs)
    : userData(lists), identityTimeout(DeviceInquiry::defaultReplyTimeoutMs), answerTimeout(answerTimeoutMs)
{
}

bool UserDataProcess::isSucceeded(int result)
{
    return result == Result::noError;
}

bool UserDataProcess::isCancelable()
{
    return true;
}

void UserDataProcess::setTimeoutsForTesting(juce::uint32 identityMs, juce::uint32 answerMs)
{
    identityTimeout = identityMs;
    answerTimeout = answerMs;
}

int UserDataProcess::execute()
{
    setProgress(0.0f);
    SetMessage(getStartMessage());
    SetErrorMessage({});
    failureDetail = {};

    // Kept for the whole run: its queue goes on collecting and is discarded with it.
    DeviceInquiry inquiry;
    inquiry.ctrxMidi = &midi::MidiDeviceManager::getInstance()->getMidiPort();
    inquiry.channel = 0;
    inquiry.replyTimeoutMs = identityTimeout;
    // A wait cut short by a stop request fails like a silent instrument; report it as cancelled.
    if (const int identity = inquiry.execute(); identity != Result::noError)
        return shouldExit() ? cancel() : failWith(identity);

    family = MidiCommunicationTask::familyId();
    channel = inquiry.channel;
    const int code = runLists();
    if (code == Result::canceled || (code != Result::noError && shouldExit()))
        return cancel();
    if (code != Result::noError)
        return failWith(code, failureDetail);

    setProgress(1.0f);
    return Result::noError;
}

void UserDataProcess::prepare(MidiCommunicationTask& task) const
{
    task.ctrxMidi = &midi::MidiDeviceManager::getInstance()->getMidiPort();
    task.channel = channel;
}

AnalyzedInformation UserDataProcess::exchange(MidiCommunicationTask& task, const SysExBytes& request,
                                              const std::vector<int>& awaitedKinds) const
{
    task.sendMessage(request);
    AnalyzedInformation answer;
    task.waitForAnswer(answer, awaitedKinds, answerTimeout);
    return answer;
}

int UserDataProcess::readSlotHeader(MidiCommunicationTask& task, int module, int slot,
                                    std::array<juce::uint8, sysex::slotHeaderSize>& header) const
{
    const auto answer = exchange(task, makeUserSlotHeaderRequest(family, channel, module, slot),
                                 {AnalyzedInformation::BrokenHeader, AnalyzedInformation::SlotHeader,
                                  AnalyzedInformation::Nak, AnalyzedInformation::UserCommError});
    if (answer.kind != AnalyzedInformation::SlotHeader)
        return MidiCommunicationTask::failureCodeOf(answer.kind);
    if (answer.data.getSize() < header.size())
        return Result::messageBroken;
    std::memcpy(header.data(), answer.data.getData(), header.size());
    return Result::noError;
}
} // namespace w40388_midi
