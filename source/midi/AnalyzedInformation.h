#pragma once

#include <juce_core/juce_core.h>

namespace w40388_midi
{
// One classified System Exclusive message from the instrument. The request objects' wait
// classifies every message it takes from its queue and returns the first one of an awaited
// kind, or a copy of noAnswer when the time runs out.
class AnalyzedInformation
{
public:
    enum Kind : int
    {
        BrokenHeader = 0,
        None = 1,
        IdentityReply = 3,
        Function47 = 4,
        Function48 = 5,
        SlotHeader = 6,
        SlotData = 7,
        Function26 = 9,
        Ack = 10,
        Nak = 11,
        UserCommError = 14
    };

    AnalyzedInformation() = default;
    AnalyzedInformation(Kind kindToUse, juce::MemoryBlock dataToUse);
    AnalyzedInformation(const AnalyzedInformation&) = default;
    AnalyzedInformation(AnalyzedInformation&&) noexcept = default;
    // Written out because juce::MemoryBlock's own copy assignment hands memcpy a null pointer
    // when the source block is empty.
    AnalyzedInformation& operator=(const AnalyzedInformation& other);
    AnalyzedInformation& operator=(AnalyzedInformation&&) noexcept = default;
    virtual ~AnalyzedInformation() = default;

    Kind kind = None;

    // IdentityReply: the whole 15-byte reply; SlotHeader: the 32 header bytes; otherwise empty.
    juce::MemoryBlock data;
};

// The "no answer in time" result: kind None, no data.
extern const AnalyzedInformation noAnswer;

// Classifies one complete System Exclusive message (0xF0 ... 0xF7) received from the
// instrument. Maker messages count only when they carry `familyId`; their channel nibble is
// not compared. Never fails: anything foreign, short or unexpected is None (a slot header
// answer of a wrong length is BrokenHeader). Thread-safe; MidiCommunicationTask::analyzeMessage
// calls it with the device manager's family.
AnalyzedInformation analyzeSysExMessage(const juce::uint8* bytes, juce::uint32 length, juce::uint32 familyId);
} // namespace w40388_midi
