#pragma once

#include "core/ListenerHolder.h"
#include "core/Singleton.h"
#include "midi/CTRXMidi.h"
#include "midi/MidiDeviceManagerListener.h"
#include "midi/MidiDeviceScanner.h"
#include "midi/MidiDeviceScannerListener.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <functional>
#include <memory>

namespace midi
{
// True while an instrument search started by the device manager or by the application shell is
// under way; quitting does nothing meanwhile. Set by whoever starts a search, cleared when the
// manager hears that it ended.
inline std::atomic<bool> scanRunning{false};

// The single MIDI connection: owns the instrument search and the port layer, keeps the
// instrument's family and member, the port mode and the port names, connects the port layer to
// the instrument (the ports the search found, or the ports named in the preferences) and holds
// the lock the progress dialog takes around a job. Once connected the ports stay open until
// Disconnect at shut-down.
//
// Threads: everything runs on the message thread, the lock included.
class MidiDeviceManager : public Singleton<MidiDeviceManager>,
                          public ListenerHolder<MidiDeviceManagerListener>,
                          public MidiDeviceScannerListener,
                          public juce::DeletedAtShutdown
{
public:
    static constexpr juce::uint32 anyId = MidiDeviceScanner::anyId;

    // Makes the search's devices for managers built by the default constructor.
    using ScanDevicesFactory = std::function<std::unique_ptr<MidiScanDevices>()>;

    // The program's manager: the chosen MIDI backend, the search on the devices the factory makes
    // (the framework's MIDI devices unless setScanDevicesFactory chose others).
    MidiDeviceManager();
    // A manager on the given backend and search devices, with the given search timing.
    MidiDeviceManager(std::shared_ptr<platform::MidiBackend> backend, std::unique_ptr<MidiScanDevices> scanDevices,
                      MidiDeviceScanner::Timing scanTiming);
    ~MidiDeviceManager() override;

    // Opens the input and the output; true when both are open (at once when already connected).
    // Automatic mode: until a search has ended, starts one and returns false; afterwards opens the
    // input the reply came in on and the output the instrument echoed. Manual mode: opens the
    // first ports named exactly inPortName and outPortName. Never leaves one port open alone.
    bool Connect();
    // Closes both ports and forgets the port layer's listeners; nothing when not connected.
    void Disconnect();

    bool isConnected() const noexcept { return connected; }

    // Chooses the search devices of managers built later by the default constructor; an empty
    // factory goes back to the framework's devices. Lets a whole application run its search on
    // the same backend as its ports (the virtual bus in tests).
    static void setScanDevicesFactory(ScanDevicesFactory factory);

    MidiDeviceScanner& getScanner() noexcept { return scanner; }
    CTRXMidi& getMidiPort() noexcept { return midiPort; }

    // The search has ended: scanDone, scanRunning cleared, then every listener in list order.
    void scanFinished() override;

    // Set directly by the application shell.
    juce::uint32 familyId = anyId; // the instrument family the search accepts
    juce::uint32 memberId = anyId; // anyId: any member
    bool automatic = true;         // search for the instrument; false: use the named ports
    bool scanDone = false;         // a search has ended since the flag was last cleared
    juce::String inPortName;       // manual mode's input, as GetInPortName gives it
    juce::String outPortName;      // manual mode's output, as GetOutPortName gives it

    // Recursive. Entered and left by the progress dialog around a job's connection and run.
    juce::CriticalSection communicationLock;

private:
    bool connectAutomatically();
    bool connectManually();

    std::shared_ptr<platform::MidiBackend> backend;
    MidiDeviceScanner scanner;
    CTRXMidi midiPort;
    bool connected = false;

    JUCE_DECLARE_NON_COPYABLE(MidiDeviceManager)
};
} // namespace midi
