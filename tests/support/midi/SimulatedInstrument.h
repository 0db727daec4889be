#pragma once

#include "platform/VirtualMidiBus.h"

#include <juce_core/juce_core.h>

#include <array>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace test
{
// A QTR-3 Digital played in software on the virtual MIDI bus, for tests of everything that
// talks to the instrument. It is one bus device with one source (what it sends) and one
// destination (what it receives), answers the search request, the identity request and the
// maker's slot requests (header request, clear, swap, unit write) the way the real instrument
// does, keeps its own 16 + 16 + 8 + 8 user slots, and can be told to misbehave for chosen
// requests.
//
// Answers leave from the instrument's own sender thread, in order of their due time, so a
// delayed answer never holds up the bus. The instrument answers maker messages only on its
// own channel and family; anything else it records and ignores.
//
// Threads: requests are handled on the bus thread; every public method may be called from
// any thread (the state is guarded by one lock).
//
// Usage:
//     test::SimulatedInstrument instrument(bus);                  // added to the bus at once
//     instrument.setSlot(4, 0, unitDataBlock);                    // oscillator slot 0 holds a unit
//     instrument.addFault({test::SimulatedInstrument::Request::Clear, 1, 3},
//                         test::SimulatedInstrument::Fault::nak()); // refuse clearing modulation slot 3 once
//     ... run the job against the bus ...
//     ASSERT_TRUE(instrument.waitForReceivedCount(2, 5000));
//     EXPECT_EQ(expectedBytes, instrument.getReceivedMessages()[1]);
class SimulatedInstrument
{
public:
    using Bytes = std::vector<juce::uint8>;

    static constexpr juce::uint8 oscillatorModule = 4;
    static constexpr juce::uint8 modulationModule = 1;
    static constexpr juce::uint8 delayModule = 2;
    static constexpr juce::uint8 reverbModule = 3;

    // The requests the instrument understands; Any matches each of them.
    enum class Request
    {
        Any,
        Search,
        Identity,
        SlotHeader,
        Clear,
        Swap,
        DataDump
    };

    // Which requests a fault applies to: module and slot (-1: any) narrow the slot requests;
    // for a swap the slot is its first slot.
    struct Match
    {
        Request request = Request::Any;
        int module = -1;
        int slot = -1;
    };

    // How to answer a matched request. The factories give one misbehaviour each; fields may be
    // combined (a delayed Nak, another family after packets sent before ...).
    struct Fault
    {
        enum class Answer
        {
            Normal,       // carry out the request and answer it
            Nothing,      // carry it out, send no answer
            Lost,         // as if a cable were pulled: not carried out, not answered (still listed as received)
            Nak,          // refuse it: function 0x24
            UserCommError // refuse it with `function` (0x27 to 0x2F)
        };

        Answer answer = Answer::Normal;
        juce::uint8 function = 0x27;
        // Replace the maker byte or family in the answer (the identity and search replies included).
        std::optional<juce::uint8> maker;
        std::optional<juce::uint32> family;
        // The answer leaves this long after the request arrived.
        int delayMs = 0;
        // Packets sent before the answer (in order, each one bus packet), even when no answer follows.
        std::vector<Bytes> before;

        static Fault noAnswer();
        static Fault lost();
        static Fault nak();
        static Fault userCommError(juce::uint8 function);
        static Fault otherMaker(juce::uint8 maker = 0x41);
        static Fault otherFamily(juce::uint32 family = 0x0158);
        static Fault delay(int delayMs);
    };

    // Adds itself to `bus` as device `deviceName` with source "Out" and destination "In".
    explicit SimulatedInstrument(platform::VirtualMidiBus& bus, const juce::String& deviceName = "QTR-3 Digital");
    // Leaves the bus; answers still waiting for their time are dropped.
    ~SimulatedInstrument();

    SimulatedInstrument(const SimulatedInstrument&) = delete;
    SimulatedInstrument& operator=(const SimulatedInstrument&) = delete;

    int getDeviceId() const { return deviceId; }
    platform::MidiEndpointRef getSource() const;
    platform::MidiEndpointRef getDestination() const;
    // Current positions in the bus's source and destination lists (-1 once removed).
    int getSourceIndex() const;
    int getDestinationIndex() const;

    // The MIDI channel (0 to 15) it answers on and names in its identity reply; 0 at first.
    void setChannel(int channel);
    int getChannel() const;

    // Slot contents: a unit's data block as written to it (its first 32 bytes are the header the
    // slot header answer carries); an empty block is an empty slot. Module numbers 1 to 4.
    static int getSlotCount(int module);
    void setSlot(int module, int slot, const juce::MemoryBlock& unitData);
    // A slot holding only a header (what a receive reads back), zero-filled to 32 bytes.
    void setSlotHeader(int module, int slot, const Bytes& header);
    void clearAllSlots();
    juce::MemoryBlock getSlot(int module, int slot) const;
    bool isSlotEmpty(int module, int slot) const;

    // `times` matched requests get the fault (negative: every one from now on). Faults are
    // looked up in the order they were added; the first one that matches is used.
    void addFault(Match match, Fault fault, int times = 1);
    void clearFaults();

    // Every System Exclusive message received, in order, whether answered or not; and every
    // packet of bytes outside one. A message is recorded after it has been handled, so its
    // answer is already on its way when a wait for it returns.
    std::vector<Bytes> getReceivedMessages() const;
    size_t getReceivedCount() const;
    bool waitForReceivedCount(size_t count, int timeoutMs) const;
    void clearReceivedMessages();

    // Every packet the instrument has handed to the bus, in order.
    std::vector<Bytes> getSentPackets() const;
    // Waits until no answer is waiting for its time and the bus has delivered all it was given.
    bool waitUntilAnswersDelivered(int timeoutMs);

    // Makes every answer that is waiting for its time due now. With a long delay this holds an
    // answer until the test has done what it must do while the request is unanswered.
    void releaseDelayedAnswers();

    // Sends one packet out of the instrument's source now, unasked.
    void sendPacket(Bytes packet);

private:
    struct Outgoing
    {
        juce::int64 dueMs = 0;
        juce::uint64 sequence = 0;
        std::vector<Bytes> packets;
    };

    struct FaultEntry
    {
        Match match;
        Fault fault;
        int remaining = 0;
    };

    void receive(const juce::uint8* data, int size);
    Outgoing handleMessage(const Bytes& message);
    std::optional<Request> identify(const Bytes& message, int& module, int& slot) const;
    Fault takeFault(Request request, int module, int slot);
    Bytes carryOut(Request request, const Bytes& message, int module, int slot);
    Bytes makeMakerAnswer(juce::uint8 function, const Bytes& arguments = {}) const;
    Bytes makeSlotHeaderAnswer(int module, int slot) const;
    Bytes makeIdentityReply() const;
    Bytes makeSearchReply(juce::uint8 echo) const;
    Bytes makeRefusal(const Fault& fault) const;
    void applyOverrides(const Fault& fault, Bytes& answer) const;
    juce::MemoryBlock* findSlot(int module, int slot);
    const juce::MemoryBlock* findSlot(int module, int slot) const;
    void schedule(int delayMs, std::vector<Bytes> packets);
    void runSender();

    platform::VirtualMidiBus& bus;
    int deviceId = 0;
    platform::MidiEndpointRef source = platform::noMidiEndpoint;

    mutable std::mutex lock;
    mutable std::condition_variable received;
    std::condition_variable senderWake;
    std::condition_variable senderIdle;

    int channel = 0;
    std::array<std::vector<juce::MemoryBlock>, 5> slots; // by module number; 0 unused
    std::vector<FaultEntry> faults;
    std::vector<Bytes> receivedMessages;
    std::vector<Bytes> sentPackets;
    Bytes gathering;
    bool inSysEx = false;

    std::vector<Outgoing> outgoing;
    juce::uint64 nextSequence = 0;
    bool sending = false;
    bool stopping = false;
    std::thread sender;
};
} // namespace test
