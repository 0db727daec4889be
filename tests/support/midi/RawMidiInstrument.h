#pragma once

#include "platform/VirtualMidiBus.h"
#include "support/midi/SimulatedInstrument.h"

#include <atomic>
#include <memory>
#include <thread>

namespace test
{
// Plays a SimulatedInstrument on a raw MIDI device, the way a hardware instrument sits behind
// an interface: what the program sends to the device's sequencer port is read from the raw
// device and handed to the instrument; what the instrument answers is written to the raw
// device and reaches the program from that port. Used with snd-virmidi devices
// ("/dev/snd/midiC<card>D<device>") in the guest tests.
//
// The instrument lives on a private virtual bus; the program's MIDI backend is not touched.
//
// Usage:
//     test::RawMidiInstrument player("/dev/snd/midiC0D0");
//     ASSERT_TRUE(player.isOpen());
//     player->setSlotHeader(4, 0, header);     // the SimulatedInstrument
//     ... run a job on the device's sequencer port ...
//     player.close();                          // before the device's card goes away
class RawMidiInstrument
{
public:
    explicit RawMidiInstrument(const char* devicePath);
    ~RawMidiInstrument();

    RawMidiInstrument(const RawMidiInstrument&) = delete;
    RawMidiInstrument& operator=(const RawMidiInstrument&) = delete;

    bool isOpen() const { return device >= 0; }
    SimulatedInstrument* operator->() { return instrument.get(); }
    SimulatedInstrument& get() { return *instrument; }

    // Stops playing and closes the raw device; the instrument stays for inspection.
    void close();

    // Writes bytes to the raw device at once, in one write (a burst no cable would carry).
    bool writeRaw(const SimulatedInstrument::Bytes& bytes);

private:
    void readDevice();

    platform::VirtualMidiBus bus;
    std::unique_ptr<SimulatedInstrument> instrument;
    std::unique_ptr<platform::MidiInputPort> answers;
    std::atomic<int> device{-1};
    int wake = -1;
    std::thread reader;
};
} // namespace test
