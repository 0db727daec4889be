#include "core/ApplicationUndoManager.h"
#include "core/DataEditStatus.h"
#include "data/DataCenter.h"
#include "data/DataChangeBroadcaster.h"
#include "data/SetUserDataAction.h"
#include "data/SlotAction.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace w40388_action;
using w40388_data::SlotState;
using w40388_data::UserData;

namespace
{
// Every test starts with empty live lists (spares included), a clear edited flag and no undo history;
// it records the edited-flag values delivered to observers and, once registered, counts the lists' change calls.
class SlotActionTest : public ::testing::Test,
                       public application::DataEditStatusListener,
                       public data::DataChangeObserver
{
protected:
    void SetUp() override
    {
        liveData().oscData.fill({});
        liveData().modFXData.fill({});
        liveData().delFXData.fill({});
        liveData().revFXData.fill({});
        undoManager().clearUndoHistory();
        editStatus().setEdited(false);
        test::drainMessageLoop();
        editStatus().addListener(this);
    }

    void TearDown() override { editStatus().removeListener(this); }
    void dataEditStatusChanged(const bool& edited) override { editValues.push_back(edited); }
    void dataChanged() override { ++dataChangedCalls; }

    static juce::MemoryBlock unitBlock(int seed) { return {std::string(1200, (char)seed).data(), 1200}; }
    static UserData& liveData() { return w40388_data::DataCenter::getInstance()->userData; }
    static application::DataEditStatus& editStatus() { return *application::DataEditStatus::getInstance(); }
    static juce::UndoManager& undoManager() { return *application::ApplicationUndoManager::getInstance(); }

    static bool performInTransaction(juce::UndoableAction* action, const juce::String& name)
    {
        undoManager().beginNewTransaction(name);
        return undoManager().perform(action);
    }

    std::vector<bool> deliveredEditValues()
    {
        test::drainMessageLoop();
        return std::exchange(editValues, {});
    }

    std::vector<bool> editValues;
    int dataChangedCalls = 0;
};
} // namespace

TEST_F(SlotActionTest, ImportsAndTheirUndoKeepRecordsAndEditedFlagInStepAndTheListsHearOfChangesOncePerDelivery)
{
    const w40388_data::UserOscData imported(unitBlock(1));
    auto& record = liveData().oscData[3];
    ASSERT_TRUE(performInTransaction(new SetUserOscDataAction(3, imported), "LoadUserOscData"));
    EXPECT_EQ(record.unitData, imported.unitData);
    EXPECT_EQ(deliveredEditValues(), std::vector<bool>{true});

    ASSERT_TRUE(performInTransaction(new SetUserOscDataAction(4, imported), "LoadUserOscData"));
    ASSERT_TRUE(undoManager().undo()); // the second import undone: still edited
    EXPECT_TRUE(editStatus().isEdited());
    ASSERT_TRUE(undoManager().undo()); // the first one too: back as it was
    EXPECT_TRUE(record.state.load() == SlotState::Empty && record.unitData.isEmpty());
    EXPECT_EQ(deliveredEditValues(), std::vector<bool>{false});

    // Already edited: the flag stays set, and nobody is told, across another action and its undo.
    editStatus().setEdited(true);
    deliveredEditValues();
    ASSERT_TRUE(performInTransaction(new ClearUserModFXDataAction(15), "ClearUserModFXData"));
    ASSERT_TRUE(undoManager().undo());
    EXPECT_TRUE(editStatus().isEdited());
    EXPECT_TRUE(deliveredEditValues().empty());

    // The lists hear of changes through the undo manager; a perform and its undo make one call.
    auto* broadcaster = data::DataChangeBroadcaster::getInstance();
    broadcaster->addListener(this);
    ASSERT_TRUE(performInTransaction(new ClearUserOscDataAction(1), "ClearUserOscData"));
    ASSERT_TRUE(undoManager().undo());
    EXPECT_TRUE(test::runMessageLoopUntil([this] { return dataChangedCalls > 0; }));
    test::drainMessageLoop();
    EXPECT_EQ(dataChangedCalls, 1);
    broadcaster->removeListener(this);
}

