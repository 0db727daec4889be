#include "data/SlotRecord.h"

#include <algorithm>
#include <cstring>

namespace w40388_data
{
template <UnitModule Module> SlotRecord<Module>::SlotRecord() = default;

template <UnitModule Module>
SlotRecord<Module>::SlotRecord(const juce::MemoryBlock& unitDataBlock) : unitData(unitDataBlock)
{
    if (unitDataBlock.isEmpty())
        return;

    state = SlotState::Loaded;
    std::memcpy(header.data(), unitDataBlock.getData(), std::min(headerSize, unitDataBlock.getSize()));
}

template <UnitModule Module>
SlotRecord<Module>::SlotRecord(const SlotRecord& other)
    : data::Data(other), unitData(other.unitData), header(other.header), slotIndex(other.slotIndex.load()),
      state(other.state.load())
{
}

template <UnitModule Module> SlotRecord<Module>& SlotRecord<Module>::operator=(const SlotRecord& other)
{
    if (this != &other)
    {
        // juce::MemoryBlock's assignment passes null pointers to memcpy when the source is empty.
        if (other.unitData.isEmpty())
            unitData.reset();
        else
            unitData = other.unitData;
    }

    header = other.header;
    slotIndex = other.slotIndex.load();
    state = other.state.load();
    return *this;
}

template <UnitModule Module> SlotRecord<Module>::~SlotRecord() = default;

template <UnitModule Module> juce::uint16 SlotRecord<Module>::getTarget() const noexcept
{
    // Little-endian, like every word of the header.
    return static_cast<juce::uint16>(header[0] | (header[1] << 8));
}

template class SlotRecord<UnitModule::Oscillator>;
template class SlotRecord<UnitModule::ModulationEffect>;
template class SlotRecord<UnitModule::DelayEffect>;
template class SlotRecord<UnitModule::ReverbEffect>;
} // namespace w40388_data
