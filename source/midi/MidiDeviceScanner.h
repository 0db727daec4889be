#pragma once

#include "core/ListenerHolder.h"
#include "midi/MidiDeviceScannerListener.h"
#include "midi/MidiScanDevices.h"

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>
#include <vector>

namespace midi
{
// Finds the instrument: opens every MIDI input and output, sends the search request on every output
// (each carrying its own output index) and waits for a reply on any input. The reply tells which
// input it came in on and, by the echoed index, which output reached the instrument. The device
// manager owns it and opens those two ports through the port layer afterwards.
//
// Threads: StartScan, the close of the devices and the listeners' scanFinished run on the message
// thread; the requests are sent and the reply awaited on "MidiDeviceScannerThread"; replies arrive
// on the inputs' threads. The reply fields may be read from any thread; they are meaningful after
// scanFinished.
class MidiDeviceScanner : public ListenerHolder<MidiDeviceScannerListener>,
                          private juce::Thread,
                          private MidiScanInputCallback,
                          private juce::AsyncUpdater
{
public:
    // The pauses and the reply wait. The program always uses the defaults.
    struct Timing
    {
        int settleMs = 100;        // before reading the device lists, and before starting the thread
        int closeMs = 300;         // after closing the devices
        int replyTimeoutMs = 2500; // longest wait for a reply
    };

    static constexpr juce::uint32 anyId = 0xFFFFFFFF;

    // Searches the devices the framework's MIDI classes see.
    MidiDeviceScanner();
    MidiDeviceScanner(std::unique_ptr<MidiScanDevices> devices, Timing timing);
    ~MidiDeviceScanner() override;

    using ListenerHolder<MidiDeviceScannerListener>::addListener;
    using ListenerHolder<MidiDeviceScannerListener>::removeListener;
    // The search thread: running while the requests go out and the reply is awaited.
    using juce::Thread::isThreadRunning;
    using juce::Thread::waitForThreadToExit;

    // Begins a search for an instrument of familyId (and memberId, unless it is anyId). Blocks the
    // message thread for the two settle pauses. Ends in scanFinished of every listener; with no
    // input or no output that happens without opening anything and the previous result stays.
    // A search already under way takes the new request over. A search that has ended but whose
    // devices are not yet closed is carried on by this one on the same, still open, devices: its
    // own report is folded into this search's, so devices are never closed under a running search.
    void StartScan(const juce::uint32& familyId, const juce::uint32& memberId);

    bool isFound() const noexcept { return found.load(); }
    // Input-list index of the input the reply came in on; -1 when none.
    int getFoundInputIndex() const noexcept { return foundInputIndex.load(); }
    // Output index echoed by the instrument (7 bits); -1 when none.
    int getFoundEchoId() const noexcept { return foundEchoId.load(); }

private:
    void run() override;
    void handleAsyncUpdate() override;
    void handleIncomingMidiMessage(int inputIndex, const juce::MidiMessage& message) override;

    bool hasOpenDevices() const noexcept;
    void openDevices();
    void CloseAllDevices();

    std::unique_ptr<MidiScanDevices> devices;
    const Timing timing;

    // Changed on the message thread only, and never while the search thread runs.
    std::vector<std::unique_ptr<MidiScanInput>> inputs;
    std::vector<int> inputIndices;
    std::vector<std::unique_ptr<MidiScanOutput>> outputs;
    std::vector<int> outputIndices;
    juce::StringArray inputNames;
    juce::StringArray outputNames;

    std::atomic<juce::uint32> familyId{anyId};
    std::atomic<juce::uint32> memberId{anyId};
    std::atomic<int> timeoutMs{2500};

    // Written on an input thread (or reset by the search thread) and read anywhere. The lock makes
    // "first matching reply wins" hold when replies come in on several threads at once.
    juce::CriticalSection replyLock;
    std::atomic<bool> found{false};
    std::atomic<int> foundInputIndex{-1};
    std::atomic<int> foundEchoId{-1};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(MidiDeviceScanner)
};
} // namespace midi
