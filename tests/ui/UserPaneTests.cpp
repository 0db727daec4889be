#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/CurrentLanguageModel.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "data/DataCenter.h"
#include "data/SlotFamily.h"
#include "platform/ResourceLookup.h"
#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/FontLibrary.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/UserListDragItem.h"
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

    // Presses on the table at from and drags in steps to to, the button still down at the end, as
    // the platform sends a row drag; modifiers may add Alt for a copy.
    static void dragRows(juce::Component& table, juce::Point<int> from, juce::Point<int> to, int modifiers = 0)
    {
        constexpr int steps = 6;
        for (int step = 0; step <= steps; ++step)
            test::gui::sendMouse(table, from + (to - from) * step / steps,
                                 juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier | modifiers));
    }

    // Drags on to the point and releases the button there; true once the drag has ended (the
    // framework lets its image fade first).
    static bool dropRows(UserListComponent& list, juce::Point<int> at, int modifiers = 0)
    {
        test::gui::sendMouse(list.getTable(), at,
                             juce::ModifierKeys(juce::ModifierKeys::leftButtonModifier | modifiers));
        test::gui::sendMouse(list.getTable(), at, juce::ModifierKeys(modifiers));
        return test::runMessageLoopUntil([&] { return !list.isDragAndDropActive(); });
    }

    static Rows selectedRows(juce::ListBox& table)
    {
        Rows rows;
        for (int i = 0; i < table.getNumSelectedRows(); ++i)
            rows.push_back(table.getSelectedRow(i));
        return rows;
    }

    test::gui::ScopedPreferences preferences;
};

// An oscillator pane in a window of the given height, its slots filled by fillWithNumberedUnits.
struct NumberedOscPaneOnScreen
{
    explicit NumberedOscPaneOnScreen(int height = 530) : shown(pane, 720, height)
    {
        fillWithNumberedUnits<UnitModule::Oscillator>();
    }

    UserOscPaneComponent pane;
    test::gui::ScopedOnDesktop shown;
    ui::DraggableTableListBox& table = pane.getList().getTable();
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
        // Extensions in any letter case.
        {"upper case", {"/A.FTNDIGUNIT"}, rowCentreY(3), true, {{"A.FTNDIGUNIT", 3, 2}}},
        {"mixed case", {"/n.TXT", "/b.PrvlVrUnit"}, rowCentreY(1), true, {{"b.PrvlVrUnit", 1, 2}}},
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
    NumberedOscPaneOnScreen screen;
    auto& pane = screen.pane;
    auto& table = screen.table;

