#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/CurrentLanguageModel.h"
#include "core/DataEditStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "data/DataCenter.h"
#include "files/ReadError.h"
#include "support/files/UnitFileBuilder.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/CustomTabbedComponent.h"
#include "ui/FontLibrary.h"
#include "ui/ImportUserDataWarningComponent.h"
#include "ui/MainWindowManager.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/UserPaneComponents.h"
#include "ui/UserUnitImport.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

namespace
{
using w40388_data::SlotState;
using w40388_preferences::warnBeforeImportingForOtherTargetKey;
using SlotContent = std::pair<SlotState, juce::MemoryBlock>;

juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}

application::ApplicationUndoManager& undoManager()
{
    return *application::ApplicationUndoManager::getInstance();
}

// Calls fn with the live record array of the module's list.
template <typename Fn> void withList(UnitModule module, Fn&& fn)
{
    auto& data = w40388_data::DataCenter::getInstance()->userData;
    if (module == UnitModule::ModulationEffect)
        return fn(data.modFXData);
    if (module == UnitModule::DelayEffect)
        return fn(data.delFXData);
    if (module == UnitModule::ReverbEffect)
        return fn(data.revFXData);
    return fn(data.oscData);
}

test::UnitFileOptions unitOptions(UnitModule module, UnitPlatform platform = UnitPlatform::FeltanDigital,
                                  const std::string& name = "New")
{
    test::UnitFileOptions options;
    options.module = module;
    options.platform = platform;
    options.name = name;
    return options;
}

// Puts an "Old" unit into the slots marked 'L' (Loaded) or 'R' (Received) in pattern, one letter per slot.
void fillSlots(UnitModule module, const std::string& pattern)
{
    const auto block = test::makeUnitDataBlock(unitOptions(module, UnitPlatform::FeltanDigital, "Old"));
    withList(module,
             [&](auto& records)
             {
                 for (std::size_t slot = 0; slot < pattern.size(); ++slot)
                     if (pattern[slot] != '.')
                     {
                         records[slot] = std::decay_t<decltype(records[slot])>(block);
                         records[slot].state = pattern[slot] == 'L' ? SlotState::Loaded : SlotState::Received;
                     }
             });
}

SlotContent slotContent(UnitModule module, int slot)
{
    SlotContent content;
    withList(module,
             [&](auto& records) {
                 content = {records[size_t(slot)].state.load(), records[size_t(slot)].unitData};
             });
    return content;
}

SlotContent loaded(const test::UnitFileOptions& options)
{
    return {SlotState::Loaded, test::makeUnitDataBlock(options)};
}

// Every live record, spares included, as one text, to see that nothing changed.
juce::String documentImage()
{
    juce::String image;
    for (const auto module :
         {UnitModule::Oscillator, UnitModule::ModulationEffect, UnitModule::DelayEffect, UnitModule::ReverbEffect})
        withList(module,
                 [&](auto& records)
                 {
                     for (const auto& record : records)
                         image << int(record.state.load()) << record.slotIndex.load() << ':'
                               << record.unitData.toBase64Encoding() << '\n';
                 });
    return image;
}

// What a test saw of the one modal dialog it answered.
struct AnsweredDialog
{
    bool shown = false;
    juce::String title;
    juce::String message; // the alert's text, or the warning's label text
};

