// The whole program in one process: the real application object, main window, commands, import,
// drag and drop and MIDI jobs, against the simulated instrument on the virtual MIDI bus. Driven by
// real key presses and mouse events; results are read from the live slot lists, the undo
// history, the window title and the instrument's slots.

#include "app/ApplicationMenuManager.h"
#include "app/DebugModeModel.h"
#include "app/MainAppWindow.h"
#include "app/MainComponent.h"
#include "app/qtr3LibrarianApplication.h"
#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/DataEditStatus.h"
#include "core/LastSavedFileStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "data/DataCenter.h"
#include "data/SlotFamily.h"
#include "midi/MidiDeviceManager.h"
#include "support/MessageLoop.h"
#include "support/TemporaryFolder.h"
#include "support/files/UnitFileBuilder.h"
#include "support/gui/GuiTest.h"
#include "support/midi/SimulatedInstrumentFixture.h"
#include "support/midi/VirtualBusMidiScanDevices.h"
#include "ui/MainWindowManager.h"
#include "ui/SelectedTabStatus.h"
#include "ui/UserPaneComponents.h"
#include "ui/UserUnitImport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace
{
using namespace w40388_menu;
using w40388_data::SlotState;

juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}

struct InstrumentUnit
{
    UnitModule module;
    int slot;
    const char* name;
};

// What the instrument holds when the program starts. Delay slot 2 is the first free delay slot.
const std::vector<InstrumentUnit> unitsOnInstrument{
    {UnitModule::Oscillator, 0, "Saw Stack"},    {UnitModule::Oscillator, 1, "Wavefold"},
    {UnitModule::Oscillator, 5, "Pulse Seq"},    {UnitModule::Oscillator, 15, "Last Osc"},
    {UnitModule::ModulationEffect, 0, "Chorus"}, {UnitModule::ModulationEffect, 3, "Ring Mod"},
    {UnitModule::DelayEffect, 0, "Tape Echo"},   {UnitModule::DelayEffect, 1, "Ping Pong"},
    {UnitModule::ReverbEffect, 7, "Hall Long"},
};

test::UnitFileOptions unitOptions(UnitModule module, const char* name)
{
    test::UnitFileOptions options;
    options.module = module;
    options.name = name;
    options.payloadSize = 96;
    return options;
}

template <typename Function> void forEachList(Function&& f)
{
    f(w40388_data::OscSlotFamily{});
    f(w40388_data::ModFXSlotFamily{});
    f(w40388_data::DelFXSlotFamily{});
    f(w40388_data::RevFXSlotFamily{});
}

w40388_data::UserData& liveData()
{
    return w40388_data::DataCenter::getInstance()->userData;
}

// The unit names of one list, as its slots hold them ("" for an empty slot).
template <typename Family> std::vector<std::string> namesOf(Family)
{
    std::vector<std::string> names;
    for (int slot = 0; slot < Family::numUsableSlots; ++slot)
    {
        const auto& record = Family::records(liveData())[static_cast<size_t>(slot)];
        // The name sits at bytes 18 to 31 of the header, zero-terminated.
        const auto* name = reinterpret_cast<const char*>(record.header.data() + 18);
        names.push_back(record.state == SlotState::Empty ? "" : std::string(name, strnlen(name, 14)));
    }
    return names;
}

// Every usable slot of every list against the instrument: an empty record where the instrument's
// slot is empty, else a unit on the instrument at that very slot with the same header.
void expectListsMatchInstrument(const test::SimulatedInstrument& instrument, const std::string& stage)
{
    int checked = 0;
    forEachList(
        [&](auto family)
        {
            using Family = decltype(family);
            const int module = static_cast<int>(Family::module);
            for (int slot = 0; slot < Family::numUsableSlots; ++slot, ++checked)
            {
                const auto& record = Family::records(liveData())[static_cast<size_t>(slot)];
                const auto onInstrument = instrument.getSlot(module, slot);
                const auto where = stage + ", module " + std::to_string(module) + " slot " + std::to_string(slot);
                if (onInstrument.isEmpty())
                {
                    EXPECT_EQ(record.state.load(), SlotState::Empty) << where;
                    continue;
                }
                ASSERT_GE(onInstrument.getSize(), record.header.size()) << where;
                EXPECT_EQ(record.state.load(), SlotState::Received) << where;
                EXPECT_EQ(record.slotIndex.load(), slot) << where;
                EXPECT_EQ(juce::MemoryBlock(record.header.data(), record.header.size()),
                          juce::MemoryBlock(onInstrument.getData(), record.header.size()))
                    << where;
            }
        });
    EXPECT_EQ(checked, 48);
}

