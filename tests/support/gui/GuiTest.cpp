#include "GuiTest.h"

#include <dlfcn.h>

namespace test::gui
{
namespace
{
juce::int64 nextEventTime()
{
    // Strictly increasing, so that no two synthetic events share a time stamp.
    static juce::int64 last = 0;
    last = std::max(last + 1, juce::Time::currentTimeMillis());
    return last;
}

juce::ComponentPeer& peerOf(juce::Component& component)
{
    auto* peer = component.getPeer();
    if (peer == nullptr)
        throw std::logic_error("component is not inside a window on the desktop");
    return *peer;
}

juce::Point<float> positionInPeer(juce::Component& component, juce::Point<int> localPoint)
{
    auto& top = peerOf(component).getComponent();
    return top.getLocalPoint(&component, localPoint).toFloat();
}

const juce::ModifierKeys leftButton{juce::ModifierKeys::leftButtonModifier};

// Without a window manager some window properties name atoms that do not exist, which X
// reports as errors. The program proper installs the framework's forgiving X error handler
// at start-up; a test runner is no application object, so the harness installs one that
// likewise ignores them (Xlib's default handler would end the process).
void ignoreXErrors()
{
    void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (xlib == nullptr)
        return;
    using ErrorHandler = int (*)(void* display, void* event);
    using SetErrorHandler = ErrorHandler (*)(ErrorHandler);
    if (auto* setErrorHandler = reinterpret_cast<SetErrorHandler>(dlsym(xlib, "XSetErrorHandler")))
        setErrorHandler([](void*, void*) { return 0; });
    // The handle is kept: the library then stays loaded until the process ends, so the
    // handler installed above can never point into an unloaded library, and leak reports
    // of a sanitizer build can name Xlib's own allocations.
}
} // namespace

void sendMouse(juce::Component& component, juce::Point<int> localPoint, juce::ModifierKeys modifiers)
{
    auto& peer = peerOf(component);
    const auto position = positionInPeer(component, localPoint);
    juce::ModifierKeys::currentModifiers = modifiers;
    peer.handleMouseEvent(juce::MouseInputSource::InputSourceType::mouse, position, modifiers,
                          juce::MouseInputSource::defaultPressure, juce::MouseInputSource::defaultOrientation,
                          nextEventTime());
}

bool displayAvailable()
{
    static const bool available = []
    {
        if (juce::SystemStats::getEnvironmentVariable("DISPLAY", {}).isEmpty())
            return false;
        if (juce::Desktop::getInstance().getDisplays().getPrimaryDisplay() == nullptr)
            return false;
        ignoreXErrors();
        return true;
    }();
    return available;
}

juce::File snapshotFolder()
{
    const auto buildDir =
        juce::File::getSpecialLocation(juce::File::currentExecutableFile).getParentDirectory().getParentDirectory();
    auto folder = buildDir.getChildFile("snapshots");
    folder.createDirectory();
    return folder;
}

juce::File saveSnapshot(juce::Component& component, const juce::String& name)
{
    const auto image = component.createComponentSnapshot(component.getLocalBounds(), true, 1.0f);
    auto file = snapshotFolder().getChildFile(name + ".png");
    file.deleteFile();

    juce::FileOutputStream stream(file);
    juce::PNGImageFormat png;
    if (!stream.openedOk() || !png.writeImageToStream(image, stream))
        return {};
    return file;
}

juce::Button* findButton(juce::Component& root, const juce::String& textOrName)
{
    if (auto* button = dynamic_cast<juce::Button*>(&root))
        if (button->isVisible() && (button->getButtonText() == textOrName || button->getName() == textOrName))
            return button;

    for (auto* child : root.getChildren())
        if (auto* found = findButton(*child, textOrName))
            return found;
    return nullptr;
}

void click(juce::Component& component)
{
    click(component, component.getLocalBounds().getCentre());
}

void click(juce::Component& component, juce::Point<int> localPoint)
{
    // Keep the peer alive across both events even if the press closes the window.
    juce::Component::SafePointer<juce::Component> target(&component);
    sendMouse(component, localPoint, leftButton);
    if (target != nullptr && target->getPeer() != nullptr)
        sendMouse(*target, localPoint, {});
}

void drag(juce::Component& component, juce::Point<int> offset)
{
    const auto start = component.getLocalBounds().getCentre();
    sendMouse(component, start, leftButton);
    constexpr int steps = 4;
    for (int step = 1; step <= steps; ++step)
        sendMouse(component, start + offset * step / steps, leftButton);
    sendMouse(component, start + offset, {});
}

void wheel(juce::Component& component, float deltaY)
{
    auto& peer = peerOf(component);
    juce::MouseWheelDetails details;
    details.deltaX = 0.0f;
    details.deltaY = deltaY;
    details.isReversed = false;
    details.isSmooth = false;
    details.isInertial = false;
    peer.handleMouseWheel(juce::MouseInputSource::InputSourceType::mouse,
                          positionInPeer(component, component.getLocalBounds().getCentre()), nextEventTime(), details);
}

bool pressKey(juce::Component& anyComponentInWindow, const juce::KeyPress& key)
{
    return peerOf(anyComponentInWindow).handleKeyPress(key);
}

void pressWindowCloseButton(juce::Component& window)
{
    peerOf(window).handleUserClosingWindow();
}

bool clickButton(juce::Component& root, const juce::String& textOrName)
{
    auto* button = findButton(root, textOrName);
    if (button == nullptr)
        return false;
    click(*button);
    return true;
}

ModalDialogDriver::ModalDialogDriver(std::function<void(juce::Component&)> actionToRun, int timeout)
    : action(std::move(actionToRun)),
      modalCountAtStart(juce::ModalComponentManager::getInstance()->getNumModalComponents()),
      deadline(juce::Time::getMillisecondCounterHiRes() + timeout), timeoutMs(timeout)
{
    startTimer(5);
}

ModalDialogDriver::~ModalDialogDriver()
{
    stopTimer();
}

void ModalDialogDriver::timerCallback()
{
    const auto now = juce::Time::getMillisecondCounterHiRes();

    if (!hasActed)
    {
        auto* manager = juce::ModalComponentManager::getInstance();
        auto* modal = juce::Component::getCurrentlyModalComponent();
        if (modal != nullptr && manager->getNumModalComponents() > modalCountAtStart)
        {
            hasActed = true;
            actedAt = now;
            actedOn = modal;
            title = modal->getName();
            action(*modal);
        }
        else if (now > deadline)
        {
            // Nothing came up: the test sees acted() false.
            stopTimer();
        }
        return;
    }

    if (actedOn == nullptr || !actedOn->isCurrentlyModal(false))
    {
        stopTimer();
        return;
    }

    if (now > actedAt + timeoutMs)
    {
        stopTimer();
        ADD_FAILURE() << "The modal dialog \"" << title << "\" was still open " << timeoutMs
                      << " ms after the test acted on it; closed it with " << forcedResult;
        actedOn->exitModalState(forcedResult);
    }
}

ScopedOnDesktop::ScopedOnDesktop(juce::Component& shown, int width, int height) : component(&shown)
{
    shown.setBounds(100, 100, width, height);
    shown.addToDesktop(juce::ComponentPeer::windowHasDropShadow);
    shown.setVisible(true);
}

ScopedOnDesktop::~ScopedOnDesktop()
{
    if (component != nullptr)
        component->removeFromDesktop();
}

TestApplication::TestApplication(juce::String applicationName, juce::String applicationVersion)
    : name(std::move(applicationName)), version(std::move(applicationVersion))
{
}
} // namespace test::gui
