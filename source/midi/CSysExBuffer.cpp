#include "midi/CSysExBuffer.h"

CSysExBuffer::CSysExBuffer(std::size_t maximumSize) : maxSize(maximumSize) {}

void CSysExBuffer::Clear()
{
    bytes.clear();
    inSysEx = false;
    skipping = false;
}

bool CSysExBuffer::Append(std::uint8_t byte)
{
    if (bytes.size() >= maxSize)
    {
        bytes.clear();
        // Give back the memory of the dropped message.
        bytes.shrink_to_fit();
        inSysEx = false;
        skipping = true;
        return false;
    }
    bytes.push_back(byte);
    inSysEx = true;
    return true;
}