// Runs fn and answers at most one modal dialog from inside it: ticks tickFirst when given, saves a
// snapshot when named, then clicks the button with the given text or name (empty: Escape).
AnsweredDialog runAnswering(const std::function<void()>& fn, const juce::String& button,
                            const char* snapshotName = nullptr, const char* tickFirst = nullptr)
{
    AnsweredDialog seen;
    const bool flagBefore = ui::ModalDialogState::getInstance()->isOpen();
    {
        test::gui::ModalDialogDriver driver(
            [&](juce::Component& dialog)
            {
                if (auto* editor = test::gui::findDescendant<juce::TextEditor>(dialog))
                    seen.message = editor->getText();
                else if (auto* label = test::gui::findDescendant<juce::Label>(dialog))
                    seen.message = label->getText();
                EXPECT_TRUE(tickFirst == nullptr || test::gui::clickButton(dialog, tickFirst));
                EXPECT_TRUE(snapshotName == nullptr || test::gui::saveSnapshot(dialog, snapshotName).existsAsFile());
                if (button.isEmpty())
                    test::gui::pressKey(dialog, juce::KeyPress(juce::KeyPress::escapeKey));
                else
                    EXPECT_TRUE(test::gui::clickButton(dialog, button)) << button;
            },
            2000);
        fn();
        seen.shown = driver.acted();
        seen.title = driver.dialogTitle();
    }
    // Every dialog gives the modal-dialog flag back (or leaves another dialog's claim alone).
    EXPECT_EQ(ui::ModalDialogState::getInstance()->isOpen(), flagBefore);
    return seen;
}

// Expects exactly one error dialog with the error's (non-empty) text while fn runs, and presses its OK.
void expectReadError(const std::function<void()>& fn, ReadError error, const std::string& what,
                     const char* snapshotName = nullptr)
{
    const auto seen = runAnswering(fn, text("CommonOK"), snapshotName);
    EXPECT_TRUE(seen.shown) << what;
    EXPECT_EQ(seen.title, text("CommonErrorDialogTitle")) << what;
    EXPECT_EQ(seen.message, text(getReadErrorKey(error))) << what;
    EXPECT_TRUE(seen.message.isNotEmpty()) << what;
}

class UserUnitImportTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
        resetDocument();
    }

    void TearDown() override
    {
        setUnitFileChooserForTesting({});
        w40388_ui::MainWindowManager::getInstance()->deleteMainWindow();
        resetDocument();
    }

    static void resetDocument()
    {
        w40388_data::DataCenter::getInstance()->userData = w40388_data::UserData();
        undoManager().clearUndoHistory();
        application::DataEditStatus::getInstance()->setEdited(false);
    }

    // A unit file of the test's own, kept until the test ends.
    juce::File unitFile(const juce::MemoryBlock& bytes, const juce::String& extension = ".ftndigunit")
    {
        files.push_back(std::make_unique<test::TemporaryUnitFile>(bytes, extension));
        return files.back()->getFile();
    }

    juce::File unitFile(const test::UnitFileOptions& options) { return unitFile(test::buildUnitFile(options)); }

    static w40388_preferences::PreferencesData& preferences()
    {
        return *w40388_preferences::PreferencesData::getInstance();
    }

    test::gui::ScopedPreferences scopedPreferences;
    std::vector<std::unique_ptr<test::TemporaryUnitFile>> files;
};

TEST_F(UserUnitImportTest, DroppedUnitOverwritesItsSlotInTheModulesTransactionAndOneUndoRestoresIt)
{
    const std::tuple<UnitModule, int, const char*> cases[] = {{UnitModule::Oscillator, 15, "LoadUserOscData"},
                                                              {UnitModule::ModulationEffect, 0, "LoadUserModFXData"},
                                                              {UnitModule::DelayEffect, 7, "LoadUserDelFXData"},
                                                              {UnitModule::ReverbEffect, 3, "LoadUserRevFXData"}};
    for (const auto& [module, slot, transaction] : cases)
    {
        fillSlots(module, std::string(size_t(slot), '.') + "R");
        const auto previous = slotContent(module, slot);
        const auto options = unitOptions(module);
        const auto file = unitFile(options);

        EXPECT_FALSE(runAnswering([&] { importUserUnitFile(file, slot, int(module)); }, "OK").shown);
        EXPECT_EQ(slotContent(module, slot), loaded(options)) << transaction;
        EXPECT_EQ(undoManager().getUndoDescription(), transaction);
        EXPECT_TRUE(undoManager().undo());
        EXPECT_EQ(slotContent(module, slot), previous) << transaction;
        EXPECT_FALSE(undoManager().canUndo()) << transaction;
        resetDocument();
    }
}

