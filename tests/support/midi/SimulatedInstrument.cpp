#include "support/midi/SimulatedInstrument.h"

#include "midi/SysExMessages.h"

#include <algorithm>
#include <chrono>

namespace test
{
namespace sysex = w40388_midi::sysex;

namespace
{
using Clock = std::chrono::steady_clock;

constexpr juce::uint8 searchFormat = 0x50;
constexpr juce::uint8 searchRequestId = 0x00;
constexpr juce::uint8 searchReplyId = 0x01;
constexpr int searchRequestSize = 6;
constexpr int identityRequestSize = 6;
constexpr int slotRequestSize = 10;
constexpr int swapRequestSize = 11;
// What the instrument reports as its member and firmware version.
constexpr juce::uint8 memberBytes[] = {0x03, 0x00};
constexpr juce::uint8 versionBytes[] = {0x01, 0x02, 0x03, 0x00};
// A never-ending message leaves in pieces of this size, as a real interface would send it.

juce::int64 toMs(Clock::time_point time)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}
} // namespace

SimulatedInstrument::Fault SimulatedInstrument::Fault::noAnswer()
{
    Fault fault;
    fault.answer = Answer::Nothing;
    return fault;
}

SimulatedInstrument::Fault SimulatedInstrument::Fault::lost()
{
    Fault fault;
    fault.answer = Answer::Lost;
    return fault;
}

SimulatedInstrument::Fault SimulatedInstrument::Fault::nak()
{
    Fault fault;
    fault.answer = Answer::Nak;
    return fault;
}

SimulatedInstrument::Fault SimulatedInstrument::Fault::userCommError(juce::uint8 function)
{
    Fault fault;
    fault.answer = Answer::UserCommError;
    fault.function = function;
    return fault;
}

SimulatedInstrument::Fault SimulatedInstrument::Fault::otherMaker(juce::uint8 maker)
{
    Fault fault;
    fault.maker = maker;
    return fault;
}

SimulatedInstrument::Fault SimulatedInstrument::Fault::otherFamily(juce::uint32 family)
{
    Fault fault;
    fault.family = family;
    return fault;
}

SimulatedInstrument::Fault SimulatedInstrument::Fault::delay(int delayMs)
{
    Fault fault;
    fault.delayMs = delayMs;
    return fault;
}

SimulatedInstrument::SimulatedInstrument(platform::VirtualMidiBus& busToUse, const juce::String& deviceName)
    : bus(busToUse)
{
    for (int module = 1; module < static_cast<int>(slots.size()); ++module)
        slots[static_cast<size_t>(module)].resize(static_cast<size_t>(getSlotCount(module)));

    // Requests that arrive before the sender runs wait in `outgoing` for it.
    deviceId =
        bus.addDevice(deviceName, {"Out"}, {"In"},
                      [this](platform::MidiEndpointRef, const std::uint8_t* data, int size) { receive(data, size); });
    source = bus.getDeviceSource(deviceId);
    sender = std::thread([this] { runSender(); });
}

SimulatedInstrument::~SimulatedInstrument()
{
    // Leaving the bus first guarantees that no request arrives while the sender stops.
    bus.removeDevice(deviceId);
    {
        const std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    senderWake.notify_all();
    sender.join();
}

platform::MidiEndpointRef SimulatedInstrument::getSource() const
{
    return source;
}

platform::MidiEndpointRef SimulatedInstrument::getDestination() const
{
    return bus.getDeviceDestination(deviceId);
}

int SimulatedInstrument::getSourceIndex() const
{
    return bus.getSourceIndex(getSource());
}

int SimulatedInstrument::getDestinationIndex() const
{
    return bus.getDestinationIndex(getDestination());
}

void SimulatedInstrument::setChannel(int newChannel)
{
    const std::lock_guard<std::mutex> guard(lock);
    channel = newChannel & 0x0F;
}

int SimulatedInstrument::getChannel() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return channel;
}

int SimulatedInstrument::getSlotCount(int module)
{
    switch (module)
    {
    case oscillatorModule:
    case modulationModule:
        return 16;
    case delayModule:
    case reverbModule:
        return 8;
    default:
        return 0;
    }
}

