#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/CurrentLanguageModel.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "data/DataCenter.h"
#include "data/SlotFamily.h"
#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/FontLibrary.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/UserPaneComponents.h"

#include <gtest/gtest.h>

#include <numeric>

namespace
{
using w40388_data::SlotState;
using Rows = std::vector<int>;
constexpr int rowHeight = 25, headerHeight = 28; // of a pane's table with the preferences set up below

const auto liveData = []() -> w40388_data::UserData& { return w40388_data::DataCenter::getInstance()->userData; };

template <UnitModule Module>
w40388_data::SlotRecord<Module> makeUnit(const std::string& name, juce::uint32 version, SlotState state,
                                         bool withTarget = true, int slotIndex = -1)
{
    UnitHeader header;
    if (withTarget)
        header.setTarget(UnitPlatform::FeltanDigital, Module);
    header.setName(name);
    header.setVersion(version);
    w40388_data::SlotRecord<Module> record(juce::MemoryBlock(header.data(), UnitHeader::size));
    record.state = state;
    record.slotIndex = slotIndex;
    return record;
}

// Fills every usable slot of a list with a unit named after its position ("U0", "U1", ...).
template <UnitModule Module> void fillWithNumberedUnits()
{
    using Family = w40388_data::SlotFamily<Module>;
    for (int slot = 0; slot < Family::numUsableSlots; ++slot)
        Family::records(liveData())[std::size_t(slot)] =
            makeUnit<Module>("U" + std::to_string(slot), makeUnitVersionWord(1, 0, slot), SlotState::Loaded);
}

// For each slot, the position its unit was numbered for by fillWithNumberedUnits; -1 when empty.
template <UnitModule Module> Rows slotOrder()
{
    Rows order;
    for (const auto& record : w40388_data::SlotFamily<Module>::records(liveData()))
        order.push_back(record.state == SlotState::Empty
                            ? -1
                            : std::stoi(UnitHeader(record.header.data(), record.header.size()).getName().substr(1)));
    order.pop_back(); // the spare
    return order;
}

// Fresh preferences (rows 25 high) and slot lists, an empty undo history, English texts and fonts.
class PaneTest : public testing::Test
{
protected:
    void SetUp() override
    {
        w40388_application::CurrentLanguageModel::getInstance()->setLanguage(
            w40388_application::CurrentLanguageModel::english);
        delete CTRXResource::getInstanceWithoutCreating();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
        w40388_preferences::PreferencesData::getInstance()->SetInt(w40388_preferences::listHeightKey, rowHeight);
        liveData() = w40388_data::UserData();
        undoManager().clearUndoHistory();
    }

    void TearDown() override { juce::ModifierKeys::currentModifiers = {}; }

    using UndoManager = application::ApplicationUndoManager;
    static UndoManager& undoManager() { return *UndoManager::getInstance(); }
    static int rowCentreY(int row) { return headerHeight + row * rowHeight + rowHeight / 2; }
    static Rows identityOrder(int count)
    {
        Rows rows(std::size_t(count), 0);
        std::iota(rows.begin(), rows.end(), 0);
        return rows;
    }

