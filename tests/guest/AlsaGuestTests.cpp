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

// Records the System Exclusive messages the port layer delivers; can hold the receive thread
// inside the first piece of a message until released.
struct MessageRecorder : CTRXMidiListener
{
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Bytes> messages;
    bool holdFirstPiece = false, holding = false;

    void OnSysExMessage(CTRXMidi*, CTRXMidiMessage* message) override
    {
        const std::lock_guard<std::mutex> lock(mutex);
        messages.emplace_back(message->GetBytes(), message->GetBytes() + message->GetLength());
        changed.notify_all();
    }
    void OnSysExReceiving(CTRXMidi*, std::int32_t, const std::uint8_t*) override
    {
        std::unique_lock<std::mutex> lock(mutex);
        holding = std::exchange(holdFirstPiece, false);
        changed.notify_all();
        changed.wait(lock, [this] { return !holding; });
    }
    template <typename Condition> bool waitFor(Condition condition)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return condition(); });
    }
    void release()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        holding = holdFirstPiece = false;
        changed.notify_all();
    }
};

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
        recorder.release();
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
    MessageRecorder recorder;
};

TEST_F(AlsaGuestTest, BackendAndJuceListTheSameEndpointsInTheSameOrderWithoutOwnPorts)
{
    connectTo(instrumentPort); // the program's own ports exist
    auto juceInput = juce::MidiInput::openDevice(juce::MidiInput::getAvailableDevices()[0].identifier, nullptr);
    ASSERT_NE(juceInput, nullptr); // and the search's
    auto backend = platform::getMidiBackend();

    for (const bool sources : {true, false})
    {
        SCOPED_TRACE(sources ? "sources" : "destinations");
        const auto devices = sources ? juce::MidiInput::getAvailableDevices() : juce::MidiOutput::getAvailableDevices();
        const int count = sources ? backend->getNumberOfSources() : backend->getNumberOfDestinations();
        juce::StringArray names;
        for (int i = 0; i <= count; ++i)
        {
            const auto endpoint = sources ? backend->getSource(i) : backend->getDestination(i);
            int client = -1, port = -1;
            if (i == count)
            {
                EXPECT_EQ(endpoint, platform::noMidiEndpoint);
                break;
            }
            ASSERT_TRUE(platform::AlsaMidiBackend::splitEndpoint(endpoint, client, port));
            EXPECT_EQ(juce::String(client) + "-" + juce::String(port), devices[i].identifier);
            juce::String name;
            EXPECT_TRUE(backend->getEndpointName(endpoint, name));
            names.add(name);
        }
        EXPECT_EQ(names, (juce::StringArray{"Midi Through Port-0", "VirMIDI 0-0", "VirMIDI 0-1", "VirMIDI 1-0"}));
        EXPECT_EQ(devices.size(), count);
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
    w40388_data::UserData data;
    const std::vector<std::pair<UnitModule, size_t>> units{
        {UnitModule::Oscillator, 3000}, {UnitModule::DelayEffect, 1200}, {UnitModule::ReverbEffect, 2500}};
    for (const auto& [module, payload] : units)
    {
        UnitFileOptions options;
        options.module = module;
        options.payloadSize = payload;
        const auto block = makeUnitDataBlock(options);
        if (module == UnitModule::Oscillator)
            data.oscData[2] = w40388_data::UserOscData(block);
        else if (module == UnitModule::DelayEffect)
            data.delFXData[0] = w40388_data::UserDelFXData(block);
        else
            data.revFXData[5] = w40388_data::UserRevFXData(block);
    }
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
    const std::vector<Bytes> replies{sysEx(10 * 1024, 1), sysEx(24 * 1024, 2), sysEx(3, 3)};
    for (const auto& reply : replies)
        player->get().sendPacket(reply);
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.messages.size() >= replies.size(); }));
    EXPECT_EQ(recorder.messages, replies);
}

TEST_F(AlsaGuestTest, AnInputOverflowIsReportedAndTheNextMessageArrivesWhole)
{
    connectTo(instrumentPort);
    ::testing::internal::CaptureStderr();
    recorder.holdFirstPiece = true;
    Bytes head = sysEx(600, 4); // the device passes System Exclusive on in pieces of 256 bytes
    head.pop_back();
    ASSERT_TRUE(player->writeRaw(head));
    ASSERT_TRUE(recorder.waitFor([&] { return recorder.holding; }));
    // The receive thread is held inside the message: its queue overflows.
    Bytes rest(96 * 1024, 0x11);
    rest.push_back(0xF7);
    ASSERT_TRUE(player->writeRaw(rest));
    recorder.release();
    const Bytes next = sysEx(40, 5);
    ASSERT_TRUE(player->writeRaw(next));

    ASSERT_TRUE(recorder.waitFor([&] { return !recorder.messages.empty(); }));
    EXPECT_EQ(recorder.messages, std::vector<Bytes>{next});
    EXPECT_TRUE(juce::String(::testing::internal::GetCapturedStderr()).contains("overflow"));
}

// Last: takes card 1 away for good, as pulling a USB interface would.
TEST_F(AlsaGuestTest, APortThatVanishesEndsTheJobAndLaterSendsFailAtOnce)
{
    player = std::make_unique<RawMidiInstrument>("/dev/snd/midiC1D0");
    ASSERT_TRUE(player->isOpen());
    connectTo("VirMIDI 1-0");
    auto backend = platform::getMidiBackend();
    auto vanishing = platform::noMidiEndpoint;
    for (int i = 0; i < backend->getNumberOfDestinations(); ++i)
        if (midi().GetOutPortName(i).endsWith("VirMIDI 1-0"))
            vanishing = backend->getDestination(i);
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
