#include "app/DebugWindow.h"

#include "app/DebugMainComponent.h"
#include "app/DebugWindowManager.h"

namespace w40388_debug
{
DebugWindow::DebugWindow()
    : juce::DocumentWindow("Debug Window", juce::Colours::white, juce::DocumentWindow::closeButton, true)
{
    setContentOwned(new DebugMainComponent(), true);
    setUsingNativeTitleBar(false);
    setVisible(true);
    setResizable(true, false);
}

void DebugWindow::closeButtonPressed()
{
    DebugWindowManager::getInstance()->closeDebugWindowLater();
}
} // namespace w40388_debug
