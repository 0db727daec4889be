#include "app/ApplicationMenuCommands.h"

#include "app/DebugWindowManager.h"
#include "app/qtr3LibrarianApplication.h"
#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/DataEditStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "data/DataCenter.h"
#include "data/SetUserDataAction.h"
#include "data/SlotAction.h"
#include "midi/MidiCommunicationManager.h"
#include "midi/MidiDeviceManager.h"
#include "midi/ReceiveUserDataProcess.h"
#include "midi/WriteUserDataProcess.h"
#include "ui/AboutComponent.h"
#include "ui/ApplicationServices.h"
#include "ui/ModalDialog.h"
#include "ui/PreferencesEditComponent.h"
#include "ui/RunMidiCommunicationProcess.h"
#include "ui/SelectedRowsStatus.h"
#include "ui/SelectedTabStatus.h"
#include "ui/UserUnitImport.h"
#include "ui/WriteUserDataWarningComponent.h"

#include <vector>

namespace w40388_menu
{
namespace
{
constexpr const char* receiveTransactionName = "Receive UserData";

// Clear transactions by tab (0 oscillators, 1 modulation, 2 delay, 3 reverb effects).
constexpr std::array<const char*, 4> clearTransactionNames{
    {"ClearUserOscData", "ClearUserModFXData", "ClearUserDelFXData", "ClearUserRevFXData"}};

juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}

template <UnitModule Module> void clearRows(const std::vector<int>& rows)
{
    auto* undoManager = application::ApplicationUndoManager::getInstance();
    for (const int row : rows)
        undoManager->perform(new w40388_action::ClearSlotAction<Module>(static_cast<juce::uint32>(row)));
}

bool clearSelectedRows()
{
    const int tab = ui::SelectedTabStatus::getInstance()->getCurrentTabIndex();
    const auto* rows = ui::selectedRowsOfTab(tab);
    if (rows == nullptr || rows->empty())
        return false;

    // A copy: performing the actions must not depend on the status staying as it is.
    const std::vector<int> selected = *rows;
    application::ApplicationUndoManager::getInstance()->beginNewTransaction(
        clearTransactionNames[static_cast<std::size_t>(tab)]);
    switch (tab)
    {
    case 0:
        clearRows<UnitModule::Oscillator>(selected);
        break;
    case 1:
        clearRows<UnitModule::ModulationEffect>(selected);
        break;
    case 2:
        clearRows<UnitModule::DelayEffect>(selected);
        break;
    default:
        clearRows<UnitModule::ReverbEffect>(selected);
        break;
    }
    return true;
}

// After a transfer the lists match the instrument: nothing to undo and nothing unsent.
void forgetEditsAfterTransfer()
{
    application::ApplicationUndoManager::getInstance()->clearUndoHistory();
    auto* editStatus = application::DataEditStatus::getInstance();
    if (editStatus->isEdited())
        editStatus->setEdited(false);
}

// Runs a MIDI job in the progress dialog with the communication manager marked busy; true when
// the job succeeded.
bool runJob(midi::MidiCommunicationProcess& process)
{
    auto* communication = w40388_midi::MidiCommunicationManager::getInstance();
    communication->busy = true;
    const int result = runMidiCommunicationProcess(process);
    communication->busy = false;
    return result == 0;
}

void receiveUserData()
{
    // The job fills a copy of its own; the live lists change only when it succeeds.
    auto received = std::make_unique<w40388_data::UserData>();
    {
        w40388_midi::ReceiveUserDataProcess process(received.get());
        if (!runJob(process))
            return;
    }
    auto* undoManager = application::ApplicationUndoManager::getInstance();
    undoManager->beginNewTransaction(receiveTransactionName);
    undoManager->perform(new w40388_action::SetUserDataAction(*received));
    // The rows now say what every slot holds, so no earlier swap is in doubt.
    w40388_data::DataCenter::getInstance()->swapInDoubt.reset();
    forgetEditsAfterTransfer();
}

void writeUserData()
{
    if (w40388_preferences::PreferencesData::getInstance()->GetBool(w40388_preferences::warnBeforeWritingKey, true))
    {
        WriteUserDataWarningComponent warning;
        const auto answer = ui::runModalDialog(warning, text("WriteUserDataWarningDialogTitle"));
        if (!answer.has_value() || *answer == 0)
            return;
    }

    // The job works on the live lists: the progress dialog's modal flag keeps every command and
    // drop away from them until it has ended.
    auto* dataCenter = w40388_data::DataCenter::getInstance();
    w40388_midi::WriteUserDataProcess process(&dataCenter->userData, &dataCenter->swapInDoubt);
    if (runJob(process))
    {
        forgetEditsAfterTransfer();
    }
    else if (process.getProgress() > 0.0f || process.hasChangedSlotIndices())
    {
        // The job failed part way: the instrument took some swaps, clears or units, and the live
        // records now say where their units sit. The undo history still holds records from before,
        // and undoing to them would make the next write move or clear the wrong slots. The edits
        // stay unsent, so the write stays available.
        application::ApplicationUndoManager::getInstance()->clearUndoHistory();
    }
}

void startInstrumentSearch()
{
    auto* devices = midi::MidiDeviceManager::getInstance();
    devices->scanDone = false;
    midi::scanRunning = true;
    devices->getScanner().StartScan(devices->familyId, devices->memberId);
}

bool showPreferences()
{
    ui::ScopedModalDialog modal;
    if (!modal.isClaimed())
        return false;

    int result = PreferencesEditComponent::cancelled;
    {
        PreferencesEditComponent content;
        result = juce::DialogWindow::showModalDialog(text("PreferencesDialogTitle"), &content, nullptr,
                                                     juce::Colours::white, true, false, false);
    }
    if (result == PreferencesEditComponent::cancelled)
        return true;

    // The flag stays claimed while the settings are saved and the search starts again.
    auto* preferences = w40388_preferences::PreferencesData::getInstance();
    preferences->Save();
    w40388_application::applyMidiPortPreferences();
    if (preferences->GetBool(w40388_preferences::midiPortAutoScanKey, true))
        startInstrumentSearch();
    return true;
}

void showAbout()
{
    AboutComponent content;
    ui::runModalDialog(content, text("AboutDialogTitle"));
}

// The application's own quit road, without bringing the window to the front; nothing to end
// without an application object.
bool exitApplication()
{
    auto* application = dynamic_cast<qtr3LibrarianApplication*>(juce::JUCEApplication::getInstance());
    return application != nullptr && application->requestQuit();
}

bool undoOrRedo(bool undo)
{
    auto* undoManager = application::ApplicationUndoManager::getInstance();
    if (undo)
        return undoManager->canUndo() && undoManager->undo();
    return undoManager->canRedo() && undoManager->redo();
}
} // namespace

