#include "platform/VirtualMidiBus.h"
#include "support/midi/CTRXMidiTraceListener.h"

namespace
{
using Trace = juce::StringArray;

// Writes its name and the size of each piece, or "sysex" for each message, into a trace it may share.
struct NamedListener : CTRXMidiListener
{
    NamedListener(Trace& trace, const char* n) : log(trace), name(n) {}
    void OnSysExReceiving(CTRXMidi*, std::int32_t n, const std::uint8_t*) override { log.add(name + juce::String(n)); }
    void OnSysExMessage(CTRXMidi*, CTRXMidiMessage*) override { log.add(name + "sysex"); }
    Trace& log;
    juce::String name;
};

class CTRXMidiParserTest : public ::testing::Test
{
protected:
    CTRXMidiParserTest() { midi.AddListener(&listener); }

    // Parses in packets of at most 256 bytes, as the ALSA sequencer delivers a long message.
    void parse(const std::vector<std::uint8_t>& bytes)
    {
        for (std::size_t offset = 0; offset < bytes.size(); offset += 256)
            midi.ParseMidiBytes((int)std::min<std::size_t>(256, bytes.size() - offset), bytes.data() + offset);
    }

    CTRXMidi midi{std::make_shared<platform::VirtualMidiBus>()};
    test::CTRXMidiTraceListener listener{false};
};
} // namespace

TEST(CTRXMidiParser, SplitsPacketsIntoMessagesWhoseLengthFollowsTheStatusByte)
{
    const struct
    {
        const char* rule;
        std::vector<std::vector<std::uint8_t>> packets;
        Trace expected;
    } cases[] = {
        {"short messages of a packet",
         {{0x90, 0x3C, 0x40, 0x80, 0x3C, 0x00, 0xC1, 0x05, 0xFE}},
         {"midi 90 3C 40", "midi 80 3C 00", "midi C1 05", "midi FE"}},
        {"no running status",
         {{0x90, 0x3C, 0x40, 0x3D, 0x40}, {0x01, 0x02, 0xB0, 0x07, 0x64}},
         {"midi 90 3C 40", "midi B0 07 64"}},
        {"short message cut at the packet end", {{0x90, 0x3C}, {0x40, 0xC0}, {0x90, 0x3C, 0x40}}, {"midi 90 3C 40"}},
        {"status byte inside a short message",
         {{0x90, 0x3C, 0xF0, 0x42, 0xF7, 0xB0, 0xF8, 0x01, 0xC0, 0x90, 0x01, 0x02}},
         {"receiving F0 42 F7", "sysex F0 42 F7", "midi F8", "midi 90 01 02"}},
        {"lone end of exclusive", {{0xF7}}, {"midi F7"}},
        {"sysex in one or several packets",
         {{0xF0, 0x42, 0x30, 0x00, 0xF7}, {0x90, 0x3C, 0x40, 0xF0, 0x42}, {0x30, 0x00}, {0x01, 0xF7, 0x80, 0x3C, 0x00}},
         {"receiving F0 42 30 00 F7", "sysex F0 42 30 00 F7", "midi 90 3C 40", "receiving F0 42", "receiving 30 00",
          "receiving 01 F7", "sysex F0 42 30 00 01 F7", "midi 80 3C 00"}},
        {"timing clock inside a sysex",
         {{0xF0, 0x01, 0xF8, 0x02}, {0xF8, 0x03, 0xF7}},
         {"midi F8", "receiving F0 01 F8 02", "midi F8", "receiving F8 03 F7", "sysex F0 01 02 03 F7"}},
        {"other status bytes drop an open sysex",
         {{0xF0, 0x01, 0xFE, 0x02, 0xF7},
          {0xF0, 0x01, 0x02, 0x90, 0x3C, 0x40, 0x05, 0xF7},
          {0xF0, 0x01},
          {0x90, 0x3C},
          {0x02, 0xF7}},
         {"midi FE", "midi F7", "midi 90 3C 40", "midi F7", "receiving F0 01", "midi F7"}},
        {"start of exclusive restarts inside a packet, continues at its start",
         {{0xF0, 0x01, 0xF0, 0x02, 0xF7}, {0xF0, 0x01}, {0xF0, 0x02, 0xF7, 0xF0, 0x03, 0xF7}},
         {"receiving F0 02 F7", "sysex F0 02 F7", "receiving F0 01", "receiving F0 02 F7", "sysex F0 01 F0 02 F7",
          "receiving F0 03 F7", "sysex F0 03 F7"}},
    };
    for (const auto& c : cases)
    {
        CTRXMidi midi(std::make_shared<platform::VirtualMidiBus>());
        test::CTRXMidiTraceListener listener;
        midi.AddListener(&listener);
        for (const auto& packet : c.packets)
            midi.ParseMidiBytes((int)packet.size(), packet.data());
        EXPECT_EQ(listener.lines(), c.expected) << c.rule;
    }

    // The length of a message follows its status byte.
    const std::pair<std::uint8_t, int> lengths[] = {{0x00, 3}, {0x7F, 3}, {0x80, 3}, {0xBF, 3}, {0xC0, 2}, {0xDF, 2},
                                                    {0xE0, 3}, {0xEF, 3}, {0xF0, 3}, {0xF1, 2}, {0xF2, 3}, {0xF3, 2},
                                                    {0xF4, 3}, {0xF5, 3}, {0xF6, 1}, {0xF7, 1}, {0xF8, 1}, {0xFF, 1}};
    for (const auto& [status, length] : lengths)
        EXPECT_EQ(CTRXMidi::GetMessageLength(status), length) << (int)status;
}

