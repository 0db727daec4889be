#include "ui/UserUnitImport.h"

#include "core/ApplicationUndoManager.h"
#include "core/CTRXResource.h"
#include "core/ModalDialogState.h"
#include "data/DataCenter.h"
#include "data/DataChangeBroadcaster.h"
#include "data/SlotAction.h"
#include "files/ReadError.h"
#include "files/UserUnitFileReader.h"
#include "ui/AlertDialogComponent.h"
#include "ui/CustomTabbedComponent.h"
#include "ui/ImportUserDataWarningComponent.h"
#include "ui/MainWindowManager.h"
#include "ui/ModalDialog.h"
#include "ui/UnitFileChooser.h"
#include "ui/UserListComponent.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <array>

namespace
{
juce::String text(const juce::String& key)
{
    return CTRXResource::getInstance()->getText(key);
}

// What an import needs to know of one slot list.
struct ModuleImport
{
    int tabIndex;
    const char* transactionName;
    ReadError noFreeSlotError;
    int numUsableSlots;
    int (*firstEmptySlot)();
    void (*performSet)(int slot, const juce::MemoryBlock& unitDataBlock);
};

template <UnitModule Module> int firstEmptySlot()
{
    using Family = w40388_data::SlotFamily<Module>;
    const auto& records = Family::records(w40388_data::DataCenter::getInstance()->userData);
    for (int slot = 0; slot < Family::numUsableSlots; ++slot)
        if (records[static_cast<std::size_t>(slot)].state == w40388_data::SlotState::Empty)
            return slot;
    return -1;
}

template <UnitModule Module> void performSet(int slot, const juce::MemoryBlock& unitDataBlock)
{
    using Record = typename w40388_data::SlotFamily<Module>::Record;
    application::ApplicationUndoManager::getInstance()->perform(
        new w40388_action::SetSlotAction<Module>(static_cast<juce::uint32>(slot), Record(unitDataBlock)));
}

template <UnitModule Module>
constexpr ModuleImport makeModuleImport(int tabIndex, const char* transactionName, ReadError noFreeSlotError)
{
    return {tabIndex,
            transactionName,
            noFreeSlotError,
            w40388_data::numUsableSlots(Module),
            &firstEmptySlot<Module>,
            &performSet<Module>};
}

// The list of a module number 1 to 4; null for any other number.
const ModuleImport* findModuleImport(int module)
{
    static constexpr std::array<ModuleImport, 4> imports{
        makeModuleImport<UnitModule::ModulationEffect>(1, "LoadUserModFXData", ReadError::FailedToFindFreeModFXSlot),
        makeModuleImport<UnitModule::DelayEffect>(2, "LoadUserDelFXData", ReadError::FailedToFindFreeDelFXSlot),
        makeModuleImport<UnitModule::ReverbEffect>(3, "LoadUserRevFXData", ReadError::FailedToFindFreeRevFXSlot),
        makeModuleImport<UnitModule::Oscillator>(0, "LoadUserOscData", ReadError::FailedToFindFreeOscSlot),
    };
    return module >= 1 && module <= 4 ? &imports[static_cast<std::size_t>(module - 1)] : nullptr;
}

// A unit file as read, or why there is none to import.
struct ReadUnit
{
    int error = 0;         // a ReadError code; 0 when read (or declined)
    bool declined = false; // the user declined a unit built for another instrument
    juce::MemoryBlock block;
    int module = -1; // -1 when the block is empty
};

// Reads the file and, for a unit not built for this instrument, asks whether to go on.
ReadUnit readUnitFile(const juce::File& file)
{
    w40388_data::UserUnitData unit;
    ReadUnit result;
    result.error = w40388_file::UserUnitFileReader(unit).read(file);
    if (result.error != 0)
        return result;

    result.block = std::move(unit.unitData);
    int platform = -1;
    // The header's first word is its target: platform in bits 8-14, module in bits 0-6.
    if (result.block.getSize() >= sizeof(juce::uint16))
    {
        const auto target = juce::ByteOrder::littleEndianShort(result.block.getData());
        result.module = target & 0x7F;
        platform = (target >> 8) & 0x7F;
    }
    if (platform != static_cast<int>(UnitPlatform::FeltanDigital) && !ImportUserDataWarningComponent::confirm())
        result.declined = true;
    return result;
}

// Puts the unit into the slot in the module's transaction. A slot the list does not show is
// refused with FailedToImportUserUnitData rather than handed to the action, which would drop it
// or write the list's hidden spare record.
ReadError performImport(const ModuleImport& import, int slot, const juce::MemoryBlock& block)
{
    if (slot < 0 || slot >= import.numUsableSlots)
        return ReadError::FailedToImportUserUnitData;
    application::ApplicationUndoManager::getInstance()->beginNewTransaction(import.transactionName);
    import.performSet(slot, block);
    return ReadError::NoError;
}

void showReadError(ReadError error)
{
    showReadErrorDialog(static_cast<int>(error));
}

UnitFileChooserFunction& testingChooser()
{
    static UnitFileChooserFunction chooser;
    return chooser;
}

// The file chooser of the import command; the modal-dialog flag is set while it is open.
juce::File chooseUnitFile(const juce::String& title, const juce::String& patterns)
{
    ui::ScopedModalDialog modal;
    if (!modal.isClaimed())
        return {};
    if (testingChooser())
        return testingChooser()(title, patterns);
    return ui::UnitFileChooser::getInstance()->browseForFileToOpen(title, patterns);
}

// "*.ftndigunit;*.cntlunit;*.prvlvrunit": this instrument's extension first.
juce::String unitFilePatterns()
{
    juce::String patterns;
    for (const auto index : {2, 0, 1})
    {
        const auto& extension = unitFileExtensions[static_cast<std::size_t>(index)];
        patterns << (patterns.isEmpty() ? "*" : ";*") << juce::String(extension.data(), extension.size());
    }
    return patterns;
}

// The table of the slot list a pane shows; null when the pane has none.
juce::TableListBox* findListTable(juce::Component& pane)
{
    for (auto* child : pane.getChildren())
        if (auto* list = dynamic_cast<UserListComponent*>(child))
            return &list->getTable();
    return nullptr;
}

ui::CustomTabbedComponent* findMainTabs()
{
    auto* window = w40388_ui::MainWindowManager::getInstance()->getWindow();
    auto* content = window != nullptr ? window->getContentComponent() : nullptr;
    if (content == nullptr)
        return nullptr;
    for (auto* child : content->getChildren())
        if (auto* tabs = dynamic_cast<ui::CustomTabbedComponent*>(child))
            return tabs;
    return nullptr;
}

// The command road after the file has been read and accepted: tab, slot, selection, action.
ReadError importIntoMainWindow(const juce::MemoryBlock& block, int module)
{
    const auto* import = findModuleImport(module);
    if (block.isEmpty() || import == nullptr)
        return ReadError::InvalidModuleForUserUnitFile;

    auto* tabs = findMainTabs();
    if (tabs == nullptr)
        return ReadError::FailedToImportUserUnitData;

    // The switch stays even when the import fails below.
    const bool wasCurrent = tabs->getCurrentTabIndex() == import->tabIndex;
    if (!wasCurrent)
        tabs->setCurrentTabIndex(import->tabIndex, true);

    auto* pane = tabs->getTabContentComponent(import->tabIndex);
    if (pane == nullptr)
        return ReadError::FailedToImportUserUnitData;

    auto* table = findListTable(*pane);
    int slot = -1;
    if (wasCurrent && table != nullptr && table->getNumSelectedRows() > 0)
        slot = table->getSelectedRows()[0];
    if (slot < 0)
        slot = import->firstEmptySlot();
    if (slot < 0)
        return import->noFreeSlotError;

    if (table != nullptr)
    {
        juce::SparseSet<int> rows;
        rows.addRange({slot, slot + 1});
        // The list reports the new selection to its status, so that Clear acts on the row shown selected
        // and not on the one selected before the import.
        table->setSelectedRows(rows, juce::sendNotification);
    }
    return performImport(*import, slot, block);
}
} // namespace

