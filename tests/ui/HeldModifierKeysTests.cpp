// The framework's X11 interface is declared only where a translation unit asks for it.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "ui/HeldModifierKeys.h"

#include <gtest/gtest.h>

namespace
{
using Keys = juce::ModifierKeys;

// A window that keeps its modifier keys true, on a display where no key is down.
class HeldModifierKeysTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        shown = std::make_unique<test::gui::ScopedOnDesktop>(window, 200, 100);
        ui::HeldModifierKeys::keepTrueIn(window);
        test::drainMessageLoop();
    }

    void TearDown() override
    {
        shown.reset();
        test::drainMessageLoop();
        Keys::currentModifiers = {};
    }

    // What the framework holds once a key has gone down in the window.
    static Keys afterAKeyGoesDown(juce::Component& window, Keys heldBefore)
    {
        Keys::currentModifiers = heldBefore;
        window.getPeer()->handleKeyUpOrDown(true);
        return Keys::currentModifiers;
    }

    // Puts the release of the left Ctrl key on its way to the window, as when Ctrl came up after a
    // key the program has not handled yet.
    void sendCtrlRelease()
    {
        auto* display = juce::XWindowSystem::getInstance()->getDisplay();
        auto* x11 = juce::X11Symbols::getInstance();
        const juce::XWindowSystemUtilities::ScopedXLock lock;
        XEvent release{};
        release.xkey.type = KeyRelease;
        release.xkey.display = display;
        release.xkey.window = reinterpret_cast<::Window>(window.getWindowHandle());
        release.xkey.root = x11->xRootWindow(display, x11->xDefaultScreen(display));
        release.xkey.keycode = x11->xKeysymToKeycode(display, XK_Control_L);
        release.xkey.state = ControlMask;
        release.xkey.same_screen = True;
        ASSERT_NE(x11->xSendEvent(display, release.xkey.window, False, KeyReleaseMask, &release), 0);
        x11->xSync(display, False); // read back into Xlib's queue, not handled yet
    }

    juce::Component window;
    std::unique_ptr<test::gui::ScopedOnDesktop> shown;
};

TEST_F(HeldModifierKeysTest, ModifiersReleasedOutOfTheProgramsSightAreLetGo)
{
    // Alt+F4 handled by the window manager: Alt came up where the program could not see it.
    EXPECT_EQ(afterAKeyGoesDown(window, Keys(Keys::altModifier)), Keys());
    EXPECT_EQ(afterAKeyGoesDown(window, Keys(Keys::ctrlModifier | Keys::shiftModifier | Keys::altModifier)), Keys());
    // Mouse buttons are not the keyboard's.
    EXPECT_EQ(afterAKeyGoesDown(window, Keys(Keys::leftButtonModifier | Keys::altModifier)),
              Keys(Keys::leftButtonModifier));
}

TEST_F(HeldModifierKeysTest, AModifierWhoseReleaseIsOnItsWayStaysHeldForTheKeyPressedBeforeIt)
{
    // A quick Ctrl+Q: Ctrl is up on the server before the program handles Q.
    sendCtrlRelease();
    EXPECT_EQ(afterAKeyGoesDown(window, Keys(Keys::ctrlModifier | Keys::altModifier)), Keys(Keys::ctrlModifier));
}
} // namespace