TEST_F(UserUnitImportTest, FailedDropShowsItsErrorTextAndChangesNothing)
{
    const auto global = test::buildUnitFile(unitOptions(UnitModule::Global));
    const auto delay = test::buildUnitFile(unitOptions(UnitModule::DelayEffect));
    // What is dropped, on which slot, with which module, and the error shown.
    const std::tuple<const char*, juce::MemoryBlock, int, int, ReadError> cases[] = {
        {"not a zip archive", test::toBlock("plain text"), 0, 4, ReadError::InvalidUserUnitFile},
        {"global unit on the oscillator pane", global, 0, 4, ReadError::UserUnitFileWrongModule},
        {"delay unit on the oscillator pane", delay, 2, 4, ReadError::UserUnitFileWrongModule},
        {"global unit with module 0", global, 0, 0, ReadError::FailedToImportUserUnitData},
        {"oscillator beyond the list", test::buildUnitFile(unitOptions(UnitModule::Oscillator)), 16, 4,
         ReadError::FailedToImportUserUnitData},
        {"delay beyond the list", delay, 8, 2, ReadError::FailedToImportUserUnitData},
        {"delay before the list", delay, -1, 2, ReadError::FailedToImportUserUnitData},
    };
    fillSlots(UnitModule::Oscillator, "..L");
    const auto before = documentImage();
    for (const auto& [what, bytes, slot, module, error] : cases)
    {
        const auto file = unitFile(bytes);
        expectReadError([&] { importUserUnitFile(file, slot, module); }, error, what,
                        error == ReadError::InvalidUserUnitFile ? "read-error-dialog-en" : nullptr);
        EXPECT_EQ(documentImage(), before) << what;
        EXPECT_FALSE(undoManager().canUndo()) << what;
    }
}

TEST_F(UserUnitImportTest, OtherPlatformUnitImportsOnlyAfterOkAndTheTickTurnsTheQuestionOff)
{
    // Preference stored first (empty: as the case before left it), tick, button (empty: Escape), imported,
    // preference after.
    const std::tuple<std::optional<bool>, bool, juce::String, bool, bool> cases[] = {
        {std::nullopt, false, "OkButton", true, true}, // never written: asks, and OK stores true
        {std::nullopt, true, "CancelButton", false, true},
        {true, false, {}, false, true},
        {true, true, "OkButton", true, false},
        {std::nullopt, false, {}, true, false}, // turned off by the tick: no question at all
    };
    const auto options = unitOptions(UnitModule::Oscillator, UnitPlatform::Cantorel);
    for (const auto& [stored, tick, button, imported, warnAfter] : cases)
    {
        if (stored.has_value())
            preferences().SetBool(warnBeforeImportingForOtherTargetKey, *stored);
        const bool asks = preferences().GetBool(warnBeforeImportingForOtherTargetKey, true);
        const auto file = unitFile(test::buildUnitFile(options), ".cntlunit");

        const auto seen =
            runAnswering([&] { importUserUnitFile(file, 4, 4); }, button,
                         tick && !imported ? "import-warning-en" : nullptr, tick ? "DontWarning" : nullptr);
        EXPECT_EQ(seen.title, asks ? text("ImportUserDataWarningDialogTitle") : juce::String()) << button;
        EXPECT_EQ(slotContent(UnitModule::Oscillator, 4), imported ? loaded(options) : SlotContent()) << button;
        EXPECT_EQ(undoManager().canUndo(), imported) << button;
        EXPECT_EQ(preferences().GetBool(warnBeforeImportingForOtherTargetKey, !warnAfter), warnAfter) << button;
        resetDocument();
    }
}

TEST_F(UserUnitImportTest, ErrorDialogShowsEachCodesTextAndTheUnreadableTextForNumbersOutsideTheTable)
{
    for (int code = 1; code < numReadErrors; ++code)
        expectReadError([&] { showReadErrorDialog(code); }, ReadError(code), std::to_string(code));
    for (const int code : {-1, numReadErrors, 1000})
        expectReadError([&] { showReadErrorDialog(code); }, ReadError::FailedToReadUserUnitFile, std::to_string(code));
    EXPECT_FALSE(runAnswering([] { showReadErrorDialog(0); }, "OK").shown);
}