// Slot 16 and negative indices are refused silently; the delay's slot 8 is its spare, which set writes (saying so)
// and clear refuses.
TEST_F(SlotActionTest, EverySlotActionRefusesSlot16AndNegativeIndicesAndOnDelaySetWritesTheSpareButClearIsRefused)
{
    for (const auto slot : {16u, static_cast<juce::uint32>(-1)})
    {
        const std::unique_ptr<juce::UndoableAction> actions[] = {
            std::make_unique<SetUserOscDataAction>(slot, w40388_data::UserOscData(unitBlock(6))),
            std::make_unique<SetUserModFXDataAction>(slot, w40388_data::UserModFXData(unitBlock(6))),
            std::make_unique<SetUserDelFXDataAction>(slot, w40388_data::UserDelFXData(unitBlock(6))),
            std::make_unique<SetUserRevFXDataAction>(slot, w40388_data::UserRevFXData(unitBlock(6))),
            std::make_unique<ClearUserOscDataAction>(slot),
            std::make_unique<ClearUserModFXDataAction>(slot),
            std::make_unique<ClearUserDelFXDataAction>(slot),
            std::make_unique<ClearUserRevFXDataAction>(slot)};
        testing::internal::CaptureStdout();
        for (const auto& action : actions)
            EXPECT_FALSE(action->perform() || action->undo());
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    }
    EXPECT_FALSE(editStatus().isEdited());
    EXPECT_TRUE(liveData().delFXData[8].state.load() == SlotState::Empty &&
                liveData().oscData[16].state.load() == SlotState::Empty);

    const w40388_data::UserDelFXData delay(unitBlock(4));
    SetUserDelFXDataAction setDelay(8, delay);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(setDelay.perform());
    EXPECT_EQ(liveData().delFXData[8].unitData, delay.unitData);
    EXPECT_TRUE(setDelay.undo());
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "User delay fx slot index error: 8\nUser delay fx slot index error: 8\n");
    EXPECT_EQ(liveData().delFXData[8].state.load(), SlotState::Empty);

    ASSERT_TRUE(setDelay.perform());
    editStatus().setEdited(false);
    ClearUserDelFXDataAction clearDelay(8);
    EXPECT_FALSE(clearDelay.perform() || clearDelay.undo());
    EXPECT_EQ(liveData().delFXData[8].unitData, delay.unitData) << "a refused clear leaves the spare alone";
    EXPECT_FALSE(editStatus().isEdited());
}

TEST_F(SlotActionTest, WholeDataActionReplacesUsableRecordsAndNeverTheSpares)
{
    liveData().oscData[0] = w40388_data::UserOscData(unitBlock(7));
    liveData().oscData[16] = w40388_data::UserOscData(unitBlock(8));
    liveData().revFXData[8] = w40388_data::UserRevFXData(unitBlock(9));

    UserData received;
    received.oscData[5].header[0] = 0x04;
    received.oscData[5].slotIndex = 5;
    received.oscData[5].state = SlotState::Received;
    received.oscData[16] = w40388_data::UserOscData(unitBlock(10));
    received.delFXData[8] = w40388_data::UserDelFXData(unitBlock(11));

    ASSERT_TRUE(performInTransaction(new SetUserDataAction(received), "Receive UserData"));
    EXPECT_EQ(liveData().oscData[0].state.load(), SlotState::Empty);
    EXPECT_EQ(liveData().oscData[5].state.load(), SlotState::Received);
    EXPECT_TRUE(editStatus().isEdited());
    EXPECT_EQ(liveData().oscData[16].unitData, unitBlock(8));
    EXPECT_EQ(liveData().delFXData[8].state.load(), SlotState::Empty);
    EXPECT_EQ(liveData().revFXData[8].unitData, unitBlock(9));

    ASSERT_TRUE(undoManager().undo());
    EXPECT_EQ(liveData().oscData[0].unitData, unitBlock(7));
    EXPECT_EQ(liveData().oscData[16].unitData, unitBlock(8));
    EXPECT_EQ(liveData().oscData[5].state.load(), SlotState::Empty);
    EXPECT_FALSE(editStatus().isEdited());
}
