#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

#include <memory>

namespace midi
{
// Receives what an input opened for the instrument search delivers, on that input's own thread.
class MidiScanInputCallback
{
public:
    virtual ~MidiScanInputCallback() = default;

    // inputIndex is the input's position in the system's input list when it was opened.
    virtual void handleIncomingMidiMessage(int inputIndex, const juce::MidiMessage& message) = 0;
};

// An input opened by the search. Deleting it stops and closes it; once the destructor has
// returned its callback is never called again.
class MidiScanInput
{
public:
    virtual ~MidiScanInput() = default;
    virtual void start() = 0;
};

// An output opened by the search. Deleting it closes it.
class MidiScanOutput
{
public:
    virtual ~MidiScanOutput() = default;
    virtual void sendMessageNow(const juce::MidiMessage& message) = 0;
};

// How the instrument search reaches the computer's MIDI devices. Indices are positions in the
// system's lists of inputs and outputs as read by the latest getInputNames()/getOutputNames(); they
// number the same endpoints, in the same order, as the port layer's sources and destinations.
// The program uses the framework's MIDI classes (JuceMidiScanDevices); tests use the virtual bus.
// All calls come from the message thread.
class MidiScanDevices
{
public:
    virtual ~MidiScanDevices() = default;

    virtual juce::StringArray getInputNames() = 0;
    virtual juce::StringArray getOutputNames() = 0;

    // nullptr when the device does not open (or no device has that index).
    virtual std::unique_ptr<MidiScanInput> openInput(int index, MidiScanInputCallback& callback) = 0;
    virtual std::unique_ptr<MidiScanOutput> openOutput(int index) = 0;
};
} // namespace midi
