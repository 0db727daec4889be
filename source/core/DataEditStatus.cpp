#include "core/DataEditStatus.h"

namespace application
{
void DataEditStatus::setEdited(bool newEdited)
{
    if (edited == newEdited)
        return;

    edited = newEdited;
    notifyListenersLater();
}

void DataEditStatus::notifyListener(DataEditStatusListener& listener)
{
    listener.dataEditStatusChanged(edited);
}
} // namespace application
