// The whole program in one process: the real application object, main window, commands, import,
// drag and drop and MIDI jobs, against the simulated instrument on the virtual MIDI bus. Driven by
// real key presses and mouse events; results are read from the live slot lists, the undo
// history, the window title and the instrument's slots.

#include "app/ApplicationMenuManager.h"
#include "core/CTRXResource.h"
#include "core/DataEditStatus.h"
#include "core/LastSavedFileStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "data/DataCenter.h"
#include "data/SlotFamily.h"
#include "data/UnitHeader.h"
#include "midi/MidiDeviceManager.h"
#include "support/MessageLoop.h"
#include "support/files/UnitFileBuilder.h"
#include "support/gui/ApplicationTest.h"
#include "support/gui/GuiTest.h"
#include "support/midi/JobTestSupport.h"
#include "ui/FontLibrary.h"
#include "ui/ModalDialog.h"
#include "ui/UnitFileChooser.h"
#include "ui/UserPaneComponents.h"
#include "ui/UserUnitImport.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace
{
using namespace w40388_menu;
using w40388_data::SlotState;
using Request = test::SimulatedInstrument::Request;
using Fault = test::SimulatedInstrument::Fault;
using Names = std::vector<std::string>;

const auto text = [](const char* key) { return CTRXResource::getInstance()->getText(key); };
const auto unitBlock = [](UnitModule module, const char* name) {
    return test::makeUnitDataBlock({module, UnitPlatform::FeltanDigital, name});
};
const auto liveData = []() -> w40388_data::UserData& { return w40388_data::DataCenter::getInstance()->userData; };
const auto noDialogOpen = [] { return !ui::ModalDialogState::getInstance()->isOpen(); };

// The unit names of one list, as its usable slots hold them ("" for an empty slot).
template <typename Family> Names namesOf(Family)
{
    Names names;
    for (const auto& record : Family::records(liveData()))
        names.push_back(
            record.state == SlotState::Empty ? "" : UnitHeader(record.header.data(), record.header.size()).getName());
    names.pop_back(); // the spare
    return names;
}

// What the instrument holds when the program starts. Delay slot 2 is the first free one.
void putUnitsOnInstrument(test::SimulatedInstrument& instrument)
{
    constexpr auto osc = UnitModule::Oscillator, mod = UnitModule::ModulationEffect, del = UnitModule::DelayEffect,
                   rev = UnitModule::ReverbEffect;
    const std::tuple<UnitModule, int, const char*> units[] = {
        {osc, 0, "Saw Stack"}, {osc, 1, "Wavefold"},  {osc, 5, "Pulse Seq"}, {osc, 15, "Last Osc"}, {mod, 0, "Chorus"},
        {mod, 3, "Ring Mod"},  {del, 0, "Tape Echo"}, {del, 1, "Ping Pong"}, {rev, 7, "Hall Long"}};
    for (const auto& [module, slot, name] : units)
        instrument.setSlot(static_cast<int>(module), slot, unitBlock(module, name));
}

// Presses OK in the progress window, which shows it once the job has failed.
void pressProgressOk(juce::Component& progress)
{
    test::runMessageLoopUntil([&] { return test::gui::findButton(progress, "Button") != nullptr; });
    test::gui::clickButton(progress, "Button");
}

bool isEnabled(juce::CommandID id)
{
    juce::ApplicationCommandInfo info(id);
    ApplicationMenuManager::getInstance()->getCommands().getCommandInfo(id, info);
    return (info.flags & juce::ApplicationCommandInfo::isDisabled) == 0;
}

// Undo, redo, write, and the header's SEND ALL button: whether each is enabled.
using EnableState = std::array<bool, 4>;

constexpr int command = juce::ModifierKeys::commandModifier;
constexpr int shift = juce::ModifierKeys::shiftModifier;

class EndToEndTest : public test::ApplicationTest, public testing::WithParamInterface<const char*>
{
protected:
    // Each test case runs in a process of its own, so neither the locale nor the file chooser is restored.
    void SetUp() override
    {
        setenv("LC_ALL", language() == "ja" ? "ja_JP.UTF-8" : "en_US.UTF-8", 1);
        test::ApplicationTest::SetUp();
    }

    std::string language() const { return GetParam(); }

    // Lets every pending refresh through, then reads the enable state.
    EnableState enableState()
    {
        test::drainMessageLoop();
        test::drainMessageLoop();
        return {isEnabled(undoCommand), isEnabled(redoCommand), isEnabled(writeUserDataCommand),
                content->getHeader().getSendAllButton().isEnabled()};
    }

    void press(int key, int mods) { test::gui::pressKey(*window, juce::KeyPress(key, juce::ModifierKeys(mods), 0)); }

    bool titleHasEditedMark()
    {
        test::drainMessageLoop();
        const auto lastSaved = application::LastSavedFileStatus::getInstance()->getLastSavedFile();
        EXPECT_TRUE(window->getName().startsWith(MainAppWindow::makeTitle(lastSaved, false))) << window->getName();
        return window->getName() == MainAppWindow::makeTitle(lastSaved, true);
    }

    ui::CustomTabbedComponent& tabs() { return content->getTabbedComponent(); }

    template <typename Pane> ui::DraggableTableListBox& tableOf(int tab)
    {
        tabs().setCurrentTabIndex(tab);
        test::drainMessageLoop();
        return dynamic_cast<Pane&>(*tabs().getTabContentComponent(tab)).getList().getTable();
    }

    static Names delays() { return namesOf(w40388_data::DelFXSlotFamily{}); }
    static Names oscs() { return namesOf(w40388_data::OscSlotFamily{}); }
};

TEST_P(EndToEndTest, ReceiveImportArrangeSendAndQuit)
{
    putUnitsOnInstrument(*instrument);
    startApplication(true, Ports::searchedOnBus);
    if (HasFatalFailure())
        return;
    // The interface language follows the locale.
    EXPECT_EQ(text("CommonNo"),
              language() == "ja" ? juce::String::fromUTF8("\xe3\x81\x84\xe3\x81\x84\xe3\x81\x88") : "No");

    // Undoes and redoes the last edit by the shortcuts.
    const auto undoAndRedo = [&](auto names, const Names& before, const Names& after)
    {
        press('z', command);
        EXPECT_EQ(names(), before);
        EXPECT_EQ(enableState(), (EnableState{true, true, true, true}));
        press('z', command | shift);
        EXPECT_EQ(names(), after);
        EXPECT_EQ(enableState(), (EnableState{true, false, true, true}));
    };

    // The search finds the instrument; the automatic receive reads all 48 slots and cannot be undone.
    ASSERT_TRUE(test::runMessageLoopUntil(
        [&]
        {
            return app->getStartupProcess().isStartupDone() && noDialogOpen() &&
                   liveData().revFXData[7].state == SlotState::Received;
        },
        20000));
    const auto* devices = midi::MidiDeviceManager::getInstance();
    EXPECT_TRUE(devices->automatic && devices->scanDone && devices->isConnected());
    test::expectListsMatchInstrument(liveData(), *instrument, "after the automatic receive");
    EXPECT_FALSE(titleHasEditedMark());
    EXPECT_EQ(enableState(), (EnableState{false, false, false, false}));

    for (int tab = 3; tab >= 0; --tab)
    {
        tabs().setCurrentTabIndex(tab);
        test::drainMessageLoop();
        test::gui::saveSnapshot(*window,
                                juce::String("EndToEnd_") + language() + "_AfterReceive_Tab" + juce::String(tab));
    }

    // Import by the command's shortcut: a delay unit, chosen while the oscillator tab shows, goes
    // to the first free delay slot and brings the delay tab to the front.
    test::TemporaryUnitFile delayFile(
        test::buildUnitFile({UnitModule::DelayEffect, UnitPlatform::FeltanDigital, "New Delay"}));
    juce::StringArray patternsAsked; // one entry per chooser shown
    setUnitFileChooserForTesting([&](const juce::String&, const juce::String& patterns)
                                 { return patternsAsked.add(patterns), delayFile.getFile(); });
    press('i', command);
    EXPECT_EQ(patternsAsked, juce::StringArray("*.ftndigunit;*.cntlunit;*.prvlvrunit"));
    EXPECT_EQ(tabs().getCurrentTabIndex(), 2);
    const Names afterImport{"Tape Echo", "Ping Pong", "New Delay", "", "", "", "", ""};
    EXPECT_EQ(delays(), afterImport);
    EXPECT_EQ(liveData().delFXData[2].state.load(), SlotState::Loaded);
    EXPECT_TRUE(titleHasEditedMark());
    EXPECT_EQ(enableState(), (EnableState{true, false, true, true}));

    // A move drag: the first delay row into the gap after the third; undone and redone.
    auto& delayTable = tableOf<UserDelFXPaneComponent>(2);
    ASSERT_NE(delayTable.getComponentForRowNumber(0), nullptr);
    test::gui::drag(*delayTable.getComponentForRowNumber(0), {0, delayTable.getRowHeight() * 5 / 2});
    const Names afterDrag{"Ping Pong", "New Delay", "Tape Echo", "", "", "", "", ""};
    EXPECT_TRUE(test::runMessageLoopUntil([&] { return delays() == afterDrag; }));
    EXPECT_EQ(enableState(), (EnableState{true, false, true, true}));
    undoAndRedo(delays, afterImport, afterDrag);

    // A clear of the oscillator row the user clicks on and one more selected row, as one edit;
    // undone and redone.
    auto& oscTable = tableOf<UserOscPaneComponent>(0);
    ASSERT_NE(oscTable.getComponentForRowNumber(1), nullptr);
    test::gui::click(*oscTable.getComponentForRowNumber(1));
    oscTable.selectRow(5, false, false);
    test::drainMessageLoop();
    const auto beforeClear = oscs();
    press('k', command);
    auto afterClear = beforeClear;
    afterClear[1] = afterClear[5] = "";
    EXPECT_EQ(beforeClear[1] + "|" + beforeClear[5], "Wavefold|Pulse Seq");
    EXPECT_EQ(oscs(), afterClear);
    EXPECT_EQ(enableState(), (EnableState{true, false, true, true}));
    undoAndRedo(oscs, beforeClear, afterClear);

    // SEND ALL, answering the write warning.
    {
        test::gui::ModalDialogDriver driver([](juce::Component& dialog)
                                            { test::gui::clickButton(dialog, "OkButton"); });
        test::gui::click(content->getHeader().getSendAllButton());
        EXPECT_TRUE(test::runMessageLoopUntil([&] { return driver.acted() && noDialogOpen(); }, 20000));
        EXPECT_EQ(driver.dialogTitle(), text("WriteUserDataWarningDialogTitle"));
    }
    test::expectListsMatchInstrument(liveData(), *instrument, "after SEND ALL");
    EXPECT_EQ(instrument->getSlot(2, 1), unitBlock(UnitModule::DelayEffect, "New Delay"));
    EXPECT_TRUE(instrument->isSlotEmpty(4, 1));
    EXPECT_FALSE(titleHasEditedMark());
    EXPECT_EQ(enableState(), (EnableState{false, false, false, false}));

    // Regression: a write refused part way, after it has moved a unit on the instrument, leaves the
    // edits unsent but nothing to undo; undoing to the records from before would make the next
    // write clear the moved unit. Without the warning the write starts at once.
    w40388_preferences::PreferencesData::getInstance()->SetBool(w40388_preferences::warnBeforeWritingKey, false);
    ASSERT_NE(tableOf<UserOscPaneComponent>(0).getComponentForRowNumber(0), nullptr);
    test::gui::drag(*oscTable.getComponentForRowNumber(0), {0, oscTable.getRowHeight() * 3 / 2});
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return oscs()[1] == "Saw Stack"; }));
    instrument->addFault({Request::Clear, static_cast<int>(UnitModule::ModulationEffect)}, Fault::nak());
    {
        test::gui::ModalDialogDriver driver(pressProgressOk); // the job fails: OK in its progress window
        auto& sendAll = content->getHeader().getSendAllButton();
        EXPECT_TRUE(test::runMessageLoopUntil([&] { return sendAll.isEnabled(); })); // refreshed after the drag
        test::gui::click(sendAll);
        EXPECT_TRUE(test::runMessageLoopUntil([&] { return driver.acted() && noDialogOpen(); }, 20000));
    }
    instrument->clearFaults();
    EXPECT_EQ(instrument->getSlot(4, 1), unitBlock(UnitModule::Oscillator, "Saw Stack"));
    EXPECT_EQ(enableState(), (EnableState{false, false, true, true}));
    press('z', command);
    {
        test::gui::ModalDialogDriver watchdog([](juce::Component&) {}); // closes a failed job's window
        test::gui::click(content->getHeader().getSendAllButton());
        EXPECT_TRUE(test::runMessageLoopUntil(
            [&] { return !application::DataEditStatus::getInstance()->isEdited() && noDialogOpen(); }, 20000));
    }
    test::expectListsMatchInstrument(liveData(), *instrument, "after a write refused part way and a second write");

    // Quitting with unsent edits asks first: No keeps the program running, by the window's quit
    // request and by the exit shortcut alike; Yes to the shortcut ends it through the application's
    // own quit.
    press('k', command);
    const std::pair<bool, const char*> quits[] = {{false, "CommonNo"}, {true, "CommonNo"}, {true, "CommonYes"}};
    for (const auto& [byShortcut, answer] : quits)
    {
        test::gui::ModalDialogDriver driver([&](juce::Component& dialog)
                                            { test::gui::clickButton(dialog, text(answer)); });
        byShortcut ? press('q', command) : app->systemRequestedQuit();
        EXPECT_EQ(driver.dialogTitle(), text("FileDiscardCheckTitle")) << byShortcut << answer;
        EXPECT_EQ(quitRequests, juce::String(answer) == "CommonYes" ? 1 : 0) << byShortcut << answer;
    }
    EXPECT_FALSE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());
}

