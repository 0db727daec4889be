#include "midi/CTRXMidi.h"
#include "platform/VirtualMidiBus.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace
{
juce::String hex(const std::uint8_t* data, int size)
{
    return juce::String::toHexString(data, size).toUpperCase();
}

// Writes every notification down as one line of text, in order.
class TraceListener : public CTRXMidiListener
{
public:
    explicit TraceListener(juce::String prefix = {}) : name(std::move(prefix)) {}

    void OnMidiMessage(CTRXMidi*, CTRXMidiMessage* message) override
    {
        add("midi " + hex(message->GetBytes(), (int)message->GetLength()));
    }
    void OnSysExMessage(CTRXMidi*, CTRXMidiMessage* message) override
    {
        add("sysex " + hex(message->GetBytes(), (int)message->GetLength()));
    }
    void OnSysExReceiving(CTRXMidi*, std::int32_t count, const std::uint8_t* bytes) override
    {
        add("receiving " + hex(bytes, count));
    }

    void add(const juce::String& line) { trace.add(name + line); }

    juce::String name;
    juce::StringArray trace;
};

class CTRXMidiParserTest : public ::testing::Test
{
protected:
    CTRXMidiParserTest() { midi.AddListener(&listener); }

    void parse(std::initializer_list<std::uint8_t> packet)
    {
        const std::vector<std::uint8_t> bytes(packet);
        midi.ParseMidiBytes((int)bytes.size(), bytes.data());
    }

    std::shared_ptr<platform::VirtualMidiBus> bus = std::make_shared<platform::VirtualMidiBus>();
    CTRXMidi midi{bus};
    TraceListener listener;
};

using Trace = juce::StringArray;
} // namespace

TEST(CTRXMidiMessageLength, FollowsTheStatusByte)
{
    for (int value = 0; value < 256; ++value)
    {
        const auto status = (std::uint8_t)value;
        int expected = 3;
        if ((status >= 0xC0 && status <= 0xDF) || status == 0xF1 || status == 0xF3)
            expected = 2;
        else if (status >= 0xF6)
            expected = 1;
        EXPECT_EQ(CTRXMidi::GetMessageLength(status), expected) << value;
    }
    EXPECT_EQ(CTRXMidi::GetMessageLength(0x90), 3);
    EXPECT_EQ(CTRXMidi::GetMessageLength(0xC5), 2);
    EXPECT_EQ(CTRXMidi::GetMessageLength(0xF2), 3);
    EXPECT_EQ(CTRXMidi::GetMessageLength(0xF5), 3);
    EXPECT_EQ(CTRXMidi::GetMessageLength(0xF7), 1);
    EXPECT_EQ(CTRXMidi::GetMessageLength(0x12), 3);
}

TEST_F(CTRXMidiParserTest, DeliversEachShortMessageOfAPacket)
{
    parse({0x90, 0x3C, 0x40, 0x80, 0x3C, 0x00, 0xC1, 0x05, 0xFE});
    EXPECT_EQ(listener.trace, (Trace{"midi 90 3C 40", "midi 80 3C 00", "midi C1 05", "midi FE"}));
}

TEST_F(CTRXMidiParserTest, SkipsDataBytesWithoutRunningStatus)
{
    parse({0x90, 0x3C, 0x40, 0x3D, 0x40});
    parse({0x01, 0x02, 0xB0, 0x07, 0x64});
    EXPECT_EQ(listener.trace, (Trace{"midi 90 3C 40", "midi B0 07 64"}));
}

TEST_F(CTRXMidiParserTest, DropsAShortMessageCutAtThePacketEnd)
{
    parse({0x90, 0x3C});
    parse({0x40, 0xC0});
    parse({0x90, 0x3C, 0x40});
    EXPECT_EQ(listener.trace, (Trace{"midi 90 3C 40"}));
}

TEST_F(CTRXMidiParserTest, AStatusByteInsideAShortMessageDropsItAndIsParsed)
{
    parse({0x90, 0x3C, 0xF0, 0x42, 0xF7, 0xB0, 0xF8, 0x01, 0xC0, 0x90, 0x01, 0x02});
    EXPECT_EQ(listener.trace, (Trace{"receiving F0 42 F7", "sysex F0 42 F7", "midi F8", "midi 90 01 02"}));
}

TEST_F(CTRXMidiParserTest, DeliversALoneEndOfExclusiveAsAShortMessage)
{
    parse({0xF7});
    EXPECT_EQ(listener.trace, (Trace{"midi F7"}));
}

TEST_F(CTRXMidiParserTest, DeliversASysExMessageInOnePacket)
{
    parse({0xF0, 0x42, 0x30, 0x00, 0xF7});
    EXPECT_EQ(listener.trace, (Trace{"receiving F0 42 30 00 F7", "sysex F0 42 30 00 F7"}));
}

