// Quitting while a MIDI job runs: the window's close request during the automatic receive stops the
// job, closes its progress window and ends the application, whose preferences are then saved whole.
// Quitting while the desktop's file chooser is open ends the chooser's process at once.

#include "core/DataEditStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "data/DataCenter.h"
#include "support/MessageLoop.h"
#include "support/TemporaryFolder.h"
#include "support/files/UnitFileBuilder.h"
#include "support/gui/ApplicationTest.h"
#include "support/gui/GuiTest.h"
#include "ui/RunMidiCommunicationProcess.h"
#include "ui/UnitFileChooser.h"

#include <gtest/gtest.h>

#include <csignal>

namespace
{
using ApplicationQuitTest = test::ApplicationTest;

// Runs an action once, from whatever message loop runs (a chooser's nested one too), as soon as its
// condition holds; gives up after the bound.
class ActWhen : private juce::Timer
{
public:
    ActWhen(std::function<bool()> conditionToWaitFor, std::function<void()> actionToRun)
        : condition(std::move(conditionToWaitFor)), action(std::move(actionToRun)),
          deadline(juce::Time::getMillisecondCounterHiRes() + 10000)
    {
        startTimer(5);
    }
    ~ActWhen() override { stopTimer(); }

    bool acted = false;

private:
    void timerCallback() override
    {
        if (condition())
        {
            stopTimer();
            acted = true;
            action();
        }
        else if (juce::Time::getMillisecondCounterHiRes() > deadline)
            stopTimer();
    }

    std::function<bool()> condition;
    std::function<void()> action;
    const double deadline;
};

// Whether the process exists and has not ended (an ended child not yet waited for is a zombie).
bool processRuns(int pid)
{
    const auto stat = juce::File("/proc/" + juce::String(pid) + "/stat").loadFileAsString();
    return pid > 0 && stat.isNotEmpty() &&
           !stat.fromLastOccurrenceOf(")", false, false).trimStart().startsWithChar('Z');
}

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

// A stand-in for the desktop's chooser is the only one on PATH (this test case runs in a process of
// its own, so PATH is not restored): it writes its process id, then prints the path in the answer
// file when there is one, else stays open as a chooser the user has not answered.
TEST_F(ApplicationQuitTest, CloseRequestWhileTheDesktopChooserIsOpenEndsItAndImportsNothing)
{
    test::TemporaryFolder folder("qtr-desktop-chooser");
    const auto bin = folder.getChildFile("bin"), zenity = bin.getChildFile("zenity");
    const auto pidFile = folder.getChildFile("pid"), answerFile = folder.getChildFile("answer");
    ASSERT_TRUE(bin.createDirectory() &&
                juce::File("/usr/bin/which").createSymbolicLink(bin.getChildFile("which"), true));
    ASSERT_TRUE(
        zenity.replaceWithText("#!/bin/sh\ncd " + folder.getFolder().getFullPathName().quoted('\'') +
                                   "\necho $$ >pid\n[ -f answer ] && exec /bin/cat answer\nexec /bin/sleep 60\n",
                               false, false, "\n") &&
        zenity.setExecutePermission(true));
    ::setenv("PATH", bin.getFullPathName().toRawUTF8(), 1);
    // The framework looks for a desktop chooser once per process, here for the first time.
    ASSERT_TRUE(juce::FileChooser::isPlatformDialogAvailable());
    startApplication(false, Ports::setByHand);
    if (HasFatalFailure())
        return;
    const auto oscillator0 = [] { return w40388_data::DataCenter::getInstance()->userData.oscData[0].state.load(); };
    const auto press = [&](int key)
    { test::gui::pressKey(*window, juce::KeyPress(key, juce::ModifierKeys::commandModifier, 0)); };

    // The chooser answers: the unit is imported (and undone, so that no unsent edit holds the quit).
    test::TemporaryUnitFile unitFile(test::buildUnitFile({}));
    ASSERT_TRUE(answerFile.replaceWithText(unitFile.getFile().getFullPathName()));
    press('i');
    EXPECT_EQ(oscillator0(), w40388_data::SlotState::Loaded);
    press('z');
    EXPECT_FALSE(application::DataEditStatus::getInstance()->isEdited());

    // Left open, it ends with the close request.
    ASSERT_TRUE(answerFile.deleteFile() && pidFile.deleteFile());
    const auto standIn = [&] { return pidFile.loadFileAsString().getIntValue(); };
    bool endedWithTheRequest = false;
    ActWhen closeWhileOpen([&] { return processRuns(standIn()); },
                           [&]
                           {
                               const int pid = standIn();
                               window->getPeer()->handleUserClosingWindow();
                               endedWithTheRequest = test::runMessageLoopUntil([&] { return !processRuns(pid); });
                               if (pid > 0)
                                   ::kill(pid, SIGKILL); // else the import would wait a minute for it
                           });
    press('i');
    EXPECT_TRUE(closeWhileOpen.acted);
    EXPECT_TRUE(endedWithTheRequest);
    EXPECT_EQ(quitRequests, 1);
    EXPECT_EQ(oscillator0(), w40388_data::SlotState::Empty);
    EXPECT_FALSE(ui::UnitFileChooser::getInstance()->isOpen());
    EXPECT_FALSE(ui::ModalDialogState::getInstance()->isOpen());
}
} // namespace
