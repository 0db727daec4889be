#pragma once

#include "core/AsyncNotifier.h"
#include "core/Singleton.h"

#include <juce_events/juce_events.h>

namespace ui
{
// Observer of the modal-dialog flag; told asynchronously, on the message thread.
class ModalDialogStateObserver
{
public:
    virtual ~ModalDialogStateObserver() = default;
    virtual void modalDialogStateChanged() = 0;
};

// The flag "a modal dialog of the application is showing". While it is set every command is
// disabled and file drops are refused. A code path that shows a dialog claims the flag with
// beginModalDialog() and gives it back with endModalDialog(wasOpen): only the path that found the
// flag clear clears it again, so a refused, nested attempt never ends another dialog's claim.
// Main thread only.
class ModalDialogState : public Singleton<ModalDialogState>,
                         public AsyncNotifier<ModalDialogStateObserver>,
                         public juce::DeletedAtShutdown
{
public:
    ModalDialogState() = default;
    ~ModalDialogState() override = default;

    bool isOpen() const noexcept { return open; }

    // Claims the flag when it is clear (wasOpen := false, observers notified); when another dialog
    // holds it, wasOpen := true and nothing changes.
    void beginModalDialog(bool& wasOpen);

    // keep false: clears the flag and notifies; keep true (the claim was refused): does nothing.
    void endModalDialog(bool keep);

private:
    void notifyListener(ModalDialogStateObserver& observer) override;

    bool open = false;

    JUCE_DECLARE_NON_COPYABLE(ModalDialogState)
};

// Claims the modal-dialog flag for a scope and gives it back when the scope ends, also when an
// exception leaves it:
//     ui::ScopedModalDialog modal;
//     if (! modal.isClaimed()) return;   // another dialog is showing
//     ... show the dialog modally ...
class ScopedModalDialog
{
public:
    ScopedModalDialog() { ModalDialogState::getInstance()->beginModalDialog(wasOpen); }

    ~ScopedModalDialog() { ModalDialogState::getInstance()->endModalDialog(wasOpen); }

    bool isClaimed() const noexcept { return !wasOpen; }

private:
    bool wasOpen = true;

    JUCE_DECLARE_NON_COPYABLE(ScopedModalDialog)
};
} // namespace ui
