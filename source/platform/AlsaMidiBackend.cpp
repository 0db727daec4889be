#include "platform/AlsaMidiBackend.h"

#include "platform/SysExPacer.h"
#include "platform/Utf8Text.h"

#include <alsa/asoundlib.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <map>
#include <thread>

namespace platform
{
namespace
{
// ALSA prints its own errors (for example "open /dev/snd/seq failed") unless told not to;
// every error we care about is reported through our results instead.
void silentAlsaErrorHandler(const char*, int, const char*, int, const char*, ...) {}

void silenceAlsaErrors()
{
    static std::once_flag once;
    std::call_once(once, [] { snd_lib_error_set_handler(silentAlsaErrorHandler); });
}

snd_seq_t* openSequencer(const juce::String& clientName)
{
    silenceAlsaErrors();
    snd_seq_t* handle = nullptr;
    if (snd_seq_open(&handle, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0)
        return nullptr;
    snd_seq_set_client_name(handle, clientName.toRawUTF8());
    return handle;
}

// The sequencer's largest input pool, in cells of 28 bytes.
constexpr int inputPoolCells = 2000;

juce::Result alsaFailure(const char* what, int error)
{
    return juce::Result::fail(juce::String(what) + ": " + snd_strerror(error));
}

bool isAnnouncement(const snd_seq_event_t& event)
{
    switch (event.type)
    {
    case SND_SEQ_EVENT_CLIENT_START:
    case SND_SEQ_EVENT_CLIENT_EXIT:
    case SND_SEQ_EVENT_CLIENT_CHANGE:
    case SND_SEQ_EVENT_PORT_START:
    case SND_SEQ_EVENT_PORT_EXIT:
    case SND_SEQ_EVENT_PORT_CHANGE:
        return true;
    default:
        return false;
    }
}
} // namespace

//==============================================================================
// One sequencer connection with its receive thread; shared by a client and its ports so
// that either may go first.
struct AlsaMidiBackend::Connection
{
    struct Input
    {
        MidiReadCallback callback;
        int sourceClient = -1;
        int sourcePort = -1;
    };

    snd_seq_t* handle = nullptr;
    int clientId = -1;
    juce::String clientName;
    int announcePort = -1;
    MidiSetupChangedCallback setupChanged;

    std::mutex callbackMutex; // held while a callback runs
    std::mutex stateMutex;    // guards inputs and setupChanged
    std::mutex outputMutex;   // long events are written through one scratch buffer per connection
    std::map<int, Input> inputs;

    int wakeFd = -1;
    std::thread thread;

    ~Connection()
    {
        if (thread.joinable())
        {
            const std::uint64_t one = 1;
            [[maybe_unused]] const auto written = ::write(wakeFd, &one, sizeof(one));
            if (thread.get_id() == std::this_thread::get_id())
                thread.detach();
            else
                thread.join();
        }
        if (wakeFd >= 0)
            ::close(wakeFd);
        if (handle != nullptr)
            snd_seq_close(handle);
    }

    bool isReceiveThread() const { return std::this_thread::get_id() == thread.get_id(); }

    std::unique_lock<std::mutex> lockCallbacks()
    {
        if (isReceiveThread())
            return {};
        return std::unique_lock<std::mutex>(callbackMutex);
    }

    void start()
    {
        wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd >= 0)
            thread = std::thread([this] { receive(); });
    }

    void receive()
    {
        snd_midi_event_t* decoder = nullptr;
        if (snd_midi_event_new(256, &decoder) < 0)
            return;
        // Every packet carries its own status byte: the port layer knows no running status.
        snd_midi_event_no_status(decoder, 1);

        const int count = snd_seq_poll_descriptors_count(handle, POLLIN);
        std::vector<pollfd> fds((size_t)count + 1);
        snd_seq_poll_descriptors(handle, fds.data(), (unsigned int)count, POLLIN);
        fds[(size_t)count] = {wakeFd, POLLIN, 0};
        std::vector<std::uint8_t> buffer(4096);

        for (;;)
        {
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
                break;
            if ((fds[(size_t)count].revents & POLLIN) != 0)
                break;

            snd_seq_event_t* event = nullptr;
            for (;;)
            {
                const int result = snd_seq_event_input(handle, &event);
                if (result == -ENOSPC)
                {
                    overflowed();
                    continue;
                }
                if (result < 0 || event == nullptr)
                    break;
                if (event->type == SND_SEQ_EVENT_SYSEX && event->data.ext.len > buffer.size())
                    buffer.resize(event->data.ext.len);

                snd_midi_event_reset_decode(decoder);
                const long size = snd_midi_event_decode(decoder, buffer.data(), (long)buffer.size(), event);
                dispatch(*event, size > 0 ? size : 0, buffer.data());
            }
        }
        snd_midi_event_free(decoder);
    }

