#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

namespace w40388_menu
{
// The application's command identifiers. The header buttons, the menus, the shortcuts and the
// automatic receive at start-up all invoke these through the command manager.
enum CommandId : juce::CommandID
{
    importUserUnitCommand = 1,
    exitCommand = 2,
    undoCommand = 3,
    redoCommand = 4,
    clearCommand = 5,
    preferencesCommand = 6,
    aboutCommand = 7,
    debugWindowCommand = 8,
    receiveUserEnvCommand = 9, // registered, but in no menu, without shortcut, and does nothing
    receiveUserDataCommand = 10,
    writeUserDataCommand = 11
};

constexpr juce::CommandID firstCommandId = importUserUnitCommand;
constexpr juce::CommandID lastCommandId = writeUserDataCommand;

// What the enable rules look at, read from the application's status objects at the moment a
// command's state is asked for.
struct CommandState
{
    bool modalDialogOpen = false;
    bool canUndo = false;
    bool canRedo = false;
    bool currentListHasSelection = false; // false too when the current tab shows no slot list
    bool edited = false;

    // The current values of the modal-dialog flag, the undo history, the selected tab with its
    // list's selected rows and the edited flag.
    static CommandState current();
};

// Whether a command may run: nothing while a modal dialog is open; undo and redo need history,
// clear a selected row in the current list, write unsent edits; every other id is enabled.
bool isCommandEnabled(juce::CommandID commandId, const CommandState& state) noexcept;

// One entry of the command table: display name, category and default shortcut (key code 0:
// none).
struct CommandEntry
{
    juce::String name;
    juce::String category;
    int keyCode = 0;
    int modifiers = 0;
};

// The command target every invocation reaches first, whatever has the keyboard focus: the
// eleven commands with their table, enable rules and effects. Owned by the menu manager.
// Message thread only; the receive and write commands block in the progress dialog's modal
// loop while their job runs on its own thread.
class ApplicationMenuCommands : public juce::ApplicationCommandTarget
{
public:
    using CommandTable = std::array<CommandEntry, lastCommandId + 1>;

    ApplicationMenuCommands();
    ~ApplicationMenuCommands() override;

    // The application object (which handles none of these ids), or null without one.
    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands(juce::Array<juce::CommandID>& commands) override;
    void getCommandInfo(juce::CommandID commandId, juce::ApplicationCommandInfo& result) override;
    // True when handled (or ignored because a modal dialog is open); false for an unknown id, an
    // exit that does not happen, and an undo, redo or clear with nothing to do.
    bool perform(const InvocationInfo& info) override;

    // The table, indexed by command id (entry 0 empty). Built on first use, with the display
    // names looked up in the localisation table then; they stay for the whole run.
    const CommandTable& getCommandTable();

private:
    std::unique_ptr<CommandTable> table;

    JUCE_DECLARE_NON_COPYABLE(ApplicationMenuCommands)
};
} // namespace w40388_menu
