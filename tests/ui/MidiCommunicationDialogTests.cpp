#include "core/CTRXResource.h"
#include "core/CurrentLanguageModel.h"
#include "core/ModalDialogState.h"
#include "data/DataCenter.h"
#include "data/SlotFamily.h"
#include "data/UnitDataBlock.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiDeviceManager.h"
#include "midi/ReceiveUserDataProcess.h"
#include "midi/WriteUserDataProcess.h"
#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "support/midi/SimulatedInstrumentFixture.h"
#include "ui/DialogWithNoCloseButton.h"
#include "ui/FontLibrary.h"
#include "ui/MidiCommunicationDialog.h"
#include "ui/RunMidiCommunicationProcess.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace
{
namespace Result = midi::MidiCommunicationResult;
using Fault = test::SimulatedInstrument::Fault;
using Request = test::SimulatedInstrument::Request;
using Language = w40388_application::CurrentLanguageModel;

juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}

template <typename T> T& part(juce::Component& dialog, const juce::String& name)
{
    for (auto* child : dialog.getChildren())
        if (auto* found = dynamic_cast<T*>(child); found != nullptr && child->getName() == name)
            return *found;
    throw std::runtime_error(("no child " + name).toStdString());
}

// What the window showed, read from its dialog.
struct Shown
{
    juce::String status, detail;
    double bar = 0;
    int height = 0, barY = 0;
    bool okVisible = false, cancelVisible = false, cancelEnabled = false, modalFlag = false;
};

Shown read(juce::Component& dialog)
{
    auto& bar = part<juce::Slider>(dialog, "ProgressBar");
    auto& cancel = part<juce::Button>(dialog, "CancelButton");
    return {part<juce::Label>(dialog, "StatusMessage").getText(),
            part<juce::TextEditor>(dialog, "DetailMessage").getText(),
            bar.getValue(),
            dialog.getHeight(),
            bar.getY(),
            part<juce::Button>(dialog, "Button").isVisible(),
            cancel.isVisible(),
            cancel.isEnabled(),
            ui::ModalDialogState::getInstance()->isOpen()};
}

// Watches the progress window from inside its modal loop: records the largest bar value seen and
// what the dialog showed as its window left the modal state, and hands every tick to `act`
// (which may click). It finds the window at the job's first change (it observes the job before
// the dialog does) or at a timer tick, whichever comes first. Closes a window still open after
// the bound with -100.
class WindowWatcher : private juce::Timer, private midi::MidiCommunicationProcessObserver
{
public:
    explicit WindowWatcher(midi::MidiCommunicationProcess& watched,
                           std::function<void(midi::MidiCommunicationDialog&)> onTick = {})
        : job(watched), act(std::move(onTick))
    {
        job.addListener(this);
        startTimer(2);
    }
    ~WindowWatcher() override
    {
        stopTimer();
        job.removeListener(this);
    }

    double largestBar = 0;
    Shown last;
    bool sawWindow = false;
    bool forced = false;

private:
    midi::MidiCommunicationDialog* find()
    {
        auto* window = dynamic_cast<midi::DialogWithNoCloseButton*>(juce::Component::getCurrentlyModalComponent());
        auto* dialog = window != nullptr ? test::gui::findDescendant<midi::MidiCommunicationDialog>(*window) : nullptr;
        if (dialog != nullptr && !sawWindow)
        {
            sawWindow = true;
            juce::ModalComponentManager::getInstance()->attachCallback(
                window, juce::ModalCallbackFunction::create([this, dialog](int) { last = read(*dialog); }));
        }
        return dialog;
    }

    void processChanged() override { find(); }

    void timerCallback() override
    {
        auto* dialog = find();
        if (dialog == nullptr)
            return;
        largestBar = std::max(largestBar, read(*dialog).bar);
        if (++ticks > 10000)
        {
            forced = true;
            dialog->findParentComponentOfClass<juce::DocumentWindow>()->exitModalState(-100);
        }
        else if (act)
            act(*dialog);
    }

    midi::MidiCommunicationProcess& job;
    std::function<void(midi::MidiCommunicationDialog&)> act;
    int ticks = 0;
};

bool jobThreadAlive()
{
    for (const auto& task : juce::File("/proc/self/task").findChildFiles(juce::File::findDirectories, false))
        if (task.getChildFile("comm").loadFileAsString().startsWith("MidiCommunicati"))
            return true;
    return false;
}

