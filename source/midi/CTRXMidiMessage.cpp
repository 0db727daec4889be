#include "midi/CTRXMidiMessage.h"

#include <cstring>

CTRXMidiMessage::CTRXMidiMessage(const std::uint8_t* data, std::uint32_t size)
    : bytes(new std::uint8_t[size == 0 ? 1 : size]), length(size)
{
    if (size > 0)
        std::memcpy(bytes.get(), data, size);
}
