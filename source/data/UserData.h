#pragma once

#include "data/Data.h"
#include "data/SlotRecord.h"

#include <array>

namespace w40388_data
{
// The four slot lists of the document, each a fixed array of its usable slots and one spare
// (an out-of-range index that some operations clamp lands on the spare instead of outside the
// array). Position i is user slot i, shown as number i + 1.
//
// Copying copies every record, spares included; assignment copies only the usable records and
// leaves the target's spares as they were.
class UserData : public data::Data
{
public:
    static constexpr int numOscSlots = numUsableSlots(UnitModule::Oscillator);
    static constexpr int numModFXSlots = numUsableSlots(UnitModule::ModulationEffect);
    static constexpr int numDelFXSlots = numUsableSlots(UnitModule::DelayEffect);
    static constexpr int numRevFXSlots = numUsableSlots(UnitModule::ReverbEffect);

    UserData();
    UserData(const UserData& other);
    UserData& operator=(const UserData& other);
    ~UserData() override;

    std::array<UserOscData, numOscSlots + 1> oscData;
    std::array<UserModFXData, numModFXSlots + 1> modFXData;
    std::array<UserDelFXData, numDelFXSlots + 1> delFXData;
    std::array<UserRevFXData, numRevFXSlots + 1> revFXData;
};
} // namespace w40388_data
