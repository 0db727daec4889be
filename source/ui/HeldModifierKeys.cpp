// The framework's X11 interface is declared only where a translation unit asks for it.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "ui/HeldModifierKeys.h"

namespace ui
{
namespace
{
// The modifier bit the server reports for the left Alt key (which bit depends on the keyboard
// mapping); 0 when Alt is not a modifier.
unsigned int altMask(::Display* display)
{
    auto* x11 = juce::X11Symbols::getInstance();
    const auto altKeycode = x11->xKeysymToKeycode(display, XK_Alt_L);
    auto* mapping = x11->xGetModifierMapping(display);
    if (mapping == nullptr)
        return 0;
    unsigned int mask = 0;
    for (int modifier = 0; modifier < 8 && mask == 0; ++modifier)
        for (int key = 0; key < mapping->max_keypermod; ++key)
            if (altKeycode != 0 && mapping->modifiermap[modifier * mapping->max_keypermod + key] == altKeycode)
                mask = 1u << modifier;
    x11->xFreeModifiermap(mapping);
    return mask;
}
} // namespace

void HeldModifierKeys::keepTrueIn(juce::Component& window)
{
    // One listener serves every window; it holds no state and outlives them all.
    static HeldModifierKeys listener;
    window.addKeyListener(&listener);
}

void HeldModifierKeys::refresh()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr)
        return;

    unsigned int state = 0;
    {
        juce::XWindowSystemUtilities::ScopedXLock lock;
        auto* x11 = juce::X11Symbols::getInstance();
        ::Window root = 0, child = 0;
        int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
        if (x11->xQueryPointer(display, x11->xRootWindow(display, x11->xDefaultScreen(display)), &root, &child, &rootX,
                               &rootY, &windowX, &windowY, &state) == False)
            return;
        state &= ShiftMask | ControlMask | altMask(display);
    }

    int keys = 0;
    if ((state & ShiftMask) != 0)
        keys |= juce::ModifierKeys::shiftModifier;
    if ((state & ControlMask) != 0)
        keys |= juce::ModifierKeys::ctrlModifier;
    if ((state & ~static_cast<unsigned int>(ShiftMask | ControlMask)) != 0)
        keys |= juce::ModifierKeys::altModifier;
    juce::ModifierKeys::currentModifiers = juce::ModifierKeys::currentModifiers.withOnlyMouseButtons().withFlags(keys);
}

bool HeldModifierKeys::keyStateChanged(bool isKeyDown, juce::Component*)
{
    if (isKeyDown)
        refresh();
    return false;
}
} // namespace ui
