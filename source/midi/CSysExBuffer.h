#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The System Exclusive message being gathered from the input, from its 0xF0 on. Touched
// only by the thread that parses the input.
//
// A message may not grow past maxSize: a device that sends 0xF0 and never 0xF7 would make it
// grow for ever. Past the cap the message is dropped and the rest of it (up to its 0xF7 or
// the next status byte) is skipped.
class CSysExBuffer
{
public:
    // Far above any answer the instrument gives.
    static constexpr std::size_t defaultMaxSize = 1024 * 1024;

    explicit CSysExBuffer(std::size_t maxSize = defaultMaxSize);
    virtual ~CSysExBuffer() = default;

    // Forgets the message and any skipping.
    void Clear();

    // Appends one byte of the open message; false when that passes the cap, which drops the
    // message and starts skipping it.
    bool Append(std::uint8_t byte);

    bool IsInSysEx() const { return inSysEx; }
    void SetInSysEx(bool value) { inSysEx = value; }
    // True while the rest of a dropped message is being skipped.
    bool IsSkipping() const { return skipping; }
    void StopSkipping() { skipping = false; }

    const std::vector<std::uint8_t>& GetBytes() const { return bytes; }
    std::size_t GetMaxSize() const { return maxSize; }

private:
    bool inSysEx = false;
    bool skipping = false;
    std::vector<std::uint8_t> bytes;
    const std::size_t maxSize;
};