juce::MemoryBlock* SimulatedInstrument::findSlot(int module, int slot)
{
    if (slot < 0 || slot >= getSlotCount(module))
        return nullptr;
    return &slots[static_cast<size_t>(module)][static_cast<size_t>(slot)];
}

const juce::MemoryBlock* SimulatedInstrument::findSlot(int module, int slot) const
{
    return const_cast<SimulatedInstrument*>(this)->findSlot(module, slot);
}

void SimulatedInstrument::setSlot(int module, int slot, const juce::MemoryBlock& unitData)
{
    const std::lock_guard<std::mutex> guard(lock);
    if (auto* found = findSlot(module, slot))
        *found = unitData;
}

void SimulatedInstrument::setSlotHeader(int module, int slot, const Bytes& header)
{
    juce::MemoryBlock block(sysex::slotHeaderSize, true);
    block.copyFrom(header.data(), 0, std::min(header.size(), block.getSize()));
    setSlot(module, slot, block);
}

void SimulatedInstrument::clearAllSlots()
{
    const std::lock_guard<std::mutex> guard(lock);
    for (auto& list : slots)
        for (auto& slot : list)
            slot.reset();
}

juce::MemoryBlock SimulatedInstrument::getSlot(int module, int slot) const
{
    const std::lock_guard<std::mutex> guard(lock);
    const auto* found = findSlot(module, slot);
    return found != nullptr ? *found : juce::MemoryBlock();
}

bool SimulatedInstrument::isSlotEmpty(int module, int slot) const
{
    return getSlot(module, slot).isEmpty();
}

void SimulatedInstrument::addFault(Match match, Fault fault, int times)
{
    if (times == 0)
        return;
    const std::lock_guard<std::mutex> guard(lock);
    faults.push_back({match, std::move(fault), times});
}

void SimulatedInstrument::clearFaults()
{
    const std::lock_guard<std::mutex> guard(lock);
    faults.clear();
}

std::vector<SimulatedInstrument::Bytes> SimulatedInstrument::getReceivedMessages() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return receivedMessages;
}

size_t SimulatedInstrument::getReceivedCount() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return receivedMessages.size();
}

bool SimulatedInstrument::waitForReceivedCount(size_t count, int timeoutMs) const
{
    std::unique_lock<std::mutex> guard(lock);
    return received.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                             [&] { return receivedMessages.size() >= count; });
}

void SimulatedInstrument::clearReceivedMessages()
{
    const std::lock_guard<std::mutex> guard(lock);
    receivedMessages.clear();
}

std::vector<SimulatedInstrument::Bytes> SimulatedInstrument::getSentPackets() const
{
    const std::lock_guard<std::mutex> guard(lock);
    return sentPackets;
}