    // The kernel threw away everything queued for us after the queue overflowed. Each input
    // gets a lone undefined status byte (0xF5), which ends a System Exclusive message being
    // gathered (a receiver drops it and what was open), so no message is put together across
    // the gap; parsing carries on with the next message that arrives whole.
    void overflowed()
    {
        std::fprintf(stderr, "MIDI input overflow: the sequencer dropped what was queued for \"%s\"\n",
                     clientName.toRawUTF8());
        const std::uint8_t gap = 0xF5;
        const std::lock_guard<std::mutex> callbacks(callbackMutex);
        std::vector<MidiReadCallback> connected;
        {
            const std::lock_guard<std::mutex> lock(stateMutex);
            for (const auto& input : inputs)
                if (input.second.sourceClient >= 0 && input.second.callback)
                    connected.push_back(input.second.callback);
        }
        for (const auto& callback : connected)
            callback(&gap, 1);
    }

    void dispatch(const snd_seq_event_t& event, long size, const std::uint8_t* bytes)
    {
        const std::lock_guard<std::mutex> callbacks(callbackMutex);

        if (event.dest.port == announcePort)
        {
            MidiSetupChangedCallback callback;
            {
                const std::lock_guard<std::mutex> lock(stateMutex);
                callback = setupChanged;
            }
            if (isAnnouncement(event) && callback)
                callback();
            return;
        }

        if (size <= 0)
            return;

        MidiReadCallback callback;
        {
            const std::lock_guard<std::mutex> lock(stateMutex);
            const auto found = inputs.find(event.dest.port);
            // Only the connected source is heard, even if others write to the port directly.
            if (found == inputs.end() || found->second.sourceClient != event.source.client ||
                found->second.sourcePort != event.source.port)
                return;
            callback = found->second.callback;
        }
        callback(bytes, (int)size);
    }
};

//==============================================================================
class AlsaMidiBackend::InputPort : public MidiInputPort
{
public:
    InputPort(std::shared_ptr<Connection> c, int port) : connection(std::move(c)), portId(port) {}

    ~InputPort() override
    {
        disconnectSource();
        {
            const auto callbacks = connection->lockCallbacks();
            const std::lock_guard<std::mutex> lock(connection->stateMutex);
            connection->inputs.erase(portId);
        }
        snd_seq_delete_simple_port(connection->handle, portId);
    }

    juce::Result connectSource(MidiEndpointRef source) override
    {
        int client = 0, port = 0;
        if (!splitEndpoint(source, client, port))
            return juce::Result::fail("The MIDI endpoint does not exist.");

        disconnectSource();
        const int error = snd_seq_connect_from(connection->handle, portId, client, port);
        if (error < 0)
            return alsaFailure("Cannot connect the MIDI source", error);

        const auto callbacks = connection->lockCallbacks();
        const std::lock_guard<std::mutex> lock(connection->stateMutex);
        auto& input = connection->inputs[portId];
        input.sourceClient = client;
        input.sourcePort = port;
        return juce::Result::ok();
    }

    void disconnectSource() override
    {
        int client = -1, port = -1;
        {
            const auto callbacks = connection->lockCallbacks();
            const std::lock_guard<std::mutex> lock(connection->stateMutex);
            auto& input = connection->inputs[portId];
            std::swap(client, input.sourceClient);
            std::swap(port, input.sourcePort);
        }
        if (client >= 0)
            snd_seq_disconnect_from(connection->handle, portId, client, port);
    }

private:
    std::shared_ptr<Connection> connection;
    const int portId;
};

//==============================================================================
class AlsaMidiBackend::OutputPort : public MidiOutputPort
{
public:
    OutputPort(std::shared_ptr<Connection> c, int port) : connection(std::move(c)), portId(port)
    {
        snd_midi_event_new(16, &encoder);
        sender = std::thread([this] { sendSysExMessages(); });
    }

