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

#include <cmath>
#include <numeric>
#include <set>

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

    // The pixel lines of the table, as painted now, that are the insert marker's colour across the
    // whole width of the rows.
    static Rows insertMarkerLines(juce::ListBox& table)
    {
        const auto image = table.createComponentSnapshot(table.getLocalBounds());
        const auto isMarker = [&](int x, int y) { return image.getPixelAt(x, y) == juce::Colour(0xFF333333); };
        const int width = table.getVisibleRowWidth();
        Rows lines;
        for (int y = 0; y < image.getHeight(); ++y)
            if (isMarker(1, y) && isMarker(width / 2, y) && isMarker(width - 1, y))
                lines.push_back(y);
        return lines;
    }

    // The rows on screen painted as the target of a copy (an unselected row under the copy colour),
    // judged at the rows' right edge.
    static Rows copyTargetRows(juce::TableListBox& table)
    {
        const auto image = table.createComponentSnapshot(table.getLocalBounds());
        const auto copyTarget = juce::Colour(0xFF000000).overlaidWith(juce::Colour(0xDD333333));
        Rows rows;
        for (int row = 0; row < table.getNumRows(); ++row)
        {
            const auto area = table.getRowPosition(row, true);
            if (area.getY() >= table.getHeaderHeight() && area.getBottom() <= image.getHeight() &&
                image.getPixelAt(table.getVisibleRowWidth() - 1, area.getCentreY()) == copyTarget)
                rows.push_back(row);
        }
        return rows;
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
    liveData().oscData[3] =
        makeUnit<UnitModule::Oscillator>("\xF0\x80\x80\x81\xF0\x80\x80\x81\xF0\x80\x80\x81\xF0\x80\x80\x81",
                                         makeUnitVersionWord(1, 0, 0), SlotState::Received);

    // Row 0 empty, row 1 received with a zero target word, row 2 loaded.
    const std::tuple<int, int, const char*> cells[] = {
        {0, 1, "1"}, {0, 2, "---"}, {0, 3, "---"},      {0, 5, "E:-1"},   {1, 2, ""},
        {1, 3, ""},  {1, 5, "R:1"}, {2, 2, "Saw Lead"}, {2, 3, "1.02-3"}, {2, 5, "L:-1"},
    };
    for (const auto& [row, column, text] : cells)
        EXPECT_EQ(view.getCellText(row, column), juce::String(text)) << "row " << row << " column " << column;
    EXPECT_EQ(view.getCellText(3, 2).length(), 4);

    // The colours a cell's text is drawn in where it covers whole pixels: names white, brighter than the others.
    const auto inkOf = [&](int column, bool selected)
    {
        juce::Image image(juce::Image::ARGB, 180, rowHeight, true);
        juce::Graphics g(image);
        view.paintCell(g, 2, column, image.getWidth(), image.getHeight(), selected);
        std::set<juce::uint32> ink;
        for (int y = 0; y < image.getHeight(); ++y)
            for (int x = 0; x < image.getWidth(); ++x)
                if (image.getPixelAt(x, y).isOpaque())
                    ink.insert(image.getPixelAt(x, y).getARGB());
        return ink;
    };
    const std::tuple<int, bool, juce::uint32> colours[] = {
        {2, false, 0xFFFFFFFF}, {2, true, 0xFFFFFFFF}, {3, false, 0xFF808080}, {3, true, 0xFFD3D3D3}};
    for (const auto& [column, selected, colour] : colours)
        EXPECT_EQ(inkOf(column, selected), std::set<juce::uint32>{colour}) << column << selected;
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
    const auto markerLines = [&] { return insertMarkerLines(table); };
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

// Held at an edge of the list until it has scrolled to the end, then released without another
// move: the drop goes where the pointer is over the rows as they stand at the drop.
struct HeldDrop
{
    const char* name;
    bool atTopEdge; // the last row dragged to the top of a list scrolled to its end; else row 0 to the bottom
    bool copy;
    Rows order;
};

class HeldDropTest : public PaneTest, public testing::WithParamInterface<HeldDrop>
{
};

TEST_P(HeldDropTest, LandsInTheRowUnderThePointerAfterTheListScrolledUnderIt)
{
    QTR_REQUIRE_DISPLAY();
    const auto& held = GetParam();
    NumberedOscPaneOnScreen screen(430); // about twelve of the sixteen rows on screen
    auto& table = screen.table;
    auto& viewport = *table.getViewport();
    const int end = viewport.getViewedComponent()->getHeight() - viewport.getViewHeight();
    ASSERT_GT(end, 0);
    const int modifiers = held.copy ? juce::ModifierKeys::altModifier : 0;
    const int dragged = held.atTopEdge ? 15 : 0;
    const juce::Point<int> edge{100, held.atTopEdge ? headerHeight + 1 : table.getHeight() - 2};
    viewport.setViewPosition(0, held.atTopEdge ? end : 0);
    table.selectRow(dragged);

    dragRows(table, table.getRowPosition(dragged, true).getCentre(), edge, modifiers);
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return viewport.getViewPositionY() == (held.atTopEdge ? 0 : end); }));
    test::drainMessageLoop();

    // Painted before the drop: the mark of the row now under the pointer, and the dragged row
    // beside it without covering it.
    const int under = held.atTopEdge ? 0 : 15;
    const auto underArea = table.getRowPosition(under, true);
    if (held.copy)
        EXPECT_EQ(copyTargetRows(table), Rows({under}));
    else if (held.atTopEdge)
        EXPECT_EQ(insertMarkerLines(table), Rows({underArea.getY(), underArea.getY() + 1}));
    else
        EXPECT_EQ(insertMarkerLines(table), Rows({underArea.getBottom() - 2, underArea.getBottom() - 1}));
    const auto& picture = table.getDragPicture();
    EXPECT_TRUE(picture.isVisible());
    EXPECT_FALSE(picture.getBounds().intersects(underArea.expanded(0, ui::insertMarkerThickness)));

    test::gui::sendMouse(table, edge, juce::ModifierKeys(modifiers));
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return !screen.pane.getList().isDragAndDropActive(); }));
    EXPECT_EQ(slotOrder<UnitModule::Oscillator>(), held.order);
    EXPECT_FALSE(picture.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Edges, HeldDropTest,
    testing::Values(HeldDrop{"MoveAtTheBottom", false, false, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0}},
                    HeldDrop{"CopyAtTheBottom", false, true, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0}},
                    HeldDrop{"MoveAtTheTop", true, false, {15, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
                    HeldDrop{"CopyAtTheTop", true, true, {15, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}}),
    [](const testing::TestParamInfo<HeldDrop>& info) { return std::string(info.param.name); });

