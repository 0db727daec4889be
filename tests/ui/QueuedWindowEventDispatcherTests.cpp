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
} // namespace
