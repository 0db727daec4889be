#include "midi/CTRXMidi.h"
#include "platform/AlsaMidiBackend.h"

#include <gtest/gtest.h>

TEST(AlsaMidiBackend, WithoutASequencerHasNoEndpointsAndSaysNothing)
{
    if (juce::File("/dev/snd/seq").exists())
        GTEST_SKIP() << "this machine has an ALSA sequencer";

    ::testing::internal::CaptureStderr();
    auto backend = std::make_shared<platform::AlsaMidiBackend>();
    EXPECT_FALSE(backend->isAvailable());
    EXPECT_EQ(backend->getNumberOfSources(), 0);
    EXPECT_EQ(backend->getNumberOfDestinations(), 0);
    EXPECT_EQ(backend->getSource(0), platform::noMidiEndpoint);
    juce::String name = "unchanged";
    EXPECT_FALSE(backend->getDeviceName(platform::AlsaMidiBackend::makeEndpoint(14, 0), name));
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(backend->createClient("MidiDevice", [] {}), nullptr);

    // The port layer on top runs on, with nothing to open.
    CTRXMidi midi(backend);
    EXPECT_FALSE(midi.CreateClient("MidiDevice"));
    EXPECT_EQ(midi.GetLastFailure(), "Failed to call MIDIClientCreate().");
    EXPECT_FALSE(midi.OpenInPort(0));
    EXPECT_EQ(midi.GetLastFailure(), "Not found MIDI IN device.");
    EXPECT_FALSE(midi.OpenOutPort(0));
    EXPECT_EQ(midi.GetLastFailure(), "Not found MIDI Out device.");
    const std::uint8_t request[] = {0xF0, 0x42, 0x50, 0x00, 0x00, 0xF7};
    midi.SendMessage(request, sizeof(request));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(AlsaMidiBackend, EndpointReferencesPackTheSequencerAddress)
{
    int client = -1, port = -1;
    for (const auto& address : {std::pair<int, int>{0, 0}, {128, 3}, {191, 255}})
    {
        const auto endpoint = platform::AlsaMidiBackend::makeEndpoint(address.first, address.second);
        EXPECT_NE(endpoint, platform::noMidiEndpoint);
        ASSERT_TRUE(platform::AlsaMidiBackend::splitEndpoint(endpoint, client, port));
        EXPECT_EQ(std::make_pair(client, port), address);
    }
    EXPECT_FALSE(platform::AlsaMidiBackend::splitEndpoint(platform::noMidiEndpoint, client, port));
    EXPECT_FALSE(platform::AlsaMidiBackend::splitEndpoint(0xFF, client, port));
}
