#include "platform/SysExPacer.h"

#include <gtest/gtest.h>

using platform::SysExPacer;
using std::chrono::microseconds;
using std::chrono::milliseconds;

namespace
{
// Sends a message the way the ALSA output does, always as soon as allowed, and returns the
// send time of each piece relative to the start.
std::vector<long long> sendTimesUs(SysExPacer& pacer, std::size_t messageSize, SysExPacer::Clock::time_point start)
{
    std::vector<long long> times;
    for (std::size_t offset = 0; offset < messageSize; offset += pacer.getPieceSize())
    {
        const auto piece = std::min(pacer.getPieceSize(), messageSize - offset);
        const auto at = pacer.nextSendTime(start);
        EXPECT_LE(pacer.queuedAt(at) + piece, SysExPacer::interfaceBufferSize);
        pacer.sent(piece, at);
        times.push_back(std::chrono::duration_cast<microseconds>(at - start).count());
    }
    return times;
}
} // namespace

TEST(SysExPacer, SendsPiecesNoFasterThanTheCable)
{
    SysExPacer pacer;
    const auto start = SysExPacer::Clock::now();
    // 600 bytes: pieces of 256, 256 and 88, each once the previous one has drained.
    EXPECT_EQ(sendTimesUs(pacer, 600, start), (std::vector<long long>{0, 81920, 163840}));
    EXPECT_EQ(std::chrono::duration_cast<microseconds>(pacer.drainedAt() - start).count(), 192000);
}

TEST(SysExPacer, AMessageLongerThanTheInterfaceBufferTakesItsTimeOnTheWire)
{
    SysExPacer pacer;
    const auto start = SysExPacer::Clock::now();
    const auto times = sendTimesUs(pacer, 20000, start);
    ASSERT_EQ(times.size(), 79u);
    EXPECT_EQ(times.back(), 78 * 81920);
    // 20000 bytes at 3125 bytes per second.
    EXPECT_EQ(std::chrono::duration_cast<milliseconds>(pacer.drainedAt() - start).count(), 6400);
}

TEST(SysExPacer, QueueDrainsAtTheCablesRateAndAnIdleLineStartsAfresh)
{
    SysExPacer pacer;
    const auto start = SysExPacer::Clock::now();
    EXPECT_EQ(pacer.queuedAt(start), 0u);
    pacer.sent(256, start);
    EXPECT_EQ(pacer.queuedAt(start + milliseconds(40)), 131u);
    EXPECT_EQ(pacer.queuedAt(start + milliseconds(82)), 0u);

    const auto later = start + milliseconds(500);
    EXPECT_EQ(pacer.nextSendTime(later), later);
    pacer.sent(6, later);
    EXPECT_EQ(std::chrono::duration_cast<microseconds>(pacer.drainedAt() - later).count(), 1920);
}
