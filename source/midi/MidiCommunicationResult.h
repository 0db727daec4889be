#pragma once

#include <juce_core/juce_core.h>

namespace midi
{
// Outcome codes of a MIDI job. Each code has a status text and a detail text, shown by the
// progress dialog when a job ends early.
namespace MidiCommunicationResult
{
enum : int
{
    noError = 0,
    canceled = 1,
    failedToOpenDialog = 2,
    timeout = 3,
    targetDevice = 4,
    nakOnReceive = 5,
    nakOnWrite = 6,
    writeError = 7,
    messageBroken = 8,
    userCommError = 9,
};

constexpr int count = 10;
} // namespace MidiCommunicationResult

// The localised status text of a result code; empty for a code that names no result.
juce::String getMidiCommunicationErrorText(int code);

// The localised detail text of a result code; empty for a code that names no result.
juce::String getMidiCommunicationErrorDetailText(int code);
} // namespace midi
