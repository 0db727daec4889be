#pragma once

#include "data/SlotRecord.h"
#include "midi/MidiCommunicationTask.h"

namespace w40388_midi
{
// The request object through which the receive job reads one slot list; `record` holds the
// last slot's result before the job copies it into the list.
template <typename Record> class UserDataReceiver : public MidiCommunicationTask
{
public:
    Record record;
};

using UserOscDataReceiver = UserDataReceiver<w40388_data::UserOscData>;
using UserModFXDataReceiver = UserDataReceiver<w40388_data::UserModFXData>;
using UserDelFXDataReceiver = UserDataReceiver<w40388_data::UserDelFXData>;
using UserRevFXDataReceiver = UserDataReceiver<w40388_data::UserRevFXData>;
} // namespace w40388_midi
