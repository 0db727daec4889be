#pragma once

#include "midi/CTRXMidi.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace test
{
inline juce::String hex(const std::uint8_t* data, int size)
{
    return juce::String::toHexString(data, size).toUpperCase();
}

// Writes every notification of the port layer down as one line ("midi 90 3C 40",
// "receiving F0 01", "sysex F0 01 F7", "sent 6", and "setup 0 0" when asked), from any
// thread, for the test thread to wait on and compare.
class CTRXMidiTraceListener : public CTRXMidiListener
{
public:
    explicit CTRXMidiTraceListener(bool withPieces = true, bool withSetupChanges = false)
        : pieces(withPieces), setupChanges(withSetupChanges)
    {
    }

    void OnMidiMessage(CTRXMidi*, CTRXMidiMessage* m) override
    {
        add("midi " + hex(m->GetBytes(), (int)m->GetLength()));
    }
    void OnSysExMessage(CTRXMidi*, CTRXMidiMessage* m) override
    {
        add("sysex " + hex(m->GetBytes(), (int)m->GetLength()));
    }
    void OnSysExReceiving(CTRXMidi*, std::int32_t count, const std::uint8_t* bytes) override
    {
        if (pieces)
            add("receiving " + hex(bytes, count));
    }
    void OnSysExSent(CTRXMidi*, std::uint32_t size) override { add("sent " + juce::String(size)); }
    void OnMidiSetupChanged(CTRXMidi*, std::uint32_t id, const void* notification) override
    {
        if (setupChanges)
            add("setup " + juce::String(id) + " " + juce::String(notification == nullptr ? 0 : 1));
    }

    // Waits (bounded) until at least `count` lines were written.
    bool waitFor(int count)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(5), [&] { return trace.size() >= count; });
    }

    juce::StringArray lines()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return trace;
    }

private:
    // Notifies under the lock: a waiter that has seen the line cannot return, and destroy this
    // object, before the notification is done.
    void add(const juce::String& line)
    {
        const std::lock_guard<std::mutex> lock(mutex);
        trace.add(line);
        changed.notify_all();
    }

    const bool pieces;
    const bool setupChanges;
    std::mutex mutex;
    std::condition_variable changed;
    juce::StringArray trace;
};
} // namespace test

namespace juce
{
// Readable failure messages for traces.
inline void PrintTo(const StringArray& lines, std::ostream* os)
{
    *os << "{" << lines.joinIntoString(" | ") << "}";
}
} // namespace juce
