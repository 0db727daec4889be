#pragma once

#include "data/SlotFamily.h"

#include <juce_data_structures/juce_data_structures.h>

namespace w40388_action
{
// An undoable change of one slot of one live slot list: put a record into it (Set) or empty it
// (Clear). Perform saves the live record and the edited flag and raises the flag; undo puts the
// saved record back and lowers the flag again when it was clear before. Redo performs afresh.
//
// Index rules: positions below the list's usable slots are accepted. A Set on the delay or reverb
// list at 8 to 15 prints the list's index-error message and acts on the spare record; anything
// else beyond the usable slots is refused (perform and undo return false, nothing changes).
// Message thread only; the undo manager owns performed actions.
template <UnitModule Module> class SlotAction : public juce::UndoableAction
{
public:
    using Family = w40388_data::SlotFamily<Module>;
    using Record = typename Family::Record;

    // Undo-history cost of one slot action.
    static constexpr int sizeInUnits = 132;

    bool perform() override;
    bool undo() override;
    int getSizeInUnits() override;

    const juce::uint32 slot;
    const Record newRecord;
    Record oldRecord;
    bool wasEdited = false;

protected:
    SlotAction(juce::uint32 slot, const Record& newRecord, bool clears);

private:
    // The live record the action works on, or nullptr when its slot is refused.
    Record* findLiveRecord() const;

    const bool clears;
};

// Puts a copy of a record into a slot.
template <UnitModule Module> class SetSlotAction : public SlotAction<Module>
{
public:
    SetSlotAction(juce::uint32 slot, const typename SlotAction<Module>::Record& record)
        : SlotAction<Module>(slot, record, false)
    {
    }
};

// Empties a slot.
template <UnitModule Module> class ClearSlotAction : public SlotAction<Module>
{
public:
    explicit ClearSlotAction(juce::uint32 slot) : SlotAction<Module>(slot, {}, true) {}
};

using SetUserOscDataAction = SetSlotAction<UnitModule::Oscillator>;
using SetUserModFXDataAction = SetSlotAction<UnitModule::ModulationEffect>;
using SetUserDelFXDataAction = SetSlotAction<UnitModule::DelayEffect>;
using SetUserRevFXDataAction = SetSlotAction<UnitModule::ReverbEffect>;

using ClearUserOscDataAction = ClearSlotAction<UnitModule::Oscillator>;
using ClearUserModFXDataAction = ClearSlotAction<UnitModule::ModulationEffect>;
using ClearUserDelFXDataAction = ClearSlotAction<UnitModule::DelayEffect>;
using ClearUserRevFXDataAction = ClearSlotAction<UnitModule::ReverbEffect>;

extern template class SlotAction<UnitModule::Oscillator>;
extern template class SlotAction<UnitModule::ModulationEffect>;
extern template class SlotAction<UnitModule::DelayEffect>;
extern template class SlotAction<UnitModule::ReverbEffect>;
} // namespace w40388_action