TEST_F(CTRXMidiParserTest, GathersASysExMessageSplitOverPackets)
{
    parse({0x90, 0x3C, 0x40, 0xF0, 0x42});
    parse({0x30, 0x00});
    parse({0x01, 0xF7, 0x80, 0x3C, 0x00});
    EXPECT_EQ(listener.trace, (Trace{"midi 90 3C 40", "receiving F0 42", "receiving 30 00", "receiving 01 F7",
                                     "sysex F0 42 30 00 01 F7", "midi 80 3C 00"}));
}

TEST_F(CTRXMidiParserTest, DeliversTimingClockInsideASysExMessageAndCompletesIt)
{
    parse({0xF0, 0x01, 0xF8, 0x02});
    parse({0xF8, 0x03, 0xF7});
    EXPECT_EQ(listener.trace, (Trace{"midi F8", "receiving F0 01 F8 02", "midi F8", "receiving F8 03 F7",
                                     "sysex F0 01 02 03 F7"}));
}

TEST_F(CTRXMidiParserTest, OtherRealTimeBytesInterruptASysExMessage)
{
    parse({0xF0, 0x01, 0xFE, 0x02, 0xF7});
    EXPECT_EQ(listener.trace, (Trace{"midi FE", "midi F7"}));
}

TEST_F(CTRXMidiParserTest, AStatusByteDropsThePartialMessageAndIsParsed)
{
    parse({0xF0, 0x01, 0x02, 0x90, 0x3C, 0x40, 0x05, 0xF7});
    EXPECT_EQ(listener.trace, (Trace{"midi 90 3C 40", "midi F7"}));
}

TEST_F(CTRXMidiParserTest, AStatusByteInALaterPacketDropsTheOpenMessage)
{
    parse({0xF0, 0x01});
    parse({0x90, 0x3C});
    parse({0x02, 0xF7});
    EXPECT_EQ(listener.trace, (Trace{"receiving F0 01", "midi F7"}));
}

TEST_F(CTRXMidiParserTest, StartOfExclusiveInsideAPacketStartsANewMessage)
{
    parse({0xF0, 0x01, 0xF0, 0x02, 0xF7});
    EXPECT_EQ(listener.trace, (Trace{"receiving F0 02 F7", "sysex F0 02 F7"}));
}

TEST_F(CTRXMidiParserTest, StartOfExclusiveOpeningAPacketContinuesTheOpenMessage)
{
    parse({0xF0, 0x01});
    parse({0xF0, 0x02, 0xF7});
    EXPECT_EQ(listener.trace, (Trace{"receiving F0 01", "receiving F0 02 F7", "sysex F0 01 F0 02 F7"}));
}

TEST_F(CTRXMidiParserTest, DeliversBackToBackSysExMessages)
{
    parse({0xF0, 0x01, 0xF7, 0xF0, 0x02, 0x03, 0xF7});
    EXPECT_EQ(listener.trace, (Trace{"receiving F0 01 F7", "sysex F0 01 F7", "receiving F0 02 03 F7",
                                     "sysex F0 02 03 F7"}));
}

TEST_F(CTRXMidiParserTest, NotifiesListenersInTurnInRegistrationOrder)
{
    TraceListener second("second ");
    listener.name = "first ";
    midi.AddListener(&second);
    parse({0xF0, 0x05, 0xF7, 0xB0, 0x01, 0x02});

    const Trace expected{"receiving F0 05 F7", "sysex F0 05 F7", "midi B0 01 02"};
    Trace first, other;
    for (const auto& line : expected)
    {
        first.add("first " + line);
        other.add("second " + line);
    }
    EXPECT_EQ(listener.trace, first);
    EXPECT_EQ(second.trace, other);
    midi.RemoveListener(&second);
}

TEST_F(CTRXMidiParserTest, RemovedListenersHearNothing)
{
    TraceListener other;
    midi.AddListener(&other);
    midi.RemoveListener(&listener);
    midi.RemoveListener(&listener);
    parse({0xF7});
    midi.RemoveAllListeners();
    parse({0xF7});
    EXPECT_TRUE(listener.trace.isEmpty());
    EXPECT_EQ(other.trace, (Trace{"midi F7"}));
}

TEST_F(CTRXMidiParserTest, IgnoresEmptyAndNegativeCounts)
{
    const std::uint8_t byte = 0xF7;
    midi.ParseMidiBytes(0, &byte);
    midi.ParseMidiBytes(-3, &byte);
    midi.ParseSysExBytes(0, &byte);
    EXPECT_TRUE(listener.trace.isEmpty());
}

