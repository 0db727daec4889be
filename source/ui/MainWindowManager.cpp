#include "ui/MainWindowManager.h"

namespace w40388_ui
{
MainWindowManager::~MainWindowManager()
{
    deleteMainWindow();
}

void MainWindowManager::setMainWindow(std::unique_ptr<juce::DocumentWindow> window)
{
    deleteMainWindow();
    mainWindow = std::move(window);
}

void MainWindowManager::deleteMainWindow()
{
    if (mainWindow == nullptr)
        return;
    mainWindow->setLookAndFeel(nullptr);
    mainWindow.reset();
}
} // namespace w40388_ui