    test::gui::ScopedPreferences preferences;
};

TEST_F(PaneTest, CellsShowTheSlotRecords)
{
    w40388_ui::UserOscListView view(liveData());
    liveData().oscData[1] =
        makeUnit<UnitModule::Oscillator>("Ghost", makeUnitVersionWord(1, 2, 3), SlotState::Received, false, 1);
    liveData().oscData[2] =
        makeUnit<UnitModule::Oscillator>("Saw Lead", makeUnitVersionWord(1, 2, 3), SlotState::Loaded);

    // A name from the instrument that is not UTF-8 (overlong sequences) is shown without
    // reading or writing past it.
    liveData().oscData[3] = makeUnit<UnitModule::Oscillator>(
        "\xF0\x80\x80\x81\xF0\x80\x80\x81\xF0\x80\x80\x81\xF0\x80\x80\x81", makeUnitVersionWord(1, 0, 0),
        SlotState::Received);

    // Row 0 empty, row 1 received with a zero target word, row 2 loaded.
    const std::tuple<int, int, const char*> cells[] = {
        {0, 1, "1"}, {0, 2, "---"}, {0, 3, "---"},      {0, 5, "E:-1"},   {1, 2, ""},
        {1, 3, ""},  {1, 5, "R:1"}, {2, 2, "Saw Lead"}, {2, 3, "1.02-3"}, {2, 5, "L:-1"},
    };
    for (const auto& [row, column, text] : cells)
        EXPECT_EQ(view.getCellText(row, column), juce::String(text)) << "row " << row << " column " << column;
    EXPECT_EQ(view.getCellText(3, 2).length(), 4);
}

TEST_F(PaneTest, AUnitFileDroppedOnAPaneGoesIntoTheRowUnderThePointer)
{
    QTR_REQUIRE_DISPLAY();
    UserDelFXPaneComponent pane;
    test::gui::ScopedOnDesktop shown(pane, 720, 530);
    using Import = std::tuple<juce::String, int, int>;
    std::vector<Import> imports;
    pane.setUnitFileImporter([&](const juce::File& file, const int& slot, const int& module)
                             { imports.emplace_back(file.getFileName(), slot, module); });

    // Through the window, as the platform delivers drops; true when the pane took the drop.
    const auto drop = [&](const juce::StringArray& files, int y)
    {
        imports.clear();
        const bool accepted = pane.getPeer()->handleDragDrop({files, {}, {100, y}});
        test::drainMessageLoop();
        return accepted;
    };

    const std::tuple<const char*, juce::StringArray, int, bool, std::vector<Import>> cases[] = {
        {"row 6", {"/a.ftndigunit"}, rowCentreY(5), true, {{"a.ftndigunit", 5, 2}}},
        {"below the last row", {"/a.ftndigunit"}, rowCentreY(8) + 10, true, {}},
        {"a text file", {"/notes.txt"}, rowCentreY(5), false, {}},
        // Other paths first: still the row under the pointer, with the first unit file.
        {"text first", {"/n.txt", "/b.prvlvrunit", "/c.cntlunit"}, rowCentreY(2), true, {{"b.prvlvrunit", 2, 2}}},
    };
    for (const auto& [what, files, y, accepted, expected] : cases)
    {
        EXPECT_EQ(drop(files, y), accepted) << what;
        EXPECT_EQ(imports, expected) << what;
    }

    // While a dialog is open, drops are refused, also when they reach the pane without asking.
    ui::ScopedModalDialog dialog;
    EXPECT_FALSE(drop({"/a.ftndigunit"}, rowCentreY(1)));
    pane.filesDropped({"/a.ftndigunit"}, 100, rowCentreY(1));
    EXPECT_TRUE(imports.empty());
}

TEST_F(PaneTest, ListHeightReachesEveryPane)
{
    // No stored height: the rows keep a usable height instead of one pixel.
    w40388_preferences::PreferencesData::getInstance()
        ->GetOrCreateChild(w40388_preferences::listHeightKey)
        .removeAttribute("Value");
    UserOscPaneComponent osc;
    UserModFXPaneComponent modFX;
    UserDelFXPaneComponent delFX;
    UserRevFXPaneComponent revFX;
    const auto rowHeights = [&]
    {
        return Rows{osc.getList().getTable().getRowHeight(), modFX.getList().getTable().getRowHeight(),
                    delFX.getList().getTable().getRowHeight(), revFX.getList().getTable().getRowHeight()};
    };
    EXPECT_EQ(rowHeights(), Rows(4, 25));
    w40388_preferences::PreferencesData::getInstance()->SetInt(w40388_preferences::listHeightKey, 35);
    application::PreferencesDataChangeBroadcaster::getInstance()->sendPreferencesDataChanged();
    EXPECT_TRUE(test::runMessageLoopUntil([&] { return rowHeights() == Rows(4, 35); }));
}

TEST_F(PaneTest, AltDragCopiesRowsAsOneUndoStepWhileAMoveIntoItsOwnGapLeavesNone)
{
    QTR_REQUIRE_DISPLAY();
    constexpr auto osc = UnitModule::Oscillator;
    fillWithNumberedUnits<osc>();
    UserOscPaneComponent pane;
    test::gui::ScopedOnDesktop shown(pane, 720, 530);
    auto& table = pane.getList().getTable();
    auto& peer = *table.getPeer();
    // Through the window's peer as the platform sends them, with Alt held throughout.
    const auto send = [&](juce::Point<int> at, bool buttonDown, juce::int64 time)
    {
        const auto mods = juce::ModifierKeys(juce::ModifierKeys::altModifier |
                                             (buttonDown ? juce::ModifierKeys::leftButtonModifier : 0));
        juce::ModifierKeys::currentModifiers = mods;
        peer.handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse,
                              peer.getComponent().getLocalPoint(&table, at).toFloat(), mods,
                              juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                              juce::Time::currentTimeMillis() + time);
    };

    // Three rows dropped on row 14 of 16 land on rows 13 to 15.
    table.selectRangeOfRows(0, 2);
    for (int step = 0; step <= 6; ++step)
        send({100, rowCentreY(0) + (rowCentreY(14) - rowCentreY(0)) * step / 6}, true, step);
    EXPECT_EQ(table.getHoveredRow(), 14);
    send({100, rowCentreY(14)}, false, 7);
    // The framework lets the drag image fade before the drag counts as ended.
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return !pane.getList().isDragAndDropActive(); }));
    EXPECT_EQ(slotOrder<osc>(), Rows({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 1, 2}));
    EXPECT_EQ(ui::SelectedUserOscStatus::getInstance()->getSelectedRows(), Rows({13, 14, 15}));
    EXPECT_EQ(undoManager().getUndoDescription(), "DragCopy");
    EXPECT_TRUE(undoManager().undo());
    EXPECT_EQ(slotOrder<osc>(), identityOrder(16));
    EXPECT_FALSE(undoManager().canUndo());

    w40388_ui::UserListController<osc> controller(liveData());
    controller.moveSlots(identityOrder(16));
    EXPECT_FALSE(undoManager().canUndo());
    controller.copySlots({{3, 3}}); // onto itself: still one action
    EXPECT_EQ(undoManager().getUndoDescription(), "DragCopy");
    EXPECT_EQ(slotOrder<osc>(), identityOrder(16));
}

} // namespace
