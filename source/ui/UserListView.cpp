#include "ui/UserListView.h"

#include "core/CTRXResource.h"
#include "data/SlotFamily.h"
#include "platform/Utf8Text.h"
#include "ui/FontLibrary.h"

namespace w40388_ui
{
namespace
{
struct ColumnLayout
{
    const char* textKey; // looked up in the localised texts; null for a fixed name
    const char* fixedName;
    int width;
};

// Indexed by column id - 1.
constexpr ColumnLayout columnLayouts[] = {
    {nullptr, "", 48},
    {"UserListColumnName", nullptr, 180},
    {"UserListColumnVersion", nullptr, 80},
    {"UserListColumnAPI", nullptr, 80},
    {nullptr, "Debug", 100},
};

constexpr int unknownColumnWidth = 100;
constexpr int columnMinimumWidth = 20;
constexpr int columnFlags = juce::TableHeaderComponent::visible | juce::TableHeaderComponent::resizable;
constexpr int cellTextIndent = 12;

const juce::Colour rowMarkColour{0x44AAAAAA};
const juce::Colour selectedTextColour{0xFFD3D3D3};
const juce::Colour unselectedTextColour{0xFF808080};
const juce::Colour nameTextColour{0xFFFFFFFF};

const ColumnLayout* findColumn(int columnId)
{
    return columnId >= 1 && columnId <= static_cast<int>(std::size(columnLayouts)) ? &columnLayouts[columnId - 1]
                                                                                   : nullptr;
}

// Text of a header field of a slot that holds a unit; empty when its target word is unset.
template <typename Record, typename Field> juce::String headerText(const Record& record, Field field)
{
    if (record.state == w40388_data::SlotState::Empty)
        return "---";
    if (record.getTarget() == 0)
        return {};
    const UnitHeader header(record.header.data(), record.header.size());
    return field(header);
}

const char* stateMark(w40388_data::SlotState state)
{
    switch (state)
    {
    case w40388_data::SlotState::Empty:
        return "E:";
    case w40388_data::SlotState::Received:
        return "R:";
    case w40388_data::SlotState::Loaded:
        return "L:";
    }
    return nullptr;
}
} // namespace

template <UnitModule Module> int UserListView<Module>::getNumRows() const
{
    return w40388_data::numUsableSlots(Module);
}

template <UnitModule Module> juce::String UserListView<Module>::getColumnName(int columnId) const
{
    const auto* column = findColumn(columnId);
    if (column == nullptr)
        return {};
    return column->textKey != nullptr ? CTRXResource::getInstance()->getText(column->textKey)
                                      : juce::String(column->fixedName);
}

template <UnitModule Module> int UserListView<Module>::getColumnWidth(int columnId) const
{
    const auto* column = findColumn(columnId);
    return column != nullptr ? column->width : unknownColumnWidth;
}

template <UnitModule Module> int UserListView<Module>::getColumnMinimumWidth(int) const
{
    return columnMinimumWidth;
}

template <UnitModule Module> int UserListView<Module>::getColumnFlags(int) const
{
    return columnFlags;
}

template <UnitModule Module>
void UserListView<Module>::paintRowBackground(juce::Graphics& g, int, int width, int height, bool rowIsSelected)
{
    g.setColour(rowMarkColour);
    if (rowIsSelected)
        g.fillAll();
    else
        g.drawLine(0.0f, static_cast<float>(height - 1), static_cast<float>(width), static_cast<float>(height - 1),
                   1.0f);
}

template <UnitModule Module>
void UserListView<Module>::paintCell(juce::Graphics& g, int row, int columnId, int width, int height,
                                     bool rowIsSelected)
{
    g.setColour(getCellColour(columnId, rowIsSelected));
    g.setFont(ui::FontLibrary::getInstance()->getFont(getCellFontName(columnId)));
    g.drawText(getCellText(row, columnId), cellTextIndent, 0, width - cellTextIndent, height,
               juce::Justification::centredLeft, false);
}

template <UnitModule Module> juce::String UserListView<Module>::getCellText(int row, int columnId) const
{
    const auto& record = w40388_data::SlotFamily<Module>::guardedRecord(*userData, row);
    switch (columnId)
    {
    case numberColumn:
        return juce::String(row + 1);
    case nameColumn:
        return headerText(record,
                          [](const UnitHeader& header)
                          {
                              const auto name = header.getName();
                              return decodeUtf8Text(name.data(), name.size());
                          });
    case versionColumn:
        return headerText(record, [](const UnitHeader& header)
                          { return juce::String(formatUnitVersionWord(header.getVersion())); });
    case apiColumn:
        return headerText(record, [](const UnitHeader& header)
                          { return juce::String(formatUnitVersionWord(header.getApi())); });
    case debugColumn:
        if (const auto* mark = stateMark(record.state))
            return mark + juce::String(record.slotIndex.load());
        return {};
    default:
        return {};
    }
}

template <UnitModule Module> juce::Colour UserListView<Module>::getCellColour(int columnId, bool rowIsSelected)
{
    if (columnId == nameColumn)
        return nameTextColour;
    return rowIsSelected ? selectedTextColour : unselectedTextColour;
}

template <UnitModule Module> juce::String UserListView<Module>::getCellFontName(int columnId)
{
    switch (columnId)
    {
    case numberColumn:
        return "ListNumber";
    case nameColumn:
        return "ListName";
    default:
        return "ListCategory";
    }
}

template class UserListView<UnitModule::Oscillator>;
template class UserListView<UnitModule::ModulationEffect>;
template class UserListView<UnitModule::DelayEffect>;
template class UserListView<UnitModule::ReverbEffect>;
} // namespace w40388_ui
