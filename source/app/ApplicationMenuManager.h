#pragma once

#include "app/ApplicationMenuCommands.h"
#include "core/ModalDialogState.h"
#include "core/Singleton.h"
#include "ui/DefaultLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace w40388_menu
{
// Owner of the command machinery and model of the menu bar that the main window shows: the
// one command manager (its key mappings carry the shortcuts), the command target and the
// look-and-feel of the drop-down menus. Every change of the undo history and of the
// modal-dialog flag marks the command status as changed, so menus, shortcuts and the header
// buttons bound to commands follow on the next message-loop turn.
//
// Created during start-up after the undo manager (it leaves the undo manager's listeners in its
// destructor) and deleted at shutdown. Message thread only.
class ApplicationMenuManager : public Singleton<ApplicationMenuManager>,
                               public ui::ModalDialogStateObserver,
                               public juce::ChangeListener,
                               public juce::MenuBarModel,
                               public juce::DeletedAtShutdown
{
public:
    // Menus in bar order.
    enum MenuIndex
    {
        fileMenu = 0,
        editMenu = 1,
        midiMenu = 2,
        optionMenu = 3
    };

    ApplicationMenuManager();
    ~ApplicationMenuManager() override;

    // The four menu names, looked up in the localisation table at every call.
    juce::StringArray getMenuBarNames() override;
    // A new menu of command items for the index (empty for an unknown index); the Option menu
    // offers the debug window only in debug mode.
    juce::PopupMenu getMenuForIndex(int topLevelMenuIndex, const juce::String& menuName) override;
    // Command items are carried out by the command manager.
    void menuItemSelected(int, int) override {}

    void changeListenerCallback(juce::ChangeBroadcaster* source) override;
    void modalDialogStateChanged() override;

    juce::ApplicationCommandManager& getCommandManager() noexcept { return commandManager; }
    ApplicationMenuCommands& getCommands() noexcept { return commands; }

private:
    // Destroyed in reverse order: look-and-feel, command target, command manager.
    juce::ApplicationCommandManager commandManager;
    ApplicationMenuCommands commands;
    w40388_ui::DefaultLookAndFeel menuLookAndFeel;

    JUCE_DECLARE_NON_COPYABLE(ApplicationMenuManager)
};
} // namespace w40388_menu