// The framework's own words (file chooser and dialog buttons, a text box's menu) are Japanese in
// Japanese and left as they are in English.
TEST_P(EndToEndTest, FrameworkWordsFollowTheLanguage)
{
    startApplication(false, Ports::setByHand);
    if (HasFatalFailure())
        return;
    const std::pair<const char*, const char*> words[] = {
        {"Cut", "\xe3\x82\xab\xe3\x83\x83\xe3\x83\x88"},
        {"Copy", "\xe3\x82\xb3\xe3\x83\x94\xe3\x83\xbc"},
        {"Paste", "\xe3\x83\x9a\xe3\x83\xbc\xe3\x82\xb9\xe3\x83\x88"},
        {"Delete", "\xe3\x82\xaf\xe3\x83\xaa\xe3\x82\xa2"},
        {"Select All", "\xe3\x81\x99\xe3\x81\xb9\xe3\x81\xa6\xe3\x82\x92\xe9\x81\xb8\xe6\x8a\x9e"},
        {"Undo", "\xe5\x85\x83\xe3\x81\xab\xe6\x88\xbb\xe3\x81\x99"},
        {"Redo", "\xe3\x82\x84\xe3\x82\x8a\xe7\x9b\xb4\xe3\x81\x99"},
        {"OK", "OK"},
        {"Cancel", "\xe3\x82\xad\xe3\x83\xa3\xe3\x83\xb3\xe3\x82\xbb\xe3\x83\xab"},
        {"Yes", "\xe3\x81\xaf\xe3\x81\x84"},
        {"No", "\xe3\x81\x84\xe3\x81\x84\xe3\x81\x88"},
        {"file:", "\xe5\x90\x8d\xe5\x89\x8d:"},
        {"Open", "\xe9\x96\x8b\xe3\x81\x8f"},
        {"Go up to parent directory",
         "\xe8\xa6\xaa\xe3\x83\x95\xe3\x82\xa9\xe3\x83\xab\xe3\x83\x80\xe3\x81\xb8\xe7\xa7\xbb\xe5\x8b\x95"},
        {"Home folder", "\xe3\x83\x9b\xe3\x83\xbc\xe3\x83\xa0\xe3\x83\x95\xe3\x82\xa9\xe3\x83\xab\xe3\x83\x80"},
        {"Desktop", "\xe3\x83\x87\xe3\x82\xb9\xe3\x82\xaf\xe3\x83\x88\xe3\x83\x83\xe3\x83\x97"},
    };
    for (const auto& [english, japanese] : words)
        EXPECT_EQ(TRANS(english), language() == "ja" ? juce::String::fromUTF8(japanese) : juce::String(english))
            << english;
    // Keys are compared with their case.
    EXPECT_EQ(TRANS("cancel"), "cancel");
}