    // Three rows dropped on row 14 of 16 land on rows 13 to 15.
    table.selectRangeOfRows(0, 2);
    dragRows(table, {100, rowCentreY(0)}, {100, rowCentreY(14)}, juce::ModifierKeys::altModifier);
    EXPECT_EQ(table.getHoveredRow(), 14);
    ASSERT_TRUE(dropRows(pane.getList(), {100, rowCentreY(14)}, juce::ModifierKeys::altModifier));
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

// The text of a key in a language's text table file, read without the program's lookup.
juce::String tableText(const char* language, const char* key)
{
    const auto table = juce::parseXML(
        platform::ResourceLookup(language).findResource(CTRXResource::tableName, CTRXResource::tableType));
    const auto* entry = table != nullptr ? table->getChildByName(key) : nullptr;
    return entry != nullptr ? entry->getStringAttribute("Text") : juce::String();
}

TEST_F(PaneTest, ColumnHeadersShowTheTextTableOfTheInterfaceLanguage)
{
    using Language = w40388_application::CurrentLanguageModel;
    ASSERT_NE(tableText("ja", "UserListColumnName"), tableText("en", "UserListColumnName"));
    for (const auto& [language, code] : {std::pair{Language::english, "en"}, std::pair{Language::japanese, "ja"}})
    {
        Language::getInstance()->setLanguage(language);
        delete CTRXResource::getInstanceWithoutCreating();
        const juce::StringArray expected{"", tableText(code, "UserListColumnName"),
                                         tableText(code, "UserListColumnVersion"),
                                         tableText(code, "UserListColumnAPI")};
        ASSERT_EQ(expected.indexOf({}, false, 1), -1) << code; // only the number column is nameless

        UserOscPaneComponent osc;
        UserModFXPaneComponent modFX;
        UserDelFXPaneComponent delFX;
        UserRevFXPaneComponent revFX;
        for (auto* list : {&osc.getList(), &modFX.getList(), &delFX.getList(), &revFX.getList()})
        {
            auto& header = list->getTable().getHeader();
            juce::StringArray shown;
            for (int index = 0; index < header.getNumColumns(false); ++index)
                shown.add(header.getColumnName(header.getColumnIdOfIndex(index, false)));
            EXPECT_EQ(shown, expected) << code << ": " << list->getName();
        }
    }
}

TEST_F(PaneTest, AMoveDragMarksItsGapAndLeavesTheMovedRowsSelectedInTheirNewPlaces)
{
    QTR_REQUIRE_DISPLAY();
    constexpr auto osc = UnitModule::Oscillator;
    NumberedOscPaneOnScreen screen;
    auto& pane = screen.pane;
    auto& table = screen.table;
    // The pixel lines of the table, as painted now, that are the marker's colour across the whole width.
    const auto markerLines = [&]
    {
        const auto image = table.createComponentSnapshot(table.getLocalBounds());
        const auto isMarker = [&](int x, int y) { return image.getPixelAt(x, y) == juce::Colour(0xFF333333); };
        Rows lines;
        for (int y = 0; y < image.getHeight(); ++y)
            if (isMarker(1, y) && isMarker(image.getWidth() / 2, y) && isMarker(image.getWidth() - 1, y))
                lines.push_back(y);
        return lines;
    };
    const int row4Top = headerHeight + 4 * rowHeight, row15Bottom = headerHeight + 16 * rowHeight;

    // Rows 1 and 2 over the upper half of row 4: the gap above row 4. Below the last row: the
    // bottom edge of row 15.
    table.deselectAllRows();
    table.selectRangeOfRows(1, 2);
    dragRows(table, {100, rowCentreY(1)}, {100, row4Top + 3});
    EXPECT_EQ(markerLines(), Rows({row4Top, row4Top + 1}));
    dragRows(table, {100, row4Top + 3}, {100, row15Bottom + 7});
    EXPECT_EQ(markerLines(), Rows({row15Bottom - 2, row15Bottom - 1}));

    // Dropped above row 4: the two rows stand at 2 and 3 and stay selected there.
    ASSERT_TRUE(dropRows(pane.getList(), {100, row4Top + 3}));
    EXPECT_EQ(slotOrder<osc>(), Rows({0, 3, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(selectedRows(table), Rows({2, 3}));
    EXPECT_EQ(ui::SelectedUserOscStatus::getInstance()->getSelectedRows(), Rows({2, 3}));
    EXPECT_EQ(markerLines(), Rows());
}

TEST_F(PaneTest, RowsAndUnitFilesDroppedOnAScrolledListLandInTheRowsUnderThePointer)
{
    QTR_REQUIRE_DISPLAY();
    constexpr auto osc = UnitModule::Oscillator;
    // Room for about eight of the sixteen rows; half a wheel notch scrolls seven rows down.
    NumberedOscPaneOnScreen screen(320);
    auto& pane = screen.pane;
    auto& table = screen.table;
    std::vector<int> importedSlots;
    pane.setUnitFileImporter([&](const juce::File&, const int& slot, const int&) { importedSlots.push_back(slot); });
    test::gui::wheel(table, -0.5f);
    ASSERT_EQ(table.getViewport()->getViewPositionY(), 7 * rowHeight);
    // Where the framework shows a row now, in the table's coordinates.
    const auto rowCentre = [&](int row) { return table.getRowPosition(row, true).getCentre(); };

    // Rows 8 and 9 over the upper half of row 13: they go into the gap above it.
    table.deselectAllRows();
    table.selectRangeOfRows(8, 9, true);
    dragRows(table, rowCentre(8), rowCentre(13).translated(0, -6));
    ASSERT_TRUE(dropRows(pane.getList(), rowCentre(13).translated(0, -6)));
    EXPECT_EQ(slotOrder<osc>(), Rows({0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 12, 8, 9, 13, 14, 15}));
    EXPECT_EQ(ui::SelectedUserOscStatus::getInstance()->getSelectedRows(), Rows({11, 12}));

    pane.getPeer()->handleDragDrop({{"/a.cntlunit"}, {}, pane.getLocalPoint(&table, rowCentre(14))});
    test::drainMessageLoop();
    EXPECT_EQ(importedSlots, Rows({14}));
    EXPECT_EQ(table.getViewport()->getViewPositionY(), 7 * rowHeight);
}

TEST_F(PaneTest, AListTakesOnlyRowDragsOfItsOwn)
{
    constexpr auto osc = UnitModule::Oscillator;
    fillWithNumberedUnits<osc>();
    UserOscPaneComponent pane;
    UserModFXPaneComponent otherPane;
    auto& table = pane.getList().getTable();
    auto& otherTable = otherPane.getList().getTable();
    using Source = juce::DragAndDropTarget::SourceDetails;
    const juce::Point<int> gap5{100, headerHeight + 5 * rowHeight};

    EXPECT_TRUE(table.isInterestedInDragSource(Source(pane.getList().makeDragDescription({1}), &table, gap5)));
    // Row 1 of another list, and row 1 under the name of a plain list.
    const Source refused[] = {
        {otherPane.getList().makeDragDescription({1}), &otherTable, gap5},
        {ui::UserListDragItem(UserListComponent::defaultDragIdentifier, {1}).toVar(), &table, gap5}};
    for (const auto& source : refused)
    {
        EXPECT_FALSE(table.isInterestedInDragSource(source)) << juce::JSON::toString(source.description, true);
        // Dropped all the same, it moves nothing.
        table.itemDragEnter(source);
        table.itemDropped(source);
    }
    EXPECT_EQ(slotOrder<osc>(), identityOrder(16));
    EXPECT_FALSE(undoManager().canUndo());
}

} // namespace