// Lists of loaded units with payloads of `payloadSize` bytes, `perList` units in each list.
w40388_data::UserData loadedLists(size_t payloadSize, int perList = 16)
{
    w40388_data::UserData data;
    auto fill = [&](auto family)
    {
        using Family = decltype(family);
        UnitHeader header;
        header.setTarget(UnitPlatform::FeltanDigital, Family::module);
        const juce::MemoryBlock payload(payloadSize, true);
        const auto block = UnitDataBlock::build(header, payload.getData(), payload.getSize());
        for (int position = 0; position < std::min(perList, Family::numUsableSlots); ++position)
            Family::records(data)[position] = typename Family::Record(block);
    };
    fill(w40388_data::OscSlotFamily{});
    fill(w40388_data::ModFXSlotFamily{});
    fill(w40388_data::DelFXSlotFamily{});
    fill(w40388_data::RevFXSlotFamily{});
    return data;
}

class MidiCommunicationDialogTest : public test::SimulatedInstrumentTest
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        test::SimulatedInstrumentTest::SetUp();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
        auto* manager = midi::MidiDeviceManager::getInstance();
        manager->familyId = w40388_midi::sysex::instrumentFamilyId;
        manager->automatic = false;
        manager->inPortName = manager->getMidiPort().GetInPortName(instrument->getSourceIndex());
        manager->outPortName = manager->getMidiPort().GetOutPortName(instrument->getDestinationIndex());
    }

    void TearDown() override
    {
        midi::MidiDeviceManager::getInstance()->Disconnect();
        Language::getInstance()->setLanguage(Language::english);
        delete CTRXResource::getInstanceWithoutCreating();
        test::SimulatedInstrumentTest::TearDown();
    }

    // Runs the job in the window and checks what must hold once the window has gone.
    int run(midi::MidiCommunicationProcess& job, WindowWatcher& watcher)
    {
        const int result = runMidiCommunicationProcess(job);
        EXPECT_TRUE(watcher.sawWindow);
        EXPECT_FALSE(watcher.forced);
        EXPECT_TRUE(watcher.last.modalFlag);
        EXPECT_FALSE(ui::ModalDialogState::getInstance()->isOpen());
        EXPECT_FALSE(isMidiCommunicationProcessRunning());
        EXPECT_FALSE(jobThreadAlive());
        bool lockFree = false;
        std::thread(
            [&]
            {
                auto& lock = midi::MidiDeviceManager::getInstance()->communicationLock;
                lockFree = lock.tryEnter();
                if (lockFree)
                    lock.exit();
            })
            .join();
        EXPECT_TRUE(lockFree);
        return result;
    }
};

// Calls f(records, module, usable slots) for the four lists in the order the jobs work them.
template <typename Function> void forEachList(w40388_data::UserData& data, Function&& f)
{
    auto list = [&](auto family)
    {
        using Family = decltype(family);
        f(Family::records(data), static_cast<int>(Family::module), Family::numUsableSlots);
    };
    list(w40388_data::OscSlotFamily{});
    list(w40388_data::ModFXSlotFamily{});
    list(w40388_data::DelFXSlotFamily{});
    list(w40388_data::RevFXSlotFamily{});
}

// Clicks OK once the window shows it.
void clickOkWhenShown(midi::MidiCommunicationDialog& dialog)
{
    if (read(dialog).okVisible)
        test::gui::clickButton(dialog, "Button");
}

TEST_F(MidiCommunicationDialogTest, SuccessfulJobsCloseTheWindowByThemselves)
{
    for (int module = 1; module <= 4; ++module)
        instrument->setSlotHeader(module, 0, {static_cast<juce::uint8>(module), 0x03, 'U'});
    w40388_data::UserData received;
    w40388_midi::ReceiveUserDataProcess receive(&received);
    WindowWatcher receiveWatcher(receive);
    EXPECT_EQ(run(receive, receiveWatcher), 0);
    EXPECT_EQ(receiveWatcher.last.bar, 100.0);
    EXPECT_FALSE(receiveWatcher.last.okVisible);
    EXPECT_EQ(received.oscData[0].state, w40388_data::SlotState::Received);
    EXPECT_EQ(received.revFXData[0].state, w40388_data::SlotState::Received);

    auto lists = loadedLists(1024);
    w40388_midi::WriteUserDataProcess send(&lists);
    WindowWatcher sendWatcher(send);
    EXPECT_EQ(run(send, sendWatcher), 0);
    EXPECT_EQ(sendWatcher.last.bar, 100.0);
    EXPECT_EQ(sendWatcher.last.status, text("CommunicationProcessWriteUserData"));
    forEachList(lists,
                [&](auto& records, int module, int slots)
                {
                    for (int slot = 0; slot < slots; ++slot)
                        EXPECT_EQ(instrument->getSlot(module, slot), records[slot].unitData) << module << " " << slot;
                });
}

