#include "ui/ModalDialog.h"

#include "core/ModalDialogState.h"

namespace ui
{
std::optional<int> runModalDialog(juce::Component& content, const juce::String& title)
{
    ScopedModalDialog modal;
    if (!modal.isClaimed())
        return std::nullopt;

    return juce::DialogWindow::showModalDialog(title, &content, nullptr, juce::Colours::white, true, false, false);
}

void closeEnclosingDialog(juce::Component& component, int result)
{
    if (auto* dialog = component.findParentComponentOfClass<juce::DialogWindow>())
        dialog->exitModalState(result);
}
} // namespace ui
