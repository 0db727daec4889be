#include "midi/CTRXMidi.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr std::uint8_t sysExStart = 0xF0;
constexpr std::uint8_t sysExEnd = 0xF7;
constexpr std::uint8_t timingClock = 0xF8;

bool isDataByte(std::uint8_t byte)
{
    return byte < 0x80;
}
} // namespace

CTRXMidi::CTRXMidi() : CTRXMidi(platform::getMidiBackend()) {}

CTRXMidi::CTRXMidi(std::shared_ptr<platform::MidiBackend> midiBackend) : backend(std::move(midiBackend)) {}

CTRXMidi::~CTRXMidi()
{
    CloseOutPort();
    CloseInPort();
    DisposeClient();
}

bool CTRXMidi::Fail(const char* text)
{
    lastFailure = text;
    return false;
}

//==============================================================================
bool CTRXMidi::CreateClient(const char* name)
{
    if (client != nullptr)
        return Fail("Client is already created.");
    if (name == nullptr || !juce::CharPointer_UTF8::isValidString(name, std::numeric_limits<int>::max()))
        return Fail("Failed to create CFString.");

    client = backend->createClient(juce::String::fromUTF8(name), [this] { NotifySetupChanged(); });
    if (client == nullptr)
        return Fail("Failed to call MIDIClientCreate().");
    return true;
}

bool CTRXMidi::DisposeClient()
{
    if (client == nullptr)
        return true;
    // The ports belong to the client and go with it.
    CloseOutPort();
    CloseInPort();
    client.reset();
    return true;
}

//==============================================================================
bool CTRXMidi::OpenInPort(int index)
{
    if (inPort != nullptr)
        return Fail("MIDI IN already opened.");
    if (index < 0 || index >= backend->getNumberOfSources())
        return Fail("Not found MIDI IN device.");

    // Nothing is parsing: no port delivers to us now.
    sysExBuffer.Clear();

    if (client != nullptr)
        inPort = client->createInputPort("TRXMidiInPort",
                                         [this](const std::uint8_t* data, int size) { ParseMidiBytes(size, data); });
    if (inPort == nullptr)
        return Fail("Faild to MIDIInputPortCreate().");

    const auto endpoint = backend->getSource(index);
    if (endpoint == platform::noMidiEndpoint || inPort->connectSource(endpoint).failed())
    {
        inPort.reset();
        source = platform::noMidiEndpoint;
        return Fail("Faild to MIDIPortConnectSource().");
    }
    source = endpoint;
    return true;
}

bool CTRXMidi::OpenOutPort(int index)
{
    if (outPort != nullptr)
        return Fail("MIDI OUT already opened.");
    if (index < 0 || index >= backend->getNumberOfDestinations())
        return Fail("Not found MIDI Out device.");

    if (client != nullptr)
        outPort = client->createOutputPort("TRXMidiOutPort");
    if (outPort == nullptr)
        return Fail("Faild to MIDIOutputPortCreate().");

    destination = backend->getDestination(index);
    return true;
}

void CTRXMidi::CloseInPort()
{
    if (inPort == nullptr)
        return;
    inPort->disconnectSource();
    source = platform::noMidiEndpoint;
    // Waits for a delivery in progress; none follows.
    inPort.reset();
}

void CTRXMidi::CloseOutPort()
{
    // A System Exclusive send still under way is cancelled and completes now.
    outPort.reset();
}

//==============================================================================
juce::String CTRXMidi::GetEndpointDeviceName(platform::MidiEndpointRef endpoint)
{
    juce::String name;
    if (endpoint == platform::noMidiEndpoint || !backend->getDeviceName(endpoint, name))
        return {};
    return name;
}

juce::String CTRXMidi::GetPortName(platform::MidiEndpointRef endpoint)
{
    if (endpoint == platform::noMidiEndpoint)
        return {};
    juce::String endpointName;
    if (!backend->getEndpointName(endpoint, endpointName))
        endpointName.clear();
    return GetEndpointDeviceName(endpoint) + " - " + endpointName;
}

juce::String CTRXMidi::GetInPortName(int index)
{
    return GetPortName(backend->getSource(index));
}

juce::String CTRXMidi::GetOutPortName(int index)
{
    return GetPortName(backend->getDestination(index));
}

//==============================================================================
void CTRXMidi::AddListener(CTRXMidiListener* listener)
{
    const juce::ScopedLock lock(listenerLock);
    listeners.push_back(listener);
}

void CTRXMidi::RemoveListener(CTRXMidiListener* listener)
{
    const juce::ScopedLock lock(listenerLock);
    const auto found = std::find(listeners.begin(), listeners.end(), listener);
    if (found != listeners.end())
        listeners.erase(found);
}

void CTRXMidi::RemoveAllListeners()
{
    const juce::ScopedLock lock(listenerLock);
    listeners.clear();
}