// The framework's own import chooser (the one used where no desktop chooser is installed) opens in
// the home folder, then in the folder of the last unit chosen; shows its words in the interface's
// language; and takes the keyboard in its name box, where a typed name and Return import the unit.
// A quit while it is open closes it, with nothing imported.
TEST_P(EndToEndTest, FrameworkImportChooserOpensAtTheLastImportSpeaksTheLanguageAndTakesTheKeyboard)
{
    startApplication(false, Ports::setByHand);
    if (HasFatalFailure())
        return;
    ui::UnitFileChooser::getInstance()->setKind(ui::UnitFileChooser::Kind::framework);
    test::TemporaryUnitFile unitFile(
        test::buildUnitFile({UnitModule::Oscillator, UnitPlatform::FeltanDigital, "Typed Name"}));
    const auto expectedWords = language() == "ja"
                                   ? juce::StringArray(juce::String::fromUTF8("\xe5\x90\x8d\xe5\x89\x8d:"),
                                                       juce::String::fromUTF8("\xe9\x96\x8b\xe3\x81\x8f"),
                                                       juce::String::fromUTF8("\xe3\x82\xad\xe3\x83\xa3\xe3\x83"
                                                                              "\xb3\xe3\x82\xbb\xe3\x83\xab"))
                                   : juce::StringArray("file:", "Open", "Cancel");

    // Opens the chooser by its shortcut and hands its browser to act, with the keyboard in its name box.
    const auto openChooser = [&](const std::function<void(juce::Component&, juce::FileBrowserComponent&)>& act)
    {
        test::gui::ModalDialogDriver driver(
            [&](juce::Component& dialog)
            {
                auto* browser = test::gui::findDescendant<juce::FileBrowserComponent>(dialog);
                ASSERT_NE(browser, nullptr);
                // The words: the name box's label, then the dialog's buttons.
                juce::StringArray words;
                juce::TextEditor* nameBox = nullptr;
                for (auto* child : browser->getChildren())
                    if (auto* label = dynamic_cast<juce::Label*>(child))
                    {
                        words.add(label->getText());
                        // Whole, not cut short to fit.
                        EXPECT_LE(label->getFont().getStringWidthFloat(label->getText()),
                                  label->getBorderSize().subtractedFrom(label->getLocalBounds()).getWidth());
                        nameBox = dynamic_cast<juce::TextEditor*>(label->getAttachedComponent());
                    }
                for (auto* child : browser->getParentComponent()->getChildren())
                    if (auto* button = dynamic_cast<juce::TextButton*>(child); button != nullptr && button->isVisible())
                        words.add(button->getButtonText());
                EXPECT_EQ(words.joinIntoString("|"), expectedWords.joinIntoString("|"));
                ASSERT_NE(nameBox, nullptr);
                EXPECT_TRUE(test::runMessageLoopUntil([&] { return nameBox->hasKeyboardFocus(false); }));
                act(dialog, *browser);
            });
        press('i', command);
        EXPECT_TRUE(driver.acted());
        EXPECT_TRUE(noDialogOpen());
    };

    openChooser(
        [&](juce::Component& dialog, juce::FileBrowserComponent& browser)
        {
            EXPECT_EQ(browser.getRoot().getFullPathName(),
                      juce::File::getSpecialLocation(juce::File::userHomeDirectory).getFullPathName());
            browser.setRoot(unitFile.getFile().getParentDirectory());
            for (const auto character : unitFile.getFile().getFileName())
                test::gui::pressKey(dialog, juce::KeyPress(static_cast<int>(character), {}, character));
            test::gui::pressKey(dialog, juce::KeyPress(juce::KeyPress::returnKey));
        });
    EXPECT_EQ(oscs()[0], "Typed Name");
    // Undone, so that no unsent edit holds the quit below.
    press('z', command);
    EXPECT_FALSE(application::DataEditStatus::getInstance()->isEdited());

    openChooser(
        [&](juce::Component&, juce::FileBrowserComponent& browser)
        {
            EXPECT_EQ(browser.getRoot().getFullPathName(), unitFile.getFile().getParentDirectory().getFullPathName());
            window->getPeer()->handleUserClosingWindow();
        });
    EXPECT_EQ(quitRequests, 1);
    EXPECT_EQ(oscs(), Names(16));
}