    ~OutputPort() override
    {
        std::deque<Job> cancelled;
        {
            const std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        if (sender.joinable())
            sender.join();
        {
            const std::lock_guard<std::mutex> lock(mutex);
            cancelled.swap(jobs);
        }
        for (auto& job : cancelled)
            job.completion(juce::Result::fail("The MIDI output port was closed before the send ended."));

        if (encoder != nullptr)
            snd_midi_event_free(encoder);
        snd_seq_delete_simple_port(connection->handle, portId);
    }

    juce::Result send(MidiEndpointRef destination, const std::uint8_t* data, int size) override
    {
        int client = 0, port = 0;
        if (!splitEndpoint(destination, client, port))
            return juce::Result::fail("The MIDI endpoint does not exist.");
        if (data == nullptr || size <= 0 || encoder == nullptr)
            return juce::Result::fail("Nothing to send.");

        const std::lock_guard<std::mutex> lock(encoderMutex);
        snd_midi_event_reset_encode(encoder);
        long remaining = size;
        while (remaining > 0)
        {
            snd_seq_event_t event;
            snd_seq_ev_clear(&event);
            const long used = snd_midi_event_encode(encoder, data, remaining, &event);
            if (used <= 0)
                break;
            data += used;
            remaining -= used;
            if (event.type == SND_SEQ_EVENT_NONE)
                continue; // incomplete message: nothing to send
            const int error = output(event, client, port);
            if (error < 0)
                return alsaFailure("Cannot send the MIDI message", error);
        }
        return juce::Result::ok();
    }

    juce::Result sendSysEx(MidiEndpointRef destination, std::vector<std::uint8_t> message,
                           MidiSysExCompletion completion) override
    {
        int client = 0, port = 0;
        if (!splitEndpoint(destination, client, port))
            return juce::Result::fail("The MIDI endpoint does not exist.");
        if (message.empty())
            return juce::Result::fail("Nothing to send.");
        if (!completion)
            completion = [](const juce::Result&) {};
        {
            const std::lock_guard<std::mutex> lock(mutex);
            jobs.push_back({client, port, std::move(message), std::move(completion)});
        }
        changed.notify_all();
        return juce::Result::ok();
    }

private:
    struct Job
    {
        int client = 0;
        int port = 0;
        std::vector<std::uint8_t> bytes;
        MidiSysExCompletion completion;
    };

    using Clock = SysExPacer::Clock;

    int output(snd_seq_event_t& event, int client, int port)
    {
        subscribeTo(client, port);
        snd_seq_ev_set_source(&event, (unsigned char)portId);
        snd_seq_ev_set_dest(&event, (unsigned char)client, (unsigned char)port);
        snd_seq_ev_set_direct(&event);
        const std::lock_guard<std::mutex> lock(connection->outputMutex);
        return snd_seq_event_output_direct(connection->handle, &event);
    }

    // A port behind a raw MIDI device (a hardware interface, a virmidi device) opens its device
    // only while someone is subscribed to write to it, and ignores events sent to it otherwise;
    // so the port keeps a subscription to the destination it last sent to (deleting the port
    // ends it).
    void subscribeTo(int client, int port)
    {
        const std::lock_guard<std::mutex> lock(subscriptionMutex);
        if (client == subscribedClient && port == subscribedPort)
            return;
        unsubscribe();
        if (snd_seq_connect_to(connection->handle, portId, client, port) == 0)
        {
            subscribedClient = client;
            subscribedPort = port;
        }
    }

    void unsubscribe()
    {
        if (subscribedClient >= 0)
            snd_seq_disconnect_to(connection->handle, portId, subscribedClient, subscribedPort);
        subscribedClient = subscribedPort = -1;
    }

    // Waits until the time or until the port closes; false when it closes.
    bool waitUntil(Clock::time_point when)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return !changed.wait_until(lock, when, [this] { return stopping; });
    }

    // The kernel hands a sequencer event to a hardware port's output buffer and drops what
    // does not fit, so a long message goes out in pieces at the cable's speed.
    void sendSysExMessages()
    {
        SysExPacer pacer;
        const juce::Result closed = juce::Result::fail("The MIDI output port was closed before the send ended.");

        for (;;)
        {
            Job job;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [this] { return stopping || !jobs.empty(); });
                if (stopping)
                    return;
                job = std::move(jobs.front());
                jobs.pop_front();
            }

