#pragma once

#include "data/UnitHeader.h"

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The byte layout a slot keeps and the instrument receives unchanged:
// header bytes 0-1019, the payload size (u32 little-endian) at 1020, the payload
// from 1024, then 132 zero bytes. The unit-file reader builds and checks blocks;
// slot records, the MIDI jobs and the import flow read them.
struct UnitDataBlock
{
    static constexpr std::size_t headerPartSize = 1020;
    static constexpr std::size_t payloadSizeOffset = 1020;
    static constexpr std::size_t payloadOffset = 1024;
    static constexpr std::size_t tailSize = 132;
    static constexpr std::size_t overhead = payloadOffset + tailSize; // 1156

    // Joins header and payload into a new block of payloadSize + 1156 bytes.
    static juce::MemoryBlock build(const UnitHeader& header, const void* payload, std::size_t payloadSize);

    // Checks the header part (target word, terminated name) and the payload's module tag.
    // Returns true when the block is acceptable; otherwise failureText says why.
    static bool check(const juce::MemoryBlock& block, std::string& failureText);

    // The header as carried by the block (bytes 1020-1023 hold the payload size);
    // a block shorter than 1024 bytes gives the bytes it has, zero-filled.
    static UnitHeader getHeader(const juce::MemoryBlock& block);

    // The payload size word, or 0 for a block too short to hold one.
    static std::uint32_t getPayloadSize(const juce::MemoryBlock& block);

    // "\"name\" v1.00-0 api:1.02-0 did:0000ABCD uid:00000001": the header summary of diagnostics.
    static std::string describeHeader(const UnitHeader& header);
};