INSTANTIATE_TEST_SUITE_P(Languages, EndToEndTest, testing::Values("en", "ja"),
                         [](const auto& info) { return std::string(info.param) == "ja" ? "Japanese" : "English"; });

using MenuBarTest = test::ApplicationTest;

TEST_F(MenuBarTest, MenusFollowTheDebugMarkerAndTheModalFlag)
{
    for (const bool marker : {false, true})
    {
        startApplication(false, Ports::setByHand, marker);
        if (HasFatalFailure())
            return;
        // The debug marker adds a separator and the last item to the option menu.
        std::vector<int> options;
        const auto menu = ApplicationMenuManager::getInstance()->getMenuForIndex(3, {});
        for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
            options.push_back(it.getItem().isSeparator ? 0 : it.getItem().itemID);
        EXPECT_EQ(options, marker ? std::vector<int>({6, 0, 7, 0, 8}) : std::vector<int>({6, 0, 7}));
        // Opening a dialog greys out the header's buttons on the next loop turn; closing it brings them back.
        auto& receiveAll = content->getHeader().getReceiveAllButton();
        {
            ui::ScopedModalDialog modal;
            EXPECT_TRUE(test::runMessageLoopUntil([&] { return !receiveAll.isEnabled(); }));
        }
        EXPECT_TRUE(test::runMessageLoopUntil([&] { return receiveAll.isEnabled(); }));
        stopApplication();
    }
}

