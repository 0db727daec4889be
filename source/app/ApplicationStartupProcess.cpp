#include "app/ApplicationStartupProcess.h"

#include "app/ApplicationMenuCommands.h"
#include "app/ApplicationMenuManager.h"
#include "core/PreferencesData.h"
#include "midi/MidiDeviceManager.h"

namespace w40388_application
{
ApplicationStartupProcess::~ApplicationStartupProcess()
{
    cancelPendingUpdate();
    if (auto* devices = midi::MidiDeviceManager::getInstanceWithoutCreating())
        devices->removeListener(this);
}

void ApplicationStartupProcess::scanFinished()
{
    ++searchesFinished;
    triggerAsyncUpdate();
}

void ApplicationStartupProcess::handleAsyncUpdate()
{
    midi::MidiDeviceManager::getInstance()->Connect();
    if (startupDone)
        return;

    // Set before the receive runs: its progress window runs a modal loop, in which a search that
    // ends would otherwise start a second receive.
    startupDone = true;
    if (w40388_preferences::PreferencesData::getInstance()->GetBool(w40388_preferences::autoReceiveKey, true))
    {
        juce::ApplicationCommandTarget::InvocationInfo info(w40388_menu::receiveUserDataCommand);
        info.invocationMethod = juce::ApplicationCommandTarget::InvocationInfo::direct;
        w40388_menu::ApplicationMenuManager::getInstance()->getCommandManager().invoke(info, false);
    }
}
} // namespace w40388_application
