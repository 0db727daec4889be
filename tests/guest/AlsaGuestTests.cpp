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
namespace Result = midi::MidiCommunicationResult;
using Bytes = SimulatedInstrument::Bytes;
using w40388_data::SlotState;

// Runs a job as its job thread would; a job that does not end fails the run (the guest's bound).
int runJob(midi::MidiCommunicationProcess& job)
{
    return std::async(std::launch::async, [&] { return job.execute(); }).get();
}

const char* const instrumentPort = "VirMIDI 0-0";

// Writes down the complete System Exclusive messages; once asked, holds the receive thread
// inside the next piece of a message until released.
struct HoldingListener : CTRXMidiTraceListener
{
    HoldingListener() : CTRXMidiTraceListener(false) {}
    void OnMidiMessage(CTRXMidi*, CTRXMidiMessage*) override {} // a stray 0xF7 after a loss, say
    void OnSysExReceiving(CTRXMidi*, std::int32_t, const std::uint8_t*) override
    {
        if (holdNext.exchange(false))
        {
            held.set_value();
            released.wait();
        }
    }
    std::atomic<bool> holdNext{false};
    std::promise<void> held;
    juce::WaitableEvent released{true};
};

juce::String traced(const Bytes& message)
{
    return "sysex " + hex(message.data(), (int)message.size());
}

Bytes sysEx(size_t dataBytes, juce::uint8 seed)
{
    Bytes message{0xF0, 0x7D};
    for (size_t i = 0; i < dataBytes; ++i)
        message.push_back((juce::uint8)((seed + i * 7) & 0x7F));
    message.push_back(0xF7);
    return message;
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

    // Connects the port layer to the named virmidi port, as the preferences would.
    void connectTo(const juce::String& port)
    {
        manager->automatic = false;
        manager->inPortName = "Virtual Raw MIDI " + port.fromLastOccurrenceOf(" ", false, false) + " - " + port;
        manager->outPortName = manager->inPortName;
        ASSERT_TRUE(manager->Connect());
        midi().AddListener(&recorder);
    }

    CTRXMidi& midi() { return manager->getMidiPort(); }

    midi::MidiDeviceManager* manager = midi::MidiDeviceManager::getInstance();
    std::unique_ptr<RawMidiInstrument> player;
    HoldingListener recorder;
};

TEST_F(AlsaGuestTest, BackendAndJuceListTheSameEndpointsInTheSameOrderWithoutOwnPorts)
{
    connectTo(instrumentPort); // the program's own ports exist, and so do the search's
    auto juceInput = juce::MidiInput::openDevice(juce::MidiInput::getAvailableDevices()[0].identifier, nullptr);
    auto backend = platform::getMidiBackend();
    for (const bool sources : {true, false})
    {
        juce::StringArray juceIds, ids, names;
        for (const auto& device :
             sources ? juce::MidiInput::getAvailableDevices() : juce::MidiOutput::getAvailableDevices())
            juceIds.add(device.identifier);
        const int count = sources ? backend->getNumberOfSources() : backend->getNumberOfDestinations();
        for (int i = 0; i < count; ++i)
        {
            const auto endpoint = sources ? backend->getSource(i) : backend->getDestination(i);
            int client = -1, port = -1;
            juce::String name;
            if (platform::AlsaMidiBackend::splitEndpoint(endpoint, client, port))
                ids.add(juce::String(client) + "-" + juce::String(port));
            if (backend->getEndpointName(endpoint, name))
                names.add(name);
        }
        EXPECT_EQ(ids, juceIds);
        EXPECT_EQ(sources ? backend->getSource(count) : backend->getDestination(count), platform::noMidiEndpoint);
        EXPECT_EQ(names, (juce::StringArray{"Midi Through Port-0", "VirMIDI 0-0", "VirMIDI 0-1", "VirMIDI 1-0"}));
    }
}

TEST_F(AlsaGuestTest, TheSearchFindsTheInstrumentAndReceiveAllReadsItsHeaders)
{
    manager->automatic = true;
    EXPECT_FALSE(manager->Connect()); // starts the search
    ASSERT_TRUE(runMessageLoopUntil([&] { return manager->scanDone; }, 10000));
    ASSERT_TRUE(manager->getScanner().isFound());
    ASSERT_TRUE(manager->Connect());
    EXPECT_TRUE(midi().GetInPortName(manager->getScanner().getFoundInputIndex()).endsWith(instrumentPort));
    EXPECT_TRUE(midi().GetOutPortName(manager->getScanner().getFoundEchoId()).endsWith(instrumentPort));

    player->get().setSlotHeader(4, 15, {0x04, 0x03, 'O'});
    player->get().setSlotHeader(3, 7, {0x03, 0x03, 'R'});
    w40388_data::UserData data;
    w40388_midi::ReceiveUserDataProcess job(&data);
    EXPECT_EQ(runJob(job), Result::noError);
    EXPECT_EQ(player->get().getReceivedCount(), 50u); // the search request, the identity request, 48 headers
    EXPECT_EQ(data.oscData[15].header[2], 'O');
    EXPECT_EQ(data.revFXData[7].header[2], 'R');
    EXPECT_EQ(data.revFXData[7].state, SlotState::Received);
    EXPECT_EQ(data.modFXData[0].state, SlotState::Empty);
}

