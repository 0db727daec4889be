#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "data/DataCenter.h"
#include "files/ReadError.h"
#include "support/MessageLoop.h"
#include "support/TemporaryFolder.h"
#include "support/files/UnitFileBuilder.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/CustomTabbedComponent.h"
#include "ui/FontLibrary.h"
#include "ui/ImportUserDataWarningComponent.h"
#include "ui/MainWindowManager.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/UnitFileChooser.h"
#include "ui/UserPaneComponents.h"
#include "ui/UserUnitImport.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
using w40388_data::SlotState;
using w40388_preferences::warnBeforeImportingForOtherTargetKey;
// Bytes, not juce::MemoryBlock: comparing two empty blocks hands memcmp a null pointer.
using SlotContent = std::pair<SlotState, std::vector<juce::uint8>>;
std::vector<juce::uint8> bytesOf(const juce::MemoryBlock& block)
{
    const auto* bytes = static_cast<const juce::uint8*>(block.getData());
    return {bytes, bytes + block.getSize()};
}
constexpr UnitModule osc = UnitModule::Oscillator, modFX = UnitModule::ModulationEffect,
                     delFX = UnitModule::DelayEffect, revFX = UnitModule::ReverbEffect;
const auto text = [](const char* key) { return CTRXResource::getInstance()->getText(key); };

// Calls fn with the live records of the module's list (the oscillators' for any other module).
template <typename Fn> auto withList(UnitModule module, Fn&& fn)
{
    auto& data = w40388_data::DataCenter::getInstance()->userData;
    return module == modFX   ? fn(data.modFXData)
           : module == delFX ? fn(data.delFXData)
           : module == revFX ? fn(data.revFXData)
                             : fn(data.oscData);
}

// Puts an "Old" unit into the slots marked 'L' (Loaded) or 'R' (Received) in pattern, one letter per slot.
void fillSlots(UnitModule module, const std::string& pattern)
{
    const auto old = test::makeUnitDataBlock({module, UnitPlatform::FeltanDigital, "Old"});
    withList(module,
             [&](auto& records)
             {
                 for (std::size_t slot = 0; slot < pattern.size(); ++slot)
                     if (pattern[slot] != '.')
                     {
                         records[slot] = std::decay_t<decltype(records[slot])>(old);
                         records[slot].state = pattern[slot] == 'L' ? SlotState::Loaded : SlotState::Received;
                     }
             });
}

const auto slotContent = [](UnitModule module, size_t slot) {
    return withList(module, [&](auto& r) { return SlotContent{r[slot].state.load(), bytesOf(r[slot].unitData)}; });
};

// Every live record, spares included, as one text, to see that nothing changed.
juce::String documentImage()
{
    juce::String image;
    for (const auto module : {osc, modFX, delFX, revFX})
        withList(module,
                 [&](auto& records)
                 {
                     for (const auto& record : records)
                         image << int(record.state.load()) << record.slotIndex.load() << ':'
                               << record.unitData.toBase64Encoding() << '\n';
                 });
    return image;
}

struct AnsweredDialog
{
    juce::String title, message; // message: the alert's text, or the warning's label text
};

// Runs fn and answers at most one modal dialog from inside it: ticks tickFirst when given, then
// clicks the button with the given text or name (empty: no dialog is expected).
AnsweredDialog runAnswering(const std::function<void()>& fn, const juce::String& button,
                            const juce::String& tickFirst = {})
{
    AnsweredDialog seen;
    test::gui::ModalDialogDriver driver(
        [&](juce::Component& dialog)
        {
            if (auto* editor = test::gui::findDescendant<juce::TextEditor>(dialog))
                seen.message = editor->getText();
            else if (auto* label = test::gui::findDescendant<juce::Label>(dialog))
                seen.message = label->getText();
            EXPECT_TRUE(tickFirst.isEmpty() || test::gui::clickButton(dialog, tickFirst));
            EXPECT_TRUE(test::gui::clickButton(dialog, button)) << button;
        },
        2000);
    fn();
    seen.title = driver.dialogTitle();
    EXPECT_EQ(driver.acted(), seen.title.isNotEmpty());
    // Every dialog gives the modal-dialog flag back.
    EXPECT_FALSE(ui::ModalDialogState::getInstance()->isOpen());
    return seen;
}

