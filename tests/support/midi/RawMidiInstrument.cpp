#include "support/midi/RawMidiInstrument.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>

namespace test
{
namespace
{
bool writeAll(int fd, const std::uint8_t* data, size_t size)
{
    while (size > 0)
    {
        const auto written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= (size_t)written;
    }
    return true;
}
} // namespace

RawMidiInstrument::RawMidiInstrument(const char* devicePath)
    : instrument(std::make_unique<SimulatedInstrument>(bus, "Raw MIDI instrument"))
{
    const int fd = ::open(devicePath, O_RDWR | O_CLOEXEC | O_NONBLOCK);
    wake = ::eventfd(0, EFD_CLOEXEC);
    if (fd < 0 || wake < 0)
    {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    device = fd;
    answers = bus.openSource(instrument->getSourceIndex(),
                             [this](const std::uint8_t* data, int size)
                             {
                                 const int fd = device.load();
                                 if (fd >= 0)
                                     writeAll(fd, data, (size_t)size);
                             });
    // A virmidi device drops what arrives for it until its first read: read once, now.
    std::uint8_t scratch[64];
    [[maybe_unused]] const auto ignored = ::read(fd, scratch, sizeof(scratch));
    // Writes wait for room; reads follow poll.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    reader = std::thread([this] { readDevice(); });
}

RawMidiInstrument::~RawMidiInstrument()
{
    close();
    if (wake >= 0)
        ::close(wake);
}

void RawMidiInstrument::close()
{
    if (reader.joinable())
    {
        const std::uint64_t one = 1;
        [[maybe_unused]] const auto written = ::write(wake, &one, sizeof(one));
        reader.join();
    }
    answers.reset();
    bus.waitUntilIdle(5000);
    const int fd = device.exchange(-1);
    if (fd >= 0)
        ::close(fd);
}

bool RawMidiInstrument::writeRaw(const SimulatedInstrument::Bytes& bytes)
{
    const int fd = device.load();
    if (fd < 0)
        return false;
    return writeAll(fd, bytes.data(), bytes.size());
}

void RawMidiInstrument::readDevice()
{
    std::uint8_t buffer[4096];
    pollfd fds[] = {{device.load(), POLLIN, 0}, {wake, POLLIN, 0}};
    for (;;)
    {
        if (::poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if ((fds[1].revents & POLLIN) != 0 || (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0)
            return;
        const auto got = ::read(fds[0].fd, buffer, sizeof(buffer));
        if (got > 0)
            bus.sendToDestination(instrument->getDestinationIndex(), buffer, (int)got);
        else if (got == 0 || (errno != EAGAIN && errno != EINTR))
            return;
    }
}
} // namespace test
