// The framework's X11 interface is declared only where a translation unit asks for it.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "ui/WindowManagerProtocols.h"

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
void takePartInWindowManagerProtocols()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr)
        return;

    // The framework read these with "only if it exists"; they are created here instead, and where
    // a window manager made them already, the same values come back.
    using Atoms = juce::XWindowSystemUtilities::Atoms;
    auto& atoms = const_cast<Atoms&>(windowSystem->getAtoms());
    atoms.protocols = Atoms::getCreating(display, "WM_PROTOCOLS");
    atoms.protocolList[Atoms::TAKE_FOCUS] = Atoms::getCreating(display, "WM_TAKE_FOCUS");
    atoms.protocolList[Atoms::DELETE_WINDOW] = Atoms::getCreating(display, "WM_DELETE_WINDOW");
}
} // namespace ui