            juce::Result result = juce::Result::ok();
            for (std::size_t offset = 0; offset < job.bytes.size();)
            {
                const auto piece = std::min(pacer.getPieceSize(), job.bytes.size() - offset);
                if (!waitUntil(pacer.nextSendTime(Clock::now())))
                {
                    result = closed;
                    break;
                }

                snd_seq_event_t event;
                snd_seq_ev_clear(&event);
                snd_seq_ev_set_sysex(&event, (unsigned int)piece, job.bytes.data() + offset);
                int error = output(event, job.client, job.port);
                // The sequencer's own pool is full: give it a moment, within bounds.
                for (int retry = 0; error == -EAGAIN && retry < 100; ++retry)
                {
                    if (!waitUntil(Clock::now() + std::chrono::milliseconds(10)))
                        break;
                    error = output(event, job.client, job.port);
                }
                if (error < 0)
                {
                    result = alsaFailure("Cannot send the System Exclusive message", error);
                    std::fprintf(stderr, "%s\n", result.getErrorMessage().toRawUTF8());
                    break;
                }
                pacer.sent(piece, Clock::now());
                offset += piece;
            }

            if (result.wasOk() && !waitUntil(pacer.drainedAt()))
                result = closed;
            job.completion(result);
        }
    }

    std::shared_ptr<Connection> connection;
    const int portId;
    snd_midi_event_t* encoder = nullptr;
    std::mutex encoderMutex;
    std::mutex subscriptionMutex;
    int subscribedClient = -1;
    int subscribedPort = -1;

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Job> jobs;
    bool stopping = false;
    std::thread sender;
};

//==============================================================================
class AlsaMidiBackend::Client : public MidiClient
{
public:
    explicit Client(std::shared_ptr<Connection> c) : connection(std::move(c)) {}

    ~Client() override
    {
        const auto callbacks = connection->lockCallbacks();
        const std::lock_guard<std::mutex> lock(connection->stateMutex);
        connection->setupChanged = nullptr;
    }

    std::unique_ptr<MidiInputPort> createInputPort(const juce::String& name, MidiReadCallback callback) override
    {
        if (!callback)
            return nullptr;
        // No subscription rights for others: our ports never appear in anyone's device list.
        const int port = snd_seq_create_simple_port(connection->handle, name.toRawUTF8(), SND_SEQ_PORT_CAP_WRITE,
                                                    SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        if (port < 0)
            return nullptr;
        {
            const std::lock_guard<std::mutex> lock(connection->stateMutex);
            connection->inputs[port].callback = std::move(callback);
        }
        return std::make_unique<InputPort>(connection, port);
    }

    std::unique_ptr<MidiOutputPort> createOutputPort(const juce::String& name) override
    {
        const int port = snd_seq_create_simple_port(connection->handle, name.toRawUTF8(), SND_SEQ_PORT_CAP_READ,
                                                    SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        if (port < 0)
            return nullptr;
        return std::make_unique<OutputPort>(connection, port);
    }

private:
    std::shared_ptr<Connection> connection;
};

//==============================================================================
AlsaMidiBackend::AlsaMidiBackend()
{
    silenceAlsaErrors();
}

AlsaMidiBackend::~AlsaMidiBackend()
{
    if (queryHandle != nullptr)
        snd_seq_close(queryHandle);
}

bool AlsaMidiBackend::openQueryHandle()
{
    if (queryHandle == nullptr)
        queryHandle = openSequencer("MidiDevice");
    return queryHandle != nullptr;
}

bool AlsaMidiBackend::isAvailable()
{
    const std::lock_guard<std::mutex> lock(mutex);
    return openQueryHandle();
}

MidiEndpointRef AlsaMidiBackend::makeEndpoint(int client, int port)
{
    return (MidiEndpointRef)(((client + 1) << 8) | (port & 0xFF));
}

bool AlsaMidiBackend::splitEndpoint(MidiEndpointRef endpoint, int& client, int& port)
{
    if (endpoint < 0x100 || endpoint > 0x10000)
        return false;
    client = (int)(endpoint >> 8) - 1;
    port = (int)(endpoint & 0xFF);
    return true;
}

// JUCE's Linux MidiInput / MidiOutput lists walk the sequencer the same way: clients with
// snd_seq_query_next_client from a zeroed client info (so the walk starts after client 0,
// the System client, which is never listed), as many steps as the system's current client
// count; within each client, ports with snd_seq_query_next_port from port -1, as many steps
// as the client's port count; a port counts as an input when it grants SUBS_READ and as an
// output when it grants SUBS_WRITE. Our own ports grant neither (nor do the ones JUCE opens
// for a device), so neither list ever shows them.
std::vector<MidiEndpointRef> AlsaMidiBackend::listEndpoints(bool sources)
{
    std::vector<MidiEndpointRef> endpoints;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!openQueryHandle())
        return endpoints;

    snd_seq_system_info_t* systemInfo = nullptr;
    snd_seq_system_info_alloca(&systemInfo);
    if (snd_seq_system_info(queryHandle, systemInfo) != 0)
        return endpoints;

    snd_seq_client_info_t* clientInfo = nullptr;
    snd_seq_client_info_alloca(&clientInfo);
    snd_seq_port_info_t* portInfo = nullptr;
    snd_seq_port_info_alloca(&portInfo);

    const unsigned int wanted = sources ? SND_SEQ_PORT_CAP_SUBS_READ : SND_SEQ_PORT_CAP_SUBS_WRITE;
    for (int clients = snd_seq_system_info_get_cur_clients(systemInfo); --clients >= 0;)
    {
        if (snd_seq_query_next_client(queryHandle, clientInfo) != 0)
            continue;

        const int client = snd_seq_client_info_get_client(clientInfo);
        snd_seq_port_info_set_client(portInfo, client);
        snd_seq_port_info_set_port(portInfo, -1);

        for (int ports = snd_seq_client_info_get_num_ports(clientInfo); --ports >= 0;)
        {
            if (snd_seq_query_next_port(queryHandle, portInfo) == 0 &&
                (snd_seq_port_info_get_capability(portInfo) & wanted) != 0)
                endpoints.push_back(makeEndpoint(client, snd_seq_port_info_get_port(portInfo)));
        }
    }
    return endpoints;
}

int AlsaMidiBackend::getNumberOfSources()
{
    return (int)listEndpoints(true).size();
}

int AlsaMidiBackend::getNumberOfDestinations()
{
    return (int)listEndpoints(false).size();
}

MidiEndpointRef AlsaMidiBackend::getSource(int index)
{
    const auto list = listEndpoints(true);
    return index >= 0 && index < (int)list.size() ? list[(size_t)index] : noMidiEndpoint;
}

MidiEndpointRef AlsaMidiBackend::getDestination(int index)
{
    const auto list = listEndpoints(false);
    return index >= 0 && index < (int)list.size() ? list[(size_t)index] : noMidiEndpoint;
}

bool AlsaMidiBackend::getEndpointName(MidiEndpointRef endpoint, juce::String& name)
{
    int client = 0, port = 0;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!splitEndpoint(endpoint, client, port) || !openQueryHandle())
        return false;

