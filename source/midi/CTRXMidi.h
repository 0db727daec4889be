#pragma once

#include "midi/CSysExBuffer.h"
#include "midi/CTRXMidiListener.h"
#include "midi/CTRXMidiMessage.h"
#include "platform/MidiPlatform.h"

#include <juce_core/juce_core.h>

#include <cstdint>
#include <memory>
#include <vector>

// The program's one connection to the instrument: a MIDI client with one input port
// connected to one source and one output port aimed at one destination. Turns the packets
// the input delivers into whole messages (short ones and complete System Exclusive ones) for
// the registered listeners, sends messages, and names the system's ports for the
// preferences.
//
// Threads: ports, names and the client are handled on the message thread; the input is
// parsed on the backend's receive thread (the only thread touching the gathering buffer);
// SendMessage runs on the one sending thread (a job's). Every listener call is made under
// the listener lock, so adding or removing a listener waits for a call in progress.
class CTRXMidi
{
public:
    // Uses the backend chosen for the program.
    CTRXMidi();
    explicit CTRXMidi(std::shared_ptr<platform::MidiBackend> backend);
    virtual ~CTRXMidi();

    CTRXMidi(const CTRXMidi&) = delete;
    CTRXMidi& operator=(const CTRXMidi&) = delete;

    // Failures are reported as false only; GetLastFailure tells which step failed.
    virtual bool CreateClient(const char* name);
    virtual bool DisposeClient();

    bool OpenInPort(int index);
    bool OpenOutPort(int index);
    void CloseInPort();
    void CloseOutPort();
    bool IsInPortOpen() const { return inPort != nullptr; }
    bool IsOutPortOpen() const { return outPort != nullptr; }
    const juce::String& GetLastFailure() const { return lastFailure; }

    // The name of the device owning the endpoint; empty when it cannot be read.
    juce::String GetEndpointDeviceName(platform::MidiEndpointRef endpoint);
    // "<device> - <endpoint>" for the source / destination at the index (a part that cannot
    // be read stays empty); the empty text when there is no endpoint at the index.
    juce::String GetInPortName(int index);
    juce::String GetOutPortName(int index);

    void AddListener(CTRXMidiListener* listener);
    void RemoveListener(CTRXMidiListener* listener);
    void RemoveAllListeners();

    // A message beginning with 0xF0 goes out as System Exclusive; the call waits at most
    // 500 ms for it to complete. Anything else is a short message whose length comes from
    // its status byte (missing bytes are sent as 0). Nothing is sent when the output is
    // closed, and nothing is reported.
    void SendMessage(const std::uint8_t* bytes, std::uint32_t size);

    // The length of the message that begins with this status byte.
    static int GetMessageLength(std::uint8_t status);

    // The input's parsing: one packet at a time, state carried over only by the buffer.
    void ParseMidiBytes(int count, const std::uint8_t* bytes);
    void ParseSysExBytes(int count, const std::uint8_t* bytes);

    static constexpr int sysExSendWaitMs = 500;

private:
    // Gathers System Exclusive bytes from the start of `bytes`; returns how many it used.
    int GatherSysEx(int count, const std::uint8_t* bytes);
    void NotifyShortMessage(const std::uint8_t* bytes, std::uint32_t size);
    void NotifySetupChanged();
    void SysExSendCompleted(std::uint32_t size, const juce::Result& result);
    bool Fail(const char* text);
    juce::String GetPortName(platform::MidiEndpointRef endpoint);

    std::shared_ptr<platform::MidiBackend> backend;
    CSysExBuffer sysExBuffer;
    std::vector<CTRXMidiListener*> listeners;
    juce::CriticalSection listenerLock;
    std::unique_ptr<platform::MidiClient> client;
    std::unique_ptr<platform::MidiOutputPort> outPort;
    std::unique_ptr<platform::MidiInputPort> inPort;
    platform::MidiEndpointRef destination = platform::noMidiEndpoint;
    platform::MidiEndpointRef source = platform::noMidiEndpoint;
    juce::WaitableEvent sysExSentEvent;
    juce::String lastFailure;
};