TEST_F(PaneTest, ADropAfterTheWheelScrolledTheListUnderAStillPointerLandsInTheGapUnderIt)
{
    QTR_REQUIRE_DISPLAY();
    NumberedOscPaneOnScreen screen(330);
    auto& table = screen.table;
    table.selectRow(0);
    const auto centre = table.getLocalBounds().getCentre();
    dragRows(table, table.getRowPosition(0, true).getCentre(), centre);
    test::gui::wheel(table, -0.5f);
    ASSERT_EQ(table.getViewport()->getViewPositionY(), 7 * rowHeight);

    // The wheel turns over the table's centre, clearly inside the lower half of a row.
    const int under = table.getRowContainingPosition(centre.x, centre.y);
    ASSERT_GT(centre.y, table.getRowPosition(under, true).getCentreY() + 2);
    const int gap = under + 1;
    Rows order = identityOrder(16);
    order.erase(order.begin());
    order.insert(order.begin() + gap - 1, 0);
    test::gui::sendMouse(table, centre, {});
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return !screen.pane.getList().isDragAndDropActive(); }));
    EXPECT_EQ(slotOrder<UnitModule::Oscillator>(), order);
}

// WCAG's contrast ratio of two colours (1 to 21).
double contrastRatio(juce::Colour a, juce::Colour b)
{
    const auto luminance = [](juce::Colour c)
    {
        const auto linear = [](juce::uint8 v)
        {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.getRed()) + 0.7152 * linear(c.getGreen()) + 0.0722 * linear(c.getBlue());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The desktop's global scale for the scope, as a scaled display gives it.
struct ScopedGlobalScale
{
    explicit ScopedGlobalScale(float scale) { juce::Desktop::getInstance().setGlobalScaleFactor(scale); }
    ~ScopedGlobalScale() { juce::Desktop::getInstance().setGlobalScaleFactor(1.0f); }
};

TEST_F(PaneTest, ThePictureOfDraggedRowsReadsAsTheListShowsThemOnAnyDesktop)
{
    QTR_REQUIRE_DISPLAY();
    for (const float scale : {1.0f, 2.0f})
    {
        const ScopedGlobalScale desktopScale(scale);
        NumberedOscPaneOnScreen screen;
        auto& table = screen.table;
        table.deselectAllRows();
        table.selectRow(2);
        table.selectRow(9, false, false);
        const auto picture = table.createPictureOfRows(table.getSelectedRows(), scale);
        const int rowPixels = juce::roundToInt(rowHeight * scale);
        const int width = juce::roundToInt(table.getHeader().getTotalWidth() * scale);
        ASSERT_EQ(picture.getHeight(), 2 * rowPixels) << "scale " << scale;
        ASSERT_EQ(picture.getWidth(), width) << "scale " << scale;

        // A desktop that cannot show translucent windows puts the picture on white.
        juce::Image shown(juce::Image::RGB, picture.getWidth(), picture.getHeight(), false);
        {
            juce::Graphics g(shown);
            g.fillAll(juce::Colours::white);
            g.drawImageAt(picture, 0, 0);
        }
        // The rows dragged by the right part of row 5: the picture the table shows beside the
        // pointer has a pixel of the display for each of its own.
        int imageX = 0, imageY = 0;
        table.createSnapshotOfRows(table.getSelectedRows(), imageX, imageY);
        const juce::DragAndDropTarget::SourceDetails drag(screen.pane.getList().makeDragDescription({2, 9}), &table,
                                                          {600, rowCentreY(5)});
        table.itemDragEnter(drag);
        const auto& dragPicture = table.getDragPicture();
        ASSERT_TRUE(dragPicture.isVisible()) << "scale " << scale;
        const auto dragArea = (dragPicture.getBounds().toFloat() * scale).toNearestInt();
        EXPECT_EQ(dragPicture.getImage().getBounds(), dragArea.withZeroOrigin()) << "scale " << scale;
        ASSERT_EQ(dragArea.getWidth(), width) << "scale " << scale;

        const auto onScreen = table.createComponentSnapshot(table.getLocalBounds(), true, scale);
        table.itemDragExit(drag);
        const auto nameArea =
            (table.getHeader().getColumnPosition(table.getHeader().getIndexOfColumnId(2, true)).toFloat() * scale)
                .toNearestInt();
        for (const int row : {2, 9})
        {
            const int top = row == 2 ? 0 : rowPixels;
            // Each row as the list draws it, every column, in the picture and where the table
            // shows the picture; its name readable against the row's background.
            const int listedY = juce::roundToInt(table.getRowPosition(row, true).getY() * scale);
            juce::Colour brightest = shown.getPixelAt(nameArea.getX(), top + 1);
            for (int x = 0; x < width; ++x)
                for (int y = top; y < top + rowPixels; ++y)
                {
                    const auto listed = onScreen.getPixelAt(x, listedY + y - top);
                    ASSERT_EQ(shown.getPixelAt(x, y), listed)
                        << "row " << row << " at " << x << "," << y - top << ", scale " << scale;
                    ASSERT_EQ(onScreen.getPixelAt(dragArea.getX() + x, dragArea.getY() + y), listed)
                        << "shown row " << row << " at " << x << "," << y - top << ", scale " << scale;
                    if (x >= nameArea.getX() && x < nameArea.getRight() &&
                        shown.getPixelAt(x, y).getBrightness() > brightest.getBrightness())
                        brightest = shown.getPixelAt(x, y);
                }
            EXPECT_GE(contrastRatio(brightest, shown.getPixelAt(nameArea.getRight() - 1, top + rowPixels / 2)), 7.0)
                << "row " << row << ", scale " << scale;
        }
    }
}

TEST_F(PaneTest, TheDragPictureShowsWhollyInsideTheRowsBesideThePointerAndLeavesTheMarksInSight)
{
    QTR_REQUIRE_DISPLAY();
    NumberedOscPaneOnScreen screen;
    auto& table = screen.table;
    const auto& picture = table.getDragPicture();
    const auto rowsArea = table.getLocalBounds().withTrimmedTop(headerHeight);
    const int pictureWidth = table.getHeader().getTotalWidth();
    // The picture keeps this far from the pointer, clear of the row under it and its marks.
    const int clearance = rowHeight + ui::insertMarkerThickness;
    const auto roomAbove = [&](int row) { return rowCentreY(row) - clearance - headerHeight; };
    const auto roomBelow = [&](int row) { return table.getHeight() - rowCentreY(row) - clearance; };
    // Rows dragged (the first ones), from the right part of their first row to the pointer,
    // moved or copied, and the height of the picture that shows: 16 or 15 rows fit on neither
    // side of the pointer and are cut to the side with more room.
    const std::tuple<const char*, int, juce::Point<int>, bool, int> drags[] = {
        {"two rows to the right edge", 2, {table.getWidth() - 1, rowCentreY(6)}, false, 2 * rowHeight},
        {"two rows copied at the bottom", 2, {700, rowCentreY(15)}, true, 2 * rowHeight},
        {"every row, middle", 16, {600, rowCentreY(8)}, false, roomAbove(8)},
        {"every row, high", 16, {600, rowCentreY(3)}, false, roomBelow(3)},
        {"15 rows copied on to the last", 15, {600, rowCentreY(15)}, true, roomAbove(15)},
    };
    for (const auto& [what, count, to, copy, shownHeight] : drags)
    {
        const int modifiers = copy ? juce::ModifierKeys::altModifier : 0;
        table.deselectAllRows();
        table.selectRangeOfRows(0, count - 1, true);
        dragRows(table, {600, rowCentreY(0)}, to, modifiers);
        ASSERT_TRUE(picture.isVisible()) << what;
        const auto bounds = picture.getBounds();
        EXPECT_TRUE(rowsArea.contains(bounds)) << what << ": " << bounds.toString();
        EXPECT_EQ(bounds.getWidth(), pictureWidth) << what;
        EXPECT_EQ(bounds.getHeight(), shownHeight) << what;
        EXPECT_FALSE(bounds.contains(to)) << what;
        // The row under the pointer and its marks as painted, the picture included.
        const int under = table.getRowContainingPosition(to.x, to.y);
        const auto underArea = table.getRowPosition(under, true);
        EXPECT_FALSE(bounds.intersects(underArea)) << what;
        if (copy)
            EXPECT_EQ(copyTargetRows(table), Rows({under})) << what;
        else
            EXPECT_EQ(insertMarkerLines(table), Rows({underArea.getY(), underArea.getY() + 1})) << what;
        ASSERT_TRUE(dropRows(screen.pane.getList(), to, modifiers)) << what;
        EXPECT_FALSE(picture.isVisible()) << what;
    }
}
} // namespace
