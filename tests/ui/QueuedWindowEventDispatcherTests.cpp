// The framework's X11 interface is declared only where a translation unit asks for it.
#define JUCE_GUI_BASICS_INCLUDE_XHEADERS 1

#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "ui/QueuedWindowEventDispatcher.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
struct PaintCountingWindow : juce::Component
{
    explicit PaintCountingWindow(juce::Rectangle<int> bounds)
    {
        setBounds(bounds);
        setOpaque(true);
        addToDesktop(0);
        setVisible(true);
    }

    void paint(juce::Graphics& g) override
    {
        ++paints;
        g.fillAll(juce::Colours::darkgrey);
    }

    int paints = 0;
};

// A window destroyed outside the framework's event handler (here by the test itself; in the
// program by the code after a modal loop) makes Xlib read the server's exposures of the window it
// uncovers; nothing more arrives on the connection, yet the uncovered area must be repainted.
TEST(QueuedWindowEventDispatcher, AreaUncoveredByAClosedWindowIsRepaintedWithoutFurtherInput)
{
    QTR_REQUIRE_DISPLAY();
    PaintCountingWindow below({100, 100, 400, 300});
    ui::QueuedWindowEventDispatcher dispatcher(below);
    auto above = std::make_unique<PaintCountingWindow>(juce::Rectangle<int>(200, 150, 150, 100));
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return below.paints > 0 && above->paints > 0; }));
    test::drainMessageLoop();

    below.paints = 0;
    above.reset();
    ASSERT_GT(ui::QueuedWindowEventDispatcher::getNumQueuedEvents(), 0) << "no exposure waits in Xlib's queue";
    EXPECT_TRUE(test::runMessageLoopUntil([&] { return below.paints > 0; }, 3000));
    EXPECT_EQ(ui::QueuedWindowEventDispatcher::getNumQueuedEvents(), 0);
}

// One exposure, read into Xlib's queue while the test waits for the server, is all that waits:
// it is handled as soon as several would be.
TEST(QueuedWindowEventDispatcher, ASingleQueuedExposureIsHandled)
{
    QTR_REQUIRE_DISPLAY();
    PaintCountingWindow window({100, 100, 400, 300});
    ui::QueuedWindowEventDispatcher dispatcher(window);
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return window.paints > 0; }));
    auto* display = juce::XWindowSystem::getInstance()->getDisplay();
    auto* x11 = juce::X11Symbols::getInstance();
    // Whatever the server still owes the window (a finished paint's notice, say) is read and
    // handled first, so that the exposure below waits alone.
    ASSERT_TRUE(test::runMessageLoopUntil(
        [&]
        {
            {
                juce::XWindowSystemUtilities::ScopedXLock lock;
                x11->xSync(display, False);
            }
            if (ui::QueuedWindowEventDispatcher::getNumQueuedEvents() == 0)
                return true;
            ui::QueuedWindowEventDispatcher::dispatchQueuedEvents();
            return false;
        }));

    window.paints = 0;
    {
        juce::XWindowSystemUtilities::ScopedXLock lock;
        XEvent expose{};
        expose.xexpose.type = Expose;
        expose.xexpose.display = display;
        expose.xexpose.window = reinterpret_cast<::Window>(window.getWindowHandle());
        expose.xexpose.width = 50;
        expose.xexpose.height = 40;
        ASSERT_NE(x11->xSendEvent(display, expose.xexpose.window, False, ExposureMask, &expose), 0);
        x11->xSync(display, False); // reads the event back into Xlib's queue
    }
    ASSERT_EQ(ui::QueuedWindowEventDispatcher::getNumQueuedEvents(), 1);
    EXPECT_TRUE(test::runMessageLoopUntil([&] { return window.paints > 0; }, 3000));
    EXPECT_EQ(ui::QueuedWindowEventDispatcher::getNumQueuedEvents(), 0);
}
} // namespace
