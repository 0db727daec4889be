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
#include "ui/UserPaneComponents.h"
#include "ui/UserUnitImport.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace
{
using w40388_data::SlotState;
using w40388_preferences::warnBeforeImportingForOtherTargetKey;

juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}

juce::String errorText(ReadError error)
{
    return text(getReadErrorKey(error));
}

application::ApplicationUndoManager& undoManager()
{
    return *application::ApplicationUndoManager::getInstance();
}

// Calls fn with the live record array of the module's list.
template <typename Fn> void withList(UnitModule module, Fn&& fn)
{
    auto& data = w40388_data::DataCenter::getInstance()->userData;
    switch (module)
    {
    case UnitModule::ModulationEffect:
        return fn(data.modFXData);
    case UnitModule::DelayEffect:
        return fn(data.delFXData);
    case UnitModule::ReverbEffect:
        return fn(data.revFXData);
    default:
        return fn(data.oscData);
    }
}

void fillSlot(UnitModule module, int slot, const juce::MemoryBlock& block, SlotState state = SlotState::Loaded)
{
    withList(module,
             [&](auto& records)
             {
                 auto& record = records[static_cast<std::size_t>(slot)];
                 record = std::decay_t<decltype(record)>(block);
                 record.state = state;
             });
}

// State and unit data of one live slot.
std::pair<SlotState, juce::MemoryBlock> slotContent(UnitModule module, int slot)
{
    std::pair<SlotState, juce::MemoryBlock> content;
    withList(module,
             [&](auto& records)
             {
                 const auto& record = records[static_cast<std::size_t>(slot)];
                 content = {record.state.load(), record.unitData};
             });
    return content;
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
                         image << static_cast<int>(record.state.load()) << record.slotIndex.load() << ':'
                               << record.unitData.toBase64Encoding() << '\n';
                 });
    return image;
}

