// The framework's X11 interface is declared only where a translation unit asks for it.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "ui/HeldModifierKeys.h"
#include "ui/QueuedWindowEventDispatcher.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace
{
using Keys = juce::ModifierKeys;

// X's KeyPress event type; the framework takes the name for its own class.
constexpr int keyPressEventType = 2;

// The keys a component was given, with the modifiers they came with.
struct KeyRecorder : juce::KeyListener
{
    bool keyPressed(const juce::KeyPress& key, juce::Component*) override
    {
        keys.push_back(key);
        return false;
    }

    std::vector<juce::KeyPress> keys;
};

// A window that stands for the main window, on a display where no key is down, and the program's
// modifier keys kept true.
class HeldModifierKeysTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        shown = std::make_unique<test::gui::ScopedOnDesktop>(window, 200, 100);
        ui::HeldModifierKeys::keepTrue();
        window.addKeyListener(&recorder);
        test::drainMessageLoop();
    }

    void TearDown() override
    {
        shown.reset();
        test::drainMessageLoop();
        Keys::currentModifiers = {};
    }

    static ::Display* display() { return juce::XWindowSystem::getInstance()->getDisplay(); }

    // Puts a key event on its way to the component's window, as the server sends it.
    static void send(juce::Component& window, int type, KeySym symbol, unsigned int state)
    {
        const juce::XWindowSystemUtilities::ScopedXLock lock;
        XEvent event{};
        event.xkey.type = type;
        event.xkey.display = display();
        event.xkey.window = reinterpret_cast<::Window>(window.getWindowHandle());
        event.xkey.root = XDefaultRootWindow(display());
        event.xkey.keycode = XKeysymToKeycode(display(), symbol);
        event.xkey.state = state;
        event.xkey.same_screen = True;
        ASSERT_NE(event.xkey.keycode, 0u) << symbol;
        ASSERT_NE(XSendEvent(display(), event.xkey.window, False, NoEventMask, &event), 0);
    }

    // Presses Escape in the window with the given modifiers down on the server, while the framework
    // holds heldBefore as down; a modifier key's release may follow before the program handles
    // either. Returns the modifiers the Escape reached the recorder with.
    static Keys pressEscape(juce::Component& window, KeyRecorder& recorder, Keys heldBefore, unsigned int state,
                            KeySym releasedAfter = NoSymbol)
    {
        Keys::currentModifiers = heldBefore;
        recorder.keys.clear();
        send(window, keyPressEventType, XK_Escape, state);
        if (releasedAfter != NoSymbol)
            send(window, KeyRelease, releasedAfter, state);
        {
            const juce::XWindowSystemUtilities::ScopedXLock lock;
            XSync(display(), False); // read back into Xlib's queue, not handled yet
        }
        const auto handled = test::runMessageLoopUntil(
            [&]
            {
                ui::QueuedWindowEventDispatcher::dispatchQueuedEvents();
                return !recorder.keys.empty();
            });
        EXPECT_TRUE(handled) << "the Escape never arrived";
        if (!handled)
            return Keys(Keys::allKeyboardModifiers | Keys::allMouseButtonModifiers);
        EXPECT_TRUE(recorder.keys.front().isKeyCode(juce::KeyPress::escapeKey));
        return recorder.keys.front().getModifiers();
    }

    Keys pressEscape(Keys heldBefore, unsigned int state, KeySym releasedAfter = NoSymbol)
    {
        return pressEscape(window, recorder, heldBefore, state, releasedAfter);
    }

    juce::Component window;
    KeyRecorder recorder;
    std::unique_ptr<test::gui::ScopedOnDesktop> shown;
};

TEST_F(HeldModifierKeysTest, ModifiersReleasedOutOfTheProgramsSightAreLetGo)
{
    // Alt+F4 handled by the window manager: Alt came up where the program could not see it.
    EXPECT_EQ(pressEscape(Keys(Keys::altModifier), 0), Keys());
    EXPECT_EQ(pressEscape(Keys(Keys::ctrlModifier | Keys::shiftModifier | Keys::altModifier), 0), Keys());
    // What is still down stays held.
    EXPECT_EQ(pressEscape(Keys(Keys::ctrlModifier | Keys::altModifier), ControlMask), Keys(Keys::ctrlModifier));
    EXPECT_EQ(pressEscape(Keys(Keys::shiftModifier | Keys::altModifier), ShiftMask | Mod1Mask),
              Keys(Keys::shiftModifier | Keys::altModifier));
    // Mouse buttons are not the keyboard's.
    EXPECT_EQ(pressEscape(Keys(Keys::leftButtonModifier | Keys::altModifier), Button1Mask), Keys());
    EXPECT_EQ(Keys::currentModifiers, Keys(Keys::leftButtonModifier));
}

// A modifier key, with the state bit the server sets while it is down.
struct Modifier
{
    const char* name;
    KeySym symbol;
    int flag;
    unsigned int stateMask;
};

class ReleaseOnItsWayTest : public HeldModifierKeysTest, public testing::WithParamInterface<Modifier>
{
};

