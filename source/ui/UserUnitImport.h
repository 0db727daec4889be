#pragma once

#include <juce_core/juce_core.h>

#include <functional>

// Import of one user-unit file into one slot of the live slot lists, as one undoable step in a
// transaction named after the unit's module ("LoadUserOscData" and its siblings). Both roads read
// the file, ask before importing a unit built for another instrument (unless the user turned that
// question off), check the unit's module and show every failure in the read-error dialog.
// Message thread only.

// The file-drop road: the pane under the drop passes the dropped unit file, the slot under the
// pointer (0 <= slot < its row count) and its own module number (4 oscillator, 1 modulation,
// 2 delay, 3 reverb). The unit overwrites that slot; the tab and the selection stay as they are.
void importUserUnitFile(const juce::File& file, const int& slot, const int& module);

// The import command: lets the user choose a unit file, brings the tab of the unit's module to the
// front and puts the unit into the lowest selected row of that tab's list when the tab was already
// showing, else into the first empty slot of the list. Does nothing while a modal dialog is open.
// Always returns true (the command was handled).
bool importUserUnitFileByCommand();

// Shows the localised text of a read-error code (1 to 28) in a modal error dialog with one OK
// button. Code 0 (success) shows nothing; any other number outside the table shows the text of
// ReadError::FailedToReadUserUnitFile. Shows nothing while another modal dialog is open.
void showReadErrorDialog(const int& code);

// Asks the user for one unit file to open: title of the chooser and its file patterns
// ("*.ftndigunit;*.cntlunit;*.prvlvrunit"). juce::File() means the user cancelled; any other file
// is read, and one that cannot be found or read gets its read error.
using UnitFileChooserFunction = std::function<juce::File(const juce::String& title, const juce::String& patterns)>;

// Replaces the file chooser of the import command; an empty function restores the real one
// (ui::UnitFileChooser). For tests, which answer the chooser without a window.
void setUnitFileChooserForTesting(UnitFileChooserFunction chooser);