bool SimulatedInstrument::waitUntilAnswersDelivered(int timeoutMs)
{
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    {
        std::unique_lock<std::mutex> guard(lock);
        if (!senderIdle.wait_until(guard, deadline, [this] { return outgoing.empty() && !sending; }))
            return false;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return bus.waitUntilIdle(static_cast<int>(std::max<juce::int64>(left, 0)));
}

void SimulatedInstrument::releaseDelayedAnswers()
{
    {
        const std::lock_guard<std::mutex> guard(lock);
        const juce::int64 now = toMs(Clock::now());
        for (auto& answer : outgoing)
            answer.dueMs = std::min(answer.dueMs, now);
    }
    senderWake.notify_all();
}

void SimulatedInstrument::sendPacket(Bytes packet)
{
    schedule(0, {std::move(packet)});
}

void SimulatedInstrument::receive(const juce::uint8* data, int size)
{
    std::vector<Bytes> complete;
    Bytes outside;
    {
        const std::lock_guard<std::mutex> guard(lock);
        for (int i = 0; i < size; ++i)
        {
            const juce::uint8 byte = data[i];
            if (inSysEx)
            {
                if (byte < 0x80)
                {
                    gathering.push_back(byte);
                    continue;
                }
                if (byte == sysex::sysExEnd)
                {
                    gathering.push_back(byte);
                    complete.push_back(std::move(gathering));
                    gathering.clear();
                    inSysEx = false;
                    continue;
                }
                if (byte >= 0xF8)
                    continue;
                // Any other status byte abandons the message and stands for itself.
                gathering.clear();
                inSysEx = false;
            }
            if (byte == sysex::sysExStart)
            {
                gathering.assign(1, byte);
                inSysEx = true;
            }
            else
            {
                outside.push_back(byte);
            }
        }
    }

    std::vector<Outgoing> answers;
    for (const auto& message : complete)
        answers.push_back(handleMessage(message));

    // Recording and queueing the answers together: whoever sees an answer also finds its
    // request in the trace, and whoever sees the request in the trace finds its answer queued.
    {
        const std::lock_guard<std::mutex> guard(lock);
        for (auto& message : complete)
            receivedMessages.push_back(std::move(message));
        if (!outside.empty())
            receivedMessages.push_back(std::move(outside));
        for (auto& answer : answers)
        {
            if (answer.packets.empty())
                continue;
            answer.sequence = nextSequence++;
            outgoing.push_back(std::move(answer));
        }
    }
    received.notify_all();
    senderWake.notify_all();
}

std::optional<SimulatedInstrument::Request> SimulatedInstrument::identify(const Bytes& message, int& module,
                                                                          int& slot) const
{
    const size_t size = message.size();
    if (size == searchRequestSize && message[1] == sysex::makerId && message[2] == searchFormat &&
        message[3] == searchRequestId)
        return Request::Search;

    if (size == identityRequestSize && message[1] == sysex::universalNonRealTime &&
        (message[2] == sysex::allDevices || message[2] == channel) && message[3] == sysex::generalInformation &&
        message[4] == sysex::identityRequestId)
        return Request::Identity;

    if (size < 8 || message[1] != sysex::makerId || message[2] != (sysex::makerMessageFormat | channel) ||
        message[3] != 0x00 || (message[4] << 8 | message[5]) != static_cast<int>(sysex::instrumentFamilyId))
        return std::nullopt;

    module = size > 8 ? message[7] : -1;
    slot = size > 9 ? message[8] : -1;
    switch (message[sysex::functionByteIndex])
    {
    case sysex::userSlotHeaderRequest:
        return Request::SlotHeader;
    case sysex::clearUserSlot:
        return Request::Clear;
    case sysex::swapUserSlots:
        return Request::Swap;
    case sysex::userSlotDataDump:
        return Request::DataDump;
    default:
        return std::nullopt;
    }
}

SimulatedInstrument::Fault SimulatedInstrument::takeFault(Request request, int module, int slot)
{
    for (auto entry = faults.begin(); entry != faults.end(); ++entry)
    {
        const Match& match = entry->match;
        if ((match.request != Request::Any && match.request != request) ||
            (match.module >= 0 && match.module != module) || (match.slot >= 0 && match.slot != slot))
            continue;
        Fault fault = entry->fault;
        if (entry->remaining > 0 && --entry->remaining == 0)
            faults.erase(entry);
        return fault;
    }
    return {};
}

SimulatedInstrument::Outgoing SimulatedInstrument::handleMessage(const Bytes& message)
{
    Outgoing answer;
    auto& packets = answer.packets;
    int delayMs = 0;
    {
        const std::lock_guard<std::mutex> guard(lock);
        int module = -1;
        int slot = -1;
        const auto request = identify(message, module, slot);
        if (!request)
            return answer;

        const Fault fault = takeFault(*request, module, slot);
        delayMs = fault.delayMs;
        packets = fault.before;
        Bytes reply;
        if (fault.answer == Fault::Answer::Lost)
            return answer;
        if (fault.answer == Fault::Answer::Normal || fault.answer == Fault::Answer::Nothing)
            reply = carryOut(*request, message, module, slot);
        else
            reply = makeRefusal(fault);

        if (fault.answer != Fault::Answer::Nothing)
        {
            applyOverrides(fault, reply);
            packets.push_back(std::move(reply));
        }
    }
    answer.dueMs = toMs(Clock::now()) + std::max(delayMs, 0);
    return answer;
}

SimulatedInstrument::Bytes SimulatedInstrument::carryOut(Request request, const Bytes& message, int module, int slot)
{
    const Bytes nakAnswer = makeMakerAnswer(sysex::nak);
    const Bytes ackAnswer = makeMakerAnswer(sysex::ack);
    switch (request)
    {
    case Request::Search:
        return makeSearchReply(message[4]);
    case Request::Identity:
        return makeIdentityReply();
    case Request::SlotHeader:
        if (message.size() != slotRequestSize || findSlot(module, slot) == nullptr)
            return nakAnswer;
        return makeSlotHeaderAnswer(module, slot);
    case Request::Clear:
    {
        auto* target = findSlot(module, slot);
        if (message.size() != slotRequestSize || target == nullptr)
            return nakAnswer;
        target->reset();
        return ackAnswer;
    }
    case Request::Swap:
    {
        auto* first = findSlot(module, slot);
        auto* second = message.size() > 9 ? findSlot(module, message[9]) : nullptr;
        if (message.size() != swapRequestSize || first == nullptr || second == nullptr)
            return nakAnswer;
        first->swapWith(*second);
        return ackAnswer;
    }
    case Request::DataDump:
    {
        auto* target = findSlot(module, slot);
        if (target == nullptr || message.size() < static_cast<size_t>(sysex::userSlotDataDumpPackedOffset + 1))
            return nakAnswer;
        const int packedCount = static_cast<int>(message.size()) - sysex::userSlotDataDumpPackedOffset - 1;
        Bytes payload(static_cast<size_t>(packedCount));
        const int unpacked = w40388_midi::unpackSysExData(
            payload.data(), packedCount, message.data() + sysex::userSlotDataDumpPackedOffset, packedCount);
        if (unpacked < sysex::userSlotDataDumpPrefixSize)
            return nakAnswer;
        const juce::uint32 length = static_cast<juce::uint32>(payload[0]) | static_cast<juce::uint32>(payload[1]) << 8 |
                                    static_cast<juce::uint32>(payload[2]) << 16 |
                                    static_cast<juce::uint32>(payload[3]) << 24;
        if (static_cast<juce::uint64>(length) + sysex::userSlotDataDumpPrefixSize !=
            static_cast<juce::uint64>(unpacked))
            return nakAnswer;
        target->replaceAll(payload.data() + sysex::userSlotDataDumpPrefixSize, length);
        return ackAnswer;
    }
    case Request::Any:
        break;
    }
    return nakAnswer;
}

SimulatedInstrument::Bytes SimulatedInstrument::makeMakerAnswer(juce::uint8 function, const Bytes& arguments) const
{
    Bytes message(sysex::makerHeaderSize);
    w40388_midi::writeMakerHeader(message.data(), sysex::instrumentFamilyId, channel);
    message.push_back(function);
    message.insert(message.end(), arguments.begin(), arguments.end());
    message.push_back(sysex::sysExEnd);
    return message;
}

SimulatedInstrument::Bytes SimulatedInstrument::makeSlotHeaderAnswer(int module, int slot) const
{
    const auto& unit = *findSlot(module, slot);
    const auto moduleByte = static_cast<juce::uint8>(module);
    const auto slotByte = static_cast<juce::uint8>(slot);
    if (unit.isEmpty())
        return makeMakerAnswer(sysex::userSlotHeaderDump, {moduleByte, slotByte});

    Bytes header(sysex::slotHeaderSize, 0);
    std::copy_n(static_cast<const juce::uint8*>(unit.getData()), std::min(header.size(), unit.getSize()),
                header.begin());
    Bytes arguments{moduleByte, slotByte, 0x00};
    arguments.resize(arguments.size() + sysex::slotHeaderPackedSize);
    const int count = sysex::slotHeaderSize;
    w40388_midi::packSysExData(arguments.data() + 3, header.data(), &count);
    return makeMakerAnswer(sysex::userSlotHeaderDump, arguments);
}

SimulatedInstrument::Bytes SimulatedInstrument::makeIdentityReply() const
{
    return {sysex::sysExStart,
            sysex::universalNonRealTime,
            static_cast<juce::uint8>(channel),
            sysex::generalInformation,
            sysex::identityReplyId,
            sysex::makerId,
            static_cast<juce::uint8>(sysex::instrumentFamilyId & 0x7F),
            static_cast<juce::uint8>((sysex::instrumentFamilyId >> 8) & 0x7F),
            memberBytes[0],
            memberBytes[1],
            versionBytes[0],
            versionBytes[1],
            versionBytes[2],
            versionBytes[3],
            sysex::sysExEnd};
}

SimulatedInstrument::Bytes SimulatedInstrument::makeSearchReply(juce::uint8 echo) const
{
    return {sysex::sysExStart,
            sysex::makerId,
            searchFormat,
            searchReplyId,
            static_cast<juce::uint8>(channel),
            static_cast<juce::uint8>(echo & 0x7F),
            static_cast<juce::uint8>(sysex::instrumentFamilyId & 0x7F),
            static_cast<juce::uint8>((sysex::instrumentFamilyId >> 8) & 0x7F),
            memberBytes[0],
            memberBytes[1],
            versionBytes[0],
            versionBytes[1],
            versionBytes[2],
            versionBytes[3],
            sysex::sysExEnd};
}

SimulatedInstrument::Bytes SimulatedInstrument::makeRefusal(const Fault& fault) const
{
    switch (fault.answer)
    {
    case Fault::Answer::Nak:
        return makeMakerAnswer(sysex::nak);
    case Fault::Answer::UserCommError:
        return makeMakerAnswer(fault.function);
    case Fault::Answer::Normal:
    case Fault::Answer::Nothing:
    case Fault::Answer::Lost:
        break;
    }
    return {};
}

void SimulatedInstrument::applyOverrides(const Fault& fault, Bytes& answer) const
{
    if (answer.size() < 8)
        return;
    const bool identityReply = answer[1] == sysex::universalNonRealTime;
    const bool searchReply = answer[1] == sysex::makerId && answer[2] == searchFormat;
    if (fault.maker)
        answer[identityReply ? 5 : 1] = *fault.maker;
    if (fault.family)
    {
        const auto low = static_cast<juce::uint8>(*fault.family & 0x7F);
        const auto high = static_cast<juce::uint8>((*fault.family >> 8) & 0x7F);
        if (identityReply || searchReply)
        {
            answer[6] = low;
            answer[7] = high;
        }
        else
        {
            answer[4] = high;
            answer[5] = low;
        }
    }
}

void SimulatedInstrument::schedule(int delayMs, std::vector<Bytes> packets)
{
    {
        const std::lock_guard<std::mutex> guard(lock);
        outgoing.push_back({toMs(Clock::now()) + std::max(delayMs, 0), nextSequence++, std::move(packets)});
    }
    senderWake.notify_all();
}

void SimulatedInstrument::runSender()
{
    std::unique_lock<std::mutex> guard(lock);
    while (!stopping)
    {
        if (outgoing.empty())
        {
            senderIdle.notify_all();
            senderWake.wait(guard);
            continue;
        }

        const auto next = std::min_element(outgoing.begin(), outgoing.end(),
                                           [](const Outgoing& a, const Outgoing& b) {
                                               return a.dueMs != b.dueMs ? a.dueMs < b.dueMs : a.sequence < b.sequence;
                                           });
        const auto due = Clock::time_point(std::chrono::milliseconds(next->dueMs));
        if (due > Clock::now())
        {
            // Woken early by a new answer or by the destructor; the loop looks again.
            senderWake.wait_until(guard, due);
            continue;
        }

        std::vector<Bytes> packets = std::move(next->packets);
        outgoing.erase(next);
        sentPackets.insert(sentPackets.end(), packets.begin(), packets.end());
        sending = true;
        guard.unlock();
        for (auto& packet : packets)
            bus.sendFromSource(source, std::move(packet));
        guard.lock();
        sending = false;
    }
    senderIdle.notify_all();
}
} // namespace test
