// SEND ALL and RECEIVE ALL through the real application, its header buttons and the simulated
// instrument, on every road that does not end in success: the write warning answered with
// anything but OK, no instrument, an identity check refused, a refusal part way, a cancel, and lists
// that cannot be sent as they stand. Afterwards the lists, the undo history and the edited flag are
// compared with what they were; where the musician can then mend things, the next transfer must succeed.

#include "app/ApplicationMenuManager.h"
#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/DataEditStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "data/DataCenter.h"
#include "data/SlotAction.h"
#include "midi/MidiCommunicationResult.h"
#include "support/MessageLoop.h"
#include "support/files/SlotListImage.h"
#include "support/files/UnitFileBuilder.h"
#include "support/gui/ApplicationTest.h"
#include "support/gui/GuiTest.h"
#include "support/gui/NamedChild.h"
#include "support/midi/JobTestSupport.h"
#include "ui/MidiCommunicationDialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace
{
using Request = test::SimulatedInstrument::Request;
using Fault = test::SimulatedInstrument::Fault;
using Match = test::SimulatedInstrument::Match;
namespace Result = midi::MidiCommunicationResult;
using w40388_menu::receiveUserDataCommand;
using w40388_menu::writeUserDataCommand;

const auto text = [](const char* key) { return CTRXResource::getInstance()->getText(key); };

// How the musician answers the first window that comes up.
enum class Answer
{
    warningCancel,
    warningCancelTicked,
    warningEscape,
    warningCloseButton,
    progressOk,     // OK once the job has failed
    progressCancel, // Cancel while the instrument holds back an answer, then OK
};

// What an earlier write left in doubt: oscillator slots 10 and 13, the last two received rows.
enum class Doubt
{
    none,
    neitherWay, // the slots hold units no row shows
    exchanged,  // each holds the unit of the row that names the other
};

// A received row copied onto others, as an Option-drop does; the send is refused with `detail`.
// Clearing `cleared` then lets the next send through.
struct Copy
{
    UnitModule module;
    int from;
    std::vector<int> onto;
    const char* detail;
    std::vector<int> cleared;
};

// What the musician does after the refused transfer, and what must then succeed.
enum class Then
{
    nothing,
    clearAndSend,   // clear the copy's `cleared` rows and SEND ALL: the instrument holds the lists
    receiveAndSend, // RECEIVE ALL, then SEND ALL, which reads back no slot of the earlier doubt
};

struct Case
{
    const char* name;
    juce::CommandID command;
    Answer answer;
    std::optional<std::pair<Match, Fault>> fault;
    size_t messages;             // the instrument receives exactly these many
    int code = -1;               // result whose status text the progress window shows
    bool instrumentFound = true; // else the search finds nothing and the window says so
    bool writtenPartWay = false; // the oscillator list was written before the refusal
    Doubt doubt = Doubt::none;
    Then then = Then::nothing;
    std::optional<Copy> copy = {};
};

const Case cases[] = {
    {"SendWarningCancelled", writeUserDataCommand, Answer::warningCancel, {}, 0},
    {"SendWarningCancelledWithTick", writeUserDataCommand, Answer::warningCancelTicked, {}, 0},
    {"SendWarningEscaped", writeUserDataCommand, Answer::warningEscape, {}, 0},
    {"SendWarningClosed", writeUserDataCommand, Answer::warningCloseButton, {}, 0},
    {"SendWithoutInstrument", writeUserDataCommand, Answer::progressOk, std::nullopt, 0, -1, false},
    {"SendIdentityRefused", writeUserDataCommand, Answer::progressOk,
     std::pair{Match{Request::Identity}, Fault::otherFamily()}, 1, Result::targetDevice},
    // Identity, the oscillator list's 6 units and 5 clears, then the first modulation unit is refused.
    {"SendRefusedPartWay", writeUserDataCommand, Answer::progressOk,
     std::pair{Match{Request::DataDump, 1}, Fault::nak()}, 13, Result::nakOnReceive, true, true},
    {"ReceiveWithoutInstrument", receiveUserDataCommand, Answer::progressOk, std::nullopt, 0, -1, false},
    {"ReceiveIdentityRefused", receiveUserDataCommand, Answer::progressOk,
     std::pair{Match{Request::Identity}, Fault::otherMaker()}, 1, Result::targetDevice},
    // The two slots read back hold neither row's unit: the write stops before changing anything.
    {"SendSwapInDoubt", writeUserDataCommand, Answer::progressOk, std::nullopt, 3, Result::slotsInDoubt, true, false,
     Doubt::neitherWay},
    // The read back shows the slots exchanged; the rows follow, then the swap back, the first step,
    // is refused.
    {"SendSwapInDoubtExchangedThenRefused", writeUserDataCommand, Answer::progressOk,
     std::pair{Match{Request::Swap, 4}, Fault::nak()}, 4, Result::nakOnReceive, true, false, Doubt::exchanged},
    // Rows 2, 5, 8 ... of each list are received units; the refusal comes after the identity check.
    {"SendReceivedRowCopiedDown", writeUserDataCommand, Answer::progressOk, std::nullopt, 1, Result::slotNamedTwice,
     true, false, Doubt::none, Then::clearAndSend,
     Copy{UnitModule::Oscillator,
          1,
          {4},
          "USER OSCILLATORS, slots 2 and 5: keep the unit in one slot, or import its file into the others.",
          {4}}},
    {"SendReceivedRowCopiedUp", writeUserDataCommand, Answer::progressOk, std::nullopt, 1, Result::slotNamedTwice, true,
     false, Doubt::none, Then::clearAndSend,
     Copy{UnitModule::Oscillator,
          4,
          {1},
          "USER OSCILLATORS, slots 2 and 5: keep the unit in one slot, or import its file into the others.",
          {4}}},
    {"SendReceivedRowCopiedOntoAnEmptyRow", writeUserDataCommand, Answer::progressOk, std::nullopt, 1,
     Result::slotNamedTwice, true, false, Doubt::none, Then::clearAndSend,
     Copy{UnitModule::Oscillator,
          1,
          {2},
          "USER OSCILLATORS, slots 2 and 3: keep the unit in one slot, or import its file into the others.",
          {1}}},
    // In the last list: nothing of the lists before it is sent either.
    {"SendReceivedRowCopiedTwiceInTheReverbList", writeUserDataCommand, Answer::progressOk, std::nullopt, 1,
     Result::slotNamedTwice, true, false, Doubt::none, Then::clearAndSend,
     Copy{UnitModule::ReverbEffect,
          4,
          {0, 7},
          "USER REVERB FX, slots 1, 5 and 8: keep the unit in one slot, or import its file into the others.",
          {0, 4}}},
    {"ReceiveRefusedPartWay", receiveUserDataCommand, Answer::progressOk,
     std::pair{Match{Request::SlotHeader, 1, 3}, Fault::nak()}, 1 + 16 + 4, Result::nakOnReceive, true, false,
     Doubt::neitherWay, Then::receiveAndSend},
    // Cancelled while the first delay slot's answer is held back.
    {"ReceiveCancelled", receiveUserDataCommand, Answer::progressCancel,
     std::pair{Match{Request::SlotHeader, 2, 0}, Fault::delay(60000)}, 1 + 16 + 16 + 1, Result::canceled},
};

class TransferRefusalTest : public test::ApplicationTest, public testing::WithParamInterface<Case>
{
protected:
    static w40388_data::UserData& live() { return w40388_data::DataCenter::getInstance()->userData; }
    static application::ApplicationUndoManager& undoManager()
    {
        return *application::ApplicationUndoManager::getInstance();
    }

    // Answers the window that comes up; for the progress window, records the texts it shows at the end.
    void answer(juce::Component& window)
    {
        const auto& c = GetParam();
        const auto press = [&](const char* button) { EXPECT_TRUE(test::gui::clickButton(window, button)) << button; };
        switch (c.answer)
        {
        case Answer::warningCancelTicked:
            press("DontWarning");
            [[fallthrough]];
        case Answer::warningCancel:
            return press("CancelButton");
        case Answer::warningEscape:
            test::gui::pressKey(window, juce::KeyPress(juce::KeyPress::escapeKey));
            return;
        case Answer::warningCloseButton:
            return test::gui::pressWindowCloseButton(window);
        case Answer::progressCancel:
            EXPECT_TRUE(instrument->waitForReceivedCount(c.messages, 5000));
            press("CancelButton");
            instrument->releaseDelayedAnswers();
            [[fallthrough]];
        case Answer::progressOk:
            break;
        }
        auto* dialog = test::gui::findDescendant<midi::MidiCommunicationDialog>(window);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(test::runMessageLoopUntil([&] { return test::gui::findButton(*dialog, "Button") != nullptr; }));
        shownStatus = test::gui::namedChild<juce::Label>(*dialog, "StatusMessage").getText();
        shownDetail = test::gui::namedChild<juce::TextEditor>(*dialog, "DetailMessage").getText();
        press("Button");
    }

    // Performs one undoable edit of the list of `module`, as the list's own copy and clear do.
    template <typename Edit> static void editList(UnitModule module, const char* transaction, Edit&& edit)
    {
        undoManager().beginNewTransaction(transaction);
        if (module == UnitModule::ReverbEffect)
            edit(w40388_data::RevFXSlotFamily{});
        else
            edit(w40388_data::OscSlotFamily{});
    }

    // Presses a header button for a transfer that must succeed: the edits are then sent or replaced.
    // A failed job's progress window is closed for it.
    void transfer(juce::Button& button)
    {
        test::gui::ModalDialogDriver watchdog([](juce::Component&) {});
        ASSERT_TRUE(test::runMessageLoopUntil([&] { return button.isEnabled(); }));
        test::gui::click(button);
        ASSERT_TRUE(test::runMessageLoopUntil(
            [&] {
                return !application::DataEditStatus::getInstance()->isEdited() &&
                       !ui::ModalDialogState::getInstance()->isOpen();
            },
            20000));
        test::drainMessageLoop();
    }

    juce::String shownStatus, shownDetail;
};

TEST_P(TransferRefusalTest, LeavesListsAndHistoryAsTheyWereAndSendsOnlyWhatItGotTo)
{
    const auto& c = GetParam();
    startApplication(false, c.instrumentFound ? Ports::setByHand : Ports::searchedOnSystem);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return app->getStartupProcess().isStartupDone(); }, 20000));
    const bool warned = c.answer != Answer::progressOk && c.answer != Answer::progressCancel;
    auto* preferences = w40388_preferences::PreferencesData::getInstance();
    preferences->SetBool(w40388_preferences::warnBeforeWritingKey, warned);

    // Unsent edits with history both ways: a delay unit loaded, a reverb clear undone.
    test::fillDistinctLists(live());
    undoManager().beginNewTransaction("LoadUserDelFXData");
    undoManager().perform(new w40388_action::SetUserDelFXDataAction(
        2, w40388_data::UserDelFXData(test::makeUnitDataBlock({UnitModule::DelayEffect}))));
    undoManager().beginNewTransaction("ClearUserRevFXData");
    undoManager().perform(new w40388_action::ClearUserRevFXDataAction(0));
    undoManager().undo();
    auto& swapInDoubt = w40388_data::DataCenter::getInstance()->swapInDoubt;
    if (c.doubt != Doubt::none)
        swapInDoubt = w40388_data::SwapInDoubt{UnitModule::Oscillator, 10, 13};
    // The instrument holds the received rows' units, at the slots the rows name.
    if (c.copy || c.doubt == Doubt::exchanged)
    {
        for (const auto module : test::tabModules)
            test::withRecords(live(), module,
                              [&](auto& records)
                              {
                                  for (size_t row = 0; row + 1 < records.size(); ++row)
                                      if (records[row].state == w40388_data::SlotState::Received)
                                          instrument->setSlotHeader(
                                              int(module), records[row].slotIndex,
                                              {records[row].header.begin(), records[row].header.end()});
                              });
    }
    if (c.doubt == Doubt::exchanged)
    {
        const auto first = instrument->getSlot(4, 10);
        instrument->setSlot(4, 10, instrument->getSlot(4, 13));
        instrument->setSlot(4, 13, first);
    }
    if (c.copy)
    {
        editList(c.copy->module, "CopyUserData",
                 [&](auto family)
                 {
                     using Family = decltype(family);
                     for (const int row : c.copy->onto)
                         undoManager().perform(new w40388_action::SetSlotAction<Family::module>(
                             juce::uint32(row), Family::records(live())[size_t(c.copy->from)]));
                 });
    }
    const w40388_data::UserData before = live();
    const auto undoBefore = undoManager().getUndoDescriptions(), redoBefore = undoManager().getRedoDescriptions();

    auto& header = content->getHeader();
    auto& button = c.command == writeUserDataCommand ? header.getSendAllButton() : header.getReceiveAllButton();
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return button.isEnabled(); }));
    if (c.fault)
        instrument->addFault(c.fault->first, c.fault->second);
    instrument->clearReceivedMessages();
    {
        test::gui::ModalDialogDriver driver([&](juce::Component& window) { answer(window); });
        test::gui::click(button);
        ASSERT_TRUE(test::runMessageLoopUntil(
            [&] { return driver.acted() && !ui::ModalDialogState::getInstance()->isOpen(); }, 20000));
        const char* title = warned                              ? "WriteUserDataWarningDialogTitle"
                            : c.command == writeUserDataCommand ? "ConnectionWriteUserDataTitle"
                                                                : "ConnectionReceiveUserDataTitle";
        EXPECT_EQ(driver.dialogTitle(), text(title));
    }
    test::drainMessageLoop();
    EXPECT_EQ(instrument->getReceivedCount(), c.messages);
    if (!warned)
    {
        EXPECT_EQ(shownStatus, c.code >= 0 ? midi::getMidiCommunicationErrorText(c.code)
                                           : text("ConnectionErrorNotFoundparvolinvr"));
    }

    if (c.copy)
    {
        EXPECT_EQ(shownDetail, c.copy->detail);
    }

    w40388_data::UserData expected = before;
    if (c.writtenPartWay)
        for (int slot = 0; slot < 16; ++slot)
            if (auto& record = expected.oscData[size_t(slot)]; record.state == w40388_data::SlotState::Loaded)
                record.slotIndex = slot, record.state = w40388_data::SlotState::Received;
    if (c.doubt == Doubt::exchanged)
        expected.oscData[10].slotIndex = 13, expected.oscData[13].slotIndex = 10;
    EXPECT_EQ(test::imageOf(live()), test::imageOf(expected));
    // A write that changed the instrument or learnt where the units sit leaves records from before
    // that are no longer safe to return to: nothing is left to undo, and the edits stay unsent.
    const bool historyGone = c.writtenPartWay || c.doubt == Doubt::exchanged;
    EXPECT_EQ(undoManager().getUndoDescriptions(), historyGone ? juce::StringArray() : undoBefore);
    EXPECT_EQ(undoManager().getRedoDescriptions(), historyGone ? juce::StringArray() : redoBefore);
    EXPECT_TRUE(application::DataEditStatus::getInstance()->isEdited());
    EXPECT_EQ(swapInDoubt.has_value(), c.doubt == Doubt::neitherWay);
    EXPECT_TRUE(test::runMessageLoopUntil([&] { return header.getSendAllButton().isEnabled(); }));
    EXPECT_EQ(preferences->GetBool(w40388_preferences::warnBeforeWritingKey, !warned), warned);

    switch (c.then)
    {
    case Then::nothing:
        return;
    case Then::clearAndSend:
        editList(c.copy->module, "ClearUserData",
                 [&](auto family)
                 {
                     for (const int row : c.copy->cleared)
                         undoManager().perform(
                             new w40388_action::ClearSlotAction<decltype(family)::module>(juce::uint32(row)));
                 });
        break;
    case Then::receiveAndSend:
        transfer(header.getReceiveAllButton());
        EXPECT_FALSE(swapInDoubt.has_value());
        undoManager().beginNewTransaction("LoadUserOscData");
        undoManager().perform(
            new w40388_action::SetUserOscDataAction(0, w40388_data::UserOscData(test::makeUnitDataBlock({}))));
        break;
    }
    instrument->clearReceivedMessages();
    transfer(header.getSendAllButton());
    test::expectListsMatchInstrument(live(), *instrument, "after the next SEND ALL");
    // After a receive the lists are the instrument's (here all empty) but for one unit loaded:
    // identity, its write and 47 clears, with no slot read back first.
    if (c.then == Then::receiveAndSend)
    {
        EXPECT_EQ(instrument->getReceivedCount(), 1u + 48u);
    }
}

INSTANTIATE_TEST_SUITE_P(Roads, TransferRefusalTest, testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });
} // namespace
