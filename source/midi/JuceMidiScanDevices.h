#pragma once

#include "midi/MidiScanDevices.h"

#include <juce_audio_devices/juce_audio_devices.h>

namespace midi
{
// The instrument search's devices as the framework's juce::MidiInput and juce::MidiOutput see them.
// Each index opens the endpoint that the latest name list showed at that position, even when
// devices came or went in between.
class JuceMidiScanDevices : public MidiScanDevices
{
public:
    juce::StringArray getInputNames() override;
    juce::StringArray getOutputNames() override;

    std::unique_ptr<MidiScanInput> openInput(int index, MidiScanInputCallback& callback) override;
    std::unique_ptr<MidiScanOutput> openOutput(int index) override;

private:
    juce::Array<juce::MidiDeviceInfo> inputInfos;
    juce::Array<juce::MidiDeviceInfo> outputInfos;
};
} // namespace midi
