#pragma once

#include "data/UnitHeader.h"

namespace w40388_data
{
// A slot swap that SEND ALL sent without learning whether the instrument carried it out: no
// answer came, the answer was damaged or an error, or the job was cancelled while it waited. The
// rows naming either slot cannot say which of the two holds their unit, so the next SEND ALL reads
// both slots back before it changes anything; a successful RECEIVE ALL replaces the rows and ends
// the doubt.
struct SwapInDoubt
{
    UnitModule module = UnitModule::Oscillator;
    int firstSlot = 0;
    int secondSlot = 0;
};
} // namespace w40388_data
