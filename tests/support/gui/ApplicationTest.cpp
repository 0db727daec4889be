#include "support/gui/ApplicationTest.h"

#include "app/DebugModeModel.h"
#include "core/PreferencesData.h"
#include "midi/MidiDeviceManager.h"
#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "support/midi/VirtualBusMidiScanDevices.h"
#include "ui/MainWindowManager.h"

namespace test
{
void ApplicationTest::SetUp()
{
    QTR_REQUIRE_DISPLAY();
    juce::DeletedAtShutdown::deleteAll();
    SimulatedInstrumentTest::SetUp();
}

void ApplicationTest::TearDown()
{
    stopApplication();
    midi::MidiDeviceManager::setScanDevicesFactory({});
    SimulatedInstrumentTest::TearDown();
}

void ApplicationTest::startApplication(bool autoReceive, Ports ports, bool debugMarker)
{
    if (ports == Ports::searchedOnBus)
        midi::MidiDeviceManager::setScanDevicesFactory([bus = bus]
                                                       { return std::make_unique<VirtualBusMidiScanDevices>(bus); });
    ASSERT_TRUE(!debugMarker || preferencesFolder.getChildFile("DebugMode.txt").replaceWithText("on"));

    qtr3LibrarianApplication::Options options;
    options.midiBackend = bus;
    options.preferencesFolder = preferencesFolder.getFolder();
    options.quit = [this] { ++quitRequests; };
    app = std::make_unique<qtr3LibrarianApplication>(options);

    using namespace w40388_preferences;
    auto& port = midi::MidiDeviceManager::getInstance()->getMidiPort();
    auto* preferences = PreferencesData::getInstance();
    preferences->SetBool(midiPortAutoScanKey, ports != Ports::setByHand);
    preferences->SetString(midiInPortKey, port.GetInPortName(instrument->getSourceIndex()));
    preferences->SetString(midiOutPortKey, port.GetOutPortName(instrument->getDestinationIndex()));
    preferences->SetBool(autoReceiveKey, autoReceive);

    app->initialise({});
    window = w40388_ui::MainWindowManager::getInstance()->getMainWindow();
    ASSERT_NE(window, nullptr);
    content = dynamic_cast<MainComponent*>(window->getContentComponent());
    ASSERT_NE(content, nullptr);
}

void ApplicationTest::stopApplication()
{
    if (app != nullptr)
        app->shutdown();
    app.reset();
    window = nullptr;
    content = nullptr;
    // Fading windows (a dismissed menu) must be gone first: deleting the desktop under them tears
    // their windows down without a display.
    runMessageLoopUntil([] { return !juce::Desktop::getInstance().getAnimator().isAnimating(); });
    juce::DeletedAtShutdown::deleteAll();
    w40388_application::DebugModeModel::getInstance()->debugMode = false;
    preferencesFolder.getChildFile("DebugMode.txt").deleteFile();
}
} // namespace test
