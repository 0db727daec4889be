#pragma once

#include "data/SlotRecord.h"
#include "midi/MidiCommunicationTask.h"

namespace w40388_midi
{
// The request object through which the write job sends one slot list; the module list it
// serves is its only difference.
template <typename Record> class UserDataTransmitter : public MidiCommunicationTask
{
};

using UserOscDataTransmitter = UserDataTransmitter<w40388_data::UserOscData>;
using UserModFXDataTransmitter = UserDataTransmitter<w40388_data::UserModFXData>;
using UserDelFXDataTransmitter = UserDataTransmitter<w40388_data::UserDelFXData>;
using UserRevFXDataTransmitter = UserDataTransmitter<w40388_data::UserRevFXData>;
} // namespace w40388_midi
