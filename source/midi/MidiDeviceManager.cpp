#include "midi/MidiDeviceManager.h"

#include "midi/JuceMidiScanDevices.h"

namespace midi
{
namespace
{
MidiDeviceManager::ScanDevicesFactory& scanDevicesFactory()
{
    static MidiDeviceManager::ScanDevicesFactory factory;
    return factory;
}

std::unique_ptr<MidiScanDevices> makeScanDevices()
{
    if (const auto& factory = scanDevicesFactory())
        return factory();
    return std::make_unique<JuceMidiScanDevices>();
}
} // namespace

MidiDeviceManager::MidiDeviceManager()
    : MidiDeviceManager(platform::getMidiBackend(), makeScanDevices(), MidiDeviceScanner::Timing{})
{
}

void MidiDeviceManager::setScanDevicesFactory(ScanDevicesFactory factory)
{
    scanDevicesFactory() = std::move(factory);
}

MidiDeviceManager::MidiDeviceManager(std::shared_ptr<platform::MidiBackend> midiBackend,
                                     std::unique_ptr<MidiScanDevices> scanDevices, MidiDeviceScanner::Timing scanTiming)
    : backend(std::move(midiBackend)), scanner(std::move(scanDevices), scanTiming), midiPort(backend)
{
    // Without a MIDI system there is no client; every later open then simply fails.
    midiPort.CreateClient("MidiDevice");
    scanner.addListener(this);
}

MidiDeviceManager::~MidiDeviceManager()
{
    scanner.removeListener(this);
    if (connected)
        Disconnect();
    midiPort.DisposeClient();
}

bool MidiDeviceManager::Connect()
{
    if (connected)
        return true;
    return automatic ? connectAutomatically() : connectManually();
}

bool MidiDeviceManager::connectAutomatically()
{
    if (!scanDone)
    {
        scanRunning = true;
        scanner.StartScan(familyId, memberId);
        return false;
    }

    const int inputIndex = scanner.getFoundInputIndex();
    const int outputIndex = scanner.getFoundEchoId();
    if (inputIndex == -1 || outputIndex == -1)
        return false;

    if (!midiPort.OpenInPort(inputIndex))
        return false;
    if (!midiPort.OpenOutPort(outputIndex))
    {
        midiPort.CloseInPort();
        return false;
    }

    connected = true;
    return true;
}

bool MidiDeviceManager::connectManually()
{
    const int numSources = backend->getNumberOfSources();
    if (numSources <= 0)
        return false;

    int inputIndex = -1;
    for (int i = 0; i < numSources && inputIndex < 0; ++i)
        if (midiPort.GetInPortName(i) == inPortName)
            inputIndex = i;

    if (inputIndex < 0 || !midiPort.OpenInPort(inputIndex))
        return false;

    const int numDestinations = backend->getNumberOfDestinations();
    int outputIndex = -1;
    for (int j = 0; j < numDestinations && outputIndex < 0; ++j)
        if (midiPort.GetOutPortName(j) == outPortName)
            outputIndex = j;

    if (outputIndex < 0 || !midiPort.OpenOutPort(outputIndex))
    {
        midiPort.CloseInPort();
        return false;
    }

    connected = true;
    return true;
}

void MidiDeviceManager::Disconnect()
{
    if (!connected)
        return;

    midiPort.RemoveAllListeners();
    midiPort.CloseInPort();
    midiPort.CloseOutPort();
    connected = false;
}

void MidiDeviceManager::scanFinished()
{
    scanDone = true;
    scanRunning = false;
    callListeners([](MidiDeviceManagerListener& listener) { listener.scanFinished(); });
}
} // namespace midi
