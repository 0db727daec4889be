// SEND ALL and RECEIVE ALL through the real application, its header buttons and the simulated
// instrument, on every road that does not end in success: the write warning answered with
// anything but OK, no instrument, an identity check refused, a refusal part way and a cancel.
// Afterwards the lists, the undo history and the edited flag are compared with what they were.

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
#include "ui/MidiCommunicationDialog.h"

#include <gtest/gtest.h>

#include <optional>

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
    bool swapInDoubt = false;    // an earlier write left oscillator slots 1 and 4 in doubt
};

const Case cases[] = {
    {"SendWarningCancelled", writeUserDataCommand, Answer::warningCancel, {}, 0},
    {"SendWarningCancelledWithTick", writeUserDataCommand, Answer::warningCancelTicked, {}, 0},
    {"SendWarningEscaped", writeUserDataCommand, Answer::warningEscape, {}, 0},
    {"SendWarningClosed", writeUserDataCommand, Answer::warningCloseButton, {}, 0},
    {"SendWithoutInstrument", writeUserDataCommand, Answer::progressOk, {}, 0, -1, false},
    {"SendIdentityRefused", writeUserDataCommand, Answer::progressOk,
     std::pair{Match{Request::Identity}, Fault::otherFamily()}, 1, Result::targetDevice},
    // Identity, the oscillator list's 6 units and 5 clears, then the first modulation unit is refused.
    {"SendRefusedPartWay", writeUserDataCommand, Answer::progressOk,
     std::pair{Match{Request::DataDump, 1}, Fault::nak()}, 13, Result::nakOnReceive, true, true},
    {"ReceiveWithoutInstrument", receiveUserDataCommand, Answer::progressOk, {}, 0, -1, false},
    {"ReceiveIdentityRefused", receiveUserDataCommand, Answer::progressOk,
     std::pair{Match{Request::Identity}, Fault::otherMaker()}, 1, Result::targetDevice},
    // Slots 1 and 4 read back hold neither row's unit: the write stops before changing anything.
    {"SendSwapInDoubt", writeUserDataCommand, Answer::progressOk, {}, 3, Result::slotsInDoubt, true, false, true},
    {"ReceiveRefusedPartWay", receiveUserDataCommand, Answer::progressOk,
     std::pair{Match{Request::SlotHeader, 1, 3}, Fault::nak()}, 1 + 16 + 4, Result::nakOnReceive, true, false, true},
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

    // Answers the window that comes up; for the progress window, records the status it shows at the end.
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
        press("Button");
    }

    juce::String shownStatus;
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
    const w40388_data::UserData before = live();
    const auto undoBefore = undoManager().getUndoDescriptions(), redoBefore = undoManager().getRedoDescriptions();

    auto& header = content->getHeader();
    auto& button = c.command == writeUserDataCommand ? header.getSendAllButton() : header.getReceiveAllButton();
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return button.isEnabled(); }));
    if (c.fault)
        instrument->addFault(c.fault->first, c.fault->second);
    auto& swapInDoubt = w40388_data::DataCenter::getInstance()->swapInDoubt;
    if (c.swapInDoubt)
        swapInDoubt = w40388_data::SwapInDoubt{UnitModule::Oscillator, 1, 4};
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

    w40388_data::UserData expected = before;
    if (c.writtenPartWay)
        for (int slot = 0; slot < 16; ++slot)
            if (auto& record = expected.oscData[size_t(slot)]; record.state == w40388_data::SlotState::Loaded)
                record.slotIndex = slot, record.state = w40388_data::SlotState::Received;
    EXPECT_EQ(test::imageOf(live()), test::imageOf(expected));
    // A write refused part way has changed the instrument, so the records from before are no
    // longer safe to return to: nothing is left to undo, and the edits stay unsent.
    EXPECT_EQ(undoManager().getUndoDescriptions(), c.writtenPartWay ? juce::StringArray() : undoBefore);
    EXPECT_EQ(undoManager().getRedoDescriptions(), c.writtenPartWay ? juce::StringArray() : redoBefore);
    EXPECT_TRUE(application::DataEditStatus::getInstance()->isEdited());
    EXPECT_EQ(swapInDoubt.has_value(), c.swapInDoubt);
    EXPECT_TRUE(test::runMessageLoopUntil([&] { return header.getSendAllButton().isEnabled(); }));
    EXPECT_EQ(preferences->GetBool(w40388_preferences::warnBeforeWritingKey, !warned), warned);
}

INSTANTIATE_TEST_SUITE_P(Roads, TransferRefusalTest, testing::ValuesIn(cases),
                         [](const auto& info) { return std::string(info.param.name); });
} // namespace