TEST_F(UserUnitImportTest, DialogsShowTheJapaneseTexts)
{
    using Language = w40388_application::CurrentLanguageModel;
    const auto englishTitle = text("ImportUserDataWarningDialogTitle");
    Language::getInstance()->setLanguage(Language::japanese);
    delete CTRXResource::getInstanceWithoutCreating();

    const auto warning =
        runAnswering([] { ImportUserDataWarningComponent::confirm(); }, "CancelButton", "import-warning-ja");
    EXPECT_EQ(warning.title, text("ImportUserDataWarningDialogTitle"));
    EXPECT_NE(warning.title, englishTitle);
    EXPECT_EQ(warning.message, text("ImportUserDataWarningDialogLine1") + text("ImportUserDataWarningDialogLine2") +
                                   text("ImportUserDataWarningDialogLine3") + "\n\n" +
                                   text("ImportUserDataWarningDialogLine4"));
    expectReadError([] { showReadErrorDialog(int(ReadError::InvalidUserUnitFile)); }, ReadError::InvalidUserUnitFile,
                    "Japanese", "read-error-dialog-ja");

    Language::getInstance()->setLanguage(Language::english);
    delete CTRXResource::getInstanceWithoutCreating();
}

// A main window like the program's: its content holds the four real panes in the tabbed component.
class MainContent : public juce::Component
{
public:
    MainContent()
    {
        addAndMakeVisible(tabs);
        tabs.addTab("USER OSCILLATORS", juce::Colour(0xFF222222), new UserOscPaneComponent(), true);
        tabs.addTab("USER MODULATION FX", juce::Colour(0xFF222222), new UserModFXPaneComponent(), true);
        tabs.addTab("USER DELAY FX", juce::Colour(0xFF222222), new UserDelFXPaneComponent(), true);
        tabs.addTab("USER REVERB FX", juce::Colour(0xFF222222), new UserRevFXPaneComponent(), true);
        setSize(720, 590);
    }

    void resized() override { tabs.setBounds(getLocalBounds()); }

    ui::CustomTabbedComponent tabs{juce::TabbedButtonBar::TabsAtTop};
};

class UserUnitImportCommandTest : public UserUnitImportTest
{
protected:
    void SetUp() override
    {
        UserUnitImportTest::SetUp();
        if (IsSkipped())
            return;
        auto window = std::make_unique<juce::DocumentWindow>("Main", juce::Colours::black, 0);
        window->setContentOwned(content = new MainContent(), true);
        window->setVisible(true);
        w40388_ui::MainWindowManager::getInstance()->setMainWindow(std::move(window));
    }

    juce::TableListBox& table(int tab)
    {
        auto* pane = content->tabs.getTabContentComponent(tab);
        return test::gui::findDescendant<UserListComponent>(*pane)->getTable();
    }

    // Runs the command with the chooser answering file, which must see the modal-dialog flag set.
    void runCommand(const juce::File& file)
    {
        setUnitFileChooserForTesting(
            [&](const juce::String& title, const juce::String& patterns)
            {
                EXPECT_TRUE(ui::ModalDialogState::getInstance()->isOpen());
                EXPECT_EQ(title, text("FileImportUserUnitTitle"));
                EXPECT_EQ(patterns, "*.ftndigunit;*.cntlunit;*.prvlvrunit");
                return file;
            });
        EXPECT_TRUE(importUserUnitFileByCommand());
    }

    MainContent* content = nullptr;
};