    snd_seq_port_info_t* portInfo = nullptr;
    snd_seq_port_info_alloca(&portInfo);
    if (snd_seq_get_any_port_info(queryHandle, client, port, portInfo) != 0)
        return false;
    name = decodeUtf8Text(snd_seq_port_info_get_name(portInfo));
    return true;
}

bool AlsaMidiBackend::getDeviceName(MidiEndpointRef endpoint, juce::String& name)
{
    int client = 0, port = 0;
    const std::lock_guard<std::mutex> lock(mutex);
    if (!splitEndpoint(endpoint, client, port) || !openQueryHandle())
        return false;

    snd_seq_client_info_t* clientInfo = nullptr;
    snd_seq_client_info_alloca(&clientInfo);
    if (snd_seq_get_any_client_info(queryHandle, client, clientInfo) != 0)
        return false;
    name = decodeUtf8Text(snd_seq_client_info_get_name(clientInfo));
    return true;
}

std::unique_ptr<MidiClient> AlsaMidiBackend::createClient(const juce::String& name,
                                                          MidiSetupChangedCallback setupChanged)
{
    auto connection = std::make_shared<Connection>();
    connection->handle = openSequencer(name);
    if (connection->handle == nullptr)
        return nullptr;

    connection->clientId = snd_seq_client_id(connection->handle);
    connection->clientName = name;
    // The default input pool holds about 5.5 KB: a longer System Exclusive event sent to us
    // whole fails at its sender, and a burst from a device overflows while the receive thread
    // catches up. The largest pool holds tens of KiB.
    snd_seq_set_client_pool_input(connection->handle, inputPoolCells);
    connection->setupChanged = std::move(setupChanged);

    // The System client announces every client and port that comes, goes or changes.
    connection->announcePort = snd_seq_create_simple_port(connection->handle, "Announcements", SND_SEQ_PORT_CAP_WRITE,
                                                          SND_SEQ_PORT_TYPE_APPLICATION);
    if (connection->announcePort >= 0)
        snd_seq_connect_from(connection->handle, connection->announcePort, SND_SEQ_CLIENT_SYSTEM,
                             SND_SEQ_PORT_SYSTEM_ANNOUNCE);

    connection->start();
    if (!connection->thread.joinable())
        return nullptr;
    return std::make_unique<Client>(std::move(connection));
}
} // namespace platform
