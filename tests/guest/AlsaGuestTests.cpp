// The ALSA path against the kernel's own sequencer, with the simulated instrument behind an
// snd-virmidi device as behind a MIDI interface. Runs in the virtual machine that
// scripts/test-alsa-guest.sh boots (virmidi cards 0 and 1 with two and one devices); skipped
// where there is no sequencer.
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiDeviceManager.h"
#include "midi/ReceiveUserDataProcess.h"
#include "midi/SysExMessages.h"
#include "midi/WriteUserDataProcess.h"
#include "platform/AlsaMidiBackend.h"
#include "support/MessageLoop.h"
#include "support/files/UnitFileBuilder.h"
#include "support/midi/CTRXMidiTraceListener.h"
#include "support/midi/RawMidiInstrument.h"

#include <gtest/gtest.h>

#include <juce_audio_devices/juce_audio_devices.h>

#include <fstream>
#include <future>

namespace
{
using namespace test;

// Runs a job as its job thread would; a job that does not end fails the run (the guest's bound).
int runJob(midi::MidiCommunicationProcess&& job)
{
    return std::async(std::launch::async, [&] { return job.execute(); }).get();
}

// Writes down the complete System Exclusive messages (no notes of sending); holds the receive
// thread inside the first piece of a message until released.
struct HoldingListener : CTRXMidiTraceListener
{
    HoldingListener() : CTRXMidiTraceListener(false) {}
    void OnMidiMessage(CTRXMidi*, CTRXMidiMessage*) override {} // a stray 0xF7 after a loss, say
    void OnSysExSent(CTRXMidi*, std::uint32_t) override {}
    void OnSysExReceiving(CTRXMidi*, std::int32_t, const std::uint8_t*) override
    {
        if (!holdFirst.exchange(false))
            return;
        held.signal();
        released.wait();
    }
    std::atomic<bool> holdFirst{true};
    juce::WaitableEvent held{true}, released{true};
};

// F0 7D, `dataBytes` data bytes, `end`.
SimulatedInstrument::Bytes sysEx(size_t dataBytes, juce::uint8 seed, juce::uint8 end = 0xF7)
{
    SimulatedInstrument::Bytes message{0xF0, 0x7D};
    for (size_t i = 0; i < dataBytes; ++i)
        message.push_back((juce::uint8)((seed + i * 7) & 0x7F));
    message.push_back(end);
    return message;
}

juce::MemoryBlock unit(UnitModule module, size_t payloadSize)
{
    UnitFileOptions options{module};
    options.payloadSize = payloadSize;
    return makeUnitDataBlock(options);
}

class AlsaGuestTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!juce::File("/dev/snd/seq").exists())
            GTEST_SKIP() << "no ALSA sequencer here; scripts/test-alsa-guest.sh runs this in a virtual machine";
        manager->Disconnect();
        manager->familyId = w40388_midi::sysex::instrumentFamilyId;
        player = std::make_unique<RawMidiInstrument>("/dev/snd/midiC0D0");
        ASSERT_TRUE(player->isOpen());
    }

    void TearDown() override
    {
        recorder.released.signal();
        manager->Disconnect();
    }

    CTRXMidi& midi() { return manager->getMidiPort(); }

    midi::MidiDeviceManager* manager = midi::MidiDeviceManager::getInstance();
    std::unique_ptr<RawMidiInstrument> player;
    HoldingListener recorder;
};