void importUserUnitFile(const juce::File& file, const int& slot, const int& module)
{
    const auto unit = readUnitFile(file);
    if (unit.error != 0)
        return showReadErrorDialog(unit.error);
    if (unit.declined)
        return;
    if (unit.module != module)
        return showReadError(ReadError::UserUnitFileWrongModule);

    const auto* import = findModuleImport(module);
    if (unit.block.isEmpty() || import == nullptr)
        return showReadError(ReadError::FailedToImportUserUnitData);

    const auto error = performImport(*import, slot, unit.block);
    if (error != ReadError::NoError)
        showReadError(error);
}

bool importUserUnitFileByCommand()
{
    if (ui::ModalDialogState::getInstance()->isOpen())
        return true;

    // A chosen file that is gone or unreadable is the reader's to report.
    const auto file = chooseUnitFile(text("FileImportUserUnitTitle"), unitFilePatterns());
    if (file == juce::File())
        return true;

    const auto unit = readUnitFile(file);
    if (unit.error != 0)
    {
        showReadErrorDialog(unit.error);
        return true;
    }
    if (!unit.declined)
    {
        const auto error = importIntoMainWindow(unit.block, unit.module);
        if (error != ReadError::NoError)
        {
            showReadError(error);
            return true;
        }
    }
    auto* undoManager = application::ApplicationUndoManager::getInstance();
    data::DataChangeBroadcaster::getInstance()->changeListenerCallback(undoManager);
    return true;
}

void showReadErrorDialog(const int& code)
{
    static const auto keys = []
    {
        std::array<juce::String, numReadErrors> table;
        for (std::size_t index = 0; index < table.size(); ++index)
            table[index] = readErrorKeys[index];
        return table;
    }();

    if (code == static_cast<int>(ReadError::NoError))
        return;
    // A number outside the table is no code anybody should pass; say at least that the file
    // could not be read rather than index past the table.
    const int shown = code > 0 && code < numReadErrors ? code : static_cast<int>(ReadError::FailedToReadUserUnitFile);
    AlertDialogComponent alert(AlertDialogComponent::okOnly, text(keys[static_cast<std::size_t>(shown)]));
    ui::runModalDialog(alert, text("CommonErrorDialogTitle"));
}

void setUnitFileChooserForTesting(UnitFileChooserFunction chooser)
{
    testingChooser() = std::move(chooser);
}