TEST_F(AlsaGuestTest, SendAllArrivesByteForByteAtThePacingRate)
{
    connectTo(instrumentPort);
    const auto unit = [](UnitModule module, size_t payloadSize)
    {
        UnitFileOptions options;
        options.module = module;
        options.payloadSize = payloadSize;
        return makeUnitDataBlock(options);
    };
    w40388_data::UserData data;
    data.oscData[2] = w40388_data::UserOscData(unit(UnitModule::Oscillator, 3000));
    data.delFXData[0] = w40388_data::UserDelFXData(unit(UnitModule::DelayEffect, 1200));
    data.revFXData[5] = w40388_data::UserRevFXData(unit(UnitModule::ReverbEffect, 2500));
    const auto expected = data;
    w40388_midi::WriteUserDataProcess job(&data);

    const auto start = juce::Time::getMillisecondCounterHiRes();
    EXPECT_EQ(runJob(job), Result::noError);
    const auto seconds = (juce::Time::getMillisecondCounterHiRes() - start) / 1000.0;

    EXPECT_EQ(player->get().getSlot(4, 2), expected.oscData[2].unitData);
    EXPECT_EQ(player->get().getSlot(2, 0), expected.delFXData[0].unitData);
    EXPECT_EQ(player->get().getSlot(3, 5), expected.revFXData[5].unitData);
    size_t bytes = 0;
    for (const auto& message : player->get().getReceivedMessages())
        bytes += message.size();
    // Never faster than the cable: the last piece of each message may leave at once.
    EXPECT_GE(seconds, (double)(bytes - 3 * 256) / 3125.0);
}

TEST_F(AlsaGuestTest, RepliesLargerThanTheDefaultInputPoolArriveWhole)
{
    connectTo(instrumentPort);
    juce::StringArray replies;
    for (const auto& reply : {sysEx(10 * 1024, 1), sysEx(24 * 1024, 2), sysEx(3, 3)})
    {
        player->get().sendPacket(reply);
        replies.add(traced(reply));
    }
    ASSERT_TRUE(recorder.waitFor(3));
    EXPECT_EQ(recorder.lines(), replies);
}

TEST_F(AlsaGuestTest, AnInputOverflowIsReportedAndTheNextMessageArrivesWhole)
{
    connectTo(instrumentPort);
    ::testing::internal::CaptureStderr();
    recorder.holdNext = true;
    Bytes head = sysEx(600, 4); // the device passes System Exclusive on in pieces of 256 bytes
    head.back() = 0x11;
    ASSERT_TRUE(player->writeRaw(head));
    ASSERT_EQ(recorder.held.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    // The receive thread is held inside the message: its queue overflows.
    Bytes rest(96 * 1024, 0x11);
    rest.back() = 0xF7;
    ASSERT_TRUE(player->writeRaw(rest));
    recorder.released.signal();
    ASSERT_TRUE(player->writeRaw(sysEx(40, 5)));

    ASSERT_TRUE(recorder.waitFor(1));
    EXPECT_EQ(recorder.lines(), juce::StringArray{traced(sysEx(40, 5))});
    EXPECT_TRUE(juce::String(::testing::internal::GetCapturedStderr()).contains("overflow"));
}

// Last: takes card 1 away for good, as pulling a USB interface would.
TEST_F(AlsaGuestTest, APortThatVanishesEndsTheJobAndLaterSendsFailAtOnce)
{
    player = std::make_unique<RawMidiInstrument>("/dev/snd/midiC1D0");
    ASSERT_TRUE(player->isOpen());
    connectTo("VirMIDI 1-0");
    auto backend = platform::getMidiBackend();
    const auto vanishing = backend->getDestination(3); // as the lists show
    player->get().addFault({SimulatedInstrument::Request::SlotHeader, 1, 3}, SimulatedInstrument::Fault::noAnswer());
    auto unplug = std::async(std::launch::async,
                             [&]
                             {
                                 if (!player->get().waitForReceivedCount(21, 10000))
                                     return false;
                                 player->close();
                                 std::ofstream("/sys/bus/platform/drivers/snd_virmidi/unbind") << "snd_virmidi.1";
                                 return !juce::File("/dev/snd/midiC1D0").exists();
                             });
    w40388_data::UserData data;
    w40388_midi::ReceiveUserDataProcess job(&data);
    EXPECT_EQ(runJob(job), Result::timeout);
    ASSERT_TRUE(unplug.get());

    auto client = backend->createClient("Sender", {});
    auto output = client->createOutputPort("Out");
    ::testing::internal::CaptureStderr();
    std::promise<juce::Result> sent;
    ASSERT_TRUE(output->sendSysEx(vanishing, sysEx(600, 6), [&](const juce::Result& result) { sent.set_value(result); })
                    .wasOk());
    auto result = sent.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::milliseconds(200)), std::future_status::ready);
    EXPECT_TRUE(result.get().failed());
    EXPECT_TRUE(juce::String(::testing::internal::GetCapturedStderr()).contains("Cannot send"));
}
} // namespace