// Expects exactly one error dialog with the error's (non-empty) text while fn runs, and presses its OK.
void expectReadError(const std::function<void()>& fn, ReadError error, const std::string& what)
{
    const auto seen = runAnswering(fn, text("CommonOK"));
    EXPECT_TRUE(seen.message.isNotEmpty() && seen.title == text("CommonErrorDialogTitle")) << what << seen.title;
    EXPECT_EQ(seen.message, text(getReadErrorKey(error))) << what;
}

class UserUnitImportTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
        resetDocument();
        // A main window like the program's: the four real panes in the tabbed component inside its content.
        tabs.addTab("USER OSCILLATORS", juce::Colours::black, new UserOscPaneComponent(), true);
        tabs.addTab("USER MODULATION FX", juce::Colours::black, new UserModFXPaneComponent(), true);
        tabs.addTab("USER DELAY FX", juce::Colours::black, new UserDelFXPaneComponent(), true);
        tabs.addTab("USER REVERB FX", juce::Colours::black, new UserRevFXPaneComponent(), true);
        tabs.setSize(720, 590);
        auto window = std::make_unique<juce::DocumentWindow>("Main", juce::Colours::black, 0);
        window->setContentOwned(new juce::Component(), false);
        window->getContentComponent()->addAndMakeVisible(tabs);
        window->setContentComponentSize(720, 590);
        window->setVisible(true);
        w40388_ui::MainWindowManager::getInstance()->setMainWindow(std::move(window));
    }

    void TearDown() override { w40388_ui::MainWindowManager::getInstance()->deleteMainWindow(); }

    using UndoManager = application::ApplicationUndoManager;
    static UndoManager& undoManager() { return *UndoManager::getInstance(); }

    static void resetDocument()
    {
        w40388_data::DataCenter::getInstance()->userData = w40388_data::UserData();
        undoManager().clearUndoHistory();
    }

    // A unit file of the test's own, kept until the test ends.
    juce::File unitFile(const test::UnitFileOptions& options, const juce::String& extension = ".ftndigunit")
    {
        files.push_back(std::make_unique<test::TemporaryUnitFile>(test::buildUnitFile(options), extension));
        return files.back()->getFile();
    }

    juce::TableListBox& table(int tab)
    {
        return test::gui::findDescendant<UserListComponent>(*tabs.getTabContentComponent(tab))->getTable();
    }

    test::gui::ScopedPreferences scopedPreferences;
    ui::CustomTabbedComponent tabs{juce::TabbedButtonBar::TabsAtTop};
    std::vector<std::unique_ptr<test::TemporaryUnitFile>> files;
};

TEST_F(UserUnitImportTest, OtherPlatformUnitImportsOnlyAfterOkAndTheTickTurnsTheQuestionOff)
{
    // Tick, button (empty: no question expected), imported, preference afterwards (true when unset).
    const std::tuple<bool, juce::String, bool, bool> cases[] = {
        {false, "CancelButton", false, true},
        {true, "OkButton", true, false},
        {false, {}, true, false}, // turned off by the tick: no question at all
    };
    auto& preferences = *w40388_preferences::PreferencesData::getInstance();
    const test::UnitFileOptions unit{osc, UnitPlatform::Cantorel, "New"};
    for (const auto& [tick, button, imported, warnAfter] : cases)
    {
        const auto file = unitFile(unit, ".cntlunit");
        const auto seen = runAnswering([&] { importUserUnitFile(file, 4, 4); }, button, tick ? "DontWarning" : "");
        EXPECT_EQ(seen.title, button.isEmpty() ? juce::String() : text("ImportUserDataWarningDialogTitle")) << button;
        EXPECT_TRUE(button.isEmpty() || (seen.message.startsWith(text("ImportUserDataWarningDialogLine1")) &&
                                         seen.message.endsWith(text("ImportUserDataWarningDialogLine4"))));
        EXPECT_EQ(slotContent(osc, 4),
                  (imported ? SlotContent{SlotState::Loaded, bytesOf(test::makeUnitDataBlock(unit))} : SlotContent()))
            << button;
        EXPECT_EQ(undoManager().canUndo(), imported) << button;
        EXPECT_EQ(preferences.GetBool(warnBeforeImportingForOtherTargetKey, true), warnAfter) << button;
        resetDocument();
    }
}

