// How close SEND ALL comes to the wire's limit on the real sequencer: the simulated instrument
// answers at once behind an snd-virmidi device, and the job's wall time is set against the
// time the bytes it sent need at 3125 B/s. Gaps between pieces and waits for answers are the
// overhead; the goal is a ratio of at most 1.05. Run in the guest of scripts/test-alsa-guest.sh.
#include "midi/MidiDeviceManager.h"
#include "midi/WriteUserDataProcess.h"
#include "platform/SysExPacer.h"
#include "support/files/UnitFileBuilder.h"
#include "support/midi/RawMidiInstrument.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdio>

int main()
{
    juce::ScopedJuceInitialiser_GUI juce;
    test::RawMidiInstrument player("/dev/snd/midiC0D0");
    auto* manager = midi::MidiDeviceManager::getInstance();
    manager->automatic = false;
    manager->familyId = 0x157;
    manager->inPortName = manager->outPortName = "Virtual Raw MIDI 0-0 - VirMIDI 0-0";
    if (!player.isOpen() || !manager->Connect())
    {
        std::printf("alsa_guest_bench: no instrument on VirMIDI 0-0\n");
        return 1;
    }

    // Eight oscillators of 4 KiB: some tens of KiB on the wire.
    w40388_data::UserData data;
    test::UnitFileOptions options;
    options.payloadSize = 4096;
    const auto block = test::makeUnitDataBlock(options);
    for (int slot = 0; slot < 8; ++slot)
        data.oscData[(size_t)slot] = w40388_data::UserOscData(block);

    w40388_midi::WriteUserDataProcess job(&data);
    const double start = juce::Time::getMillisecondCounterHiRes();
    const int result = job.execute();
    const double seconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;

    size_t bytes = 0;
    for (const auto& message : player->getReceivedMessages())
        bytes += message.size();
    const double wire = (double)bytes / (double)platform::SysExPacer::defaultBytesPerSecond;
    std::printf("SEND ALL: result %d, %zu bytes in %.3f s, wire limit %.3f s, ratio %.4f (goal <= 1.05)\n", result,
                bytes, seconds, wire, seconds / wire);
    manager->Disconnect();
    juce::DeletedAtShutdown::deleteAll();
    return result;
}