TEST_F(CTRXMidiParserTest, HandlesAPacketOfManyMessages)
{
    std::vector<std::uint8_t> packet;
    for (int i = 0; i < 100000; ++i)
        packet.insert(packet.end(), {0xF0, 0x01, 0xF7, 0xFE});
    midi.ParseMidiBytes((int)packet.size(), packet.data());
    ASSERT_EQ(listener.trace.size(), 300000);
    EXPECT_EQ(listener.trace[299998], "sysex F0 01 F7");
    EXPECT_EQ(listener.trace[299999], "midi FE");
}

//==============================================================================
namespace
{
class CappedParserTest : public ::testing::Test
{
protected:
    CappedParserTest() { midi.AddListener(&listener); }

    void parse(const std::vector<std::uint8_t>& bytes) { midi.ParseMidiBytes((int)bytes.size(), bytes.data()); }

    // Only complete messages: partial pieces of a large message would swamp the trace.
    struct MessageListener : public CTRXMidiListener
    {
        void OnMidiMessage(CTRXMidi*, CTRXMidiMessage* message) override
        {
            trace.add("midi " + hex(message->GetBytes(), (int)message->GetLength()));
        }
        void OnSysExMessage(CTRXMidi*, CTRXMidiMessage* message) override
        {
            trace.add("sysex " + juce::String(message->GetLength()) + " " +
                      hex(message->GetBytes() + message->GetLength() - 2, 2));
        }
        juce::StringArray trace;
    };

    std::shared_ptr<platform::VirtualMidiBus> bus = std::make_shared<platform::VirtualMidiBus>();
    CTRXMidi midi{bus};
    MessageListener listener;
};

std::vector<std::uint8_t> sysEx(std::size_t totalSize, std::uint8_t last = 0x55)
{
    std::vector<std::uint8_t> bytes(totalSize, 0x11);
    bytes.front() = 0xF0;
    bytes[totalSize - 2] = last;
    bytes.back() = 0xF7;
    return bytes;
}
} // namespace

TEST_F(CappedParserTest, AcceptsAMessageOfExactlyTheCap)
{
    const auto message = sysEx(CSysExBuffer::defaultMaxSize);
    for (std::size_t offset = 0; offset < message.size(); offset += 256)
        midi.ParseMidiBytes(256, message.data() + offset);
    EXPECT_EQ(listener.trace, (Trace{"sysex 1048576 55 F7"}));
}

TEST_F(CappedParserTest, DropsAMessagePastTheCapAndParsesOnAfterIt)
{
    // One byte too many, split over packets with a clock byte in the dropped part.
    auto message = sysEx(CSysExBuffer::defaultMaxSize + 1);
    message.insert(message.end() - 2, 0xF8);
    for (std::size_t offset = 0; offset < message.size(); offset += 256)
        midi.ParseMidiBytes((int)std::min<std::size_t>(256, message.size() - offset), message.data() + offset);
    parse({0x90, 0x3C, 0x40, 0xF0, 0x01, 0xF7});
    EXPECT_EQ(listener.trace, (Trace{"midi F8", "midi 90 3C 40", "sysex 3 01 F7"}));
}

TEST_F(CappedParserTest, AStatusByteEndsTheSkippingOfADroppedMessage)
{
    std::vector<std::uint8_t> endless(CSysExBuffer::defaultMaxSize + 100, 0x22);
    endless.front() = 0xF0;
    parse(endless);
    parse({0x33, 0x44, 0xB0, 0x07, 0x10, 0x55, 0xF7});
    EXPECT_EQ(listener.trace, (Trace{"midi B0 07 10", "midi F7"}));
}

TEST(CSysExBuffer, AppendsUpToItsCapThenDropsAndSkips)
{
    CSysExBuffer buffer(3);
    EXPECT_FALSE(buffer.IsInSysEx());
    EXPECT_TRUE(buffer.Append(0xF0));
    EXPECT_TRUE(buffer.Append(0x01));
    EXPECT_TRUE(buffer.Append(0xF7));
    EXPECT_EQ(buffer.GetBytes(), (std::vector<std::uint8_t>{0xF0, 0x01, 0xF7}));
    EXPECT_TRUE(buffer.IsInSysEx());

    EXPECT_FALSE(buffer.Append(0x02));
    EXPECT_TRUE(buffer.GetBytes().empty());
    EXPECT_FALSE(buffer.IsInSysEx());
    EXPECT_TRUE(buffer.IsSkipping());

    buffer.Clear();
    EXPECT_FALSE(buffer.IsSkipping());
    EXPECT_TRUE(buffer.Append(0xF0));
    EXPECT_EQ(buffer.GetBytes().size(), 1u);
}