using ListHeightTest = test::ApplicationTest;

// Right after start-up the list fonts and every list's rows follow "ListHeight": the start-up
// default, a stored height, and hand-edited values the preferences window does not offer, which
// read as the nearest height it offers, or as the default when they are no number.
TEST_F(ListHeightTest, ListFontsAndRowsFollowTheStoredHeightFromTheStart)
{
    // Stored value (empty: no file; null: an entry without a value), list font height, row height.
    const std::tuple<const char*, float, int> cases[] = {
        {"", 15.0f, 25},    {"40", 24.0f, 40},  {"2147483647", 24.0f, 40}, {"134217728", 24.0f, 40},
        {"0", 12.0f, 20},   {"-1", 12.0f, 20},  {"1", 12.0f, 20},          {"19", 12.0f, 20},
        {"abc", 15.0f, 25}, {"030", 18.0f, 30}, {"0x20", 15.0f, 25},       {nullptr, 15.0f, 25}};
    for (const auto& [stored, fontHeight, rowHeight] : cases)
    {
        SCOPED_TRACE(stored == nullptr ? "no value" : stored);
        const auto file = preferencesFolder.getChildFile(w40388_preferences::preferencesFileName);
        const auto entry =
            stored == nullptr ? juce::String("<ListHeight/>") : "<ListHeight Value=\"" + juce::String(stored) + "\"/>";
        ASSERT_TRUE(stored != nullptr && *stored == 0
                        ? file.deleteFile()
                        : file.replaceWithText("<PreferencesData>" + entry + "</PreferencesData>"));
        startApplication(false, Ports::setByHand);
        if (HasFatalFailure())
            return;
        for (const auto* name : {"ListNumber", "ListName", "ListCategory"})
            EXPECT_FLOAT_EQ(ui::FontLibrary::getInstance()->getFont(name).getHeight(), fontHeight) << name;
        test::drainMessageLoop();
        auto& tabs = content->getTabbedComponent();
        const std::vector<int> rowHeights{
            dynamic_cast<UserOscPaneComponent&>(*tabs.getTabContentComponent(0)).getList().getTable().getRowHeight(),
            dynamic_cast<UserModFXPaneComponent&>(*tabs.getTabContentComponent(1)).getList().getTable().getRowHeight(),
            dynamic_cast<UserDelFXPaneComponent&>(*tabs.getTabContentComponent(2)).getList().getTable().getRowHeight(),
            dynamic_cast<UserRevFXPaneComponent&>(*tabs.getTabContentComponent(3)).getList().getTable().getRowHeight()};
        EXPECT_EQ(rowHeights, std::vector<int>(4, rowHeight));
        stopApplication();
    }
}

