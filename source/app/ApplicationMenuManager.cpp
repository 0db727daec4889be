#include "app/ApplicationMenuManager.h"

#include "app/DebugModeModel.h"
#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "ui/ApplicationCommandTargetProvider.h"

namespace w40388_menu
{
ApplicationMenuManager::ApplicationMenuManager()
{
    commandManager.registerAllCommandsForTarget(&commands);
    setApplicationCommandManagerToWatch(&commandManager);
    commandManager.setFirstCommandTarget(&commands);
    ui::ModalDialogState::getInstance()->addListener(this);
    application::ApplicationUndoManager::getInstance()->addChangeListener(this);
    // Panes hand the commands they do not handle on to this target.
    ui::setApplicationCommandTargetProvider([this] { return static_cast<juce::ApplicationCommandTarget*>(&commands); });
}

ApplicationMenuManager::~ApplicationMenuManager()
{
    ui::setApplicationCommandTargetProvider({});
    // The objects it listens to may already be gone at shutdown; never create them again here.
    if (auto* undoManager = application::ApplicationUndoManager::getInstanceWithoutCreating())
        undoManager->removeChangeListener(this);
    if (auto* modalState = ui::ModalDialogState::getInstanceWithoutCreating())
        modalState->removeListener(this);
    // The menu bar model stops watching now, while the command manager still exists.
    setApplicationCommandManagerToWatch(nullptr);
    commandManager.setFirstCommandTarget(nullptr);
}

juce::StringArray ApplicationMenuManager::getMenuBarNames()
{
    const auto* texts = CTRXResource::getInstance();
    return {texts->getText("MenuCategoryFile"), texts->getText("MenuCategoryEdit"), texts->getText("MenuCategoryMidi"),
            texts->getText("MenuCategoryOption")};
}

juce::PopupMenu ApplicationMenuManager::getMenuForIndex(int topLevelMenuIndex, const juce::String&)
{
    juce::PopupMenu menu;
    menu.setLookAndFeel(&menuLookAndFeel);
    switch (topLevelMenuIndex)
    {
    case fileMenu:
        menu.addCommandItem(&commandManager, importUserUnitCommand);
        break;
    case editMenu:
        menu.addCommandItem(&commandManager, undoCommand);
        menu.addCommandItem(&commandManager, redoCommand);
        menu.addSeparator();
        menu.addCommandItem(&commandManager, clearCommand);
        break;
    case midiMenu:
        menu.addCommandItem(&commandManager, receiveUserDataCommand);
        menu.addCommandItem(&commandManager, writeUserDataCommand);
        break;
    case optionMenu:
        menu.addCommandItem(&commandManager, preferencesCommand);
        menu.addSeparator();
        menu.addCommandItem(&commandManager, aboutCommand);
        if (w40388_application::DebugModeModel::getInstance()->debugMode)
        {
            menu.addSeparator();
            menu.addCommandItem(&commandManager, debugWindowCommand);
        }
        break;
    default:
        break;
    }
    return menu;
}

void ApplicationMenuManager::changeListenerCallback(juce::ChangeBroadcaster* source)
{
    if (source != nullptr && source == application::ApplicationUndoManager::getInstanceWithoutCreating())
        commandManager.commandStatusChanged();
}

void ApplicationMenuManager::modalDialogStateChanged()
{
    commandManager.commandStatusChanged();
}
} // namespace w40388_menu
