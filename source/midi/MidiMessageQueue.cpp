#include "midi/MidiMessageQueue.h"

namespace midi
{
void MidiMessageQueue::push(const void* bytes, size_t size)
{
    {
        const std::lock_guard<std::mutex> guard(lock);
        entries.emplace_back(bytes, size);
    }
    arrived.notify_all();
}

bool MidiMessageQueue::takeBefore(juce::MemoryBlock& message, Clock::time_point deadline)
{
    std::unique_lock<std::mutex> guard(lock);
    if (!arrived.wait_until(guard, deadline, [this] { return !entries.empty(); }))
        return false;

    message = std::move(entries.front());
    entries.pop_front();
    return true;
}

size_t MidiMessageQueue::size() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return entries.size();
}
} // namespace midi
