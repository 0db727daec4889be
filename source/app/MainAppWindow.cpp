#include "app/MainAppWindow.h"

#include "BinaryData.h"
#include "app/ApplicationMenuManager.h"
#include "app/MainComponent.h"
#include "core/CTRXResource.h"
#include "core/PreferencesData.h"
#include "ui/HeldModifierKeys.h"
#include "ui/TooltipWindowManager.h"

#include <utility>

namespace
{
const juce::Colour windowBackground(0xFF111111);

juce::String applicationName()
{
    if (auto* app = juce::JUCEApplicationBase::getInstance())
        return app->getApplicationName();
    return {};
}

// The usable areas of the displays, the main display first.
std::vector<juce::Rectangle<int>> displayAreas()
{
    std::vector<juce::Rectangle<int>> areas;
    const auto& displays = juce::Desktop::getInstance().getDisplays();
    if (const auto* primary = displays.getPrimaryDisplay())
        areas.push_back(primary->userArea);
    for (const auto& display : displays.displays)
        if (!display.isMain)
            areas.push_back(display.userArea);
    return areas;
}
} // namespace

MainAppWindow::MainAppWindow()
    : juce::DocumentWindow(applicationName(), windowBackground,
                           juce::DocumentWindow::minimiseButton | juce::DocumentWindow::maximiseButton |
                               juce::DocumentWindow::closeButton,
                           true)
{
    setLookAndFeel(&lookAndFeel);

    auto* content = new MainComponent();
    content->setSize(MainComponent::initialWidth, MainComponent::initialHeight);
    setContentOwned(content, true);

    restoreGeometry();

    auto* menus = w40388_menu::ApplicationMenuManager::getInstance();
    setMenuBar(menus, menuBarHeight);
    addKeyListener(menus->getCommandManager().getKeyMappings());
    ui::HeldModifierKeys::keepTrue();

    updateTitle();
    setUsingNativeTitleBar(true);
    // Resizable before it is shown: changing it on a visible window re-creates the native window.
    setResizable(true, false);
    setVisible(true);

    const auto icon = juce::ImageCache::getFromMemory(BinaryData::WindowIcon_png, BinaryData::WindowIcon_pngSize);
    setIcon(icon);
    if (auto* peer = getPeer())
        peer->setIcon(icon);

    w40388_ui::TooltipWindowManager::getInstance()->createTooltipWindow();

    application::DataEditStatus::getInstance()->addListener(this);
    application::LastSavedFileStatus::getInstance()->addListener(this);
}

MainAppWindow::~MainAppWindow()
{
    using namespace w40388_preferences;
    auto* preferences = PreferencesData::getInstance();
    preferences->SetInt(mainWindowPositionXKey, storedBounds.getX());
    preferences->SetInt(mainWindowPositionYKey, storedBounds.getY());
    preferences->SetInt(mainWindowWidthKey, storedBounds.getWidth());
    preferences->SetInt(mainWindowHeightKey, storedBounds.getHeight());

    if (auto* status = application::LastSavedFileStatus::getInstanceWithoutCreating())
        status->removeListener(this);
    if (auto* status = application::DataEditStatus::getInstanceWithoutCreating())
        status->removeListener(this);
    if (auto* tooltips = w40388_ui::TooltipWindowManager::getInstanceWithoutCreating())
        tooltips->deleteTooltipWindow();

    if (auto* menus = w40388_menu::ApplicationMenuManager::getInstanceWithoutCreating())
        removeKeyListener(menus->getCommandManager().getKeyMappings());
    setMenuBar(nullptr);
    clearContentComponent();
    setLookAndFeel(nullptr);
}

void MainAppWindow::restoreGeometry()
{
    using namespace w40388_preferences;
    const auto* preferences = PreferencesData::getInstance();
    restoredGeometry.x = preferences->GetInt(mainWindowPositionXKey, -1);
    restoredGeometry.y = preferences->GetInt(mainWindowPositionYKey, -1);
    restoredGeometry.height = preferences->GetInt(mainWindowHeightKey, getHeight());

    setConstrainer(&constrainer);

    const auto placement = w40388_ui::placeMainWindow(restoredGeometry, displayAreas());
    setBounds(placement.bounds);
    if (placement.atStoredPosition)
        storedBounds = placement.bounds;
    placeAgainWithFrame = true;
}

void MainAppWindow::resized()
{
    juce::DocumentWindow::resized();
    storeBounds();
    followWindowFrame();
}

void MainAppWindow::moved()
{
    juce::DocumentWindow::moved();
    storeBounds();
    followWindowFrame();
}

void MainAppWindow::storeBounds()
{
    storedBounds = getBounds();
}

void MainAppWindow::followWindowFrame()
{
    const auto* peer = getPeer();
    // Before the native title bar is on, the window has no frame; without a window manager, or
    // before it has framed the window, none is known.
    if (peer == nullptr || !isUsingNativeTitleBar())
        return;
    const auto frame = peer->getFrameSizeIfPresent();
    if (!frame)
        return;

    const bool frameChanged = *frame != constrainer.getFrame();
    if (frameChanged)
        constrainer.setFrame(*frame);

    auto target = getBounds();
    if (std::exchange(placeAgainWithFrame, false))
        target = w40388_ui::placeMainWindow(restoredGeometry, displayAreas(), *frame).bounds;

    // The framework hands the limits to the window manager only with new bounds, and it may have
    // done so with this frame before the limits allowed for it.
    if (frameChanged && target == getBounds())
        setBounds(target.withHeight(target.getHeight() < w40388_ui::MainWindowSize::maxHeight
                                        ? target.getHeight() + 1
                                        : target.getHeight() - 1));
    if (frameChanged || target != getBounds())
        setBounds(target);
}

void MainAppWindow::closeButtonPressed()
{
    if (auto* app = juce::JUCEApplicationBase::getInstance())
        app->systemRequestedQuit();
}

void MainAppWindow::dataEditStatusChanged(const bool&)
{
    updateTitle();
}

void MainAppWindow::lastSavedFileStatusChanged(const juce::String&)
{
    updateTitle();
}

void MainAppWindow::updateTitle()
{
    setName(makeTitle(application::LastSavedFileStatus::getInstance()->getLastSavedFile(),
                      application::DataEditStatus::getInstance()->isEdited()));
}

juce::String MainAppWindow::makeTitle(const juce::String& lastSavedFile, bool edited)
{
    const auto* texts = CTRXResource::getInstance();
    const auto name = lastSavedFile.isEmpty() ? texts->getText("CommonUntitledFileName")
                                              : lastSavedFile.fromLastOccurrenceOf("/", false, false);
    auto title = texts->getText("CommonApplicationName") + " - " + name;
    if (edited)
        title += texts->getText("CommonWindowTitleModified");
    return title;
}
