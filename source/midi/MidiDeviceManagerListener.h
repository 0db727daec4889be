#pragma once

namespace midi
{
// Told by the device manager, on the message thread, that an instrument search has ended.
class MidiDeviceManagerListener
{
public:
    virtual ~MidiDeviceManagerListener() = default;
    virtual void scanFinished() {}
};
} // namespace midi