CommandState CommandState::current()
{
    CommandState state;
    state.modalDialogOpen = ui::ModalDialogState::getInstance()->isOpen();
    const auto* undoManager = application::ApplicationUndoManager::getInstance();
    state.canUndo = undoManager->canUndo();
    state.canRedo = undoManager->canRedo();
    const auto* rows = ui::selectedRowsOfTab(ui::SelectedTabStatus::getInstance()->getCurrentTabIndex());
    state.currentListHasSelection = rows != nullptr && !rows->empty();
    state.edited = application::DataEditStatus::getInstance()->isEdited();
    return state;
}

bool isCommandEnabled(juce::CommandID commandId, const CommandState& state) noexcept
{
    if (state.modalDialogOpen)
        return false;
    switch (commandId)
    {
    case undoCommand:
        return state.canUndo;
    case redoCommand:
        return state.canRedo;
    case clearCommand:
        return state.currentListHasSelection;
    case writeUserDataCommand:
        return state.edited;
    default:
        return true;
    }
}

ApplicationMenuCommands::ApplicationMenuCommands() = default;
ApplicationMenuCommands::~ApplicationMenuCommands() = default;

juce::ApplicationCommandTarget* ApplicationMenuCommands::getNextCommandTarget()
{
    return dynamic_cast<juce::JUCEApplication*>(juce::JUCEApplicationBase::getInstance());
}

void ApplicationMenuCommands::getAllCommands(juce::Array<juce::CommandID>& commands)
{
    for (juce::CommandID id = firstCommandId; id <= lastCommandId; ++id)
        commands.add(id);
}

const ApplicationMenuCommands::CommandTable& ApplicationMenuCommands::getCommandTable()
{
    if (table == nullptr)
    {
        const int command = juce::ModifierKeys::commandModifier;
        const int shift = juce::ModifierKeys::shiftModifier;
        table = std::make_unique<CommandTable>(CommandTable{{
            {},
            {text("MenuFileImportUserUnit"), "File", 'i', command},
            {text("MenuFileExit"), "File", 'q', command},
            {text("MenuEditUndo"), "Edit", 'z', command},
            {text("MenuEditRedo"), "Edit", 'z', command | shift},
            {text("MenuEditClear"), "Edit", 'k', command},
            {text("MenuOptionPreferences"), "Option", ',', command},
            {text("MenuOptionAbout"), "Option", 0, 0},
            {"Open Debug Window", "Option", 0, 0},
            {text("MenuMidiReceiveUserEnv"), "MIDI", 0, 0},
            {text("MenuMidiReceiveUserData"), "MIDI", 0, 0},
            {text("MenuMidiWriteUserData"), "MIDI", 0, 0},
        }});
    }
    return *table;
}

void ApplicationMenuCommands::getCommandInfo(juce::CommandID commandId, juce::ApplicationCommandInfo& result)
{
    if (commandId < firstCommandId || commandId > lastCommandId)
        return;

    const auto& entry = getCommandTable()[static_cast<std::size_t>(commandId)];
    result.setInfo(entry.name, {}, entry.category, 0);
    if (entry.keyCode != 0)
        result.addDefaultKeypress(entry.keyCode, juce::ModifierKeys(entry.modifiers));
    result.setActive(isCommandEnabled(commandId, CommandState::current()));
}

bool ApplicationMenuCommands::perform(const InvocationInfo& info)
{
    // Every path that reaches here while a dialog is open (a job's progress dialog included)
    // is dropped: nothing may touch the lists a job is writing.
    if (ui::ModalDialogState::getInstance()->isOpen())
        return true;

    switch (info.commandID)
    {
    case importUserUnitCommand:
        return importUserUnitFileByCommand();
    case exitCommand:
        return exitApplication();
    case undoCommand:
        return undoOrRedo(true);
    case redoCommand:
        return undoOrRedo(false);
    case clearCommand:
        return clearSelectedRows();
    case preferencesCommand:
        return showPreferences();
    case aboutCommand:
        showAbout();
        return true;
    case debugWindowCommand:
        w40388_debug::DebugWindowManager::getInstance()->openDebugWindow();
        return true;
    case receiveUserEnvCommand:
        return true;
    case receiveUserDataCommand:
        receiveUserData();
        return true;
    case writeUserDataCommand:
        writeUserData();
        return true;
    default:
        return false;
    }
}
} // namespace w40388_menu
