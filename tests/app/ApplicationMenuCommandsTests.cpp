#include "app/ApplicationMenuCommands.h"
#include "app/ApplicationMenuManager.h"
#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/CurrentLanguageModel.h"
#include "core/DataEditStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "data/DataCenter.h"
#include "data/SlotAction.h"
#include "midi/MidiDeviceManager.h"
#include "support/MessageLoop.h"
#include "support/gui/ApplicationTest.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/SelectedTabStatus.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{
using namespace w40388_menu;

const auto text = [](const char* key) { return CTRXResource::getInstance()->getText(key); };

class CommandManagerTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        // The undo manager before the menu manager, as at start-up.
        application::ApplicationUndoManager::getInstance();
        manager = ApplicationMenuManager::getInstance();
    }

    // The next test of this process starts without history, selection or menu manager.
    void TearDown() override { juce::DeletedAtShutdown::deleteAll(); }

    juce::ApplicationCommandInfo infoOf(juce::CommandID id)
    {
        juce::ApplicationCommandInfo info(id);
        manager->getCommands().getCommandInfo(id, info);
        return info;
    }

    test::gui::ScopedPreferences preferences;
    ApplicationMenuManager* manager = nullptr;
};

// Clearing several rows as one edit is driven end to end; here the cases with nothing to clear.
TEST_F(CommandManagerTest, ClearActsOnlyOnSelectedRowsOfTheListShown)
{
    auto& delay = w40388_data::DataCenter::getInstance()->userData.delFXData[7];
    delay.state = w40388_data::SlotState::Received;
    juce::ApplicationCommandTarget::InvocationInfo clear(clearCommand);
    // A list with nothing selected, or a tab that shows no slot list, has nothing to clear.
    ui::SelectedTabStatus::getInstance()->setCurrentTab(2, "DELAY");
    ui::SelectedUserDelFXStatus::getInstance()->setSelectedRows({});
    EXPECT_TRUE(infoOf(clearCommand).flags & juce::ApplicationCommandInfo::isDisabled);
    EXPECT_FALSE(manager->getCommands().perform(clear));
    ui::SelectedTabStatus::getInstance()->setCurrentTab(4, "NONE");
    ui::SelectedUserDelFXStatus::getInstance()->setSelectedRows({7});
    EXPECT_FALSE(manager->getCommands().perform(clear));
    EXPECT_FALSE(application::ApplicationUndoManager::getInstance()->canUndo());
    EXPECT_EQ(delay.state.load(), w40388_data::SlotState::Received);

    ui::SelectedTabStatus::getInstance()->setCurrentTab(2, "DELAY");
    EXPECT_TRUE(manager->getCommandManager().invokeDirectly(clearCommand, false));
    EXPECT_EQ(application::ApplicationUndoManager::getInstance()->getUndoDescription(), "ClearUserDelFXData");
    EXPECT_EQ(delay.state.load(), w40388_data::SlotState::Empty);
}

TEST_F(CommandManagerTest, EveryCommandIsDisabledAndDroppedWhileADialogIsOpen)
{
    // Everything a command could act on: history to undo and redo, a selected row, unsent edits.
    auto* undoManager = application::ApplicationUndoManager::getInstance();
    undoManager->beginNewTransaction("LoadUserOscData");
    undoManager->perform(new w40388_action::ClearUserOscDataAction(0));
    undoManager->beginNewTransaction("LoadUserOscData");
    undoManager->perform(new w40388_action::ClearUserOscDataAction(1));
    undoManager->undo();
    application::DataEditStatus::getInstance()->setEdited(true);

    // As the progress window of a running job holds it.
    bool wasOpen = true;
    ui::ModalDialogState::getInstance()->beginModalDialog(wasOpen);
    ASSERT_FALSE(wasOpen);

    for (juce::CommandID id = firstCommandId; id <= lastCommandId; ++id)
    {
        EXPECT_TRUE(infoOf(id).flags & juce::ApplicationCommandInfo::isDisabled) << id;
        EXPECT_FALSE(manager->getCommandManager().invokeDirectly(id, false)) << id;
        juce::ApplicationCommandTarget::InvocationInfo info(id);
        EXPECT_TRUE(manager->getCommands().perform(info)) << id;
    }
    EXPECT_EQ(juce::ModalComponentManager::getInstance()->getNumModalComponents(), 0);
    EXPECT_TRUE(undoManager->canUndo() && undoManager->canRedo());
    EXPECT_EQ(undoManager->getNumActionsInCurrentTransaction(), 0);
    EXPECT_TRUE(application::DataEditStatus::getInstance()->isEdited());
    EXPECT_FALSE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());

    ui::ModalDialogState::getInstance()->endModalDialog(false);
    EXPECT_FALSE(infoOf(undoCommand).flags & juce::ApplicationCommandInfo::isDisabled);
}