TEST_F(UserUnitImportTest, DroppedUnitFileFromAZipToolLandsInItsSlot)
{
    // A folder entry, extra fields of other lengths in the two headers, members streamed with data descriptors.
    const test::UnitFileOptions unit{revFX, UnitPlatform::FeltanDigital, "Zipped"};
    const test::TemporaryUnitFile file(test::buildZipToolUnitFile(unit));
    const auto seen = runAnswering([&] { importUserUnitFile(file.getFile(), 2, int(revFX)); }, text("CommonOK"));
    EXPECT_EQ(seen.message, juce::String()) << "no read error";
    EXPECT_EQ(slotContent(revFX, 2), (SlotContent{SlotState::Loaded, bytesOf(test::makeUnitDataBlock(unit))}));
}

TEST_F(UserUnitImportTest, UnitFileWithAnUpperCaseExtensionDroppedOnTheWindowLandsInTheRowUnderThePointer)
{
    const test::UnitFileOptions unit{osc, UnitPlatform::FeltanDigital, "Shouted"};
    const auto file = unitFile(unit, ".FTNDIGUNIT");
    auto& oscTable = table(0);
    auto& window = *oscTable.getTopLevelComponent();
    const auto row3 = window.getLocalPoint(&oscTable, oscTable.getRowPosition(3, true).getCentre());
    bool accepted = false;
    const auto seen = runAnswering(
        [&]
        {
            accepted = window.getPeer()->handleDragDrop({{file.getFullPathName()}, {}, row3});
            test::drainMessageLoop();
        },
        {});
    EXPECT_TRUE(accepted);
    EXPECT_EQ(seen.title, juce::String()) << "no dialog";
    EXPECT_EQ(slotContent(osc, 3), (SlotContent{SlotState::Loaded, bytesOf(test::makeUnitDataBlock(unit))}));
    EXPECT_EQ(undoManager().getUndoDescription(), "LoadUserOscData");
}

TEST_F(UserUnitImportTest, ReadErrorsShowTheirTextsAndTheUnreadableTextForCodesOutsideTheTable)
{
    for (const auto& [code, error] : {std::pair{1, ReadError::OpenFile},
                                      {17, ReadError::InvalidUserUnitFile},
                                      {numReadErrors, ReadError::FailedToReadUserUnitFile}})
        expectReadError([&, code = code] { showReadErrorDialog(code); }, error, std::to_string(code));
    // A dropped unit of another module is refused and changes nothing.
    fillSlots(osc, "..L");
    const auto before = documentImage();
    const auto file = unitFile({delFX});
    expectReadError([&] { importUserUnitFile(file, 2, 4); }, ReadError::UserUnitFileWrongModule, "delay on osc");
    EXPECT_EQ(documentImage(), before);
    EXPECT_FALSE(undoManager().canUndo());
}

