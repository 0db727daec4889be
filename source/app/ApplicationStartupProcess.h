#pragma once

#include "midi/MidiDeviceManagerListener.h"

#include <juce_events/juce_events.h>

namespace w40388_application
{
// What runs once the instrument search has ended (or right after start-up when the ports are set
// by hand): it connects the MIDI ports and, the first time only, receives the instrument's user
// data when "AutoReceive" is on. The application object registers it with the MIDI device manager
// for its whole life. Message thread only.
class ApplicationStartupProcess : public midi::MidiDeviceManagerListener, public juce::AsyncUpdater
{
public:
    ApplicationStartupProcess() = default;
    ~ApplicationStartupProcess() override;

    // A search has ended: asks for one update on the message loop.
    void scanFinished() override;
    // Connects (every time); the first time, runs the receive command when "AutoReceive" is true.
    void handleAsyncUpdate() override;

    // True once the one-time step has run (whether or not it received anything).
    bool isStartupDone() const noexcept { return startupDone; }

    // How many instrument searches have ended so far.
    int getNumSearchesFinished() const noexcept { return searchesFinished; }

private:
    bool startupDone = false;
    int searchesFinished = 0;

    JUCE_DECLARE_NON_COPYABLE(ApplicationStartupProcess)
};
} // namespace w40388_application
