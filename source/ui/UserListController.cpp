#include "ui/UserListController.h"

#include "core/ApplicationUndoManager.h"
#include "data/SlotAction.h"
#include "ui/UserListFamily.h"

namespace w40388_ui
{
namespace
{
// Puts the record that stood at source when the drop began into destination.
template <UnitModule Module> void performSet(const w40388_data::UserData& before, int destination, int source)
{
    using Family = w40388_data::SlotFamily<Module>;
    const auto& record = Family::guardedRecord(before, source);
    application::ApplicationUndoManager::getInstance()->perform(
        new w40388_action::SetSlotAction<Module>(static_cast<juce::uint32>(destination), record));
}
} // namespace

template <UnitModule Module> void UserListController<Module>::setSelectedRows(const std::vector<int>& rows)
{
    UserListFamily<Module>::SelectedRowsStatus::getInstance()->setSelectedRows(rows);
}

template <UnitModule Module> void UserListController<Module>::moveSlots(const std::vector<int>& newOrder)
{
    application::ApplicationUndoManager::getInstance()->beginNewTransaction(moveTransactionName);
    const w40388_data::UserData before(*userData);
    const int positions = juce::jmin(static_cast<int>(newOrder.size()), w40388_data::numUsableSlots(Module));
    for (int position = 0; position < positions; ++position)
    {
        const int source = newOrder[static_cast<std::size_t>(position)];
        if (source != position)
            performSet<Module>(before, position, source);
    }
}

template <UnitModule Module> void UserListController<Module>::copySlots(const std::map<int, int>& destinationToSource)
{
    application::ApplicationUndoManager::getInstance()->beginNewTransaction(copyTransactionName);
    const w40388_data::UserData before(*userData);
    for (const auto& [destination, source] : destinationToSource)
        performSet<Module>(before, destination, source);
}

template class UserListController<UnitModule::Oscillator>;
template class UserListController<UnitModule::ModulationEffect>;
template class UserListController<UnitModule::DelayEffect>;
template class UserListController<UnitModule::ReverbEffect>;
} // namespace w40388_ui
