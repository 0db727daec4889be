#pragma once

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

// Helpers for tests that build real components and windows on the message thread:
// a display check, snapshots for review, simulated clicks and key presses that go
// through the window's peer as real input does, and a driver for modal dialogs.
namespace test::gui
{
// True when a display (Xvfb or a real one) is connected. Call it (or QTR_REQUIRE_DISPLAY)
// before putting anything on the desktop: it also makes X errors non-fatal, as they are in
// the program.
bool displayAvailable();

// The folder "snapshots" in the build directory (beside bin/), created on demand.
juce::File snapshotFolder();

// Renders the component with its children into snapshots/<name>.png and returns the
// file, or an invalid File when the image could not be written.
juce::File saveSnapshot(juce::Component& component, const juce::String& name);

// The first visible descendant button of root (root included) whose text or component
// name equals the given text; null when there is none.
juce::Button* findButton(juce::Component& root, const juce::String& textOrName);

// The first descendant of root (root included) of type T, depth first; null when none.
template <typename T> T* findDescendant(juce::Component& root)
{
    if (auto* found = dynamic_cast<T*>(&root))
        return found;
    for (auto* child : root.getChildren())
        if (auto* found = findDescendant<T>(*child))
            return found;
    return nullptr;
}

// One mouse event at a point of the component, delivered through its window's peer: a move, or
// with a button in modifiers a press or drag, and without one after a press a release. It also
// makes modifiers the current modifier keys, as the platform does.
void sendMouse(juce::Component& component, juce::Point<int> localPoint, juce::ModifierKeys modifiers);

// A mouse press and release at the centre of the component (or at a point in its own
// coordinates), delivered through its window's peer. The component must be on screen.
void click(juce::Component& component);
void click(juce::Component& component, juce::Point<int> localPoint);

// A drag from the component's centre by the given offset, then release.
void drag(juce::Component& component, juce::Point<int> offset);

// A wheel move over the component's centre.
void wheel(juce::Component& component, float deltaY);

// A key press delivered through the component's window, to the focused component and
// up its parents, as the platform would.
bool pressKey(juce::Component& anyComponentInWindow, const juce::KeyPress& key);

// The close request the window system sends when its title bar's close button is pressed,
// delivered through the window's peer.
void pressWindowCloseButton(juce::Component& window);

// Clicks the button found with findButton inside root; false when there is none.
bool clickButton(juce::Component& root, const juce::String& textOrName);

// Acts once on the next modal component that comes up while it exists, from inside the
// modal loop. Create it before the code that runs the modal loop:
//
//     test::gui::ModalDialogDriver driver([](juce::Component& dialog) {
//         test::gui::clickButton(dialog, "OK");
//     });
//     const int result = runTheDialog();
//     EXPECT_TRUE(driver.acted());
//
// It gives up when nothing comes up within the bound. When the dialog is still open a
// while after the action, it closes it with forcedResult and records a failure, so a
// test never hangs in a modal loop.
class ModalDialogDriver : private juce::Timer
{
public:
    static constexpr int forcedResult = -100;

    explicit ModalDialogDriver(std::function<void(juce::Component& modal)> action, int timeoutMs = 5000);
    ~ModalDialogDriver() override;

    bool acted() const { return hasActed; }

    // The name of the modal component acted on (a dialog window's title).
    juce::String dialogTitle() const { return title; }

private:
    void timerCallback() override;

    std::function<void(juce::Component&)> action;
    const int modalCountAtStart;
    const double deadline;
    const int timeoutMs;
    double actedAt = 0.0;
    bool hasActed = false;
    juce::String title;
    juce::Component::SafePointer<juce::Component> actedOn;
};

// Puts a component on the desktop as its own window for the scope, at the given size,
// so that it can be clicked, typed at and painted as on screen.
class ScopedOnDesktop
{
public:
    ScopedOnDesktop(juce::Component& component, int width, int height);
    ~ScopedOnDesktop();

private:
    juce::Component::SafePointer<juce::Component> component;

    JUCE_DECLARE_NON_COPYABLE(ScopedOnDesktop)
};

// A stand-in application object, so code that asks the running application for its
// name or version finds one. Only one may exist at a time.
class TestApplication : public juce::JUCEApplication
{
public:
    TestApplication(juce::String name = "Test Application", juce::String version = "1.0.0");

    const juce::String getApplicationName() override { return name; }
    const juce::String getApplicationVersion() override { return version; }
    bool moreThanOneInstanceAllowed() override { return true; }
    void initialise(const juce::String&) override {}
    void shutdown() override {}

private:
    juce::String name, version;
};
} // namespace test::gui

// Skips the current test, saying so, when there is no display at all.
#define QTR_REQUIRE_DISPLAY()                                                                                          \
    do                                                                                                                 \
    {                                                                                                                  \
        if (!::test::gui::displayAvailable())                                                                          \
            GTEST_SKIP() << "No display: GUI tests need X (run under xvfb-run)";                                       \
    } while (false)
