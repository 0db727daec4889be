// The framework's X11 interface is declared only where a translation unit asks for it.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "ui/HeldModifierKeys.h"

#include <array>

namespace ui
{
namespace
{
// The keys of each modifier the framework follows, as rows of the server's modifier map.
struct FollowedModifier
{
    int flag;         // juce::ModifierKeys flag
    int mappingIndex; // row of the server's modifier map; -1 when the keyboard has none
};

// Alt is whichever modifier row holds the left Alt key, as the framework decides it.
int altMappingIndex(::Display* display, const XModifierKeymap& mapping)
{
    const auto altKeycode = juce::X11Symbols::getInstance()->xKeysymToKeycode(display, XK_Alt_L);
    for (int index = 0; index < 8 && altKeycode != 0; ++index)
        for (int key = 0; key < mapping.max_keypermod; ++key)
            if (mapping.modifiermap[index * mapping.max_keypermod + key] == altKeycode)
                return index;
    return -1;
}

// Notes each key release waiting in Xlib's queue; takes none out of it.
Bool notePendingRelease(::Display*, XEvent* event, XPointer releasedKeys)
{
    if (event->type == KeyRelease)
        (*reinterpret_cast<std::array<bool, 256>*>(releasedKeys))[event->xkey.keycode & 0xFF] = true;
    return False;
}
} // namespace

void HeldModifierKeys::keepTrueIn(juce::Component& window)
{
    // One listener serves every window; it holds no state and outlives them all.
    static HeldModifierKeys listener;
    window.addKeyListener(&listener);
}

void HeldModifierKeys::forgetKeysReleasedElsewhere()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    auto* display = windowSystem != nullptr ? windowSystem->getDisplay() : nullptr;
    if (display == nullptr)
        return;

    auto keys = juce::ModifierKeys::currentModifiers;
    {
        juce::XWindowSystemUtilities::ScopedXLock lock;
        auto* x11 = juce::X11Symbols::getInstance();
        ::Window root = 0, child = 0;
        int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
        unsigned int held = 0;
        if (x11->xQueryPointer(display, x11->xRootWindow(display, x11->xDefaultScreen(display)), &root, &child, &rootX,
                               &rootY, &windowX, &windowY, &held) == False)
            return;
        auto* mapping = x11->xGetModifierMapping(display);
        if (mapping == nullptr)
            return;

        // Every event the server sent before answering the query is in Xlib's queue now. A key
        // that is up on the server while its release waits there is no stale one: the framework
        // will see it come up (a quick Ctrl+Q is handled before its Ctrl comes up).
        std::array<bool, 256> releasePending{};
        XEvent ignored;
        XCheckIfEvent(display, &ignored, notePendingRelease, reinterpret_cast<XPointer>(&releasePending));

        const FollowedModifier followed[] = {{juce::ModifierKeys::shiftModifier, ShiftMapIndex},
                                             {juce::ModifierKeys::ctrlModifier, ControlMapIndex},
                                             {juce::ModifierKeys::altModifier, altMappingIndex(display, *mapping)}};
        for (const auto& modifier : followed)
        {
            if (modifier.mappingIndex < 0 || !keys.testFlags(modifier.flag) ||
                (held & (1u << modifier.mappingIndex)) != 0)
                continue;
            bool comesUp = false;
            for (int key = 0; key < mapping->max_keypermod; ++key)
                comesUp |= releasePending[mapping->modifiermap[modifier.mappingIndex * mapping->max_keypermod + key]];
            if (!comesUp)
                keys = keys.withoutFlags(modifier.flag);
        }
        x11->xFreeModifiermap(mapping);
    }
    juce::ModifierKeys::currentModifiers = keys;
}

bool HeldModifierKeys::keyStateChanged(bool isKeyDown, juce::Component*)
{
    if (isKeyDown)
        forgetKeysReleasedElsewhere();
    return false;
}
} // namespace ui