using AutomaticSearchTest = test::ApplicationTest;

// Without an instrument among the system's MIDI devices the search ends by itself. OK in the
// preferences, with nothing changed, saves them and searches again; that search ends too.
TEST_F(AutomaticSearchTest, SearchThatFindsNothingEndsAndPreferencesOkSearchesAgain)
{
    test::gui::ModalDialogDriver driver(pressProgressOk, 20000);
    startApplication(true, Ports::searchedOnSystem);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(test::runMessageLoopUntil(
        [&] { return app->getStartupProcess().isStartupDone() && driver.acted() && noDialogOpen(); }, 20000));
    EXPECT_FALSE(midi::scanRunning);
    const auto preferencesFile = w40388_preferences::PreferencesData::getInstance()->GetFilePath();
    preferencesFile.deleteFile();
    const int searchesBefore = app->getStartupProcess().getNumSearchesFinished();
    {
        test::gui::ModalDialogDriver preferencesDriver([&](juce::Component& d)
                                                       { test::gui::clickButton(d, text("CommonOK")); });
        test::gui::pressKey(*window, juce::KeyPress(',', juce::ModifierKeys(command), 0));
        EXPECT_TRUE(preferencesDriver.acted());
    }
    EXPECT_TRUE(midi::scanRunning);
    EXPECT_TRUE(preferencesFile.existsAsFile());
    EXPECT_TRUE(test::runMessageLoopUntil(
        [&] { return !midi::scanRunning && app->getStartupProcess().getNumSearchesFinished() == searchesBefore + 1; },
        20000));
}
} // namespace
