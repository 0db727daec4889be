#include "CTRXMidiTraceListener.h"
#include "platform/VirtualMidiBus.h"

#include <initializer_list>

namespace
{
using Trace = juce::StringArray;

class CTRXMidiParserTest : public ::testing::Test
{
protected:
    CTRXMidiParserTest() { midi.AddListener(&listener); }

    void parse(const std::vector<std::uint8_t>& bytes) { midi.ParseMidiBytes((int)bytes.size(), bytes.data()); }

    // Sends a message in packets of at most 256 bytes, as the ALSA sequencer delivers it.
    void parseInPieces(const std::vector<std::uint8_t>& bytes)
    {
        for (std::size_t offset = 0; offset < bytes.size(); offset += 256)
            midi.ParseMidiBytes((int)std::min<std::size_t>(256, bytes.size() - offset), bytes.data() + offset);
    }

    std::shared_ptr<platform::VirtualMidiBus> bus = std::make_shared<platform::VirtualMidiBus>();
    CTRXMidi midi{bus};
    test::CTRXMidiTraceListener listener;
};
} // namespace

TEST(CTRXMidiMessageLength, FollowsTheStatusByte)
{
    const std::pair<std::uint8_t, int> cases[] = {{0x00, 3}, {0x7F, 3}, {0x80, 3}, {0xBF, 3}, {0xC0, 2}, {0xDF, 2},
                                                  {0xE0, 3}, {0xEF, 3}, {0xF0, 3}, {0xF1, 2}, {0xF2, 3}, {0xF3, 2},
                                                  {0xF4, 3}, {0xF5, 3}, {0xF6, 1}, {0xF7, 1}, {0xF8, 1}, {0xFF, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(CTRXMidi::GetMessageLength(c.first), c.second) << (int)c.first;
}

TEST_F(CTRXMidiParserTest, DeliversEachShortMessageOfAPacket)
{
    parse({0x90, 0x3C, 0x40, 0x80, 0x3C, 0x00, 0xC1, 0x05, 0xFE});
    EXPECT_EQ(listener.lines(), (Trace{"midi 90 3C 40", "midi 80 3C 00", "midi C1 05", "midi FE"}));
}

TEST_F(CTRXMidiParserTest, SkipsDataBytesWithoutRunningStatus)
{
    parse({0x90, 0x3C, 0x40, 0x3D, 0x40});
    parse({0x01, 0x02, 0xB0, 0x07, 0x64});
    EXPECT_EQ(listener.lines(), (Trace{"midi 90 3C 40", "midi B0 07 64"}));
}

TEST_F(CTRXMidiParserTest, DropsAShortMessageCutAtThePacketEnd)
{
    parse({0x90, 0x3C});
    parse({0x40, 0xC0});
    parse({0x90, 0x3C, 0x40});
    EXPECT_EQ(listener.lines(), (Trace{"midi 90 3C 40"}));
}

TEST_F(CTRXMidiParserTest, AStatusByteInsideAShortMessageDropsItAndIsParsed)
{
    parse({0x90, 0x3C, 0xF0, 0x42, 0xF7, 0xB0, 0xF8, 0x01, 0xC0, 0x90, 0x01, 0x02});
    EXPECT_EQ(listener.lines(), (Trace{"receiving F0 42 F7", "sysex F0 42 F7", "midi F8", "midi 90 01 02"}));
}

TEST_F(CTRXMidiParserTest, DeliversALoneEndOfExclusiveAsAShortMessage)
{
    parse({0xF7});
    EXPECT_EQ(listener.lines(), (Trace{"midi F7"}));
}

TEST_F(CTRXMidiParserTest, GathersASysExMessageInOneOrSeveralPackets)
{
    parse({0xF0, 0x42, 0x30, 0x00, 0xF7});
    parse({0x90, 0x3C, 0x40, 0xF0, 0x42});
    parse({0x30, 0x00});
    parse({0x01, 0xF7, 0x80, 0x3C, 0x00});
    EXPECT_EQ(listener.lines(),
              (Trace{"receiving F0 42 30 00 F7", "sysex F0 42 30 00 F7", "midi 90 3C 40", "receiving F0 42",
                     "receiving 30 00", "receiving 01 F7", "sysex F0 42 30 00 01 F7", "midi 80 3C 00"}));
}

TEST_F(CTRXMidiParserTest, DeliversTimingClockInsideASysExMessageAndCompletesIt)
{
    parse({0xF0, 0x01, 0xF8, 0x02});
    parse({0xF8, 0x03, 0xF7});
    EXPECT_EQ(listener.lines(),
              (Trace{"midi F8", "receiving F0 01 F8 02", "midi F8", "receiving F8 03 F7", "sysex F0 01 02 03 F7"}));
}

TEST_F(CTRXMidiParserTest, OtherStatusBytesDropTheOpenSysExMessageAndAreParsed)
{
    parse({0xF0, 0x01, 0xFE, 0x02, 0xF7});
    parse({0xF0, 0x01, 0x02, 0x90, 0x3C, 0x40, 0x05, 0xF7});
    parse({0xF0, 0x01});
    parse({0x90, 0x3C});
    parse({0x02, 0xF7});
    EXPECT_EQ(listener.lines(),
              (Trace{"midi FE", "midi F7", "midi 90 3C 40", "midi F7", "receiving F0 01", "midi F7"}));
}

TEST_F(CTRXMidiParserTest, StartOfExclusiveRestartsInsideAPacketButContinuesAtItsStart)
{
    parse({0xF0, 0x01, 0xF0, 0x02, 0xF7});
    parse({0xF0, 0x01});
    parse({0xF0, 0x02, 0xF7, 0xF0, 0x03, 0xF7});
    EXPECT_EQ(listener.lines(), (Trace{"receiving F0 02 F7", "sysex F0 02 F7", "receiving F0 01", "receiving F0 02 F7",
                                       "sysex F0 01 F0 02 F7", "receiving F0 03 F7", "sysex F0 03 F7"}));
}

TEST_F(CTRXMidiParserTest, NotifiesListenersInTurnInRegistrationOrder)
{
    // Each listener gets the piece and then the message before the next listener is called.
    struct Shared : public CTRXMidiListener
    {
        Shared(juce::StringArray& t, juce::String n) : trace(t), name(std::move(n)) {}
        void OnSysExReceiving(CTRXMidi*, std::int32_t count, const std::uint8_t*) override
        {
            trace.add(name + " receiving " + juce::String(count));
        }
        void OnSysExMessage(CTRXMidi*, CTRXMidiMessage*) override { trace.add(name + " sysex"); }
        juce::StringArray& trace;
        juce::String name;
    };
    juce::StringArray trace;
    Shared first(trace, "first"), second(trace, "second");
    midi.RemoveListener(&listener);
    midi.AddListener(&first);
    midi.AddListener(&second);
    parse({0xF0, 0x05, 0xF7});
    midi.RemoveListener(&first);
    parse({0xF0, 0xF7});
    midi.RemoveAllListeners();
    parse({0xF0, 0xF7});
    EXPECT_EQ(trace, (Trace{"first receiving 3", "first sysex", "second receiving 3", "second sysex",
                            "second receiving 2", "second sysex"}));
}

TEST_F(CTRXMidiParserTest, IgnoresEmptyAndNegativeCountsAndParsesLongPacketsWithoutRecursion)
{
    const std::uint8_t byte = 0xF7;
    midi.ParseMidiBytes(0, &byte);
    midi.ParseMidiBytes(-3, &byte);
    midi.ParseSysExBytes(0, &byte);
    EXPECT_TRUE(listener.lines().isEmpty());

    std::vector<std::uint8_t> packet;
    for (int i = 0; i < 100000; ++i)
        packet.insert(packet.end(), {0xF0, 0x01, 0xF7, 0xFE});
    parse(packet);
    const auto lines = listener.lines();
    ASSERT_EQ(lines.size(), 300000);
    EXPECT_EQ(lines[299998], "sysex F0 01 F7");
    EXPECT_EQ(lines[299999], "midi FE");
}

TEST_F(CTRXMidiParserTest, AcceptsASysExMessageOfExactlyTheCap)
{
    test::CTRXMidiTraceListener messages(false);
    midi.RemoveListener(&listener);
    midi.AddListener(&messages);
    std::vector<std::uint8_t> message(CSysExBuffer::defaultMaxSize, 0x11);
    message.front() = 0xF0;
    message.back() = 0xF7;
    parseInPieces(message);
    ASSERT_EQ(messages.lines().size(), 1);
    EXPECT_EQ(messages.lines()[0].length(), 6 + 3 * (int)message.size() - 1);
}

TEST_F(CTRXMidiParserTest, DropsASysExMessagePastTheCapAndParsesOnAfterIt)
{
    test::CTRXMidiTraceListener messages(false);
    midi.RemoveListener(&listener);
    midi.AddListener(&messages);

    // One byte too many, with a clock byte in the dropped part and a 0xF0 opening a packet.
    std::vector<std::uint8_t> tooLong(CSysExBuffer::defaultMaxSize + 1, 0x11);
    tooLong.front() = 0xF0;
    tooLong[CSysExBuffer::defaultMaxSize - 256] = 0xF0;
    tooLong.back() = 0xF7;
    tooLong.insert(tooLong.end() - 2, 0xF8);
    parseInPieces(tooLong);
    parse({0x90, 0x3C, 0x40, 0xF0, 0x01, 0xF7});

    // A message that never ends is dropped too, and a status byte ends its skipping.
    std::vector<std::uint8_t> endless(CSysExBuffer::defaultMaxSize + 100, 0x22);
    endless.front() = 0xF0;
    parseInPieces(endless);
    parse({0x33, 0x44, 0xB0, 0x07, 0x10, 0x55, 0xF7});

    EXPECT_EQ(messages.lines(), (Trace{"midi F8", "midi 90 3C 40", "sysex F0 01 F7", "midi B0 07 10", "midi F7"}));
}