//==============================================================================
void CTRXMidi::SendMessage(const std::uint8_t* bytes, std::uint32_t size)
{
    if (bytes == nullptr || size == 0)
        return;

    if (bytes[0] == sysExStart)
    {
        if (outPort == nullptr)
            return;
        std::vector<std::uint8_t> copy(bytes, bytes + size);
        const auto started =
            outPort->sendSysEx(destination, std::move(copy),
                               [this, size](const juce::Result& result) { SysExSendCompleted(size, result); });
        // A send that has not completed by then goes on in the background; its completion
        // may release the next sender's wait early, which only shortens that wait.
        if (started.wasOk())
            sysExSentEvent.wait(sysExSendWaitMs);
        return;
    }

    std::uint8_t message[3] = {};
    std::memcpy(message, bytes, std::min<std::uint32_t>(size, 3));
    if (outPort == nullptr)
        return;
    outPort->send(destination, message, std::min(GetMessageLength(message[0]), 3));
}

void CTRXMidi::SysExSendCompleted(std::uint32_t size, const juce::Result& result)
{
    if (result.wasOk())
    {
        const juce::ScopedLock lock(listenerLock);
        for (auto* listener : listeners)
            listener->OnSysExSent(this, size);
    }
    sysExSentEvent.signal();
}

void CTRXMidi::NotifySetupChanged()
{
    const juce::ScopedLock lock(listenerLock);
    for (auto* listener : listeners)
        listener->OnMidiSetupChanged(this, 0, nullptr);
}

//==============================================================================
int CTRXMidi::GetMessageLength(std::uint8_t status)
{
    if ((status >= 0xC0 && status <= 0xDF) || status == 0xF1 || status == 0xF3)
        return 2;
    if (status >= 0xF6)
        return 1;
    return 3;
}

void CTRXMidi::NotifyShortMessage(const std::uint8_t* bytes, std::uint32_t size)
{
    const juce::ScopedLock lock(listenerLock);
    CTRXMidiMessage message(bytes, size);
    for (auto* listener : listeners)
        listener->OnMidiMessage(this, &message);
}

void CTRXMidi::ParseMidiBytes(int count, const std::uint8_t* bytes)
{
    // A loop rather than recursion: a packet may hold any number of messages.
    while (count > 0)
    {
        int used = 0;
        if (sysExBuffer.IsInSysEx() || sysExBuffer.IsSkipping())
        {
            used = GatherSysEx(count, bytes);
        }
        else if (isDataByte(bytes[0]))
        {
            // A data byte outside any message: there is no running status.
            used = 1;
        }
        else if (bytes[0] == sysExStart)
        {
            sysExBuffer.Clear();
            used = GatherSysEx(count, bytes);
        }
        else
        {
            const int length = GetMessageLength(bytes[0]);
            if (length > count)
                return; // cut off at the packet end: dropped with the rest of the packet

            // A status byte where a data byte belongs means this message is incomplete: it
            // is dropped and parsing goes on at that status byte, so that what it starts (a
            // System Exclusive answer, say) is not swallowed into a malformed short message.
            used = 1;
            while (used < length && isDataByte(bytes[used]))
                ++used;
            if (used == length)
                NotifyShortMessage(bytes, (std::uint32_t)length);
        }
        bytes += used;
        count -= used;
    }
}

void CTRXMidi::ParseSysExBytes(int count, const std::uint8_t* bytes)
{
    if (count <= 0)
        return;
    const int used = GatherSysEx(count, bytes);
    ParseMidiBytes(count - used, bytes + used);
}

int CTRXMidi::GatherSysEx(int count, const std::uint8_t* bytes)
{
    for (int i = 0; i < count; ++i)
    {
        const auto byte = bytes[i];

        if (sysExBuffer.IsSkipping())
        {
            // The rest of a message that passed the cap: its bytes go nowhere.
            if (isDataByte(byte) || (byte == sysExStart && i == 0))
                continue;
            if (byte == timingClock)
            {
                NotifyShortMessage(&byte, 1);
                continue;
            }
            sysExBuffer.StopSkipping();
            return byte == sysExEnd ? i + 1 : i;
        }

        if (isDataByte(byte) || (byte == sysExStart && i == 0))
        {
            sysExBuffer.Append(byte);
        }
        else if (byte == timingClock)
        {
            NotifyShortMessage(&byte, 1);
        }
        else if (byte == sysExEnd)
        {
            if (!sysExBuffer.Append(byte))
            {
                sysExBuffer.StopSkipping();
                return i + 1;
            }
            sysExBuffer.SetInSysEx(false);

            const juce::ScopedLock lock(listenerLock);
            const auto& gathered = sysExBuffer.GetBytes();
            CTRXMidiMessage message(gathered.data(), (std::uint32_t)gathered.size());
            for (auto* listener : listeners)
            {
                listener->OnSysExReceiving(this, i + 1, bytes);
                listener->OnSysExMessage(this, &message);
            }
            return i + 1;
        }
        else
        {
            // Any other status byte abandons the message without notice and is parsed anew.
            sysExBuffer.Clear();
            return i;
        }
    }

    if (sysExBuffer.IsInSysEx())
    {
        const juce::ScopedLock lock(listenerLock);
        for (auto* listener : listeners)
            listener->OnSysExReceiving(this, count, bytes);
    }
    return count;
}
