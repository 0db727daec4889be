#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
#include <vector>

namespace w40388_midi
{
// The System Exclusive messages the librarian exchanges with the instrument, and the 7-bit
// packing of their data. The jobs build their requests here and the answer classification
// (AnalyzedInformation.h) reads the instrument's answers with the same constants.
// Pure functions of their arguments: callable from any thread.

using SysExBytes = std::vector<juce::uint8>;

namespace sysex
{
constexpr juce::uint8 sysExStart = 0xF0;
constexpr juce::uint8 sysExEnd = 0xF7;
constexpr juce::uint8 makerId = 0x42;
constexpr juce::uint8 universalNonRealTime = 0x7E;
constexpr juce::uint8 universalRealTime = 0x7F;
constexpr juce::uint8 allDevices = 0x7F;
constexpr juce::uint8 generalInformation = 0x06;
constexpr juce::uint8 identityRequestId = 0x01;
constexpr juce::uint8 identityReplyId = 0x02;

// Byte 2 of a maker message: this nibble, ORed with the channel.
constexpr juce::uint8 makerMessageFormat = 0x30;
constexpr int makerHeaderSize = 6;
constexpr int functionByteIndex = 6;
constexpr int identityReplySize = 15;

// The instrument's family as the application announces it at start-up.
constexpr juce::uint32 instrumentFamilyId = 343;

// Function bytes (byte 6) of the maker messages.
constexpr juce::uint8 userSlotHeaderRequest = 0x19;
constexpr juce::uint8 clearUserSlot = 0x1B;
constexpr juce::uint8 swapUserSlots = 0x1E;
constexpr juce::uint8 ack = 0x23;
constexpr juce::uint8 nak = 0x24;
constexpr juce::uint8 function25 = 0x25;
constexpr juce::uint8 function26 = 0x26;
constexpr juce::uint8 firstUserCommError = 0x27;
constexpr juce::uint8 lastUserCommError = 0x2F;
constexpr juce::uint8 function47 = 0x47;
constexpr juce::uint8 function48 = 0x48;
constexpr juce::uint8 userSlotHeaderDump = 0x49;
constexpr juce::uint8 userSlotDataDump = 0x4A;

// A slot header answer: 10 bytes for an empty slot, else the 32 header bytes packed
// into 37 bytes from byte 10 on (48 bytes with the closing 0xF7).
constexpr int emptySlotHeaderDumpSize = 10;
constexpr int slotHeaderDumpPackedOffset = 10;
constexpr int slotHeaderSize = 32;
constexpr int slotHeaderPackedSize = 37;
constexpr int fullSlotHeaderDumpSize = slotHeaderDumpPackedOffset + slotHeaderPackedSize + 1;

// A slot data write: the payload starts with its length and a zero word, and is packed from byte 9.
constexpr int userSlotDataDumpPackedOffset = 9;
constexpr int userSlotDataDumpPrefixSize = 8;
} // namespace sysex

// Number of bytes that packing `count` bytes produces: one leading byte per group of seven.
constexpr int getPackedSize(int count)
{
    return count <= 0 ? 0 : count + (count + 6) / 7;
}

// Packs *count bytes of `input` into `output`, which must hold getPackedSize(*count) bytes.
// Every group of up to seven bytes becomes a leading byte carrying the group's top bits
// (bit i for byte i) followed by the group's bytes with bit 7 cleared. Writes nothing when
// *count <= 0; the count is only read.
void packSysExData(juce::uint8* output, const juce::uint8* input, const int* count);

// Reverses packSysExData: reads `packedCount` bytes and writes the unpacked bytes to `output`
// (at most `outputCapacity`). Returns the number of bytes written. A group cut short by the
// end of the input yields the bytes present.
int unpackSysExData(juce::uint8* output, int outputCapacity, const juce::uint8* packed, int packedCount);

// Rebuilds the 32 header bytes that a full slot header answer carries packed from byte 10.
// `message` must hold at least sysex::fullSlotHeaderDumpSize - 1 bytes.
void unpackSlotHeader(const juce::uint8* message, juce::uint8* header);

// Writes F0 42 3c 00 ff ff (c = channel, ff ff = the family's two 7-bit halves) to `output`.
void writeMakerHeader(juce::uint8* output, juce::uint32 familyId, int channel);

SysExBytes makeIdentityRequest();
SysExBytes makeUserSlotHeaderRequest(juce::uint32 familyId, int channel, int module, int slot);
SysExBytes makeClearUserSlot(juce::uint32 familyId, int channel, int module, int slot);
SysExBytes makeSwapUserSlots(juce::uint32 familyId, int channel, int module, int firstSlot, int secondSlot);

// The unit write: header, 4A, module, slot, then packed: the unit data's length (32-bit
// little-endian), a zero word and the unit data itself; 0xF7 closes it.
SysExBytes makeUserSlotDataDump(juce::uint32 familyId, int channel, int module, int slot, const void* unitData,
                                size_t unitDataSize);
SysExBytes makeUserSlotDataDump(juce::uint32 familyId, int channel, int module, int slot,
                                const juce::MemoryBlock& unitData);

// Size of the whole unit-write message for unit data of `unitDataSize` bytes.
size_t getUserSlotDataDumpSize(size_t unitDataSize);
} // namespace w40388_midi