// The instrument on card 0: the search finds it; with the program's ports (and JUCE's) open, the
// backend lists what JUCE lists; RECEIVE ALL reads its headers; SEND ALL arrives byte for byte,
// never faster than the cable; after an input overflow (reported) replies larger than the
// default input pool arrive whole.
TEST_F(AlsaGuestTest, TheInstrumentIsFoundListedReadWrittenAndHeardAfterAnOverflow)
{
    manager->automatic = true;
    EXPECT_FALSE(manager->Connect()); // starts the search
    ASSERT_TRUE(runMessageLoopUntil([&] { return manager->scanDone; }, 10000) && manager->getScanner().isFound());
    ASSERT_TRUE(manager->Connect());
    EXPECT_TRUE(midi().GetInPortName(manager->getScanner().getFoundInputIndex()).endsWith("VirMIDI 0-0"));
    EXPECT_TRUE(midi().GetOutPortName(manager->getScanner().getFoundEchoId()).endsWith("VirMIDI 0-0"));

    auto juceInput = juce::MidiInput::openDevice(juce::MidiInput::getAvailableDevices()[0].identifier, nullptr);
    auto backend = platform::getMidiBackend();
    for (const bool sources : {true, false})
    {
        const auto endpoint = [&](int i) { return sources ? backend->getSource(i) : backend->getDestination(i); };
        const auto devices = sources ? juce::MidiInput::getAvailableDevices() : juce::MidiOutput::getAvailableDevices();
        const int count = sources ? backend->getNumberOfSources() : backend->getNumberOfDestinations();
        for (int i = 0, client = -1, port = -1; i < std::max(count, devices.size()); ++i)
        {
            juce::String name;
            EXPECT_TRUE(backend->getEndpointName(endpoint(i), name) && name == devices[i].name) << name;
            platform::AlsaMidiBackend::splitEndpoint(endpoint(i), client, port);
            EXPECT_EQ(juce::String(client) + "-" + juce::String(port), devices[i].identifier);
        }
        // Four endpoints (Midi Through and the virmidi ports: none of ours, none of JUCE's), none past
        // them (the guest fills freed memory, so a read one past the end finds no zero).
        EXPECT_EQ(std::pair(count, endpoint(count)), std::pair(4, platform::noMidiEndpoint));
    }

    player->get().setSlotHeader(4, 15, {0x04, 0x03, 'O'});
    player->get().setSlotHeader(3, 7, {0x03, 0x03, 'R'});
    w40388_data::UserData data;
    EXPECT_EQ(runJob(w40388_midi::ReceiveUserDataProcess(&data)), midi::MidiCommunicationResult::noError);
    EXPECT_EQ(player->get().getReceivedCount(), 50u); // the search request, the identity request, 48 headers
    EXPECT_EQ(data.oscData[15].header[2], 'O');
    EXPECT_EQ(data.revFXData[7].header[2], 'R');
    EXPECT_EQ(data.revFXData[7].state, w40388_data::SlotState::Received);
    EXPECT_EQ(data.modFXData[0].state, w40388_data::SlotState::Empty);

    player->get().clearReceivedMessages();
    w40388_data::UserData units;
    units.oscData[2] = w40388_data::UserOscData(unit(UnitModule::Oscillator, 3000));
    units.delFXData[0] = w40388_data::UserDelFXData(unit(UnitModule::DelayEffect, 1200));
    units.revFXData[5] = w40388_data::UserRevFXData(unit(UnitModule::ReverbEffect, 2500));
    const auto start = juce::Time::getMillisecondCounterHiRes();
    EXPECT_EQ(runJob(w40388_midi::WriteUserDataProcess(&units)), midi::MidiCommunicationResult::noError);
    const auto seconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;
    EXPECT_EQ((std::vector{player->get().getSlot(4, 2), player->get().getSlot(2, 0), player->get().getSlot(3, 5)}),
              (std::vector{units.oscData[2].unitData, units.delFXData[0].unitData, units.revFXData[5].unitData}));
    size_t bytes = 0;
    for (const auto& message : player->get().getReceivedMessages())
        bytes += message.size();
    // The last piece of each message may leave at once.
    EXPECT_GE(seconds, (double)(bytes - 3 * 256) / 3125.0);

    midi().AddListener(&recorder);
    // The device passes System Exclusive on in pieces of 256 bytes.
    ASSERT_TRUE(player->writeRaw(sysEx(600, 4, 0x11)));
    ASSERT_TRUE(recorder.held.wait(10000));
    ::testing::internal::CaptureStderr();
    // The receive thread is held inside the message: its queue overflows.
    ASSERT_TRUE(player->writeRaw(SimulatedInstrument::Bytes(96 * 1024, 0x11)) && player->writeRaw({0xF7}));
    recorder.released.signal();
    juce::StringArray replies;
    for (const auto& reply : {sysEx(10 * 1024, 1), sysEx(24 * 1024, 2), sysEx(3, 3)})
    {
        player->get().sendPacket(reply);
        replies.add("sysex " + hex(reply.data(), (int)reply.size()));
    }
    EXPECT_TRUE(recorder.waitFor(3));
    EXPECT_EQ(recorder.lines(), replies);
    EXPECT_TRUE(juce::String(::testing::internal::GetCapturedStderr()).contains("overflow"));
}

// Last: takes card 1 away for good, as pulling a USB interface would.
TEST_F(AlsaGuestTest, APortThatVanishesEndsTheJobAndLaterSendsFailAtOnce)
{
    player = std::make_unique<RawMidiInstrument>("/dev/snd/midiC1D0");
    manager->automatic = false;
    manager->inPortName = manager->outPortName = "Virtual Raw MIDI 1-0 - VirMIDI 1-0";
    ASSERT_TRUE(player->isOpen() && manager->Connect());
    const auto vanishing = platform::getMidiBackend()->getDestination(3); // as the lists show
    player->get().addFault({SimulatedInstrument::Request::SlotHeader, 1, 3}, SimulatedInstrument::Fault::noAnswer());
    w40388_data::UserData data;
    auto job = std::async(std::launch::async, [&] { return w40388_midi::ReceiveUserDataProcess(&data).execute(); });
    ASSERT_TRUE(player->get().waitForReceivedCount(21, 10000));
    player->close();
    std::ofstream("/sys/bus/platform/drivers/snd_virmidi/unbind") << "snd_virmidi.1";
    ASSERT_FALSE(juce::File("/dev/snd/midiC1D0").exists());
    EXPECT_EQ(job.get(), midi::MidiCommunicationResult::timeout);

    auto output = platform::getMidiBackend()->createClient("Sender", {})->createOutputPort("Out");
    ::testing::internal::CaptureStderr();
    std::promise<juce::Result> sent;
    auto result = sent.get_future();
    ASSERT_TRUE(output->sendSysEx(vanishing, sysEx(600, 6), [&](const juce::Result& r) { sent.set_value(r); }).wasOk());
    EXPECT_TRUE(result.wait_for(std::chrono::milliseconds(200)) == std::future_status::ready && result.get().failed());
    EXPECT_TRUE(juce::String(::testing::internal::GetCapturedStderr()).contains("Cannot send"));
}
} // namespace
