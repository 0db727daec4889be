#pragma once

#include <juce_core/juce_core.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace midi
{
// The complete System Exclusive messages a request object has received and not yet taken,
// oldest first. The port layer's receive thread appends copies; the job thread takes them,
// blocking until a message arrives or its deadline passes, so a waiting job costs no CPU.
class MidiMessageQueue
{
public:
    using Clock = std::chrono::steady_clock;

    MidiMessageQueue() = default;
    virtual ~MidiMessageQueue() = default;

    // Receive thread: appends a copy of the bytes and wakes a waiting taker.
    void push(const void* bytes, size_t size);

    // Takes the oldest message into `message`. When the queue is empty it waits for one until
    // `deadline`; false when none came in time. A message already queued is taken even when
    // the deadline has passed.
    bool takeBefore(juce::MemoryBlock& message, Clock::time_point deadline);

    size_t size() const;

private:
    mutable std::mutex lock;
    std::condition_variable arrived;
    std::deque<juce::MemoryBlock> entries;

    JUCE_DECLARE_NON_COPYABLE(MidiMessageQueue)
};
} // namespace midi
