#include "core/PreferencesDataChangeBroadcaster.h"

namespace application
{
void PreferencesDataChangeBroadcaster::sendPreferencesDataChanged()
{
    notifyListenersLater();
}

void PreferencesDataChangeBroadcaster::changeListenerCallback(juce::ChangeBroadcaster*)
{
    notifyListenersLater();
}

void PreferencesDataChangeBroadcaster::notifyListener(PreferencesDataChangeBroadcasterObserver& observer)
{
    observer.preferencesDataChanged();
}
} // namespace application
