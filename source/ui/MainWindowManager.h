#pragma once

#include "core/Singleton.h"
#include "ui/DefaultLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class MainAppWindow;

namespace w40388_ui
{
// Holder of the one main window: start-up stores it here, other code reaches the window
// (and through it the tabs and panes) from here, and shutdown deletes it. Holds the
// look-and-feel that start-up gives the window. Message thread only.
class MainWindowManager : public Singleton<MainWindowManager>, public juce::DeletedAtShutdown
{
public:
    MainWindowManager() = default;
    ~MainWindowManager() override;

    // Takes ownership of the main window (deleting one held before).
    void setMainWindow(std::unique_ptr<juce::DocumentWindow> window);

    // Deletes the main window, if any (its look-and-feel is cleared first).
    void deleteMainWindow();

    juce::DocumentWindow* getWindow() const noexcept { return mainWindow.get(); }

    // The main window as its own class; null while there is none.
    template <typename Window = MainAppWindow> Window* getMainWindow() const
    {
        return dynamic_cast<Window*>(mainWindow.get());
    }

    DefaultLookAndFeel& getLookAndFeel() noexcept { return lookAndFeel; }

private:
    // Declared first so that it outlives the window.
    DefaultLookAndFeel lookAndFeel;
    std::unique_ptr<juce::DocumentWindow> mainWindow;

    JUCE_DECLARE_NON_COPYABLE(MainWindowManager)
};
} // namespace w40388_ui