TEST_F(UserUnitImportTest, UnitLandsInTheLowestSelectedRowOrFailsWithItsCodeInItsTab)
{
    // Unit, tab showing before, rows selected in the unit's list, its filled slots ('L' Loaded, 'R' Received),
    // the slot expected (-1: refused with that error), the unit's tab and transaction.
    const std::tuple<UnitModule, int, std::vector<int>, std::string, int, int, const char*> cases[] = {
        {osc, 0, {5, 3}, "...L", 3, 0, "LoadUserOscData"},
        {osc, 1, {}, "LLLLLLLLRRRRRRRR", -1, 0, "ReadErrorFailedToFindFreeOscSlot"},
        {modFX, 0, {}, "RRRRRRRRRRRRRRRR", -1, 1, "ReadErrorFailedToFindFreeModFXSlot"},
        {delFX, 0, {}, "LRLLLLLR", -1, 2, "ReadErrorFailedToFindFreeDelFXSlot"},
        {revFX, 0, {}, "LLLLLLLL", -1, 3, "ReadErrorFailedToFindFreeRevFXSlot"},
        {UnitModule::Global, 1, {}, "", -1, 1, "ReadErrorInvalidModuleForUserUnitFile"},
    };
    juce::File file; // what the chooser answers, seeing the modal-dialog flag set
    setUnitFileChooserForTesting(
        [&](const juce::String& title, const juce::String&)
        {
            EXPECT_TRUE(ui::ModalDialogState::getInstance()->isOpen());
            EXPECT_EQ(title, text("FileImportUserUnitTitle"));
            return file;
        });
    for (const auto& [module, currentTab, selected, filled, expectedSlot, tab, transaction] : cases)
    {
        fillSlots(module, filled);
        juce::SparseSet<int> rows;
        for (const int row : selected)
            rows.addRange({row, row + 1});
        table(tab).setSelectedRows(rows);
        tabs.setCurrentTabIndex(currentTab);
        const auto before = documentImage();
        const test::UnitFileOptions unit{module, UnitPlatform::FeltanDigital, "New"};
        file = unitFile(unit);
        const auto seen = runAnswering([] { EXPECT_TRUE(importUserUnitFileByCommand()); }, text("CommonOK"));
        EXPECT_EQ(seen.message, expectedSlot < 0 ? text(transaction) : juce::String()) << transaction;
        EXPECT_EQ(undoManager().canUndo(), expectedSlot >= 0) << transaction;
        if (expectedSlot >= 0)
        {
            EXPECT_EQ(slotContent(module, expectedSlot),
                      (SlotContent{SlotState::Loaded, bytesOf(test::makeUnitDataBlock(unit))}));
            EXPECT_EQ(std::pair(table(tab).getNumSelectedRows(), table(tab).getSelectedRow()),
                      std::pair(1, expectedSlot));
            EXPECT_EQ(*ui::selectedRowsOfTab(tab), std::vector<int>{expectedSlot}) << transaction;
            EXPECT_EQ(undoManager().getUndoDescription(), transaction);
            undoManager().undo();
        }
        EXPECT_EQ(documentImage(), before) << transaction;
        EXPECT_EQ(tabs.getCurrentTabIndex(), tab) << transaction;
        resetDocument();
    }
}

// Contracts that no caller reaches today: the panes drop only on their rows, and the warning is
// asked only from an import that already runs with no other dialog showing.

TEST_F(UserUnitImportTest, ImportIntoARowBeyondTheUsableSlotsIsRefused)
{
    const auto before = documentImage();
    for (const auto& [module, slot] : {std::pair{osc, 16}, std::pair{delFX, 8}, std::pair{revFX, -1}})
    {
        const auto file = unitFile({module});
        expectReadError([&, module = module, slot = slot] { importUserUnitFile(file, slot, int(module)); },
                        ReadError::FailedToImportUserUnitData, std::to_string(slot));
    }
    EXPECT_EQ(documentImage(), before);
    EXPECT_FALSE(undoManager().canUndo());
}

TEST_F(UserUnitImportTest, OtherPlatformWarningStepsBackWhileAnotherDialogHoldsTheScreen)
{
    const auto file = unitFile({osc, UnitPlatform::Cantorel, "New"}, ".cntlunit");
    const auto before = documentImage();
    ui::ScopedModalDialog other; // as a running job's progress window holds it
    ASSERT_TRUE(other.isClaimed());
    test::gui::ModalDialogDriver driver([](juce::Component& dialog) { test::gui::clickButton(dialog, "OkButton"); },
                                        500);
    EXPECT_FALSE(ImportUserDataWarningComponent::confirm());
    importUserUnitFile(file, 4, 4);
    EXPECT_FALSE(driver.acted());
    EXPECT_EQ(documentImage(), before);
    EXPECT_FALSE(undoManager().canUndo());
    EXPECT_TRUE(ui::ModalDialogState::getInstance()->isOpen()); // the other dialog's claim stands
}

