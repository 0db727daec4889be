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
    ActWhen(std::function<bool()> conditionToWaitFor, std::function<void()> actionToRun, int timeoutMs = 10000)
        : condition(std::move(conditionToWaitFor)), action(std::move(actionToRun)),
          deadline(juce::Time::getMillisecondCounterHiRes() + timeoutMs)
    {
        startTimer(5);
    }
    ~ActWhen() override { stopTimer(); }

    bool acted() const { return hasActed; }

private:
    void timerCallback() override
    {
        if (condition())
        {
            stopTimer();
            hasActed = true;
            action();
        }
        else if (juce::Time::getMillisecondCounterHiRes() > deadline)
            stopTimer();
    }

    std::function<bool()> condition;
    std::function<void()> action;
    const double deadline;
    bool hasActed = false;
};

// Whether the process runs: it exists and has not ended (an ended child not yet waited for is a zombie).
bool processRuns(int pid)
{
    const auto stat = juce::File("/proc/" + juce::String(pid) + "/stat").loadFileAsString();
    return stat.isNotEmpty() && !stat.fromLastOccurrenceOf(")", false, false).trimStart().startsWithChar('Z');
}

// A stand-in for the desktop's chooser, found through PATH as the framework looks for it: it writes
// its process id, then prints the path in its answer file (deleting that file) or, without one,
// stays open for a minute, as a chooser the user has not answered.
class DesktopChooserStandIn
{
public:
    DesktopChooserStandIn() : savedPath(juce::SystemStats::getEnvironmentVariable("PATH", {}))
    {
        const auto bin = folder.getChildFile("bin");
        const auto which =
            juce::File("/usr/bin/which").existsAsFile() ? juce::File("/usr/bin/which") : juce::File("/bin/which");
        const auto zenity = bin.getChildFile("zenity");
        const auto quoted = [](const juce::File& file) { return file.getFullPathName().quoted('\''); };
        ok = bin.createDirectory() && which.createSymbolicLink(bin.getChildFile("which"), true) &&
             zenity.replaceWithText("#!/bin/sh\nPATH=/usr/bin:/bin\necho $$ > " + quoted(pidFile) + "\nif [ -f " +
                                        quoted(answerFile) + " ]; then cat " + quoted(answerFile) + "; rm -f " +
                                        quoted(answerFile) + "; exit 0; fi\nexec sleep 60\n",
                                    false, false, "\n") &&
             zenity.setExecutePermission(true);
        // Only the stand-in and which: a real zenity or kdialog elsewhere on PATH is never found.
        ::setenv("PATH", bin.getFullPathName().toRawUTF8(), 1);
    }

    ~DesktopChooserStandIn()
    {
        if (const int pid = runningPid(); pid > 0)
            ::kill(pid, SIGKILL);
        ::setenv("PATH", savedPath.toRawUTF8(), 1);
    }

    bool isReady() const { return ok; }
    // The next run prints the file's path and ends.
    bool answer(const juce::File& file)
    {
        return pidFile.deleteFile() && answerFile.replaceWithText(file.getFullPathName());
    }
    // The next run stays open.
    bool stayOpen() { return pidFile.deleteFile() && answerFile.deleteFile(); }

    // The process id of the stand-in while it runs, else 0.
    int runningPid() const
    {
        const int pid = pidFile.loadFileAsString().getIntValue();
        return pid > 0 && processRuns(pid) ? pid : 0;
    }

private:
    test::TemporaryFolder folder{"qtr-desktop-chooser"};
    juce::File pidFile = folder.getChildFile("pid"), answerFile = folder.getChildFile("answer");
    juce::String savedPath;
    bool ok = false;
};

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

TEST_F(ApplicationQuitTest, CloseRequestWhileTheDesktopChooserIsOpenEndsItAndImportsNothing)
{
    DesktopChooserStandIn standIn;
    ASSERT_TRUE(standIn.isReady());
    // The framework looks for a desktop chooser once per process, here for the first time.
    ASSERT_TRUE(juce::FileChooser::isPlatformDialogAvailable());
    startApplication(false, Ports::setByHand);
    if (HasFatalFailure())
        return;
    const auto oscillatorSlot = [](int slot) -> auto&
    {
        return w40388_data::DataCenter::getInstance()->userData.oscData[slot];
    };
    const auto press = [&](int key)
    { test::gui::pressKey(*window, juce::KeyPress(key, juce::ModifierKeys::commandModifier, 0)); };

    // The chooser answers: the unit is imported.
    test::TemporaryUnitFile unitFile(
        test::buildUnitFile({UnitModule::Oscillator, UnitPlatform::FeltanDigital, "Desktop"}));
    ASSERT_TRUE(standIn.answer(unitFile.getFile()));
    press('i');
    EXPECT_EQ(oscillatorSlot(0).state.load(), w40388_data::SlotState::Loaded);
    // Undone, so that no unsent edit holds the quit below.
    press('z');
    EXPECT_FALSE(application::DataEditStatus::getInstance()->isEdited());

    // Left open, it ends with the close request.
    ASSERT_TRUE(standIn.stayOpen());
    bool endedWithTheRequest = false;
    ActWhen closeWhileOpen([&] { return standIn.runningPid() > 0; },
                           [&]
                           {
                               const int pid = standIn.runningPid();
                               window->getPeer()->handleUserClosingWindow();
                               endedWithTheRequest = test::runMessageLoopUntil([&] { return !processRuns(pid); });
                               // Without the end, the import would wait a minute for the stand-in.
                               ::kill(pid, SIGKILL);
                           });
    press('i');
    EXPECT_TRUE(closeWhileOpen.acted());
    EXPECT_TRUE(endedWithTheRequest);
    EXPECT_EQ(quitRequests, 1);
    EXPECT_EQ(oscillatorSlot(0).state.load(), w40388_data::SlotState::Empty);
    EXPECT_FALSE(ui::UnitFileChooser::getInstance()->isOpen());
    EXPECT_FALSE(ui::ModalDialogState::getInstance()->isOpen());
}
} // namespace