TEST_F(MidiCommunicationDialogTest, FailedJobsKeepTheirTextsOnScreenUntilOk)
{
    struct Case
    {
        const char* name;
        bool receive;
        test::SimulatedInstrument::Match match;
        Fault fault;
        int code;
    };
    const Case cases[] = {
        {"silent instrument", true, {Request::Identity}, Fault::noAnswer(), Result::timeout},
        {"refused write", false, {Request::DataDump, 1, 0}, Fault::nak(), Result::nakOnReceive},
        {"wrong family", false, {Request::Identity}, Fault::otherFamily(), Result::targetDevice},
    };
    // A receive works on a copy of the live lists; the live ones must not change when it fails.
    auto& live = w40388_data::DataCenter::getInstance()->userData;
    const auto liveUnit = loadedLists(64).oscData[0];
    live.oscData[0] = liveUnit;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        instrument->clearFaults();
        instrument->addFault(c.match, c.fault, -1);
        auto lists = c.receive ? live : loadedLists(64);
        std::unique_ptr<w40388_midi::UserDataProcess> job;
        if (c.receive)
            job = std::make_unique<w40388_midi::ReceiveUserDataProcess>(&lists);
        else
            job = std::make_unique<w40388_midi::WriteUserDataProcess>(&lists);
        job->setTimeoutsForTesting(300, 300);

        WindowWatcher watcher(*job, clickOkWhenShown);
        EXPECT_EQ(run(*job, watcher), 1);
        EXPECT_TRUE(watcher.last.okVisible);
        EXPECT_FALSE(watcher.last.cancelVisible);
        EXPECT_EQ(watcher.last.status, midi::getMidiCommunicationErrorText(c.code));
        EXPECT_EQ(watcher.last.detail, midi::getMidiCommunicationErrorDetailText(c.code));
        EXPECT_TRUE(watcher.last.detail.isNotEmpty());
        EXPECT_EQ(watcher.last.height, midi::MidiCommunicationDialog::dialogHeightWithDetail);
        EXPECT_EQ(watcher.last.barY, 114);
        EXPECT_EQ(live.oscData[0].state, w40388_data::SlotState::Loaded);
        EXPECT_EQ(live.oscData[0].unitData, liveUnit.unitData);
    }
}

TEST_F(MidiCommunicationDialogTest, CancelGreysOutAtOnceAndEndsTheJobAtItsNextCheck)
{
    instrument->addFault({Request::DataDump}, Fault::delay(30), -1);
    auto lists = loadedLists(1024);
    w40388_midi::WriteUserDataProcess send(&lists);
    bool clicked = false;
    WindowWatcher watcher(send,
                          [&](midi::MidiCommunicationDialog& dialog)
                          {
                              if (!clicked && read(dialog).bar >= 2.0)
                              {
                                  clicked = test::gui::clickButton(dialog, "CancelButton");
                                  const auto now = read(dialog);
                                  EXPECT_TRUE(now.cancelVisible);
                                  EXPECT_FALSE(now.cancelEnabled);
                                  EXPECT_FALSE(now.okVisible);
                              }
                              clickOkWhenShown(dialog);
                          });
    EXPECT_EQ(run(send, watcher), 1);
    EXPECT_TRUE(clicked);
    EXPECT_EQ(watcher.last.status, text("MidiCommunicationCanceled"));
    EXPECT_EQ(watcher.last.detail, "");
    EXPECT_TRUE(watcher.last.okVisible);
    EXPECT_LT(watcher.last.bar, 50.0);
    EXPECT_LT(instrument->getReceivedCount(), 20u);
}

