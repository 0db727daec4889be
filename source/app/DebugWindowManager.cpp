#include "app/DebugWindowManager.h"

namespace w40388_debug
{
DebugWindowManager::~DebugWindowManager()
{
    cancelPendingUpdate();
    debugWindow.reset();
}

void DebugWindowManager::openDebugWindow()
{
    if (debugWindow != nullptr)
        return;
    debugWindow = std::make_unique<DebugWindow>();
}

void DebugWindowManager::handleAsyncUpdate()
{
    debugWindow.reset();
}
} // namespace w40388_debug
