#pragma once

#include "data/Data.h"
#include "data/UnitHeader.h"

#include <juce_core/juce_core.h>

#include <array>
#include <atomic>
#include <cstddef>

namespace w40388_data
{
// What a slot holds.
enum class SlotState : juce::int32
{
    Empty = 0,    // no unit
    Received = 1, // on the instrument in slot slotIndex; only the header is known
    Loaded = 2,   // taken from a unit file (unitData holds it), not yet on the instrument
};

// Usable slots of each list on the instrument; every list has one spare record after them.
constexpr int numUsableSlots(UnitModule module) noexcept
{
    return module == UnitModule::Oscillator || module == UnitModule::ModulationEffect ? 16 : 8;
}

// One slot of one of the four slot lists. The four record classes share this implementation and
// differ only in their module, so a record of one list never converts to another's.
//
// The records live in the data centre and are changed on the message thread through the undoable
// actions; the write job alone updates slotIndex and state of live records from its own thread
// while a modal dialog keeps the message thread away from them. Those two fields are atomic so
// that a repaint reading them meanwhile is well defined.
template <UnitModule Module> class SlotRecord : public data::Data
{
public:
    static constexpr UnitModule module = Module;
    // Bytes of the unit header a record keeps: target, api, dev_id, prg_id, version and name.
    static constexpr std::size_t headerSize = 32;

    // An empty slot.
    SlotRecord();
    // A record taken from a unit data block: Loaded with a copy of the block and of its first 32
    // header bytes; an empty block gives an empty slot.
    explicit SlotRecord(const juce::MemoryBlock& unitDataBlock);
    SlotRecord(const SlotRecord& other);
    SlotRecord& operator=(const SlotRecord& other);
    ~SlotRecord() override;

    // The header's target word (platform in bits 8-14, module in bits 0-6); 0 when unset.
    juce::uint16 getTarget() const noexcept;

    // The unit's UnitDataBlock; empty when the slot is empty or only the header is known.
    juce::MemoryBlock unitData;
    // Copy of bytes 0-31 of the unit header.
    std::array<juce::uint8, headerSize> header{};
    // The instrument slot (0-based) the unit occupies there; -1 for none.
    std::atomic<juce::int32> slotIndex{-1};
    std::atomic<SlotState> state{SlotState::Empty};
};

using UserOscData = SlotRecord<UnitModule::Oscillator>;
using UserModFXData = SlotRecord<UnitModule::ModulationEffect>;
using UserDelFXData = SlotRecord<UnitModule::DelayEffect>;
using UserRevFXData = SlotRecord<UnitModule::ReverbEffect>;

extern template class SlotRecord<UnitModule::Oscillator>;
extern template class SlotRecord<UnitModule::ModulationEffect>;
extern template class SlotRecord<UnitModule::DelayEffect>;
extern template class SlotRecord<UnitModule::ReverbEffect>;
} // namespace w40388_data
