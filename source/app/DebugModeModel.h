#pragma once

#include "core/Singleton.h"

namespace w40388_application
{
// Whether the program runs in debug mode (a marker file in the preferences folder at
// start-up); the menu bar then offers the debug window. Set once during start-up and
// kept until the process ends (it is not deleted at shutdown). Main thread only.
class DebugModeModel : public Singleton<DebugModeModel>
{
public:
    DebugModeModel() = default;

    bool debugMode = false;
};
} // namespace w40388_application
