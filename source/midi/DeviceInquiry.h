#pragma once

#include "midi/MidiCommunicationTask.h"

#include <array>

namespace w40388_midi
{
// The identity check every MIDI job starts with: asks the instrument for its identity,
// confirms maker and family, and learns the MIDI channel later requests carry. Job thread.
class DeviceInquiry : public MidiCommunicationTask
{
public:
    static constexpr juce::uint32 defaultReplyTimeoutMs = 3000;

    // Returns a MidiCommunicationResult code: no error, time-out or another device.
    int execute();

    // How long to wait for the identity reply; only tests shorten it.
    juce::uint32 replyTimeoutMs = defaultReplyTimeoutMs;

    // Version bytes of the identity reply, kept as they came.
    std::array<int, 3> versionBytes{};
};
} // namespace w40388_midi