// Presses OK in the progress window, which shows it once the job has failed.
void pressProgressOk(juce::Component& progress)
{
    test::runMessageLoopUntil([&] { return test::gui::findButton(progress, "Button") != nullptr; });
    test::gui::clickButton(progress, "Button");
}

// Which of undo, redo and write are enabled, and whether the header's SEND ALL button is.
struct EnableState
{
    bool undo, redo, write, sendAllButton;
    bool operator==(const EnableState& o) const
    {
        return undo == o.undo && redo == o.redo && write == o.write && sendAllButton == o.sendAllButton;
    }
};

std::ostream& operator<<(std::ostream& out, const EnableState& s)
{
    return out << "{undo " << s.undo << ", redo " << s.redo << ", write " << s.write << ", SEND ALL " << s.sendAllButton
               << "}";
}

class EndToEndTest : public test::SimulatedInstrumentTest, public testing::WithParamInterface<const char*>
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        juce::DeletedAtShutdown::deleteAll();
        test::SimulatedInstrumentTest::SetUp();
        const char* previous = std::getenv("LC_ALL");
        previousLocale = previous != nullptr ? std::optional<std::string>(previous) : std::nullopt;
        setenv("LC_ALL", language() == "ja" ? "ja_JP.UTF-8" : "en_US.UTF-8", 1);
        w40388_application::DebugModeModel::getInstance()->debugMode = false;
    }

    void TearDown() override
    {
        setUnitFileChooserForTesting({});
        stopApplication();
        midi::MidiDeviceManager::setScanDevicesFactory({});
        if (previousLocale)
            setenv("LC_ALL", previousLocale->c_str(), 1);
        else
            unsetenv("LC_ALL");
        test::SimulatedInstrumentTest::TearDown();
    }

    virtual std::string language() const { return GetParam(); }

    // Shuts the program down and deletes every application-wide object, so that what follows in
    // this process starts afresh. Fading windows (a dismissed menu) must be gone first: deleting
    // the desktop under them tears their windows down without a display.
    void stopApplication()
    {
        if (app != nullptr)
        {
            app->shutdown();
            app.reset();
        }
        test::runMessageLoopUntil([] { return !juce::Desktop::getInstance().getAnimator().isAnimating(); });
        juce::DeletedAtShutdown::deleteAll();
    }

    // How the program finds the instrument's ports.
    enum class Ports
    {
        searchedOnBus,    // the instrument search runs over the virtual bus and finds the instrument
        searchedOnSystem, // the search looks at the system's MIDI devices, where there is none
        setByHand,        // manual mode with the instrument's port names in the preferences
    };

    void startApplication(bool autoReceive, bool debugMarker = false, Ports ports = Ports::searchedOnBus)
    {
        if (ports == Ports::searchedOnBus)
            midi::MidiDeviceManager::setScanDevicesFactory(
                [bus = bus] { return std::make_unique<test::VirtualBusMidiScanDevices>(bus); });
        const bool automaticSearch = ports != Ports::setByHand;
        if (debugMarker)
        {
            ASSERT_TRUE(preferencesFolder.getChildFile("DebugMode.txt").replaceWithText("on"));
        }

        qtr3LibrarianApplication::Options options;
        options.midiBackend = bus;
        options.preferencesFolder = preferencesFolder.getFolder();
        options.quit = [this] { ++quitRequests; };
        app = std::make_unique<qtr3LibrarianApplication>(options);

        using namespace w40388_preferences;
        auto& port = midi::MidiDeviceManager::getInstance()->getMidiPort();
        auto* preferences = PreferencesData::getInstance();
        preferences->SetBool(midiPortAutoScanKey, automaticSearch);
        preferences->SetString(midiInPortKey, port.GetInPortName(instrument->getSourceIndex()));
        preferences->SetString(midiOutPortKey, port.GetOutPortName(instrument->getDestinationIndex()));
        preferences->SetBool(autoReceiveKey, autoReceive);

        app->initialise({});
        window = w40388_ui::MainWindowManager::getInstance()->getMainWindow();
        ASSERT_NE(window, nullptr);
        content = dynamic_cast<MainComponent*>(window->getContentComponent());
        ASSERT_NE(content, nullptr);
    }

    void putUnitsOnInstrument()
    {
        for (const auto& unit : unitsOnInstrument)
            instrument->setSlot(static_cast<int>(unit.module), unit.slot,
                                test::makeUnitDataBlock(unitOptions(unit.module, unit.name)));
    }

    bool isEnabled(juce::CommandID id)
    {
        juce::ApplicationCommandInfo info(id);
        ApplicationMenuManager::getInstance()->getCommands().getCommandInfo(id, info);
        return (info.flags & juce::ApplicationCommandInfo::isDisabled) == 0;
    }

    // Lets every pending refresh through, then reads the enable state.
    EnableState enableState()
    {
        test::drainMessageLoop();
        test::drainMessageLoop();
        return {isEnabled(undoCommand), isEnabled(redoCommand), isEnabled(writeUserDataCommand),
                content->getHeader().getSendAllButton().isEnabled()};
    }

    void press(int key, int modifiers)
    {
        test::gui::pressKey(*window, juce::KeyPress(key, juce::ModifierKeys(modifiers), 0));
    }

    static constexpr int command = juce::ModifierKeys::commandModifier;
    static constexpr int shift = juce::ModifierKeys::shiftModifier;

    bool titleHasEditedMark()
    {
        test::drainMessageLoop();
        const auto lastSaved = application::LastSavedFileStatus::getInstance()->getLastSavedFile();
        const auto title = window->getName();
        EXPECT_TRUE(title == MainAppWindow::makeTitle(lastSaved, true) ||
                    title == MainAppWindow::makeTitle(lastSaved, false))
            << title;
        return title == MainAppWindow::makeTitle(lastSaved, true);
    }

    // Opens a menu of the window's menu bar, saves a snapshot of it and closes it again.
    void snapshotMenu(int menuIndex, const juce::String& name)
    {
        auto* menuBar = dynamic_cast<juce::MenuBarComponent*>(window->getMenuBarComponent());
        ASSERT_NE(menuBar, nullptr);
        auto& desktop = juce::Desktop::getInstance();
        const int windowsBefore = desktop.getNumComponents();
        menuBar->showMenu(menuIndex);
        ASSERT_TRUE(test::runMessageLoopUntil([&] { return desktop.getNumComponents() > windowsBefore; }));
        test::drainMessageLoop();
        EXPECT_TRUE(
            test::gui::saveSnapshot(*desktop.getComponent(desktop.getNumComponents() - 1), name).existsAsFile());
        juce::PopupMenu::dismissAllActiveMenus();
        // The menu fades out through the desktop's animator; nothing may be torn down under it.
        EXPECT_TRUE(test::runMessageLoopUntil(
            [&] { return desktop.getNumComponents() == windowsBefore && !desktop.getAnimator().isAnimating(); }));
    }

    ui::CustomTabbedComponent& tabs() { return content->getTabbedComponent(); }

    template <typename Pane> ui::DraggableTableListBox& tableOf(int tab)
    {
        auto* pane = dynamic_cast<Pane*>(tabs().getTabContentComponent(tab));
        EXPECT_NE(pane, nullptr);
        return pane->getList().getTable();
    }

    test::TemporaryFolder preferencesFolder{"qtr-end-to-end"};
    std::unique_ptr<qtr3LibrarianApplication> app;
    MainAppWindow* window = nullptr;
    MainComponent* content = nullptr;
    int quitRequests = 0;
    std::optional<std::string> previousLocale;
};

