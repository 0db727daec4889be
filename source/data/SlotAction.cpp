#include "data/SlotAction.h"

#include "core/DataEditStatus.h"
#include "data/DataCenter.h"

namespace w40388_action
{
namespace
{
// A Set on a shorter list below this index lands on the list's spare record instead of being
// refused (the longest lists have 16 rows).
constexpr juce::uint32 setIndexLimit = 16;
} // namespace

template <UnitModule Module>
SlotAction<Module>::SlotAction(juce::uint32 slotToUse, const Record& record, bool clearsSlot)
    : slot(slotToUse), newRecord(record), clears(clearsSlot)
{
}

template <UnitModule Module> typename SlotAction<Module>::Record* SlotAction<Module>::findLiveRecord() const
{
    auto& records = Family::records(w40388_data::DataCenter::getInstance()->userData);

    if (slot < static_cast<juce::uint32>(Family::numUsableSlots))
        return &records[slot];

    if (!clears && slot < setIndexLimit)
    {
        Family::printIndexError(slot);
        return &records[Family::spareIndex];
    }

    return nullptr;
}

template <UnitModule Module> bool SlotAction<Module>::perform()
{
    auto* live = findLiveRecord();
    if (live == nullptr)
        return false;

    auto* editStatus = application::DataEditStatus::getInstance();
    oldRecord = *live;
    wasEdited = editStatus->isEdited();
    *live = newRecord;
    editStatus->setEdited(true);
    return true;
}

template <UnitModule Module> bool SlotAction<Module>::undo()
{
    auto* live = findLiveRecord();
    if (live == nullptr)
        return false;

    *live = oldRecord;
    if (!wasEdited)
        application::DataEditStatus::getInstance()->setEdited(false);
    return true;
}

template <UnitModule Module> int SlotAction<Module>::getSizeInUnits()
{
    return sizeInUnits;
}

template class SlotAction<UnitModule::Oscillator>;
template class SlotAction<UnitModule::ModulationEffect>;
template class SlotAction<UnitModule::DelayEffect>;
template class SlotAction<UnitModule::ReverbEffect>;
} // namespace w40388_action