test::UnitFileOptions unitOptions(UnitModule module, UnitPlatform platform = UnitPlatform::FeltanDigital,
                                  const std::string& name = "Test Unit")
{
    test::UnitFileOptions options;
    options.module = module;
    options.platform = platform;
    options.name = name;
    return options;
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

// Expects exactly one read-error dialog with the error's text while fn runs, and presses its OK.
void expectReadError(const std::function<void()>& fn, ReadError error, const std::string& what,
                     const char* snapshotName = nullptr)
{
    const auto seen = runAnswering(fn, text("CommonOK"), snapshotName);
    EXPECT_TRUE(seen.shown) << what;
    EXPECT_EQ(seen.title, text("CommonErrorDialogTitle")) << what;
    EXPECT_EQ(seen.message, errorText(error)) << what;
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

    static bool warnsBeforeOtherTargets()
    {
        return w40388_preferences::PreferencesData::getInstance()->GetBool(warnBeforeImportingForOtherTargetKey, true);
    }

    test::gui::ScopedPreferences preferences;
    std::vector<std::unique_ptr<test::TemporaryUnitFile>> files;
};

TEST_F(UserUnitImportTest, DroppedUnitOverwritesItsSlotInTheModulesTransactionAndOneUndoRestoresIt)
{
    const std::tuple<UnitModule, int, const char*> cases[] = {
        {UnitModule::Oscillator, 15, "LoadUserOscData"},
        {UnitModule::ModulationEffect, 0, "LoadUserModFXData"},
        {UnitModule::DelayEffect, 7, "LoadUserDelFXData"},
        {UnitModule::ReverbEffect, 3, "LoadUserRevFXData"},
    };
    for (const auto& [module, slot, transaction] : cases)
    {
        const auto previous = test::makeUnitDataBlock(unitOptions(module, UnitPlatform::FeltanDigital, "Old"));
        fillSlot(module, slot, previous, SlotState::Received);
        const auto options = unitOptions(module, UnitPlatform::FeltanDigital, "New");

        const auto seen = runAnswering([&] { importUserUnitFile(unitFile(options), slot, static_cast<int>(module)); },
                                       text("CommonOK"));
        EXPECT_FALSE(seen.shown) << transaction << ": " << seen.message;
        EXPECT_EQ(slotContent(module, slot), std::make_pair(SlotState::Loaded, test::makeUnitDataBlock(options)))
            << transaction;
        EXPECT_EQ(undoManager().getUndoDescription(), transaction);
        EXPECT_TRUE(application::DataEditStatus::getInstance()->isEdited());

        EXPECT_TRUE(undoManager().undo());
        EXPECT_EQ(slotContent(module, slot), std::make_pair(SlotState::Received, previous)) << transaction;
        EXPECT_FALSE(undoManager().canUndo()) << transaction;
        resetDocument();
    }
}

TEST_F(UserUnitImportTest, FailedDropShowsItsErrorTextAndChangesNothing)
{
    const auto global = test::buildUnitFile(unitOptions(UnitModule::Global));
    const auto delay = test::buildUnitFile(unitOptions(UnitModule::DelayEffect));
    const auto oscillator = test::buildUnitFile(unitOptions(UnitModule::Oscillator));
    // What is dropped, on which slot, with which module, and the error shown.
    const std::tuple<const char*, juce::MemoryBlock, int, int, ReadError> cases[] = {
        {"not a zip archive", test::toBlock("plain text, no archive"), 0, 4, ReadError::InvalidUserUnitFile},
        {"global unit on the oscillator pane", global, 0, 4, ReadError::UserUnitFileWrongModule},
        {"delay unit on the oscillator pane", delay, 2, 4, ReadError::UserUnitFileWrongModule},
        {"global unit with module 0", global, 0, 0, ReadError::FailedToImportUserUnitData},
        {"oscillator beyond the list", oscillator, 16, 4, ReadError::FailedToImportUserUnitData},
        {"delay beyond the list", delay, 8, 2, ReadError::FailedToImportUserUnitData},
        {"delay before the list", delay, -1, 2, ReadError::FailedToImportUserUnitData},
    };
    fillSlot(UnitModule::Oscillator, 2, test::makeUnitDataBlock(unitOptions(UnitModule::Oscillator)));
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
        {std::nullopt, true, "CancelButton", false, true}, // never written: asks
        {true, false, {}, false, true},
        {std::nullopt, false, "OkButton", true, true},
        {true, true, "OkButton", true, false},
        {std::nullopt, false, {}, true, false}, // turned off by the tick: no question at all
    };
    const auto options = unitOptions(UnitModule::Oscillator, UnitPlatform::Cantorel);
    int caseIndex = 0;
    for (const auto& [stored, tick, button, imported, warnAfter] : cases)
    {
        if (stored.has_value())
            w40388_preferences::PreferencesData::getInstance()->SetBool(warnBeforeImportingForOtherTargetKey, *stored);
        const bool asks = warnsBeforeOtherTargets();
        const auto file = unitFile(test::buildUnitFile(options), ".cntlunit");

        const auto seen = runAnswering([&] { importUserUnitFile(file, 4, 4); }, button,
                                       caseIndex == 0 ? "import-warning-en" : nullptr, tick ? "DontWarning" : nullptr);
        EXPECT_EQ(seen.shown, asks) << caseIndex;
        EXPECT_EQ(seen.title, asks ? text("ImportUserDataWarningDialogTitle") : juce::String()) << caseIndex;
        const auto expected = imported ? std::make_pair(SlotState::Loaded, test::makeUnitDataBlock(options))
                                       : std::make_pair(SlotState::Empty, juce::MemoryBlock());
        EXPECT_EQ(slotContent(UnitModule::Oscillator, 4), expected) << caseIndex;
        EXPECT_EQ(undoManager().canUndo(), imported) << caseIndex;
        EXPECT_EQ(warnsBeforeOtherTargets(), warnAfter) << caseIndex;
        resetDocument();
        ++caseIndex;
    }
}

TEST_F(UserUnitImportTest, NoQuestionAndNoErrorWhileAnotherDialogIsOpen)
{
    ui::ScopedModalDialog otherDialog;
    ASSERT_TRUE(otherDialog.isClaimed());
    const auto seen = runAnswering(
        [&]
        {
            EXPECT_FALSE(ImportUserDataWarningComponent::confirm());
            showReadErrorDialog(static_cast<int>(ReadError::InvalidUserUnitFile));
            importUserUnitFile(unitFile(unitOptions(UnitModule::Oscillator, UnitPlatform::ParvolinVr)), 0, 4);
        },
        "OkButton");
    EXPECT_FALSE(seen.shown);
    EXPECT_EQ(slotContent(UnitModule::Oscillator, 0).first, SlotState::Empty);
}

