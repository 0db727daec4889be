#pragma once

#include "platform/MidiPlatform.h"

#include <mutex>

typedef struct _snd_seq snd_seq_t;

namespace platform
{
// The MIDI system on Linux: the ALSA sequencer. A device is an ALSA client (its name is the
// device name), an endpoint is one of its ports (the port's name). Sources are the ports
// other programs may subscribe to for reading, destinations those they may subscribe to for
// writing, numbered in the same order as JUCE's MidiInput / MidiOutput device lists, so that
// an index means the same endpoint in both.
//
// Each client has its own sequencer connection and receive thread; each output port sends
// System Exclusive messages on a thread of its own, paced by a SysExPacer so that a hardware
// interface's small output buffer never overflows. A send's completion runs when its last
// piece has drained; ALSA errors go to the completion and to standard error. An output keeps a
// subscription to its destination (ports of raw MIDI devices ignore events otherwise). Inputs
// have the sequencer's largest pool; when it overflows all that was queued is lost, which goes
// to standard error, and no message is put together across the gap.
//
// Without a sequencer (no /dev/snd/seq) there are no endpoints, clients cannot be created,
// and nothing is printed.
class AlsaMidiBackend : public MidiBackend
{
public:
    AlsaMidiBackend();
    ~AlsaMidiBackend() override;

    // True when the sequencer could be opened.
    bool isAvailable();

    int getNumberOfSources() override;
    int getNumberOfDestinations() override;
    MidiEndpointRef getSource(int index) override;
    MidiEndpointRef getDestination(int index) override;
    bool getEndpointName(MidiEndpointRef endpoint, juce::String& name) override;
    bool getDeviceName(MidiEndpointRef endpoint, juce::String& name) override;
    std::unique_ptr<MidiClient> createClient(const juce::String& name, MidiSetupChangedCallback setupChanged) override;

    // Endpoint references pack the sequencer address; 0 stays "no endpoint".
    static MidiEndpointRef makeEndpoint(int client, int port);
    static bool splitEndpoint(MidiEndpointRef endpoint, int& client, int& port);

private:
    class Client;
    class InputPort;
    class OutputPort;
    struct Connection;

    std::vector<MidiEndpointRef> listEndpoints(bool sources);
    bool openQueryHandle();

    std::mutex mutex;
    snd_seq_t* queryHandle = nullptr;
};
} // namespace platform
