#include "midi/MidiDeviceScanner.h"

#include "midi/JuceMidiScanDevices.h"

namespace midi
{
namespace
{
constexpr int searchReplySize = 15;
constexpr juce::uint8 searchRequestHeader[] = {0xF0, 0x42, 0x50, 0x00};
constexpr juce::uint8 searchReplyHeader[] = {0xF0, 0x42, 0x50, 0x01};

// Two 7-bit bytes, low first.
juce::uint32 readId(const juce::uint8* bytes)
{
    return static_cast<juce::uint32>(bytes[0] & 0x7F) | (static_cast<juce::uint32>(bytes[1] & 0x7F) << 8);
}

// Sent on every output; the instrument echoes the index in its reply.
juce::MidiMessage makeSearchRequest(int outputIndex)
{
    const juce::uint8 bytes[] = {searchRequestHeader[0],
                                 searchRequestHeader[1],
                                 searchRequestHeader[2],
                                 searchRequestHeader[3],
                                 static_cast<juce::uint8>(outputIndex & 0x7F),
                                 0xF7};
    return juce::MidiMessage(bytes, static_cast<int>(sizeof(bytes)));
}
} // namespace

MidiDeviceScanner::MidiDeviceScanner() : MidiDeviceScanner(std::make_unique<JuceMidiScanDevices>(), Timing{}) {}

MidiDeviceScanner::MidiDeviceScanner(std::unique_ptr<MidiScanDevices> scanDevices, Timing searchTiming)
    : juce::Thread("MidiDeviceScannerThread"), devices(std::move(scanDevices)), timing(searchTiming),
      timeoutMs(searchTiming.replyTimeoutMs)
{
}

MidiDeviceScanner::~MidiDeviceScanner()
{
    // The search thread uses the outputs: end it before they go.
    signalThreadShouldExit();
    notify();
    waitForThreadToExit(-1);
    cancelPendingUpdate();
    CloseAllDevices();
}

void MidiDeviceScanner::StartScan(const juce::uint32& newFamilyId, const juce::uint32& newMemberId)
{
    timeoutMs = timing.replyTimeoutMs;
    familyId = newFamilyId;
    memberId = newMemberId;

    // A search under way takes this request over and reports when it ends.
    if (isThreadRunning())
        return;

    // Only this function starts the thread, so from here on no report can become pending behind
    // our back. A report still pending belongs to a search whose devices are not yet closed: drop
    // it, so that its close cannot run under the new search, which reports in its place.
    cancelPendingUpdate();

    if (inputs.empty() || outputs.empty())
    {
        // Nothing reusable: at most the one side of a search whose other side failed to open.
        CloseAllDevices();

        juce::Thread::sleep(timing.settleMs);
        inputNames = devices->getInputNames();
        outputNames = devices->getOutputNames();

        if (inputNames.isEmpty() || outputNames.isEmpty())
        {
            triggerAsyncUpdate();
            return;
        }

        openDevices();
    }

    juce::Thread::sleep(timing.settleMs);
    startThread();
}

void MidiDeviceScanner::openDevices()
{
    for (int i = 0; i < inputNames.size(); ++i)
    {
        if (auto input = devices->openInput(i, *this))
        {
            input->start();
            inputs.push_back(std::move(input));
            inputIndices.push_back(i);
        }
    }

    for (int j = 0; j < outputNames.size(); ++j)
    {
        if (auto output = devices->openOutput(j))
        {
            outputs.push_back(std::move(output));
            outputIndices.push_back(j);
        }
    }
}

bool MidiDeviceScanner::hasOpenDevices() const noexcept
{
    return !inputs.empty() || !outputs.empty();
}

void MidiDeviceScanner::CloseAllDevices()
{
    if (!hasOpenDevices())
        return;

    while (!inputs.empty())
        inputs.pop_back();
    while (!outputs.empty())
        outputs.pop_back();

    inputIndices.clear();
    outputIndices.clear();
    inputNames.clear();
    outputNames.clear();

    // Give the system time to let go of the devices before the port layer opens one of them.
    juce::Thread::sleep(timing.closeMs);
}

void MidiDeviceScanner::run()
{
    {
        const juce::ScopedLock lock(replyLock);
        found = false;
        foundInputIndex = -1;
        foundEchoId = -1;
    }

    for (std::size_t k = 0; k < outputs.size(); ++k)
        if (outputs[k] != nullptr)
            outputs[k]->sendMessageNow(makeSearchRequest(outputIndices[k]));

    // The event may still hold a signal from a reply that came too late for an earlier search,
    // so the wait goes on until a reply of this search is in or the time is up.
    const auto deadline = juce::Time::getMillisecondCounterHiRes() + timeoutMs.load();
    while (!found && !threadShouldExit())
    {
        const auto remaining = deadline - juce::Time::getMillisecondCounterHiRes();
        if (remaining <= 0.0)
            break;
        wait(juce::jmax(1, static_cast<int>(std::ceil(remaining))));
    }

    // Last step: the update closes the devices this thread used.
    triggerAsyncUpdate();
}

void MidiDeviceScanner::handleIncomingMidiMessage(int inputIndex, const juce::MidiMessage& message)
{
    if (found || message.getRawDataSize() != searchReplySize)
        return;

    const auto* bytes = message.getRawData();
    if (!std::equal(std::begin(searchReplyHeader), std::end(searchReplyHeader), bytes))
        return;

    if (readId(bytes + 6) != familyId.load())
        return;

    const auto wantedMember = memberId.load();
    if (wantedMember != anyId && readId(bytes + 8) != wantedMember)
        return;

    {
        const juce::ScopedLock lock(replyLock);
        if (found)
            return;
        foundInputIndex = inputIndex;
        foundEchoId = bytes[5] & 0x7F;
        found = true;
    }
    notify();
}

void MidiDeviceScanner::handleAsyncUpdate()
{
    CloseAllDevices();
    callListeners([](MidiDeviceScannerListener& listener) { listener.scanFinished(); });
}
} // namespace midi
