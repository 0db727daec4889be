#pragma once

#include "data/Data.h"

#include <juce_core/juce_core.h>

namespace w40388_data
{
// What the unit-file reader fills: the unit data block of one unit file and the
// reader's diagnostic text. The import flow makes one, hands it to the reader and
// builds a slot record from unitData. The reader changes it only on success.
class UserUnitData : public data::Data
{
public:
    UserUnitData();

    juce::MemoryBlock unitData;
    juce::String message;
};
} // namespace w40388_data
