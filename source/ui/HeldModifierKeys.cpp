// The framework's X11 interface is declared only where a translation unit asks for it.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "ui/HeldModifierKeys.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <optional>

namespace ui
{
namespace
{
// X's KeyPress event type; the framework takes the name for its own class.
constexpr int keyPressEventType = 2;

using NextEventFunction = decltype(juce::X11Symbols::xNextEvent);

// How the framework takes the next event from Xlib's queue, for every window it has.
NextEventFunction frameworksNextEvent = nullptr;

// The state bits the framework's Alt stands for: the rows of the modifier map that hold a key whose
// symbol is the left or the right Alt, the two keys the framework follows as Alt.
unsigned int readAltStateMask(::Display* display)
{
    auto* x11 = juce::X11Symbols::getInstance();
    auto* mapping = x11->xGetModifierMapping(display);
    if (mapping == nullptr)
        return 0;
    unsigned int mask = 0;
    for (int row = 0; row < 8; ++row)
        for (int key = 0; key < mapping->max_keypermod; ++key)
        {
            const auto keycode = mapping->modifiermap[row * mapping->max_keypermod + key];
            const auto symbol = keycode != 0 ? x11->xkbKeycodeToKeysym(display, keycode, 0, 0) : NoSymbol;
            if (symbol == XK_Alt_L || symbol == XK_Alt_R)
                mask |= 1u << row;
        }
    x11->xFreeModifiermap(mapping);
    return mask;
}

// readAltStateMask as last read from the server; emptied when the server reports a changed keyboard
// or modifier mapping, so that a layout changed while the program runs counts from the next key on.
std::optional<unsigned int> altStateMaskRead;

unsigned int altStateMask(::Display* display)
{
    if (!altStateMaskRead)
        altStateMaskRead = readAltStateMask(display);
    return *altStateMaskRead;
}

// Lets go of the modifiers the framework holds as down that were up as this key went down. Without
// Alt in the modifier map the server cannot tell whether Alt was down, so Alt stays as it is.
void forgetModifiersUpFor(const XKeyEvent& key)
{
    using Keys = juce::ModifierKeys;
    const auto altMask = altStateMask(key.display);
    const struct
    {
        int flag;
        unsigned int stateMask;
    } followed[] = {{Keys::shiftModifier, ShiftMask}, {Keys::ctrlModifier, ControlMask}, {Keys::altModifier, altMask}};

    auto keys = Keys::currentModifiers;
    for (const auto& modifier : followed)
        if (modifier.stateMask != 0 && (key.state & modifier.stateMask) == 0)
            keys = keys.withoutFlags(modifier.flag);
    Keys::currentModifiers = keys;
}

int nextEventWithModifiersKeptTrue(::Display* display, XEvent* event)
{
    const auto result = frameworksNextEvent(display, event);
    if (event->type == keyPressEventType)
        forgetModifiersUpFor(event->xkey);
    else if (event->type == MappingNotify && event->xmapping.request != MappingPointer)
        altStateMaskRead.reset();
    return result;
}
} // namespace

void HeldModifierKeys::keepTrue()
{
    auto* windowSystem = juce::XWindowSystem::getInstanceWithoutCreating();
    if (windowSystem == nullptr || windowSystem->getDisplay() == nullptr)
        return;

    // Every event of every window the framework makes passes through its handle on Xlib's
    // XNextEvent, on the message thread: a key press is looked at there, before it is handled.
    auto* x11 = juce::X11Symbols::getInstance();
    if (x11->xNextEvent != nextEventWithModifiersKeptTrue)
    {
        frameworksNextEvent = x11->xNextEvent;
        x11->xNextEvent = nextEventWithModifiersKeptTrue;
    }
}
} // namespace ui