TEST_P(ReleaseOnItsWayTest, AModifierWhoseReleaseIsOnItsWayStaysHeldForTheKeyPressedBeforeIt)
{
    // A quick Ctrl+Q (or Shift+Tab, Alt+letter): the modifier is up on the server before the
    // program handles the key.
    const auto& modifier = GetParam();
    EXPECT_EQ(pressEscape(Keys(modifier.flag | Keys::altModifier), modifier.stateMask, modifier.symbol),
              Keys(modifier.flag));
    EXPECT_FALSE(Keys::currentModifiers.testFlags(modifier.flag)) << "the release was not handled";
}

INSTANTIATE_TEST_SUITE_P(Modifiers, ReleaseOnItsWayTest,
                         testing::Values(Modifier{"LeftCtrl", XK_Control_L, Keys::ctrlModifier, ControlMask},
                                         Modifier{"RightShift", XK_Shift_R, Keys::shiftModifier, ShiftMask},
                                         Modifier{"LeftShift", XK_Shift_L, Keys::shiftModifier, ShiftMask},
                                         Modifier{"RightAlt", XK_Alt_R, Keys::altModifier, Mod1Mask}),
                         [](const testing::TestParamInfo<Modifier>& info) { return std::string(info.param.name); });

TEST_F(HeldModifierKeysTest, AKeyInAnotherWindowMeansWhatIsHeldThere)
{
    // A dialog of its own, its text box taking the keys, which keeps each key's state change to
    // itself.
    juce::Component dialog;
    juce::TextEditor nameBox;
    dialog.addAndMakeVisible(nameBox);
    nameBox.setBounds(10, 10, 180, 24);
    test::gui::ScopedOnDesktop dialogShown(dialog, 200, 60);
    KeyRecorder typed;
    nameBox.addKeyListener(&typed);
    ASSERT_TRUE(test::runMessageLoopUntil(
        [&]
        {
            nameBox.grabKeyboardFocus();
            return nameBox.hasKeyboardFocus(false);
        }));

    EXPECT_EQ(pressEscape(dialog, typed, Keys(Keys::altModifier), 0), Keys());
    EXPECT_EQ(pressEscape(dialog, typed, Keys(Keys::ctrlModifier | Keys::altModifier), ControlMask),
              Keys(Keys::ctrlModifier));
}

// A keyboard layout's Alt keys: the modifier-map rows each Alt key is in, and the state the server
// reports while one of them is down.
struct AltLayout
{
    const char* name;
    std::vector<std::pair<int, KeySym>> altKeyRows;
    unsigned int altDownState;
};

// Gives the test's own display the layout's modifier map for the Alt keys, and back after. A key is
// pressed under the display's own layout first, so the program has read that one before it changes.
class AltLayoutTest : public HeldModifierKeysTest, public testing::WithParamInterface<AltLayout>
{
protected:
    void SetUp() override
    {
        HeldModifierKeysTest::SetUp();
        if (IsSkipped())
            return;
        pressEscape(Keys(), 0);
        const juce::XWindowSystemUtilities::ScopedXLock lock;
        original = XGetModifierMapping(display());
        ASSERT_NE(original, nullptr);
        auto* mapping = XGetModifierMapping(display());
        for (const auto symbol : {XK_Alt_L, XK_Alt_R})
            for (int row = 0; row < 8; ++row)
                mapping = XDeleteModifiermapEntry(mapping, XKeysymToKeycode(display(), symbol), row);
        for (const auto& [row, symbol] : GetParam().altKeyRows)
            mapping = XInsertModifiermapEntry(mapping, XKeysymToKeycode(display(), symbol), row);
        EXPECT_EQ(XSetModifierMapping(display(), mapping), MappingSuccess);
        XFreeModifiermap(mapping);
    }

    void TearDown() override
    {
        if (original != nullptr)
        {
            const juce::XWindowSystemUtilities::ScopedXLock lock;
            XSetModifierMapping(display(), original);
            XFreeModifiermap(original);
        }
        HeldModifierKeysTest::TearDown();
    }

    XModifierKeymap* original = nullptr;
};

TEST_P(AltLayoutTest, AltIsHeldWhileAnyAltKeyIsDownAndLetGoWhenNoneIs)
{
    const auto& layout = GetParam();
    EXPECT_EQ(pressEscape(Keys(Keys::altModifier), layout.altDownState), Keys(Keys::altModifier));
    // Without an Alt key in the modifier map the server cannot tell: Alt stays as the program saw it.
    EXPECT_EQ(pressEscape(Keys(Keys::altModifier), 0), layout.altKeyRows.empty() ? Keys(Keys::altModifier) : Keys());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, AltLayoutTest,
    testing::Values(
        AltLayout{"BothAltKeysInMod1", {{Mod1MapIndex, XK_Alt_L}, {Mod1MapIndex, XK_Alt_R}}, Mod1Mask},
        AltLayout{"RightAltDownInARowOfItsOwn", {{Mod1MapIndex, XK_Alt_L}, {Mod3MapIndex, XK_Alt_R}}, Mod3Mask},
        AltLayout{
            "LeftAltDownBesideRightAltInARowOfItsOwn", {{Mod1MapIndex, XK_Alt_L}, {Mod3MapIndex, XK_Alt_R}}, Mod1Mask},
        AltLayout{"OnlyRightAltIsAModifier", {{Mod1MapIndex, XK_Alt_R}}, Mod1Mask},
        AltLayout{"NoAltKeyIsAModifier", {}, 0}),
    [](const testing::TestParamInfo<AltLayout>& info) { return std::string(info.param.name); });
} // namespace
