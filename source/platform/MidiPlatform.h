#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// The system's MIDI services: clients, ports and endpoints, in the shape the port layer
// (CTRXMidi) needs. Two backends implement it: the ALSA sequencer for real use and an
// in-process virtual bus for tests. One backend is chosen for the whole program when it
// starts (selectMidiBackend) and everything that talks MIDI goes through getMidiBackend.
//
// Threads: enumeration, names, client and port creation and disposal may be called from
// any thread. Read callbacks, setup-changed callbacks and System Exclusive completions run
// on a thread of the backend. Destroying a port or client waits for a callback of it that
// is running on another thread, and none runs afterwards.
//
// Usage (any backend):
//     auto backend = platform::getMidiBackend();
//     auto client = backend->createClient("MidiDevice", [] { /* setup changed */ });
//     auto in = client->createInputPort("In", [](const std::uint8_t* data, int size) { /* one packet */ });
//     in->connectSource(backend->getSource(0));
//     auto out = client->createOutputPort("Out");
//     out->send(backend->getDestination(0), bytes, 3);
//     out->sendSysEx(backend->getDestination(0), std::move(message), [](const juce::Result& r) { /* drained */ });
namespace platform
{
// Identifies a source or destination endpoint.
using MidiEndpointRef = std::uint32_t;
constexpr MidiEndpointRef noMidiEndpoint = 0;

// One packet of bytes as it arrived; the bytes are valid only during the call.
using MidiReadCallback = std::function<void(const std::uint8_t* data, int size)>;
using MidiSetupChangedCallback = std::function<void()>;
// Runs once when a System Exclusive send has left completely (ok) or has failed.
using MidiSysExCompletion = std::function<void(const juce::Result& result)>;

// An input port: receives the packets of the one source it is connected to.
class MidiInputPort
{
public:
    virtual ~MidiInputPort() = default;

    // Connects to a source (one at a time); fails when the source does not exist.
    virtual juce::Result connectSource(MidiEndpointRef source) = 0;
    virtual void disconnectSource() = 0;
};

// An output port: sends to any destination.
class MidiOutputPort
{
public:
    virtual ~MidiOutputPort() = default;

    // Sends one short packet now.
    virtual juce::Result send(MidiEndpointRef destination, const std::uint8_t* data, int size) = 0;

    // Starts sending a whole System Exclusive message and returns at once. When this returns
    // ok, the completion runs exactly once later (on a backend thread, or on the disposing
    // thread with a failure when the port is destroyed first); when it fails, never.
    virtual juce::Result sendSysEx(MidiEndpointRef destination, std::vector<std::uint8_t> message,
                                   MidiSysExCompletion completion) = 0;
};

// A client of the MIDI system: owns a setup-changed notification and makes ports.
// Ports may outlive their client, but destroy them first for tidiness.
class MidiClient
{
public:
    virtual ~MidiClient() = default;

    // Null on failure.
    virtual std::unique_ptr<MidiInputPort> createInputPort(const juce::String& name, MidiReadCallback callback) = 0;
    virtual std::unique_ptr<MidiOutputPort> createOutputPort(const juce::String& name) = 0;
};

class MidiBackend
{
public:
    virtual ~MidiBackend() = default;

    virtual int getNumberOfSources() = 0;
    virtual int getNumberOfDestinations() = 0;
    // noMidiEndpoint when there is no endpoint at the index.
    virtual MidiEndpointRef getSource(int index) = 0;
    virtual MidiEndpointRef getDestination(int index) = 0;

    // False when the name cannot be read (the endpoint or its device is gone or unnamed).
    virtual bool getEndpointName(MidiEndpointRef endpoint, juce::String& name) = 0;
    virtual bool getDeviceName(MidiEndpointRef endpoint, juce::String& name) = 0;

    // Null on failure.
    virtual std::unique_ptr<MidiClient> createClient(const juce::String& name,
                                                     MidiSetupChangedCallback setupChanged) = 0;
};

// Chooses the backend for the whole program. Only the first choice counts and only before
// getMidiBackend was first called; returns false otherwise.
bool selectMidiBackend(std::shared_ptr<MidiBackend> backend);

// The chosen backend; the ALSA sequencer when none was chosen before the first call.
std::shared_ptr<MidiBackend> getMidiBackend();
} // namespace platform
