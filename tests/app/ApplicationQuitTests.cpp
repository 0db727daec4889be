// Quitting while a MIDI job runs: the window's close request during the automatic receive stops the
// job, closes its progress window and ends the application, whose preferences are then saved whole.

#include "core/DataEditStatus.h"
#include "core/PreferencesData.h"
#include "support/MessageLoop.h"
#include "support/gui/ApplicationTest.h"
#include "support/gui/GuiTest.h"
#include "ui/RunMidiCommunicationProcess.h"

#include <gtest/gtest.h>

namespace
{
using ApplicationQuitTest = test::ApplicationTest;

TEST_F(ApplicationQuitTest, CloseRequestDuringTheReceiveStopsTheJobAndQuitsWithPreferencesWhole)
{
    // The instrument answers the identity check, then never answers the first header request: the
    // job waits there when the close request comes.
    using Instrument = test::SimulatedInstrument;
    instrument->addFault({Instrument::Request::SlotHeader, -1, -1}, Instrument::Fault::noAnswer(), 48);
    startApplication(true, Ports::setByHand);
    if (HasFatalFailure())
        return;
    const auto windowBounds = window->getBounds();

    // Identity request and reply, then the first header request: the job is waiting.
    bool jobWasRunning = false;
    test::gui::ModalDialogDriver closeDuringTheJob(
        [&](juce::Component&)
        {
            test::runMessageLoopUntil([&] { return instrument->getReceivedCount() >= 2; });
            jobWasRunning = isMidiCommunicationProcessRunning();
            window->getPeer()->handleUserClosingWindow();
        },
        10000);

    // The receive runs from the start-up's update, in the progress window's modal loop.
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return app->getStartupProcess().isStartupDone(); }, 10000));
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return !isMidiCommunicationProcessRunning(); }, 10000));
    EXPECT_TRUE(closeDuringTheJob.acted());
    EXPECT_TRUE(jobWasRunning);
    EXPECT_EQ(quitRequests, 1);
    EXPECT_FALSE(application::DataEditStatus::getInstance()->isEdited());
    // The job stopped at its first header wait instead of asking for all 48 slots.
    EXPECT_EQ(instrument->getReceivedCount(), 2u);
    stopApplication();

    // Saved whole, with the window's place.
    const auto file = preferencesFolder.getChildFile(w40388_preferences::preferencesFileName);
    EXPECT_NE(juce::parseXML(file), nullptr);
    EXPECT_TRUE(file.loadFileAsString().contains("<MainWindowPositionY Value=\"" + juce::String(windowBounds.getY())));
}
} // namespace
