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
    // A write found the instrument's slots other than the rows say after an interrupted write.
    slotsInDoubt = 10,
    // A write found two rows of one list naming one instrument slot: a swap can move that unit
    // but not copy it, so nothing was sent.
    slotNamedTwice = 11,
};

constexpr int count = 12;
} // namespace MidiCommunicationResult

// The localised status text of a result code; empty for a code that names no result.
juce::String getMidiCommunicationErrorText(int code);

// The localised detail text of a result code; empty for a code that names no result.
juce::String getMidiCommunicationErrorDetailText(int code);
} // namespace midi
