#include "midi/JuceMidiScanDevices.h"

namespace midi
{
namespace
{
juce::StringArray namesOf(const juce::Array<juce::MidiDeviceInfo>& infos)
{
    juce::StringArray names;
    for (const auto& info : infos)
        names.add(info.name);
    return names;
}

// Hands the framework's callback on with the index the input was opened at.
class JuceScanInput : public MidiScanInput, private juce::MidiInputCallback
{
public:
    JuceScanInput(int inputIndex, MidiScanInputCallback& target) : index(inputIndex), callback(target) {}

    ~JuceScanInput() override
    {
        if (device != nullptr)
            device->stop();
        device.reset();
    }

    bool open(const juce::String& identifier)
    {
        device = juce::MidiInput::openDevice(identifier, this);
        return device != nullptr;
    }

    void start() override { device->start(); }

private:
    void handleIncomingMidiMessage(juce::MidiInput*, const juce::MidiMessage& message) override
    {
        callback.handleIncomingMidiMessage(index, message);
    }

    const int index;
    MidiScanInputCallback& callback;
    std::unique_ptr<juce::MidiInput> device;
};

class JuceScanOutput : public MidiScanOutput
{
public:
    explicit JuceScanOutput(std::unique_ptr<juce::MidiOutput> output) : device(std::move(output)) {}

    void sendMessageNow(const juce::MidiMessage& message) override { device->sendMessageNow(message); }

private:
    std::unique_ptr<juce::MidiOutput> device;
};
} // namespace

juce::StringArray JuceMidiScanDevices::getInputNames()
{
    inputInfos = juce::MidiInput::getAvailableDevices();
    return namesOf(inputInfos);
}

juce::StringArray JuceMidiScanDevices::getOutputNames()
{
    outputInfos = juce::MidiOutput::getAvailableDevices();
    return namesOf(outputInfos);
}

std::unique_ptr<MidiScanInput> JuceMidiScanDevices::openInput(int index, MidiScanInputCallback& callback)
{
    if (!juce::isPositiveAndBelow(index, inputInfos.size()))
        return nullptr;

    auto input = std::make_unique<JuceScanInput>(index, callback);
    if (!input->open(inputInfos.getReference(index).identifier))
        return nullptr;
    return input;
}

std::unique_ptr<MidiScanOutput> JuceMidiScanDevices::openOutput(int index)
{
    if (!juce::isPositiveAndBelow(index, outputInfos.size()))
        return nullptr;

    auto output = juce::MidiOutput::openDevice(outputInfos.getReference(index).identifier);
    if (output == nullptr)
        return nullptr;
    return std::make_unique<JuceScanOutput>(std::move(output));
}
} // namespace midi
