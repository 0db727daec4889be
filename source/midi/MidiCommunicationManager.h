#pragma once

#include "core/Singleton.h"

#include <juce_events/juce_events.h>

namespace w40388_midi
{
// Marks that a MIDI job is running. The receive and write commands set `busy` around a job,
// on the message thread.
class MidiCommunicationManager : public Singleton<MidiCommunicationManager>, public juce::DeletedAtShutdown
{
public:
    bool busy = false;
};
} // namespace w40388_midi