TEST_F(UserUnitImportTest, ErrorDialogShowsEveryCodesTextAndTheUnreadableTextForNumbersOutsideTheTable)
{
    for (int code = 1; code < numReadErrors; ++code)
        expectReadError([&] { showReadErrorDialog(code); }, static_cast<ReadError>(code), std::to_string(code));
    for (const int code : {-1, numReadErrors, 1000})
        expectReadError([&] { showReadErrorDialog(code); }, ReadError::FailedToReadUserUnitFile, std::to_string(code));
    EXPECT_FALSE(runAnswering([] { showReadErrorDialog(0); }, text("CommonOK")).shown);
}

TEST_F(UserUnitImportTest, DialogsShowTheJapaneseTexts)
{
    using Language = w40388_application::CurrentLanguageModel;
    const auto reloadTexts = [](juce::uint32 language)
    {
        Language::getInstance()->setLanguage(language);
        delete CTRXResource::getInstanceWithoutCreating();
    };
    reloadTexts(Language::japanese);
    const auto warning =
        runAnswering([] { ImportUserDataWarningComponent::confirm(); }, "CancelButton", "import-warning-ja");
    const auto error = runAnswering([] { showReadErrorDialog(static_cast<int>(ReadError::InvalidUserUnitFile)); },
                                    text("CommonOK"), "read-error-dialog-ja");
    const auto japaneseTitle = text("CommonErrorDialogTitle");
    const auto japaneseMessage = errorText(ReadError::InvalidUserUnitFile);
    reloadTexts(Language::english);

    EXPECT_EQ(warning.title, "他機種用のユニット");
    EXPECT_TRUE(warning.message.endsWith("\n\nこのまま読み込みますか？")) << warning.message;
    EXPECT_EQ(error.title, japaneseTitle);
    EXPECT_EQ(error.message, japaneseMessage);
    EXPECT_NE(japaneseMessage, errorText(ReadError::InvalidUserUnitFile));
}

// A main window like the program's: its content holds the four real panes in the tabbed component.
class MainContent : public juce::Component
{
public:
    MainContent()
    {
        addAndMakeVisible(tabs);
        tabs.setTabBarDepth(30);
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
        content = new MainContent();
        window->setContentOwned(content, true);
        window->setVisible(true);
        w40388_ui::MainWindowManager::getInstance()->setMainWindow(std::move(window));
    }

    juce::TableListBox& table(int tab)
    {
        for (auto* child : content->tabs.getTabContentComponent(tab)->getChildren())
            if (auto* list = dynamic_cast<UserListComponent*>(child))
                return list->getTable();
        throw std::logic_error("pane without list");
    }

    // Runs the command with the chooser answering file; returns the chooser's title and patterns.
    std::pair<juce::String, juce::String> runCommand(const juce::File& file)
    {
        std::pair<juce::String, juce::String> asked;
        setUnitFileChooserForTesting(
            [&](const juce::String& title, const juce::String& patterns)
            {
                EXPECT_TRUE(ui::ModalDialogState::getInstance()->isOpen());
                asked = {title, patterns};
                return file;
            });
        EXPECT_TRUE(importUserUnitFileByCommand());
        return asked;
    }

    MainContent* content = nullptr;
};