// The texts are read when the table and the commands are first made, so each language starts afresh.
TEST_F(CommandManagerTest, EachMenuTitleStandsOverItsOwnItems)
{
    using Language = w40388_application::CurrentLanguageModel;
    using Items = std::vector<std::pair<int, juce::String>>; // command id and text; 0 and "" for a separator
    // Title key, then the command ids and text keys of its items.
    const std::pair<const char*, std::vector<std::pair<int, const char*>>> menus[] = {
        {"MenuCategoryFile", {{importUserUnitCommand, "MenuFileImportUserUnit"}}},
        {"MenuCategoryEdit",
         {{undoCommand, "MenuEditUndo"}, {redoCommand, "MenuEditRedo"}, {0, ""}, {clearCommand, "MenuEditClear"}}},
        {"MenuCategoryMidi",
         {{receiveUserDataCommand, "MenuMidiReceiveUserData"}, {writeUserDataCommand, "MenuMidiWriteUserData"}}},
        {"MenuCategoryOption",
         {{preferencesCommand, "MenuOptionPreferences"}, {0, ""}, {aboutCommand, "MenuOptionAbout"}}},
    };
    for (const auto& [language, firstTitle] :
         {std::pair{Language::english, "File"},
          std::pair{Language::japanese, "\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab"}})
    {
        juce::DeletedAtShutdown::deleteAll();
        Language::getInstance()->setLanguage(language);
        application::ApplicationUndoManager::getInstance();
        manager = ApplicationMenuManager::getInstance();
        const auto names = manager->getMenuBarNames();
        ASSERT_EQ(names.size(), 4);
        EXPECT_EQ(names[0], juce::String::fromUTF8(firstTitle));
        for (int index = 0; index < names.size(); ++index)
        {
            const auto& [title, items] = menus[index];
            EXPECT_EQ(names[index], text(title)) << index;
            Items expected, shown;
            for (const auto& [id, key] : items)
                expected.emplace_back(id, id == 0 ? juce::String() : text(key));
            const auto menu = manager->getMenuForIndex(index, names[index]);
            for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
                shown.emplace_back(it.getItem().isSeparator ? 0 : it.getItem().itemID, it.getItem().text);
            EXPECT_EQ(shown, expected) << title;
        }
    }
}

using PreferencesCommandTest = test::ApplicationTest;

// With the ports set by hand, OK in the preferences saves them and keeps the connection: no search starts.
TEST_F(PreferencesCommandTest, OkWithPortsSetByHandStartsNoSearch)
{
    startApplication(false, Ports::setByHand);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return app->getStartupProcess().isStartupDone(); }));
    auto* devices = midi::MidiDeviceManager::getInstance();
    ASSERT_TRUE(devices->isConnected());
    const auto preferencesFile = w40388_preferences::PreferencesData::getInstance()->GetFilePath();
    preferencesFile.deleteFile();
    {
        test::gui::ModalDialogDriver driver([](juce::Component& dialog)
                                            { test::gui::clickButton(dialog, text("CommonOK")); });
        test::gui::pressKey(*window, juce::KeyPress(',', juce::ModifierKeys::commandModifier, 0));
        EXPECT_EQ(driver.dialogTitle(), text("PreferencesDialogTitle"));
    }
    EXPECT_TRUE(preferencesFile.existsAsFile());
    EXPECT_FALSE(midi::scanRunning || devices->getScanner().isThreadRunning());
    EXPECT_FALSE(devices->automatic);
    EXPECT_TRUE(devices->isConnected());
    test::drainMessageLoop();
    EXPECT_EQ(app->getStartupProcess().getNumSearchesFinished(), 0);
}
} // namespace
