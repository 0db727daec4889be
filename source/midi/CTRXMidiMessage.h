#pragma once

#include <cstdint>
#include <memory>

// One message handed to the listeners: a copy of its bytes, valid only during the listener
// call. A listener that keeps a message copies it.
class CTRXMidiMessage
{
public:
    CTRXMidiMessage(const std::uint8_t* data, std::uint32_t size);
    virtual ~CTRXMidiMessage() = default;

    CTRXMidiMessage(const CTRXMidiMessage&) = delete;
    CTRXMidiMessage& operator=(const CTRXMidiMessage&) = delete;

    const std::uint8_t* GetBytes() const { return bytes.get(); }
    std::uint32_t GetLength() const { return length; }

private:
    std::unique_ptr<std::uint8_t[]> bytes;
    std::uint32_t length = 0;
};