TEST_F(UserUnitImportCommandTest, UnitLandsInItsTabInTheLowestSelectedRowOrTheFirstEmptySlot)
{
    // Unit, tab showing before, rows selected in the unit's list, its filled slots ('L' Loaded, 'R' Received),
    // the slot expected (-1: the list is full), the unit's tab and transaction.
    const std::tuple<UnitModule, int, std::vector<int>, std::string, int, int, const char*> cases[] = {
        {UnitModule::Oscillator, 2, {}, "", 0, 0, "LoadUserOscData"},
        {UnitModule::Oscillator, 0, {5, 3}, "...L", 3, 0, "LoadUserOscData"},
        {UnitModule::Oscillator, 0, {}, "LR", 2, 0, "LoadUserOscData"},
        {UnitModule::ModulationEffect, 0, {4}, "", 0, 1, "LoadUserModFXData"}, // selection of a hidden tab
        {UnitModule::ReverbEffect, 3, {7}, ".......R", 7, 3, "LoadUserRevFXData"},
        {UnitModule::DelayEffect, 0, {}, "LRLLLLLR", -1, 2, "LoadUserDelFXData"},
    };
    for (const auto& [module, currentTab, selected, filled, expectedSlot, tab, transaction] : cases)
    {
        fillSlots(module, filled);
        juce::SparseSet<int> rows;
        for (const int row : selected)
            rows.addRange({row, row + 1});
        table(tab).setSelectedRows(rows);
        content->tabs.setCurrentTabIndex(currentTab);
        const auto before = documentImage();
        const auto options = unitOptions(module);
        const auto file = unitFile(options);

        if (expectedSlot < 0)
        {
            expectReadError([&] { runCommand(file); }, ReadError::FailedToFindFreeDelFXSlot, transaction);
            EXPECT_FALSE(undoManager().canUndo());
        }
        else
        {
            runCommand(file);
            EXPECT_EQ(slotContent(module, expectedSlot), loaded(options)) << transaction;
            EXPECT_EQ(table(tab).getNumSelectedRows(), 1) << transaction;
            EXPECT_EQ(table(tab).getSelectedRow(), expectedSlot) << transaction;
            EXPECT_EQ(*ui::selectedRowsOfTab(tab), std::vector<int>{expectedSlot}) << transaction;
            EXPECT_EQ(undoManager().getUndoDescription(), transaction);
            undoManager().undo();
        }
        EXPECT_EQ(documentImage(), before) << transaction;
        EXPECT_EQ(content->tabs.getCurrentTabIndex(), tab) << transaction;
        resetDocument();
    }
}

TEST_F(UserUnitImportCommandTest, CancelledChooserOpenDialogWrongModuleOrNoWindowChangeNothing)
{
    content->tabs.setCurrentTabIndex(1);
    const auto before = documentImage();
    EXPECT_FALSE(runAnswering([&] { runCommand({}); }, "OK").shown);
    // The program's own chooser, cancelled.
    setUnitFileChooserForTesting({});
    EXPECT_EQ(runAnswering([] { EXPECT_TRUE(importUserUnitFileByCommand()); }, "Cancel", "import-chooser").title,
              text("FileImportUserUnitTitle"));

    expectReadError([&] { runCommand(unitFile(unitOptions(UnitModule::Global))); },
                    ReadError::InvalidModuleForUserUnitFile, "global unit");
    EXPECT_EQ(content->tabs.getCurrentTabIndex(), 1);

    {
        // Another dialog is open: no chooser, no question, no error dialog.
        ui::ScopedModalDialog otherDialog;
        setUnitFileChooserForTesting([](const juce::String&, const juce::String&)
                                     { return ADD_FAILURE(), juce::File(); });
        const auto otherPlatform = unitFile(unitOptions(UnitModule::Oscillator, UnitPlatform::ParvolinVr));
        EXPECT_FALSE(runAnswering(
                         [&]
                         {
                             EXPECT_TRUE(importUserUnitFileByCommand());
                             importUserUnitFile(otherPlatform, 0, 4);
                             showReadErrorDialog(int(ReadError::InvalidUserUnitFile));
                         },
                         "OkButton")
                         .shown);
    }

    w40388_ui::MainWindowManager::getInstance()->deleteMainWindow();
    expectReadError([&] { runCommand(unitFile(unitOptions(UnitModule::Oscillator))); },
                    ReadError::FailedToImportUserUnitData, "no main window");
    EXPECT_EQ(documentImage(), before);
    EXPECT_FALSE(undoManager().canUndo());
}
} // namespace
