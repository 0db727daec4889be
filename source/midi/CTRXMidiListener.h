#pragma once

#include <cstdint>

class CTRXMidi;
class CTRXMidiMessage;

// Receives what the port layer (CTRXMidi) hears and finishes. Every call is made with the
// layer's listener lock held, on the thread that caused it: the input's receive thread for
// messages, the backend's thread for send completions and setup changes. A listener must not
// add or remove listeners from inside a call. Every operation does nothing by default.
class CTRXMidiListener
{
public:
    virtual ~CTRXMidiListener() = default;

    // A short message, or a 0xF8 clock byte met inside a System Exclusive message.
    virtual void OnMidiMessage(CTRXMidi* sender, CTRXMidiMessage* message) {}
    // A complete System Exclusive message, 0xF0 to 0xF7.
    virtual void OnSysExMessage(CTRXMidi* sender, CTRXMidiMessage* message) {}
    // This packet's share of a System Exclusive message: the bytes from where the message
    // began or resumed in the packet, through its 0xF7 or the packet end.
    virtual void OnSysExReceiving(CTRXMidi* sender, std::int32_t count, const std::uint8_t* bytes) {}
    // A System Exclusive send of `size` bytes has completed.
    virtual void OnSysExSent(CTRXMidi* sender, std::uint32_t size) {}
    // The MIDI setup changed (devices came or went); both further arguments are always zero.
    virtual void OnMidiSetupChanged(CTRXMidi* sender, std::uint32_t notificationId, const void* notification) {}
};
