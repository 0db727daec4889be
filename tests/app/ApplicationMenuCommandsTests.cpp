#include "app/ApplicationMenuCommands.h"
#include "app/ApplicationMenuManager.h"
#include "core/ApplicationUndoManager.h"
#include "core/DataEditStatus.h"
#include "core/ModalDialogState.h"
#include "data/DataCenter.h"
#include "data/SlotAction.h"
#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/SelectedTabStatus.h"

#include <gtest/gtest.h>

#include <vector>

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

TEST_F(CommandManagerTest, ClearEmptiesEverySelectedRowInOneTransaction)
{
    auto& delays = w40388_data::DataCenter::getInstance()->userData.delFXData;
    for (int slot = 0; slot < 8; ++slot)
        delays[static_cast<size_t>(slot)].state = w40388_data::SlotState::Received;
    ui::SelectedTabStatus::getInstance()->setCurrentTab(2, "DELAY");
    ui::SelectedUserDelFXStatus::getInstance()->setSelectedRows({1, 4, 7});

    const auto states = [&]
    {
        std::vector<w40388_data::SlotState> result;
        for (int slot = 0; slot < 8; ++slot)
            result.push_back(delays[static_cast<size_t>(slot)].state);
        return result;
    };
    using S = w40388_data::SlotState;
    auto* undoManager = application::ApplicationUndoManager::getInstance();
    EXPECT_TRUE(manager->getCommandManager().invokeDirectly(clearCommand, false));
    EXPECT_EQ(undoManager->getUndoDescription(), "ClearUserDelFXData");
    EXPECT_EQ(states(), (std::vector<S>{S::Received, S::Empty, S::Received, S::Received, S::Empty, S::Received,
                                        S::Received, S::Empty}));
    EXPECT_TRUE(manager->getCommandManager().invokeDirectly(undoCommand, false));
    EXPECT_EQ(states(), std::vector<S>(8, S::Received));
    EXPECT_FALSE(undoManager->canUndo());

    // A tab that shows no slot list, or a list with nothing selected, has nothing to clear.
    ui::SelectedUserDelFXStatus::getInstance()->setSelectedRows({});
    EXPECT_TRUE(infoOf(clearCommand).flags & juce::ApplicationCommandInfo::isDisabled);
    juce::ApplicationCommandTarget::InvocationInfo clear(clearCommand);
    EXPECT_FALSE(manager->getCommands().perform(clear));
    ui::SelectedTabStatus::getInstance()->setCurrentTab(4, "NONE");
    ui::SelectedUserDelFXStatus::getInstance()->setSelectedRows({0});
    EXPECT_FALSE(manager->getCommands().perform(clear));
    EXPECT_EQ(undoManager->getRedoDescription(), "ClearUserDelFXData") << "no transaction was added";
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
    ASSERT_TRUE(undoManager->canUndo() && undoManager->canRedo());

    // As the progress window of a running job holds it.
    bool wasOpen = true;
    ui::ModalDialogState::getInstance()->beginModalDialog(wasOpen);
    ASSERT_FALSE(wasOpen);

    const int modalsBefore = juce::ModalComponentManager::getInstance()->getNumModalComponents();
    for (juce::CommandID id = firstCommandId; id <= lastCommandId; ++id)
    {
        EXPECT_TRUE(infoOf(id).flags & juce::ApplicationCommandInfo::isDisabled) << id;
        EXPECT_FALSE(manager->getCommandManager().invokeDirectly(id, false)) << id;
        juce::ApplicationCommandTarget::InvocationInfo info(id);
        EXPECT_TRUE(manager->getCommands().perform(info)) << id;
    }
    EXPECT_EQ(juce::ModalComponentManager::getInstance()->getNumModalComponents(), modalsBefore);
    EXPECT_TRUE(undoManager->canUndo() && undoManager->canRedo());
    EXPECT_EQ(undoManager->getNumActionsInCurrentTransaction(), 0);
    EXPECT_TRUE(application::DataEditStatus::getInstance()->isEdited());
    EXPECT_FALSE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());

    ui::ModalDialogState::getInstance()->endModalDialog(false);
    EXPECT_FALSE(infoOf(undoCommand).flags & juce::ApplicationCommandInfo::isDisabled);
}
} // namespace
