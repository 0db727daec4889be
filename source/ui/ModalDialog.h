#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace ui
{
// Shows content in the application's modal dialog window and returns the dialog's result:
// the window is titled with title, has a white background, is not resizable, and Escape
// or its close button end it with 0. The dialog claims the modal-dialog flag for as long
// as it is open; when another dialog already holds the flag nothing is shown and the
// result is empty. The caller keeps ownership of content. Message thread only.
std::optional<int> runModalDialog(juce::Component& content, const juce::String& title);

// Ends the modal state of the dialog window that holds component, with result; nothing
// happens when component is not inside a dialog window.
void closeEnclosingDialog(juce::Component& component, int result);
} // namespace ui