TEST_P(EndToEndTest, ReceiveImportArrangeSendAndQuit)
{
    putUnitsOnInstrument();
    startApplication(true);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(CTRXResource::getInstance()->getText("CommonNo"),
              language() == "ja" ? juce::String(juce::CharPointer_UTF8("\xe3\x81\x84\xe3\x81\x84\xe3\x81\x88"))
                                 : juce::String("No"))
        << "the interface language follows the locale";

    std::vector<EnableState> seen;
    std::vector<EnableState> expected;
    const auto record = [&](EnableState wanted)
    {
        seen.push_back(enableState());
        expected.push_back(wanted);
    };

    // The search finds the instrument; the automatic receive reads all 48 slots and cannot be undone.
    ASSERT_TRUE(test::runMessageLoopUntil(
        [&]
        {
            return app->getStartupProcess().isStartupDone() && !ui::ModalDialogState::getInstance()->isOpen() &&
                   liveData().revFXData[7].state == SlotState::Received;
        },
        20000));
    const auto* manager = midi::MidiDeviceManager::getInstance();
    EXPECT_TRUE(manager->automatic && manager->scanDone && manager->isConnected());
    expectListsMatchInstrument(*instrument, "after the automatic receive");
    EXPECT_FALSE(application::DataEditStatus::getInstance()->isEdited());
    EXPECT_FALSE(titleHasEditedMark());
    record({false, false, false, false});

    for (int tab = 3; tab >= 0; --tab)
    {
        tabs().setCurrentTabIndex(tab);
        test::drainMessageLoop();
        EXPECT_TRUE(test::gui::saveSnapshot(*window, juce::String("EndToEnd_") + language() + "_AfterReceive_Tab" +
                                                         juce::String(tab))
                        .existsAsFile());
    }

    // The Edit menu as the menu bar opens it: undo and redo greyed out, clear available.
    snapshotMenu(1, juce::String("EndToEnd_") + language() + "_EditMenu");

    // Import by the command's shortcut: a delay unit, chosen while the oscillator tab shows, goes
    // to the first free delay slot and brings the delay tab to the front.
    test::TemporaryUnitFile delayFile(test::buildUnitFile(unitOptions(UnitModule::DelayEffect, "New Delay")));
    int chooserCalls = 0;
    setUnitFileChooserForTesting(
        [&](const juce::String&, const juce::String& patterns)
        {
            ++chooserCalls;
            EXPECT_EQ(patterns, "*.ftndigunit;*.cntlunit;*.prvlvrunit");
            return delayFile.getFile();
        });
    press('i', command);
    EXPECT_EQ(chooserCalls, 1);
    EXPECT_EQ(tabs().getCurrentTabIndex(), 2);
    EXPECT_EQ(ui::SelectedTabStatus::getInstance()->getCurrentTabIndex(), 2);
    const std::vector<std::string> afterImport{"Tape Echo", "Ping Pong", "New Delay", "", "", "", "", ""};
    EXPECT_EQ(namesOf(w40388_data::DelFXSlotFamily{}), afterImport);
    EXPECT_EQ(liveData().delFXData[2].state.load(), SlotState::Loaded);
    EXPECT_TRUE(titleHasEditedMark());
    record({true, false, true, true});

    // A move drag: the first delay row into the gap after the third.
    auto& delayTable = tableOf<UserDelFXPaneComponent>(2);
    auto* firstRow = delayTable.getComponentForRowNumber(0);
    ASSERT_NE(firstRow, nullptr);
    test::gui::drag(*firstRow, {0, delayTable.getRowHeight() * 5 / 2});
    const std::vector<std::string> afterDrag{"Ping Pong", "New Delay", "Tape Echo", "", "", "", "", ""};
    EXPECT_TRUE(
        test::runMessageLoopUntil([&]() -> bool { return namesOf(w40388_data::DelFXSlotFamily{}) == afterDrag; }))
        << "the drag did not move the row";
    record({true, false, true, true});
    press('z', command);
    EXPECT_EQ(namesOf(w40388_data::DelFXSlotFamily{}), afterImport);
    record({true, true, true, true});
    press('z', command | shift);
    EXPECT_EQ(namesOf(w40388_data::DelFXSlotFamily{}), afterDrag);
    record({true, false, true, true});

    // A clear of the oscillator row the user clicks on.
    tabs().setCurrentTabIndex(0);
    test::drainMessageLoop();
    auto& oscTable = tableOf<UserOscPaneComponent>(0);
    auto* secondRow = oscTable.getComponentForRowNumber(1);
    ASSERT_NE(secondRow, nullptr);
    test::gui::click(*secondRow);
    test::drainMessageLoop();
    press('k', command);
    auto oscNames = namesOf(w40388_data::OscSlotFamily{});
    EXPECT_EQ(oscNames[0], "Saw Stack");
    EXPECT_EQ(oscNames[1], "");
    record({true, false, true, true});
    press('z', command);
    EXPECT_EQ(namesOf(w40388_data::OscSlotFamily{})[1], "Wavefold");
    record({true, true, true, true});
    press('z', command | shift);
    EXPECT_EQ(namesOf(w40388_data::OscSlotFamily{})[1], "");
    record({true, false, true, true});

    // SEND ALL, answering the write warning; while the warning shows, every command is off and a
    // shortcut does nothing.
    bool commandsOffDuringWarning = true;
    juce::String warningTitle;
    {
        test::gui::ModalDialogDriver driver(
            [&](juce::Component& dialog)
            {
                warningTitle = dialog.getName();
                for (juce::CommandID id = firstCommandId; id <= lastCommandId; ++id)
                    commandsOffDuringWarning = commandsOffDuringWarning && !isEnabled(id);
                press('z', command);
                commandsOffDuringWarning = commandsOffDuringWarning && namesOf(w40388_data::OscSlotFamily{})[1].empty();
                test::gui::clickButton(dialog, "OkButton");
            });
        test::gui::click(content->getHeader().getSendAllButton());
        EXPECT_TRUE(test::runMessageLoopUntil(
            [&] { return driver.acted() && !ui::ModalDialogState::getInstance()->isOpen(); }, 20000));
        EXPECT_TRUE(driver.acted());
    }
    EXPECT_EQ(warningTitle, text("WriteUserDataWarningDialogTitle"));
    EXPECT_TRUE(commandsOffDuringWarning);
    expectListsMatchInstrument(*instrument, "after SEND ALL");
    EXPECT_EQ(instrument->getSlot(2, 1), test::makeUnitDataBlock(unitOptions(UnitModule::DelayEffect, "New Delay")));
    EXPECT_TRUE(instrument->isSlotEmpty(4, 1));
    EXPECT_FALSE(application::DataEditStatus::getInstance()->isEdited());
    EXPECT_FALSE(titleHasEditedMark());
    record({false, false, false, false});

    EXPECT_EQ(seen, expected) << "undo, redo and SEND ALL at each step";

    // A receive that the instrument refuses changes nothing: the lists stay as they were and the
    // edit stays unsent and undoable.
    const auto runFailingJob = [&](juce::Button& button)
    {
        test::gui::ModalDialogDriver driver(pressProgressOk);
        test::gui::click(button);
        EXPECT_TRUE(test::runMessageLoopUntil(
            [&] { return driver.acted() && !ui::ModalDialogState::getInstance()->isOpen(); }, 20000));
    };
    const auto allNames = []
    {
        std::vector<std::string> names;
        forEachList(
            [&](auto family)
            {
                for (auto& name : namesOf(family))
                    names.push_back(name);
            });
        return names;
    };
    press('k', command);
    ASSERT_EQ(enableState(), (EnableState{true, false, true, true}));
    const auto namesBefore = allNames();
    using Request = test::SimulatedInstrument::Request;
    instrument->addFault({Request::SlotHeader}, test::SimulatedInstrument::Fault::nak());
    runFailingJob(content->getHeader().getReceiveAllButton());
    EXPECT_EQ(allNames(), namesBefore);
    EXPECT_EQ(enableState(), (EnableState{true, false, true, true}));
    instrument->clearFaults();

    // A write refused part way, after it has moved a unit on the instrument, leaves the edits
    // unsent but nothing to undo: undoing to the records from before would make the next write
    // clear the moved unit. Without the warning the write starts at once.
    w40388_preferences::PreferencesData::getInstance()->SetBool(w40388_preferences::warnBeforeWritingKey, false);
    tabs().setCurrentTabIndex(0);
    test::drainMessageLoop();
    auto* sawStackRow = oscTable.getComponentForRowNumber(0);
    ASSERT_NE(sawStackRow, nullptr);
    test::gui::drag(*sawStackRow, {0, oscTable.getRowHeight() * 3 / 2});
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return namesOf(w40388_data::OscSlotFamily{})[1] == "Saw Stack"; }));
    instrument->addFault({Request::Clear, static_cast<int>(UnitModule::ModulationEffect)},
                         test::SimulatedInstrument::Fault::nak());
    runFailingJob(content->getHeader().getSendAllButton());
    instrument->clearFaults();
    EXPECT_EQ(instrument->getSlot(4, 1), test::makeUnitDataBlock(unitOptions(UnitModule::Oscillator, "Saw Stack")));
    EXPECT_EQ(enableState(), (EnableState{false, false, true, true}));
    press('z', command);
    {
        // Closes the progress window, with a failure, should the write not succeed.
        test::gui::ModalDialogDriver watchdog([](juce::Component&) {});
        test::gui::click(content->getHeader().getSendAllButton());
        EXPECT_TRUE(test::runMessageLoopUntil(
            [&] {
                return !application::DataEditStatus::getInstance()->isEdited() &&
                       !ui::ModalDialogState::getInstance()->isOpen();
            },
            20000));
    }
    expectListsMatchInstrument(*instrument, "after a write refused part way and a second write");
    press('k', command);

    // Quitting with unsent edits asks first; No keeps the program running, by the window's quit
    // request and by the exit shortcut alike.
    for (const bool byShortcut : {false, true})
    {
        test::gui::ModalDialogDriver driver([&](juce::Component& dialog)
                                            { test::gui::clickButton(dialog, text("CommonNo")); });
        if (byShortcut)
            press('q', command);
        else
            app->systemRequestedQuit();
        EXPECT_TRUE(driver.acted()) << byShortcut;
        EXPECT_EQ(driver.dialogTitle(), text("FileDiscardCheckTitle")) << byShortcut;
    }
    EXPECT_EQ(quitRequests, 0);
    EXPECT_FALSE(juce::MessageManager::getInstance()->hasStopMessageBeenSent());
    EXPECT_NE(w40388_ui::MainWindowManager::getInstance()->getWindow(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Languages, EndToEndTest, testing::Values("en", "ja"));

// The menus as the menu bar shows them: command ids in order, 0 for a separator.
std::vector<int> menuItems(int menuIndex)
{
    std::vector<int> ids;
    const auto menu = ApplicationMenuManager::getInstance()->getMenuForIndex(menuIndex, {});
    for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
        ids.push_back(it.getItem().isSeparator ? 0 : it.getItem().itemID);
    return ids;
}

class MenuBarTest : public EndToEndTest
{
protected:
    std::string language() const override { return "en"; }
};

TEST_F(MenuBarTest, MenusFollowTheDebugMarkerAndTheModalFlag)
{
    for (const bool marker : {false, true})
    {
        startApplication(false, marker, Ports::setByHand);
        if (HasFatalFailure())
            return;
        auto* menus = ApplicationMenuManager::getInstance();
        EXPECT_EQ(menus->getMenuBarNames(), juce::StringArray(text("MenuCategoryFile"), text("MenuCategoryEdit"),
                                                              text("MenuCategoryMidi"), text("MenuCategoryOption")));
        EXPECT_EQ(menuItems(0), std::vector<int>{1});
        EXPECT_EQ(menuItems(1), (std::vector<int>{3, 4, 0, 5}));
        EXPECT_EQ(menuItems(2), (std::vector<int>{10, 11}));
        EXPECT_EQ(menuItems(3), marker ? (std::vector<int>{6, 0, 7, 0, 8}) : (std::vector<int>{6, 0, 7}));
        EXPECT_TRUE(menuItems(4).empty());

        // Opening a dialog greys out every item and the header's buttons on the next loop turn.
        const auto enabledItems = [&]
        {
            test::drainMessageLoop();
            int count = 0;
            for (int index = 0; index < 4; ++index)
            {
                const auto menu = menus->getMenuForIndex(index, {});
                for (juce::PopupMenu::MenuItemIterator it(menu); it.next();)
                    count += it.getItem().isEnabled && !it.getItem().isSeparator ? 1 : 0;
            }
            return count + (content->getHeader().getReceiveAllButton().isEnabled() ? 1 : 0);
        };
        // Import, clear, receive, preferences, about (and the debug window), RECEIVE ALL.
        EXPECT_EQ(enabledItems(), marker ? 7 : 6);
        {
            ui::ScopedModalDialog modal;
            EXPECT_EQ(enabledItems(), 0);
        }
        EXPECT_EQ(enabledItems(), marker ? 7 : 6);

        if (marker)
        {
            snapshotMenu(3, "MenuBar_OptionMenuInDebugMode");
        }
        stopApplication();
        w40388_application::DebugModeModel::getInstance()->debugMode = false;
        preferencesFolder.getChildFile("DebugMode.txt").deleteFile();
    }
}

juce::Component* findByName(juce::Component& root, const juce::String& name)
{
    if (root.getName() == name)
        return &root;
    for (auto* child : root.getChildren())
        if (auto* found = findByName(*child, name))
            return found;
    return nullptr;
}

class AutomaticSearchTest : public MenuBarTest
{
};

// Without an instrument among the system's MIDI devices the search ends by itself, the automatic
// receive reports that nothing was found, and the lists, the history and the exit command are as
// before.
TEST_F(AutomaticSearchTest, SearchThatFindsNothingEndsAndTheFailedReceiveChangesNothing)
{
    putUnitsOnInstrument();
    juce::String status;
    test::gui::ModalDialogDriver driver(
        [&](juce::Component& progress)
        {
            pressProgressOk(progress);
            if (auto* label = dynamic_cast<juce::Label*>(findByName(progress, "StatusMessage")))
                status = label->getText();
        },
        20000);
    startApplication(true, false, Ports::searchedOnSystem);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(test::runMessageLoopUntil(
        [&]
        {
            return app->getStartupProcess().isStartupDone() && driver.acted() &&
                   !ui::ModalDialogState::getInstance()->isOpen();
        },
        20000));
    EXPECT_FALSE(midi::scanRunning);
    EXPECT_EQ(status, text("ConnectionErrorNotFoundparvolinvr"));
    forEachList(
        [](auto family)
        {
            for (const auto& record : decltype(family)::records(liveData()))
                EXPECT_EQ(record.state.load(), SlotState::Empty);
        });
    EXPECT_FALSE(application::ApplicationUndoManager::getInstance()->canUndo());
    EXPECT_FALSE(application::DataEditStatus::getInstance()->isEdited());
    EXPECT_TRUE(isEnabled(exitCommand));
    EXPECT_TRUE(isEnabled(receiveUserDataCommand));

    // OK in the preferences, with nothing changed, saves them and searches again; that search
    // ends by itself too.
    const auto preferencesFile = w40388_preferences::PreferencesData::getInstance()->GetFilePath();
    preferencesFile.deleteFile();
    const int searchesBefore = app->getStartupProcess().getNumSearchesFinished();
    {
        test::gui::ModalDialogDriver preferencesDriver([&](juce::Component& dialog)
                                                       { test::gui::clickButton(dialog, text("CommonOK")); });
        press(',', command);
        EXPECT_TRUE(preferencesDriver.acted());
    }
    EXPECT_TRUE(midi::scanRunning);
    EXPECT_TRUE(preferencesFile.existsAsFile());
    EXPECT_TRUE(test::runMessageLoopUntil(
        [&] { return !midi::scanRunning && app->getStartupProcess().getNumSearchesFinished() == searchesBefore + 1; },
        20000));
    EXPECT_FALSE(ui::ModalDialogState::getInstance()->isOpen());
}
} // namespace
