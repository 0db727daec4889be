#include "app/DebugMainComponent.h"
#include "app/DebugWindowManager.h"
#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"

#include <gtest/gtest.h>

namespace
{
using w40388_debug::DebugWindowManager;

TEST(DebugWindowManager, OpensOnePlainWindowAtMostAndDeletesItAfterCloseOrAtShutdown)
{
    QTR_REQUIRE_DISPLAY();
    delete DebugWindowManager::getInstanceWithoutCreating();
    const auto manager = []() -> DebugWindowManager& { return *DebugWindowManager::getInstance(); };
    manager().openDebugWindow();
    juce::Component::SafePointer<w40388_debug::DebugWindow> window(manager().getDebugWindow());
    ASSERT_NE(window, nullptr);
    manager().openDebugWindow();
    EXPECT_EQ(manager().getDebugWindow(), window.getComponent());

    EXPECT_TRUE(window->isOnDesktop() && window->isVisible() && !window->isCurrentlyModal());
    ASSERT_NE(dynamic_cast<DebugMainComponent*>(window->getContentComponent()), nullptr);
    ASSERT_NE(window->getCloseButton(), nullptr);
    test::gui::click(*window->getCloseButton());
    // The window is deleted on a later pass of the message loop, not inside the click.
    EXPECT_NE(window, nullptr);
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return manager().getDebugWindow() == nullptr; }));
    EXPECT_EQ(window, nullptr);

    // Open again and closed, but shut down before the deletion's turn: the window goes at once.
    manager().openDebugWindow();
    window = manager().getDebugWindow();
    ASSERT_NE(window, nullptr);
    window->closeButtonPressed();
    delete DebugWindowManager::getInstanceWithoutCreating();

    EXPECT_EQ(window, nullptr);
    // The pending deletion went with the manager: the loop finds nothing to do.
    test::drainMessageLoop();
    EXPECT_EQ(DebugWindowManager::getInstanceWithoutCreating(), nullptr);
}
} // namespace
