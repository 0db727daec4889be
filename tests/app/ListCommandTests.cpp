// Import and clear by their shortcuts on each of the four tabs, undone and redone, through the real
// application: each changes only the rows it names in the list of its tab, and every other record
// of the four lists, spares included, stays as it was. An import the musician declines changes
// nothing at all.

#include "app/ApplicationMenuManager.h"
#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/DataEditStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "data/DataCenter.h"
#include "support/MessageLoop.h"
#include "support/files/SlotListImage.h"
#include "support/files/UnitFileBuilder.h"
#include "support/gui/ApplicationTest.h"
#include "support/gui/GuiTest.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/UserListComponent.h"
#include "ui/UserUnitImport.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace
{
constexpr int command = juce::ModifierKeys::commandModifier;
constexpr int shift = juce::ModifierKeys::shiftModifier;
const char* const loadTransactions[] = {"LoadUserOscData", "LoadUserModFXData", "LoadUserDelFXData",
                                        "LoadUserRevFXData"};
const char* const clearTransactions[] = {"ClearUserOscData", "ClearUserModFXData", "ClearUserDelFXData",
                                         "ClearUserRevFXData"};

class ListCommandTest : public test::ApplicationTest, public testing::WithParamInterface<int>
{
protected:
    static w40388_data::UserData& live() { return w40388_data::DataCenter::getInstance()->userData; }
    static application::ApplicationUndoManager& undoManager()
    {
        return *application::ApplicationUndoManager::getInstance();
    }
    static bool edited() { return application::DataEditStatus::getInstance()->isEdited(); }

    void press(int key, int mods) { test::gui::pressKey(*window, juce::KeyPress(key, juce::ModifierKeys(mods), 0)); }

    // Selects the rows in the tab's list as the musician does, which its selection status follows.
    void select(int tab, const std::vector<int>& rows)
    {
        auto& tabs = content->getTabbedComponent();
        auto* list = test::gui::findDescendant<UserListComponent>(*tabs.getTabContentComponent(tab));
        ASSERT_NE(list, nullptr);
        juce::SparseSet<int> set;
        for (const int row : rows)
            set.addRange({row, row + 1});
        list->getTable().setSelectedRows(set, juce::sendNotification);
        test::drainMessageLoop();
        ASSERT_EQ(*ui::selectedRowsOfTab(tab), rows) << tab;
    }
};

TEST_P(ListCommandTest, EachCommandChangesOnlyItsRowsOfItsTabsList)
{
    startApplication(false, Ports::setByHand);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return app->getStartupProcess().isStartupDone(); }));
    const int tab = GetParam();
    const auto module = test::tabModules[tab];
    test::fillDistinctLists(live());
    // The other lists have rows of their own selected: a clear here must not use them.
    for (int other = 0; other < 4; ++other)
        if (other != tab)
            select(other, {0, 1});
    const w40388_data::UserData before = live();
    juce::File chosen;
    setUnitFileChooserForTesting([&](const juce::String&, const juce::String&) { return chosen; });

    // A unit built for a sibling instrument, its warning answered with Cancel, Escape and the close
    // button: no import, no error, no tab switch.
    w40388_preferences::PreferencesData::getInstance()->SetBool(
        w40388_preferences::warnBeforeImportingForOtherTargetKey, true);
    const auto platform = tab % 2 == 0 ? UnitPlatform::Cantorel : UnitPlatform::ParvolinVr;
    test::TemporaryUnitFile otherFile(test::buildUnitFile({module, platform, "Sibling"}),
                                      tab % 2 == 0 ? ".cntlunit" : ".prvlvrunit");
    chosen = otherFile.getFile();
    const std::function<void(juce::Component&)> refusals[] = {
        [](juce::Component& warning) { EXPECT_TRUE(test::gui::clickButton(warning, "CancelButton")); },
        [](juce::Component& warning) { test::gui::pressKey(warning, juce::KeyPress(juce::KeyPress::escapeKey)); },
        test::gui::pressWindowCloseButton};
    for (const auto& refuse : refusals)
    {
        test::gui::ModalDialogDriver driver(refuse);
        press('i', command);
        EXPECT_EQ(driver.dialogTitle(), CTRXResource::getInstance()->getText("ImportUserDataWarningDialogTitle"));
        EXPECT_EQ(test::imageOf(live()), test::imageOf(before));
        EXPECT_FALSE(undoManager().canUndo() || edited());
        EXPECT_EQ(content->getTabbedComponent().getCurrentTabIndex(), 0);
    }

    // Imported while another tab shows: the tab comes to the front and the first empty slot, 2, takes the unit.
    const auto block = test::makeUnitDataBlock({module, UnitPlatform::FeltanDigital, "Imported"});
    test::TemporaryUnitFile file(test::buildUnitFile({module, UnitPlatform::FeltanDigital, "Imported"}));
    chosen = file.getFile();
    content->getTabbedComponent().setCurrentTabIndex((tab + 1) % 4);
    test::drainMessageLoop();
    press('i', command);
    EXPECT_EQ(content->getTabbedComponent().getCurrentTabIndex(), tab);
    w40388_data::UserData afterImport = before;
    test::withRecords(afterImport, module,
                      [&](auto& records) { records[2] = std::decay_t<decltype(records[2])>(block); });
    EXPECT_EQ(test::imageOf(live()), test::imageOf(afterImport));

    // Clear: the imported row, a unit on the instrument and a loaded one.
    select(tab, {2, 4, 6});
    press('k', command);
    w40388_data::UserData afterClear = afterImport;
    test::withRecords(afterClear, module,
                      [](auto& records)
                      {
                          for (const int row : {2, 4, 6})
                              records[size_t(row)] = std::decay_t<decltype(records[0])>();
                      });
    EXPECT_EQ(test::imageOf(live()), test::imageOf(afterClear));
    EXPECT_EQ(undoManager().getUndoDescriptions(), juce::StringArray(clearTransactions[tab], loadTransactions[tab]));
    EXPECT_TRUE(edited());

    // Each undo takes back one whole command; the redos bring them back in order.
    press('z', command);
    EXPECT_EQ(test::imageOf(live()), test::imageOf(afterImport));
    EXPECT_TRUE(edited());
    press('z', command);
    EXPECT_EQ(test::imageOf(live()), test::imageOf(before));
    EXPECT_FALSE(edited());
    EXPECT_FALSE(undoManager().canUndo());
    press('z', command | shift);
    EXPECT_EQ(test::imageOf(live()), test::imageOf(afterImport));
    EXPECT_TRUE(edited());
    press('z', command | shift);
    EXPECT_EQ(test::imageOf(live()), test::imageOf(afterClear));
    EXPECT_FALSE(undoManager().canRedo());
    EXPECT_FALSE(ui::ModalDialogState::getInstance()->isOpen());
}

const char* const tabNames[] = {"Oscillators", "ModulationEffects", "DelayEffects", "ReverbEffects"};
INSTANTIATE_TEST_SUITE_P(Tabs, ListCommandTest, testing::Range(0, 4),
                         [](const auto& info) { return std::string(tabNames[info.param]); });
} // namespace