// The desktop's chooser (here a stand-in that answers the name it is told) serves only where the whole
// locale the environment names loads and is UTF-8: elsewhere the real one ends at once on a title beyond
// ASCII or answers "?" for letters beyond it. "xx_YY.UTF-8" stands for a locale the system never generated,
// as de_DE.UTF-8 or ja_JP.UTF-8 often are. The framework's own chooser then hands back any name as it is.
TEST_F(UserUnitImportTest, DesktopChooserServesOnlyWhereItHandsBackEveryNameUnchanged)
{
    // LANG, LC_MESSAGES, LC_ALL (null: unset), whether the desktop's chooser serves.
    const std::tuple<const char*, const char*, const char*, bool> cases[] = {{"C", nullptr, nullptr, false},
                                                                             {"xx_YY.UTF-8", nullptr, nullptr, false},
                                                                             {"C.UTF-8", "xx_YY.UTF-8", nullptr, false},
                                                                             {"C.UTF-8", nullptr, "C", false},
                                                                             {"C", nullptr, "C.UTF-8", true},
                                                                             {"C.UTF-8", nullptr, nullptr, true}};
    const auto setLocale = [](const char* lang, const char* messages, const char* all)
    {
        for (const auto* name :
             {"LC_ALL", "LC_CTYPE", "LC_MESSAGES", "LC_COLLATE", "LC_NUMERIC", "LC_TIME", "LC_MONETARY", "LC_PAPER",
              "LC_NAME", "LC_ADDRESS", "LC_TELEPHONE", "LC_MEASUREMENT", "LC_IDENTIFICATION"})
            ::unsetenv(name);
        for (const auto& [name, value] : {std::pair{"LANG", lang}, {"LC_MESSAGES", messages}, {"LC_ALL", all}})
            if (value != nullptr)
                ::setenv(name, value, 1);
    };
    for (const auto& [lang, messages, all, desktop] : cases)
    {
        setLocale(lang, messages, all);
        EXPECT_EQ(ui::UnitFileChooser::desktopChooserServes(), desktop)
            << lang << ' ' << (messages != nullptr) << ' ' << (all != nullptr ? all : "");
    }

    const test::TemporaryFolder folder{"qtr-chooser"};
    const auto standIn = folder.getChildFile("zenity");
    ASSERT_TRUE(standIn.replaceWithText("#!/bin/sh\nprintf '%s\\n' \"$QTR_CHOSEN\"\n", false, false, "\n") &&
                standIn.setExecutePermission(true));
    // Nothing else on the PATH but which, with which the framework looks for a desktop chooser.
    ASSERT_TRUE(juce::File("/usr/bin/which").createSymbolicLink(folder.getChildFile("which"), false));
    ::setenv("PATH", folder.getFolder().getFullPathName().toRawUTF8(), 1);
    const auto named = folder.getChildFile(juce::String::fromUTF8("M\xc3\xbcller \xc3\xbcnit.ftndigunit"));
    const test::UnitFileOptions unit{osc, UnitPlatform::FeltanDigital, "Umlaut"};
    const auto bytes = test::buildUnitFile(unit);
    ASSERT_TRUE(named.replaceWithData(bytes.getData(), bytes.getSize()));
    ::setenv("QTR_CHOSEN", named.getSiblingFile("M?ller ?nit.ftndigunit").getFullPathName().toRawUTF8(), 1);

    setLocale("C", nullptr, nullptr);
    test::gui::ModalDialogDriver driver(
        [&](juce::Component& dialog)
        {
            auto* browser = test::gui::findDescendant<juce::FileBrowserComponent>(dialog);
            ASSERT_NE(browser, nullptr) << "not the framework's chooser";
            browser->setRoot(folder.getFolder());
            browser->setFileName(named.getFileName());
            auto* open = test::gui::findButton(dialog, "Open");
            ASSERT_NE(open, nullptr);
            // The name reaches the button's enable rule on a later turn of the loop.
            EXPECT_TRUE(test::runMessageLoopUntil([&] { return open->isEnabled(); }));
            test::gui::click(*open);
        });
    EXPECT_TRUE(importUserUnitFileByCommand());
    EXPECT_TRUE(driver.acted());
    EXPECT_EQ(slotContent(osc, 0), (SlotContent{SlotState::Loaded, bytesOf(test::makeUnitDataBlock(unit))}));
    // A name the desktop's chooser answered garbled is no file: the import says it cannot be read.
    setLocale("C.UTF-8", nullptr, nullptr);
    expectReadError([] { importUserUnitFileByCommand(); }, ReadError::InvalidUserUnitFile, "garbled name");
}
} // namespace