TEST_F(UserUnitImportCommandTest, UnitLandsInItsTabInTheLowestSelectedRowOrTheFirstEmptySlot)
{
    struct Case
    {
        const char* what;
        UnitModule module;
        int currentTab;
        std::vector<int> selectedRows;                 // in the unit's list, before the command
        std::vector<std::pair<int, SlotState>> filled; // slots of the unit's list holding a unit
        int expectedSlot;                              // -1: the list is full
    };
    const Case cases[] = {
        {"oscillator from another tab", UnitModule::Oscillator, 2, {}, {}, 0},
        {"oscillator over selected rows 5 and 3", UnitModule::Oscillator, 0, {5, 3}, {{3, SlotState::Loaded}}, 3},
        {"oscillator, nothing selected",
         UnitModule::Oscillator,
         0,
         {},
         {{0, SlotState::Loaded}, {1, SlotState::Received}},
         2},
        {"modulation selection ignored from another tab", UnitModule::ModulationEffect, 0, {4}, {}, 0},
        {"reverb over its selected row", UnitModule::ReverbEffect, 3, {7}, {{7, SlotState::Received}}, 7},
        {"delay list full",
         UnitModule::DelayEffect,
         0,
         {},
         {{0, SlotState::Loaded},
          {1, SlotState::Received},
          {2, SlotState::Loaded},
          {3, SlotState::Loaded},
          {4, SlotState::Loaded},
          {5, SlotState::Loaded},
          {6, SlotState::Loaded},
          {7, SlotState::Received}},
         -1},
    };
    const std::map<UnitModule, std::pair<int, const char*>> tabAndTransaction{
        {UnitModule::Oscillator, {0, "LoadUserOscData"}},
        {UnitModule::ModulationEffect, {1, "LoadUserModFXData"}},
        {UnitModule::DelayEffect, {2, "LoadUserDelFXData"}},
        {UnitModule::ReverbEffect, {3, "LoadUserRevFXData"}},
    };
    for (const auto& c : cases)
    {
        const auto [tab, transaction] = tabAndTransaction.at(c.module);
        for (const auto& [slot, state] : c.filled)
            fillSlot(c.module, slot, test::makeUnitDataBlock(unitOptions(c.module, UnitPlatform::FeltanDigital, "Old")),
                     state);
        juce::SparseSet<int> rows;
        for (const int row : c.selectedRows)
            rows.addRange({row, row + 1});
        table(tab).setSelectedRows(rows);
        content->tabs.setCurrentTabIndex(c.currentTab);
        const auto before = documentImage();
        const auto options = unitOptions(c.module, UnitPlatform::FeltanDigital, "New");
        const auto file = unitFile(options);

        if (c.expectedSlot < 0)
        {
            expectReadError([&] { runCommand(file); }, ReadError::FailedToFindFreeDelFXSlot, c.what);
            EXPECT_EQ(documentImage(), before) << c.what;
            EXPECT_FALSE(undoManager().canUndo()) << c.what;
        }
        else
        {
            const auto asked = runCommand(file);
            EXPECT_EQ(asked.first, text("FileImportUserUnitTitle")) << c.what;
            EXPECT_EQ(asked.second, "*.ftndigunit;*.cntlunit;*.prvlvrunit") << c.what;
            EXPECT_EQ(slotContent(c.module, c.expectedSlot),
                      std::make_pair(SlotState::Loaded, test::makeUnitDataBlock(options)))
                << c.what;
            EXPECT_EQ(table(tab).getNumSelectedRows(), 1) << c.what;
            EXPECT_EQ(table(tab).getSelectedRow(), c.expectedSlot) << c.what;
            EXPECT_EQ(undoManager().getUndoDescription(), transaction) << c.what;
            undoManager().undo();
            EXPECT_EQ(documentImage(), before) << c.what;
        }
        EXPECT_EQ(content->tabs.getCurrentTabIndex(), tab) << c.what;
        resetDocument();
    }
}

TEST_F(UserUnitImportCommandTest, CancelledChooserOpenDialogWrongModuleOrNoWindowChangeNothing)
{
    content->tabs.setCurrentTabIndex(1);
    const auto before = documentImage();

    // Cancelled: no dialog, no change.
    EXPECT_FALSE(runAnswering([&] { runCommand({}); }, text("CommonOK")).shown);

    // A global unit: code 18, the tab stays.
    expectReadError([&] { runCommand(unitFile(unitOptions(UnitModule::Global))); },
                    ReadError::InvalidModuleForUserUnitFile, "global unit");
    EXPECT_EQ(content->tabs.getCurrentTabIndex(), 1);

    // While another dialog is open the chooser is not even asked.
    {
        ui::ScopedModalDialog otherDialog;
        bool asked = false;
        setUnitFileChooserForTesting([&](const juce::String&, const juce::String&)
                                     { return asked = true, juce::File(); });
        EXPECT_TRUE(importUserUnitFileByCommand());
        EXPECT_FALSE(asked);
    }

    // Without a main window: code 23.
    w40388_ui::MainWindowManager::getInstance()->deleteMainWindow();
    expectReadError([&] { runCommand(unitFile(unitOptions(UnitModule::Oscillator))); },
                    ReadError::FailedToImportUserUnitData, "no main window");
    EXPECT_EQ(documentImage(), before);
    EXPECT_FALSE(undoManager().canUndo());
}
} // namespace
