// Quitting while a MIDI job runs: the window's close request during the automatic receive stops the
// job, closes its progress window and ends the application, whose preferences are then saved whole.

#include "app/MainAppWindow.h"
#include "app/qtr3LibrarianApplication.h"
#include "core/DataEditStatus.h"
#include "core/PreferencesData.h"
#include "midi/MidiDeviceManager.h"
#include "support/MessageLoop.h"
#include "support/TemporaryFolder.h"
#include "support/gui/GuiTest.h"
#include "support/midi/SimulatedInstrumentFixture.h"
#include "ui/MainWindowManager.h"
#include "ui/RunMidiCommunicationProcess.h"

#include <gtest/gtest.h>

namespace
{
// Calls the action once, on the message thread, as soon as the condition holds.
class ActWhen : private juce::Timer
{
public:
    ActWhen(std::function<bool()> conditionToWaitFor, std::function<void()> actionToRun)
        : condition(std::move(conditionToWaitFor)), action(std::move(actionToRun))
    {
        startTimer(5);
    }

    ~ActWhen() override { stopTimer(); }

    bool acted() const noexcept { return done; }

private:
    void timerCallback() override
    {
        if (!condition())
            return;
        stopTimer();
        done = true;
        action();
    }

    std::function<bool()> condition;
    std::function<void()> action;
    bool done = false;
};

class ApplicationQuitTest : public test::SimulatedInstrumentTest
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        juce::DeletedAtShutdown::deleteAll();
        test::SimulatedInstrumentTest::SetUp();
    }

    void TearDown() override
    {
        if (app != nullptr)
            app->shutdown();
        app.reset();
        juce::DeletedAtShutdown::deleteAll();
        test::SimulatedInstrumentTest::TearDown();
    }

    test::TemporaryFolder preferencesFolder{"qtr-quit"};
    std::unique_ptr<qtr3LibrarianApplication> app;
    int quitRequests = 0;
};

TEST_F(ApplicationQuitTest, CloseRequestDuringTheReceiveStopsTheJobAndQuitsWithPreferencesWhole)
{
    // The instrument answers the identity check, then never answers the first header request: the
    // job waits there when the close request comes.
    using Instrument = test::SimulatedInstrument;
    instrument->addFault({Instrument::Request::SlotHeader, -1, -1}, Instrument::Fault::noAnswer(), 48);

    qtr3LibrarianApplication::Options options;
    options.midiBackend = bus;
    options.preferencesFolder = preferencesFolder.getFolder();
    options.quit = [this] { ++quitRequests; };
    app = std::make_unique<qtr3LibrarianApplication>(options);

    using namespace w40388_preferences;
    auto& port = midi::MidiDeviceManager::getInstance()->getMidiPort();
    auto* preferences = PreferencesData::getInstance();
    preferences->SetBool(midiPortAutoScanKey, false);
    preferences->SetString(midiInPortKey, port.GetInPortName(instrument->getSourceIndex()));
    preferences->SetString(midiOutPortKey, port.GetOutPortName(instrument->getDestinationIndex()));
    app->initialise({});

    auto* window = w40388_ui::MainWindowManager::getInstance()->getMainWindow();
    ASSERT_NE(window, nullptr);
    const auto windowBounds = window->getBounds();

    // Identity request and reply, then the first header request: the job is waiting.
    bool jobWasRunning = false;
    ActWhen closeDuringTheJob([&] { return instrument->getReceivedCount() >= 2; },
                              [&]
                              {
                                  jobWasRunning = isMidiCommunicationProcessRunning();
                                  window->getPeer()->handleUserClosingWindow();
                              });

    // The receive runs from the start-up's update, in the progress window's modal loop.
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return app->getStartupProcess().isStartupDone(); }, 10000));
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return !isMidiCommunicationProcessRunning(); }, 10000));
    EXPECT_TRUE(closeDuringTheJob.acted());
    EXPECT_TRUE(jobWasRunning);
    EXPECT_EQ(quitRequests, 1);
    EXPECT_FALSE(application::DataEditStatus::getInstance()->isEdited());
    // The job stopped at its first header wait instead of asking for all 48 slots.
    EXPECT_EQ(instrument->getReceivedCount(), 2u);

    app->shutdown();
    app.reset();
    juce::DeletedAtShutdown::deleteAll();

    const auto file = preferencesFolder.getChildFile(preferencesFileName);
    const auto saved = juce::parseXML(file);
    ASSERT_NE(saved, nullptr) << file.loadFileAsString();
    EXPECT_EQ(saved->getTagName(), preferencesRootTag);
    const std::pair<const char*, int> geometry[] = {{mainWindowPositionXKey, windowBounds.getX()},
                                                    {mainWindowPositionYKey, windowBounds.getY()},
                                                    {mainWindowWidthKey, 720},
                                                    {mainWindowHeightKey, windowBounds.getHeight()}};
    for (const auto& [key, value] : geometry)
    {
        const auto* entry = saved->getChildByName(key);
        ASSERT_NE(entry, nullptr) << key;
        EXPECT_EQ(entry->getIntAttribute(preferencesValueAttribute, -12345), value) << key;
    }
    EXPECT_EQ(saved->getChildByName(midiPortAutoScanKey)->getStringAttribute(preferencesValueAttribute), "0");
}
} // namespace
