#include "core/ModalDialogState.h"

namespace ui
{
void ModalDialogState::beginModalDialog(bool& wasOpen)
{
    wasOpen = open;
    if (open)
        return;

    open = true;
    notifyListenersLater();
}

void ModalDialogState::endModalDialog(bool keep)
{
    if (keep)
        return;

    open = false;
    notifyListenersLater();
}

void ModalDialogState::notifyListener(ModalDialogStateObserver& observer)
{
    observer.modalDialogStateChanged();
}
} // namespace ui
