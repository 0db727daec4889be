#pragma once

#include <chrono>
#include <cstddef>

namespace platform
{
// Times the pieces of System Exclusive messages so that they leave no faster than a MIDI
// cable carries them: a hardware interface's output buffer (about 4 KiB) silently drops what
// does not fit. Each piece may go once everything before it has drained at the byte rate,
// so at most one piece is ever waiting in the interface. Used by the ALSA output's sending
// thread; holds no lock.
class SysExPacer
{
public:
    using Clock = std::chrono::steady_clock;

    static constexpr std::size_t defaultPieceSize = 256;
    static constexpr std::size_t defaultBytesPerSecond = 3125;
    static constexpr std::size_t interfaceBufferSize = 4096;

    explicit SysExPacer(std::size_t bytesPerSecond = defaultBytesPerSecond, std::size_t pieceSize = defaultPieceSize);

    std::size_t getPieceSize() const { return pieceSize; }

    // When the next piece may leave, seen at `now`.
    Clock::time_point nextSendTime(Clock::time_point now) const;
    // Records that a piece of `size` bytes left at `sentAt`.
    void sent(std::size_t size, Clock::time_point sentAt);
    // When everything sent so far has left the interface.
    Clock::time_point drainedAt() const { return drained; }
    // Bytes sent but not yet drained at `now`.
    std::size_t queuedAt(Clock::time_point now) const;

private:
    Clock::duration durationOf(std::size_t bytes) const;

    const std::size_t bytesPerSecond;
    const std::size_t pieceSize;
    Clock::time_point drained{};
};
} // namespace platform
