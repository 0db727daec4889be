#include "ui/ApplicationServices.h"

#include "core/CTRXResource.h"
#include "core/DataEditStatus.h"
#include "core/PreferencesData.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "midi/MidiDeviceManager.h"
#include "ui/AlertDialogComponent.h"
#include "ui/FontLibrary.h"
#include "ui/ModalDialog.h"

namespace w40388_application
{
void applyMidiPortPreferences()
{
    using namespace w40388_preferences;
    const auto* preferences = PreferencesData::getInstance();
    auto* devices = midi::MidiDeviceManager::getInstance();

    if (preferences->GetBool(midiPortAutoScanKey, true))
    {
        devices->automatic = true;
        return;
    }
    devices->automatic = false;
    devices->inPortName = preferences->GetString(midiInPortKey, {});
    devices->outPortName = preferences->GetString(midiOutPortKey, {});
}

int listRowHeightStep(int rowHeight)
{
    for (std::size_t step = 0; step < listRowHeights.size(); ++step)
        if (listRowHeights[step] >= rowHeight)
            return static_cast<int>(step);
    return static_cast<int>(listRowHeights.size()) - 1;
}

int readListHeight()
{
    using namespace w40388_preferences;
    const auto stored = PreferencesData::parseDecimal(PreferencesData::getInstance()->GetString(listHeightKey, {}));
    if (!stored)
        return defaultListHeight;
    return listRowHeights[static_cast<std::size_t>(listRowHeightStep(*stored))];
}

int applyListFontHeights()
{
    const auto fontHeight = static_cast<int>(static_cast<float>(readListHeight()) * 0.6f);

    auto* fonts = ui::FontLibrary::getInstance();
    for (const char* name : {"ListNumber", "ListName", "ListCategory"})
        fonts->setFontHeight(name, fontHeight);

    application::PreferencesDataChangeBroadcaster::getInstance()->sendPreferencesDataChanged();
    return fontHeight;
}

int confirmDiscardChanges()
{
    if (!application::DataEditStatus::getInstance()->isEdited())
        return 0;

    const auto* texts = CTRXResource::getInstance();
    const auto title = texts->getText("FileDiscardCheckTitle");
    const auto message = texts->getText("FileDiscardCheckMessage");

    AlertDialogComponent question(AlertDialogComponent::yesNoCancel, message);
    // Another dialog already open counts as Cancel: the caller stays.
    const auto answer = ui::runModalDialog(question, title).value_or(AlertDialogComponent::cancelled);

    switch (answer)
    {
    case AlertDialogComponent::okOrYes:
        return 0;
    case AlertDialogComponent::cancelled:
    case AlertDialogComponent::no:
        return 1;
    default:
        return 2;
    }
}
} // namespace w40388_application
