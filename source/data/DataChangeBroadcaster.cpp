#include "data/DataChangeBroadcaster.h"

#include "core/ApplicationUndoManager.h"

namespace data
{
DataChangeBroadcaster::DataChangeBroadcaster()
{
    application::ApplicationUndoManager::getInstance()->addChangeListener(this);
}

DataChangeBroadcaster::~DataChangeBroadcaster()
{
    // The undo manager normally outlives this object; never bring it back to life here.
    if (auto* undoManager = application::ApplicationUndoManager::getInstanceWithoutCreating())
        undoManager->removeChangeListener(this);
}

void DataChangeBroadcaster::changeListenerCallback(juce::ChangeBroadcaster*)
{
    notifyListenersLater();
}

void DataChangeBroadcaster::notifyListener(DataChangeObserver& observer)
{
    observer.dataChanged();
}
} // namespace data
