#pragma once

#include "data/UserData.h"
#include "ui/UserListViewInterface.h"

namespace w40388_ui
{
// Columns of the slot lists. The debug column has a name and texts but is not shown: the views
// report four columns.
enum UserListColumn
{
    numberColumn = 1,
    nameColumn = 2,
    versionColumn = 3,
    apiColumn = 4,
    debugColumn = 5,
};

// Rows, columns and painting of one module type's slot list, read from the live slot records
// while painting. A row beyond the usable slots prints the list's index-error message and shows
// the spare record. Message thread only (the write job may change a record's state and slot
// index meanwhile; a repaint then shows either value).
template <UnitModule Module> class UserListView : public ui::UserListViewInterface
{
public:
    static constexpr int numShownColumns = 4;

    explicit UserListView(w40388_data::UserData& liveData) : userData(&liveData) {}

    int getNumRows() const override;
    int getNumColumns() const override { return numShownColumns; }
    juce::String getColumnName(int columnId) const override;
    int getColumnWidth(int columnId) const override;
    int getColumnMinimumWidth(int columnId) const override;
    int getColumnFlags(int columnId) const override;

    void paintRowBackground(juce::Graphics&, int row, int width, int height, bool rowIsSelected) override;
    void paintCell(juce::Graphics&, int row, int columnId, int width, int height, bool rowIsSelected) override;

    // What a cell shows, its colour and the name of its font.
    juce::String getCellText(int row, int columnId) const;
    static juce::Colour getCellColour(int columnId, bool rowIsSelected);
    static juce::String getCellFontName(int columnId);

private:
    w40388_data::UserData* userData;
};

using UserOscListView = UserListView<UnitModule::Oscillator>;
using UserModFXListView = UserListView<UnitModule::ModulationEffect>;
using UserDelFXListView = UserListView<UnitModule::DelayEffect>;
using UserRevFXListView = UserListView<UnitModule::ReverbEffect>;

extern template class UserListView<UnitModule::Oscillator>;
extern template class UserListView<UnitModule::ModulationEffect>;
extern template class UserListView<UnitModule::DelayEffect>;
extern template class UserListView<UnitModule::ReverbEffect>;
} // namespace w40388_ui
