#include "midi/MidiCommunicationResult.h"

#include "core/CTRXResource.h"

namespace midi
{
namespace
{
// Text keys
constexpr const char* statusKeys[MidiCommunicationResult::count] = {
    "MidiCommunicationNoError",
    "MidiCommunicationCanceled",
    "MidiCommunicationErrorFailedToOpenDialog",
    "MidiCommunicationErrorTimeout",
    "MidiCommunicationErrorTargetDevice",
    "MidiCommunicationErrorReceiveNakOnReceive",
    "MidiCommunicationErrorReceiveNakOnWrite",
    "MidiCommunicationErrorReceiveWriteError",
    "MidiCommunicationErrorMessageBroken",
    "MidiCommunicationErrorReceiveUserCommErr",
    "MidiCommunicationErrorSlotsInDoubt",
    "MidiCommunicationErrorSlotNamedTwice",
};

// Text keys
constexpr const char* detailKeys[MidiCommunicationResult::count] = {
    "MidiCommunicationNoErrorDetail",
    "MidiCommunicationCanceled", // a cancellation has no separate detail text
    "MidiCommunicationErrorFailedToOpenDialogDetail",
    "MidiCommunicationErrorTimeoutDetail",
    "MidiCommunicationErrorTargetDeviceDetail",
    "MidiCommunicationErrorReceiveNakOnReceiveDetail",
    "MidiCommunicationErrorReceiveNakOnWriteDetail",
    "MidiCommunicationErrorReceiveWriteErrorDetail",
    "MidiCommunicationErrorMessageBrokenDetail",
    "MidiCommunicationErrorReceiveUserCommErrDetail",
    "MidiCommunicationErrorSlotsInDoubtDetail",
    "MidiCommunicationErrorSlotNamedTwiceDetail",
};

juce::String textOf(const char* const (&keys)[MidiCommunicationResult::count], int code)
{
    if (code < 0 || code >= MidiCommunicationResult::count)
        return {};
    return CTRXResource::getInstance()->getText(keys[code]);
}
} // namespace

juce::String getMidiCommunicationErrorText(int code)
{
    return textOf(statusKeys, code);
}

juce::String getMidiCommunicationErrorDetailText(int code)
{
    return textOf(detailKeys, code);
}
} // namespace midi
