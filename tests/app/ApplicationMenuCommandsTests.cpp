#include "app/ApplicationMenuCommands.h"
#include "app/ApplicationMenuManager.h"
#include "core/ApplicationUndoManager.h"
#include "core/DataEditStatus.h"
#include "core/ModalDialogState.h"
#include "data/DataCenter.h"
#include "data/SlotAction.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/SelectedTabStatus.h"

#include <gtest/gtest.h>

namespace
{
using namespace w40388_menu;

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
} // namespace