TEST_F(MidiCommunicationDialogTest, ConnectionErrorsNeverRunTheJob)
{
    struct Case
    {
        bool automatic;
        const char* key;
    };
    for (const auto& c :
         {Case{false, "ConnectionErrorFailedToOpenPort"}, Case{true, "ConnectionErrorNotFoundparvolinvr"}})
    {
        SCOPED_TRACE(c.key);
        auto* manager = midi::MidiDeviceManager::getInstance();
        manager->automatic = c.automatic;
        manager->scanDone = true; // automatic: a search ended without finding the instrument
        manager->inPortName = "No Such Device - Out";
        w40388_data::UserData lists;
        w40388_midi::ReceiveUserDataProcess receive(&lists);
        WindowWatcher watcher(receive, clickOkWhenShown);
        EXPECT_EQ(run(receive, watcher), 1);
        EXPECT_EQ(watcher.last.status, text(c.key));
        EXPECT_TRUE(watcher.last.status.isNotEmpty());
        EXPECT_EQ(watcher.last.detail, "");
        EXPECT_EQ(watcher.last.height, midi::MidiCommunicationDialog::dialogHeight);
        EXPECT_TRUE(watcher.last.okVisible);
        EXPECT_EQ(receive.GetMessage(), "");
        EXPECT_EQ(instrument->getReceivedCount(), 0u);
    }
}

TEST_F(MidiCommunicationDialogTest, TheApplicationCanCloseTheWindowInEveryPhase)
{
    enum Phase
    {
        running,
        showingFailure,
        showingConnectionError
    };
    for (const Phase phase : {running, showingFailure, showingConnectionError})
    {
        SCOPED_TRACE(phase);
        instrument->clearFaults();
        instrument->addFault({Request::DataDump}, phase == running ? Fault::delay(30) : Fault::nak(), -1);
        midi::MidiDeviceManager::getInstance()->Disconnect();
        midi::MidiDeviceManager::getInstance()->inPortName =
            phase == showingConnectionError
                ? juce::String("No Such Device - Out")
                : midi::MidiDeviceManager::getInstance()->getMidiPort().GetInPortName(instrument->getSourceIndex());
        auto lists = loadedLists(1024);
        w40388_midi::WriteUserDataProcess send(&lists);
        bool asked = false;
        WindowWatcher watcher(send,
                              [&](midi::MidiCommunicationDialog& dialog)
                              {
                                  const auto now = read(dialog);
                                  if (!asked && (phase == running ? now.bar >= 2.0 : now.okVisible))
                                      asked = cancelMidiCommunicationProcess();
                              });
        EXPECT_EQ(run(send, watcher), 1);
        EXPECT_TRUE(asked);
        EXPECT_FALSE(watcher.last.okVisible && phase == running);
        const char* statusKey[] = {"MidiCommunicationCanceled", "MidiCommunicationErrorReceiveNakOnReceive",
                                   "ConnectionErrorFailedToOpenPort"};
        EXPECT_EQ(watcher.last.status, text(statusKey[phase]));
    }
    EXPECT_FALSE(cancelMidiCommunicationProcess());
}

TEST_F(MidiCommunicationDialogTest, SnapshotsInBothLanguages)
{
    for (const auto& [language, suffix] : {std::pair{Language::english, "en"}, {Language::japanese, "ja"}})
    {
        Language::getInstance()->setLanguage(language);
        delete CTRXResource::getInstanceWithoutCreating();
        auto* manager = midi::MidiDeviceManager::getInstance();
        const auto goodPort = manager->getMidiPort().GetInPortName(instrument->getSourceIndex());
        for (const juce::String phase : {"running", "failed", "connection-error"})
        {
            instrument->clearFaults();
            instrument->addFault({Request::DataDump}, phase == "running" ? Fault::delay(30) : Fault::nak(), -1);
            manager->Disconnect();
            manager->inPortName = phase == "connection-error" ? juce::String("No Such Device - Out") : goodPort;
            auto lists = loadedLists(1024);
            w40388_midi::WriteUserDataProcess send(&lists);
            bool saved = false;
            WindowWatcher watcher(
                send,
                [&](midi::MidiCommunicationDialog& dialog)
                {
                    const auto now = read(dialog);
                    if (saved || !(phase == "running" ? now.bar >= 2.0 : now.okVisible))
                        return;
                    auto* window = dialog.findParentComponentOfClass<juce::DocumentWindow>();
                    saved = test::gui::saveSnapshot(*window, "progress-" + phase + "-" + suffix).existsAsFile();
                    EXPECT_EQ(window->getName(), text("ConnectionWriteUserDataTitle"));
                    cancelMidiCommunicationProcess();
                });
            EXPECT_EQ(run(send, watcher), 1);
            EXPECT_TRUE(saved);
        }
    }
}
} // namespace
