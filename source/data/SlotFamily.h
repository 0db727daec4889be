#pragma once

#include "data/UserData.h"

#include <juce_core/juce_core.h>

#include <cstdio>

namespace w40388_data
{
// printf format of the index-error message of each list.
constexpr const char* slotIndexErrorFormat(UnitModule module) noexcept
{
    switch (module)
    {
    case UnitModule::Oscillator:
        return "User oscillator slot index error: %d\n";
    case UnitModule::ModulationEffect:
        return "User modulation fx slot index error: %d\n";
    case UnitModule::DelayEffect:
        return "User delay fx slot index error: %d\n";
    case UnitModule::ReverbEffect:
        return "User reverb fx slot index error: %d\n";
    case UnitModule::Global:
        break;
    }
    return "User slot index error: %d\n";
}

// The title the list goes by on screen, as its tab shows it.
constexpr const char* listTitle(UnitModule module) noexcept
{
    switch (module)
    {
    case UnitModule::Oscillator:
        return "USER OSCILLATORS";
    case UnitModule::ModulationEffect:
        return "USER MODULATION FX";
    case UnitModule::DelayEffect:
        return "USER DELAY FX";
    case UnitModule::ReverbEffect:
        return "USER REVERB FX";
    case UnitModule::Global:
        break;
    }
    return "";
}

// What tells the four slot lists apart: record type, list within UserData, number of usable slots
// and index-error message. Code that serves all four lists is written once over this.
template <UnitModule Module> struct SlotFamily
{
    using Record = SlotRecord<Module>;
    static constexpr UnitModule module = Module;
    static constexpr int numUsableSlots = w40388_data::numUsableSlots(Module);
    // Position of the spare record that no list shows.
    static constexpr int spareIndex = numUsableSlots;

    static auto& records(UserData& userData) noexcept
    {
        if constexpr (Module == UnitModule::Oscillator)
            return userData.oscData;
        else if constexpr (Module == UnitModule::ModulationEffect)
            return userData.modFXData;
        else if constexpr (Module == UnitModule::DelayEffect)
            return userData.delFXData;
        else
            return userData.revFXData;
    }

    static const auto& records(const UserData& userData) noexcept { return records(const_cast<UserData&>(userData)); }

    // Prints the list's index-error message with the index to standard output.
    static void printIndexError(juce::int64 index)
    {
        std::printf(slotIndexErrorFormat(Module), static_cast<int>(index));
        std::fflush(stdout);
    }

    // The record at a position; a position beyond the usable slots prints the index error and
    // gives the spare record instead.
    static Record& guardedRecord(UserData& userData, juce::int64 position)
    {
        if (position < 0 || position >= numUsableSlots)
        {
            printIndexError(position);
            position = spareIndex;
        }
        return records(userData)[static_cast<std::size_t>(position)];
    }

    static const Record& guardedRecord(const UserData& userData, juce::int64 position)
    {
        return guardedRecord(const_cast<UserData&>(userData), position);
    }
};

using OscSlotFamily = SlotFamily<UnitModule::Oscillator>;
using ModFXSlotFamily = SlotFamily<UnitModule::ModulationEffect>;
using DelFXSlotFamily = SlotFamily<UnitModule::DelayEffect>;
using RevFXSlotFamily = SlotFamily<UnitModule::ReverbEffect>;
} // namespace w40388_data
