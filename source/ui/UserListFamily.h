#pragma once

#include "data/SlotFamily.h"
#include "ui/SelectedRowsStatus.h"

namespace w40388_ui
{
// What tells the four slot panes apart beyond their slot list: the selection status their list
// writes and the list's component name; the tab title is the list's own (data/SlotFamily.h).
template <UnitModule Module> struct UserListFamily;

template <> struct UserListFamily<UnitModule::Oscillator>
{
    using SelectedRowsStatus = ui::SelectedUserOscStatus;
    static constexpr const char* listName = "User Osc. List";
};

template <> struct UserListFamily<UnitModule::ModulationEffect>
{
    using SelectedRowsStatus = ui::SelectedUserModFXStatus;
    static constexpr const char* listName = "User ModFX List";
};

template <> struct UserListFamily<UnitModule::DelayEffect>
{
    using SelectedRowsStatus = ui::SelectedUserDelFXStatus;
    static constexpr const char* listName = "User DelFX List";
};

template <> struct UserListFamily<UnitModule::ReverbEffect>
{
    using SelectedRowsStatus = ui::SelectedUserRevFXStatus;
    static constexpr const char* listName = "User RevFX List";
};

// The module number of a family as the import flow takes it (4, 1, 2, 3).
template <UnitModule Module> constexpr int moduleNumber = static_cast<int>(Module);
} // namespace w40388_ui
