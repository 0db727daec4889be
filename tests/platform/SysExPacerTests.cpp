#include "platform/SysExPacer.h"

#include <gtest/gtest.h>

#include <tuple>
#include <utility>

using platform::SysExPacer;
using std::chrono::microseconds;
using std::chrono::milliseconds;

TEST(SysExPacer, SendsPiecesNoFasterThanTheCableEvenPastTheInterfaceBufferAndQueueDrainsAtTheCablesRate)
{
    // Message size, pieces of 256 bytes each sent once the previous one has drained, and the
    // time the line is idle again at 3125 bytes per second.
    const std::tuple<std::size_t, std::size_t, long long> cases[] = {{600, 3, 192000}, {20000, 79, 6400000}};
    for (const auto& [size, pieces, drainedUs] : cases)
    {
        SysExPacer pacer;
        const auto start = SysExPacer::Clock::now();
        // Sent the way the ALSA output does, always as soon as allowed.
        std::size_t sent = 0;
        for (std::size_t offset = 0; offset < size; offset += pacer.getPieceSize(), ++sent)
        {
            const auto piece = std::min(pacer.getPieceSize(), size - offset);
            const auto at = pacer.nextSendTime(start);
            EXPECT_LE(pacer.queuedAt(at) + piece, SysExPacer::interfaceBufferSize);
            EXPECT_EQ(std::chrono::duration_cast<microseconds>(at - start).count(), (long long)sent * 81920) << size;
            pacer.sent(piece, at);
        }
        EXPECT_EQ(sent, pieces) << size;
        EXPECT_EQ(std::chrono::duration_cast<microseconds>(pacer.drainedAt() - start).count(), drainedUs) << size;
    }

    // The queue drains at the cable's rate; a byte part way onto the wire still holds its place
    // (one byte takes 320 us), and an idle line starts afresh.
    SysExPacer pacer;
    const auto start = SysExPacer::Clock::now();
    EXPECT_EQ(pacer.queuedAt(start), 0u);
    pacer.sent(256, start);
    const std::pair<long long, std::size_t> queued[] = {{40000, 131}, {40100, 131}, {81900, 1}, {82000, 0}};
    for (const auto& [afterUs, bytes] : queued)
        EXPECT_EQ(pacer.queuedAt(start + microseconds(afterUs)), bytes) << afterUs;

    // Pieces recorded at one instant drain one after the other.
    SysExPacer burst;
    burst.sent(256, start);
    burst.sent(256, start);
    EXPECT_EQ(burst.queuedAt(start), 512u);
    EXPECT_EQ(std::chrono::duration_cast<microseconds>(burst.drainedAt() - start).count(), 163840);

    const auto later = start + milliseconds(500);
    EXPECT_EQ(pacer.nextSendTime(later), later);
    pacer.sent(6, later);
    EXPECT_EQ(std::chrono::duration_cast<microseconds>(pacer.drainedAt() - later).count(), 1920);
}
