#pragma once

#include "data/SlotFamily.h"

#include <functional>
#include <string>
#include <vector>

namespace test
{
// Every record of the four slot lists, spares included, one line each: list, position, state,
// slot index, header bytes and the unit data's size and checksum. Two images are equal when the
// lists hold the same records; a failing comparison names the records that differ.
using SlotListImage = std::vector<std::string>;
SlotListImage imageOf(const w40388_data::UserData& data);

// The module of each tab, in tab order: oscillators, modulation, delay and reverb effects.
inline constexpr UnitModule tabModules[] = {UnitModule::Oscillator, UnitModule::ModulationEffect,
                                            UnitModule::DelayEffect, UnitModule::ReverbEffect};

// Calls fn with the records (spare included) of the module's list.
template <typename Fn> void withRecords(w40388_data::UserData& data, UnitModule module, Fn&& fn)
{
    switch (module)
    {
    case UnitModule::ModulationEffect:
        return fn(data.modFXData);
    case UnitModule::DelayEffect:
        return fn(data.delFXData);
    case UnitModule::ReverbEffect:
        return fn(data.revFXData);
    default:
        return fn(data.oscData);
    }
}

// Fills every list, spare included, with records that differ from list to list and slot to
// slot: position % 3 == 0 a unit loaded from a file, 1 a unit on the instrument at that very
// slot (header only), 2 an empty slot.
void fillDistinctLists(w40388_data::UserData& data);
} // namespace test