TEST_F(CTRXMidiParserTest, NotifiesListenersInTurnInRegistrationOrder)
{
    // Each listener gets the piece and then the message before the next listener is called.
    Trace trace;
    NamedListener first(trace, "first "), second(trace, "second ");
    midi.RemoveListener(&listener);
    midi.AddListener(&first);
    midi.AddListener(&second);
    parse({0xF0, 0x05, 0xF7});
    midi.RemoveListener(&first);
    parse({0xF0, 0xF7});
    midi.RemoveAllListeners();
    parse({0xF0, 0xF7});
    EXPECT_EQ(trace, (Trace{"first 3", "first sysex", "second 3", "second sysex", "second 2", "second sysex"}));
}

// A device that sends 0xF0 and never 0xF7 must not make memory grow without bound.
TEST_F(CTRXMidiParserTest, IgnoresEmptyCountsParsesLongPacketsWithoutRecursionAndCapsSysExMessages)
{
    const std::uint8_t byte = 0xF7;
    midi.ParseMidiBytes(0, &byte);
    midi.ParseMidiBytes(-3, &byte);
    midi.ParseSysExBytes(0, &byte);
    EXPECT_TRUE(listener.lines().isEmpty());

    std::vector<std::uint8_t> packet;
    for (int i = 0; i < 100000; ++i)
        packet.insert(packet.end(), {0xF0, 0x01, 0xF7, 0xFE});
    midi.ParseMidiBytes((int)packet.size(), packet.data());
    ASSERT_EQ(listener.lines().size(), 200000);

    // A message of the cap is taken, longer ones are dropped and parsing goes on after them.
    std::vector<std::uint8_t> message(CSysExBuffer::defaultMaxSize, 0x11);
    message.front() = 0xF0;
    message.back() = 0xF7;
    parse(message);
    ASSERT_EQ(listener.lines().size(), 200001);
    EXPECT_EQ(listener.lines()[200000].length(), 6 + 3 * (int)message.size() - 1);

    // One byte too many, with a clock byte in the dropped part and a 0xF0 opening a packet.
    std::vector<std::uint8_t> tooLong(CSysExBuffer::defaultMaxSize + 1, 0x11);
    tooLong.front() = 0xF0;
    tooLong[CSysExBuffer::defaultMaxSize - 256] = 0xF0;
    tooLong.back() = 0xF7;
    tooLong.insert(tooLong.end() - 2, 0xF8);
    parse(tooLong);
    parse({0x90, 0x3C, 0x40, 0xF0, 0x01, 0xF7});

    // A message that never ends is dropped too, and a status byte ends its skipping.
    std::vector<std::uint8_t> endless(CSysExBuffer::defaultMaxSize + 100, 0x22);
    endless.front() = 0xF0;
    parse(endless);
    parse({0x33, 0x44, 0xB0, 0x07, 0x10, 0x55, 0xF7});

    auto lines = listener.lines();
    lines.removeRange(0, 199998); // the long packet's last two messages stay
    lines.remove(2);              // the message of the cap, checked above
    EXPECT_EQ(lines, (Trace{"sysex F0 01 F7", "midi FE", "midi F8", "midi 90 3C 40", "sysex F0 01 F7", "midi B0 07 10",
                            "midi F7"}));
}
