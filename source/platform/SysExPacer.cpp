#include "platform/SysExPacer.h"

#include <algorithm>

namespace platform
{
SysExPacer::SysExPacer(std::size_t rate, std::size_t piece)
    : bytesPerSecond(std::max<std::size_t>(rate, 1)), pieceSize(std::clamp<std::size_t>(piece, 1, interfaceBufferSize))
{
}

SysExPacer::Clock::duration SysExPacer::durationOf(std::size_t bytes) const
{
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds((long long)(bytes * 1000000000ull / bytesPerSecond)));
}

SysExPacer::Clock::time_point SysExPacer::nextSendTime(Clock::time_point now) const
{
    return std::max(now, drained);
}

void SysExPacer::sent(std::size_t size, Clock::time_point sentAt)
{
    drained = std::max(drained, sentAt) + durationOf(size);
}

std::size_t SysExPacer::queuedAt(Clock::time_point now) const
{
    if (drained <= now)
        return 0;
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(drained - now).count();
    // Rounded up: a byte partly on the wire still counts.
    return (std::size_t)(((unsigned long long)left * bytesPerSecond + 999999999ull) / 1000000000ull);
}
} // namespace platform
