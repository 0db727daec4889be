#pragma once

#include "data/UserData.h"
#include "ui/UserListControllerInterface.h"

namespace w40388_ui
{
// Turns a slot list's selection into its selection status and its drops into slot actions on
// the live slot list of one module type, each drop one undoable transaction ("DragInsert" for a
// move, "DragCopy" for a copy). Every action of a drop takes its record from a copy of the whole
// document made when the drop began, so each slot receives what its source held before the drop.
// A source beyond the list prints the list's index-error message and uses the spare record.
// Message thread only.
template <UnitModule Module> class UserListController : public ui::UserListControllerInterface
{
public:
    static constexpr const char* moveTransactionName = "DragInsert";
    static constexpr const char* copyTransactionName = "DragCopy";

    explicit UserListController(w40388_data::UserData& liveData) : userData(&liveData) {}

    void setSelectedRows(const std::vector<int>& rows) override;
    void moveSlots(const std::vector<int>& newOrder) override;
    void copySlots(const std::map<int, int>& destinationToSource) override;

private:
    w40388_data::UserData* userData;
};

using UserOscListController = UserListController<UnitModule::Oscillator>;
using UserModFXListController = UserListController<UnitModule::ModulationEffect>;
using UserDelFXListController = UserListController<UnitModule::DelayEffect>;
using UserRevFXListController = UserListController<UnitModule::ReverbEffect>;

extern template class UserListController<UnitModule::Oscillator>;
extern template class UserListController<UnitModule::ModulationEffect>;
extern template class UserListController<UnitModule::DelayEffect>;
extern template class UserListController<UnitModule::ReverbEffect>;
} // namespace w40388_ui
