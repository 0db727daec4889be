#include "core/LastSavedFileStatus.h"

namespace application
{
void LastSavedFileStatus::setLastSavedFile(const juce::String& newLastSavedFile)
{
    lastSavedFile = newLastSavedFile;
    notifyListenersLater();
}

void LastSavedFileStatus::notifyListener(LastSavedFileStatusListener& listener)
{
    listener.lastSavedFileStatusChanged(lastSavedFile);
}
} // namespace application
