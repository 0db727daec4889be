#pragma once

namespace midi
{
// Told on the message thread that an instrument search has ended, whether or not the
// instrument answered; the outcome is read from the scanner afterwards.
class MidiDeviceScannerListener
{
public:
    virtual ~MidiDeviceScannerListener() = default;
    virtual void scanFinished() = 0;
};
} // namespace midi
