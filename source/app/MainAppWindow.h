#pragma once

#include "app/MainWindowConstrainer.h"
#include "app/MainWindowGeometry.h"
#include "core/DataEditStatus.h"
#include "core/LastSavedFileStatus.h"
#include "ui/DefaultLookAndFeel.h"
#include "ui/QueuedWindowEventDispatcher.h"
#include "ui/WindowBufferKeeper.h"

#include <juce_gui_basics/juce_gui_basics.h>

// The application's one main window: a fixed-width (720), vertically resizable (280..1400)
// document window with the menu bar inside and MainComponent as its content. Its title shows the
// application name, the last saved file (or the untitled text) and the edited mark. The position
// and height are restored from the preferences when it opens and stored there when it closes;
// the close button asks the application to quit. Start-up creates it through
// w40388_ui::MainWindowManager and shutdown deletes it. Message thread only.
class MainAppWindow : public juce::DocumentWindow,
                      public application::DataEditStatusListener,
                      public application::LastSavedFileStatusListener
{
public:
    static constexpr int menuBarHeight = 20;

    // Builds the whole window and makes it visible.
    MainAppWindow();
    ~MainAppWindow() override;

    void resized() override;
    void moved() override;
    // Runs the application's quit request; the window is not closed here.
    void closeButtonPressed() override;

    void dataEditStatusChanged(const bool& edited) override;
    void lastSavedFileStatusChanged(const juce::String& lastSavedFile) override;

    // Recomputes the title from the last saved file and the edited flag.
    void updateTitle();

    // The title for the given state: "<application name> - <file name or untitled>", with the
    // edited mark appended when edited. Only the part after the last slash of the file is shown.
    static juce::String makeTitle(const juce::String& lastSavedFile, bool edited);

    // The bounds last seen by resized() or moved() (or set from the preferences); what the
    // destructor stores.
    juce::Rectangle<int> getStoredBounds() const noexcept { return storedBounds; }

private:
    void storeBounds();
    void restoreGeometry();
    void followWindowFrame();

    juce::Rectangle<int> storedBounds;
    w40388_ui::DefaultLookAndFeel lookAndFeel;
    MainWindowConstrainer constrainer;
    // What the preferences held, placed once more when the window manager first tells the frame
    // it put around the window (it places the frame, not the window, where the window was asked to go).
    w40388_ui::StoredWindowGeometry restoredGeometry;
    bool placeAgainWithFrame = false;
    ui::QueuedWindowEventDispatcher queuedEvents{*this};
    ui::WindowBufferKeeper drawingBuffers{*this};

    JUCE_DECLARE_NON_COPYABLE(MainAppWindow)
};
