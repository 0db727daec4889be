#pragma once

#include "ui/UserPaneComponent.h"

// The four slot panes of the main window's tabs, in tab order.
using UserOscPaneComponent = UserPaneComponent<UnitModule::Oscillator>;
using UserModFXPaneComponent = UserPaneComponent<UnitModule::ModulationEffect>;
using UserDelFXPaneComponent = UserPaneComponent<UnitModule::DelayEffect>;
using UserRevFXPaneComponent = UserPaneComponent<UnitModule::ReverbEffect>;
