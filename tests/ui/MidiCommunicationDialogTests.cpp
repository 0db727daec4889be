#include "core/CTRXResource.h"
#include "core/CurrentLanguageModel.h"
#include "core/ModalDialogState.h"
#include "data/DataCenter.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiDeviceManager.h"
#include "midi/ReceiveUserDataProcess.h"
#include "midi/WriteUserDataProcess.h"
#include "support/files/LoadedUserData.h"
#include "support/gui/GuiTest.h"
#include "support/midi/SimulatedInstrumentFixture.h"
#include "ui/DialogWithNoCloseButton.h"
#include "ui/FontLibrary.h"
#include "ui/MidiCommunicationDialog.h"
#include "ui/RunMidiCommunicationProcess.h"

#include <gtest/gtest.h>

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

template <typename T> T& part(juce::Component& dialog, const char* name)
{
    for (auto* child : dialog.getChildren())
        if (auto* found = dynamic_cast<T*>(child); found != nullptr && child->getName() == name)
            return *found;
    throw std::runtime_error(name);
}

// What the dialog shows.
struct Shown
{
    juce::String status, detail;
    double bar = 0;
    int height = 0, barY = 0;
    bool ok = false, cancel = false, cancelEnabled = false, modalFlag = false;
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

// Watches the progress window from inside its modal loop, found at the job's first change (it
// observes the job before the dialog does) or at a timer tick: hands each tick to `act` and
// records what the dialog showed as the window left its modal state. Ends a window still open
// after the bound with -100.
class WindowWatcher : private juce::Timer, private midi::MidiCommunicationProcessObserver
{
public:
    WindowWatcher(midi::MidiCommunicationProcess& watched, std::function<void(midi::MidiCommunicationDialog&)> onTick)
        : job(watched), act(std::move(onTick))
    {
        job.addListener(this);
        startTimer(2);
    }
    ~WindowWatcher() override { job.removeListener(this); }

    Shown last;
    bool sawWindow = false, forced = false;

private:
    midi::MidiCommunicationDialog* find()
    {
        auto* window = dynamic_cast<midi::DialogWithNoCloseButton*>(juce::Component::getCurrentlyModalComponent());
        auto* dialog = window != nullptr ? test::gui::findDescendant<midi::MidiCommunicationDialog>(*window) : nullptr;
        if (dialog != nullptr && !std::exchange(sawWindow, true))
            juce::ModalComponentManager::getInstance()->attachCallback(
                window, juce::ModalCallbackFunction::create([this, dialog](int) { last = read(*dialog); }));
        return dialog;
    }
    void processChanged() override { find(); }
    void timerCallback() override
    {
        if (auto* dialog = find(); dialog != nullptr && !forced)
        {
            act(*dialog);
            if ((forced = ++ticks > 10000))
                dialog->findParentComponentOfClass<juce::DocumentWindow>()->exitModalState(-100);
        }
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

enum class Ports
{
    found,
    unopenable,
    noInstrument
};
enum class Act
{
    nothing,
    ok,
    cancel,
    fromOutside
};

struct Case
{
    const char* name;
    bool receive;
    std::optional<std::pair<Request, Fault>> fault;
    Ports ports;
    Act act;
    int result;
    const char* statusKey; // else the text of `code`
    int code;
    const char* snapshot;
};

using MidiCommunicationDialogTest = test::SimulatedInstrumentTest;

TEST_F(MidiCommunicationDialogTest, WindowFollowsTheJobAndEndsAsTheMusicianExpects)
{
    QTR_REQUIRE_DISPLAY();
    ui::FontLibrary::getInstance()->registerApplicationFonts();
    const auto slow = std::pair{Request::DataDump, Fault::delay(30)};
    const auto refusedWrite = std::pair{Request::DataDump, Fault::nak()};
    const Case cases[] = {
        {"receive", true, {}, Ports::found, Act::nothing, 0, "CommunicationProcessReceiveUserData", 0, nullptr},
        {"send", false, {}, Ports::found, Act::nothing, 0, "CommunicationProcessWriteUserData", 0, nullptr},
        {"silent", true, std::pair{Request::Identity, Fault::noAnswer()}, Ports::found, Act::ok, 1, nullptr,
         Result::timeout, nullptr},
        {"refused", false, refusedWrite, Ports::found, Act::ok, 1, nullptr, Result::nakOnReceive, "failed"},
        {"family", false, std::pair{Request::Identity, Fault::otherFamily()}, Ports::found, Act::ok, 1, nullptr,
         Result::targetDevice, nullptr},
        {"cancel", false, slow, Ports::found, Act::cancel, 1, nullptr, Result::canceled, "running"},
        {"ports", true, {}, Ports::unopenable, Act::ok, 1, "ConnectionErrorFailedToOpenPort", 0, "connection-error"},
        {"search", true, {}, Ports::noInstrument, Act::ok, 1, "ConnectionErrorNotFoundparvolinvr", 0, nullptr},
        {"quit running", false, slow, Ports::found, Act::fromOutside, 1, nullptr, Result::canceled, nullptr},
        {"quit failed", false, refusedWrite, Ports::found, Act::fromOutside, 1, nullptr, Result::nakOnReceive, nullptr},
        {"quit idle", false, {}, Ports::unopenable, Act::fromOutside, 1, "ConnectionErrorFailedToOpenPort", 0, nullptr},
    };
    auto* manager = midi::MidiDeviceManager::getInstance();
    manager->familyId = w40388_midi::sysex::instrumentFamilyId;
    auto& live = w40388_data::DataCenter::getInstance()->userData;
    const auto liveLists = test::makeLoadedUserData(64);
    live = liveLists;
    for (const auto& [language, suffix] : {std::pair{Language::english, "en"}, {Language::japanese, "ja"}})
    {
        Language::getInstance()->setLanguage(language);
        delete CTRXResource::getInstanceWithoutCreating();
        for (const auto& c : cases)
        {
            if (language == Language::japanese && c.snapshot == nullptr)
                continue;
            SCOPED_TRACE(juce::String(c.name) + " " + suffix);
            instrument->clearFaults();
            instrument->clearReceivedMessages();
            if (c.fault)
                instrument->addFault({c.fault->first}, c.fault->second, -1);
            manager->Disconnect();
            manager->automatic = c.ports == Ports::noInstrument;
            manager->scanDone = true; // a search has ended without finding the instrument
            manager->inPortName = c.ports == Ports::found ? manager->getMidiPort().GetInPortName(0) : "None - Out";
            manager->outPortName = manager->getMidiPort().GetOutPortName(0);

            auto lists = c.receive ? live : liveLists;
            std::unique_ptr<w40388_midi::UserDataProcess> job;
            if (c.receive)
                job = std::make_unique<w40388_midi::ReceiveUserDataProcess>(&lists);
            else
                job = std::make_unique<w40388_midi::WriteUserDataProcess>(&lists);
            job->setTimeoutsForTesting(300, 300);
            bool acted = c.act == Act::nothing;
            WindowWatcher watcher(*job,
                                  [&](midi::MidiCommunicationDialog& dialog)
                                  {
                                      const auto now = read(dialog);
                                      const bool running = c.result != 1 || c.code == Result::canceled;
                                      if (acted && c.act == Act::cancel && now.ok)
                                          test::gui::clickButton(dialog, "Button");
                                      if (acted || !(running ? now.bar >= 2 : now.ok))
                                          return;
                                      if (c.snapshot != nullptr)
                                          test::gui::saveSnapshot(
                                              *dialog.findParentComponentOfClass<juce::DocumentWindow>(),
                                              juce::String("progress-") + c.snapshot + "-" + suffix);
                                      if (c.act == Act::fromOutside)
                                          acted = cancelMidiCommunicationProcess();
                                      else if (c.act == Act::cancel && test::gui::clickButton(dialog, "CancelButton"))
                                          acted = read(dialog).cancel && !read(dialog).cancelEnabled;
                                      else if (c.act == Act::ok)
                                          acted = test::gui::clickButton(dialog, "Button");
                                  });
            EXPECT_EQ(runMidiCommunicationProcess(*job), c.result);

            EXPECT_TRUE(acted && watcher.sawWindow && !watcher.forced && watcher.last.modalFlag);
            const auto& shown = watcher.last;
            EXPECT_EQ(shown.status, c.statusKey ? text(c.statusKey) : midi::getMidiCommunicationErrorText(c.code));
            EXPECT_TRUE(shown.status.isNotEmpty());
            const bool detail = c.statusKey == nullptr && c.code != Result::canceled;
            EXPECT_EQ(shown.detail, detail ? midi::getMidiCommunicationErrorDetailText(c.code) : "");
            EXPECT_EQ(shown.height, detail ? 193 : 150);
            EXPECT_EQ(shown.barY, detail ? 114 : 64);
            EXPECT_EQ(shown.ok, c.result == 1 && !(c.act == Act::fromOutside && c.code == Result::canceled));
            EXPECT_TRUE(c.result != 0 || shown.bar == 100.0) << shown.bar;
            // A cancelled job stops early; an unconnected one never sends.
            const size_t mostSent = c.ports != Ports::found ? 0 : c.code == Result::canceled ? 20 : 1000;
            EXPECT_LE(instrument->getReceivedCount(), mostSent);
            // What a finished job did: the instrument holds what was sent; the received copy holds the
            // instrument's empty slots.
            EXPECT_TRUE(c.result != 0 || (c.receive ? lists.oscData[0].state == w40388_data::SlotState::Empty
                                                    : instrument->getSlot(2, 7) == lists.delFXData[7].unitData));
            EXPECT_EQ(live.oscData[0].unitData, liveLists.oscData[0].unitData);

            // Nothing of the window is left behind.
            EXPECT_FALSE(ui::ModalDialogState::getInstance()->isOpen() || isMidiCommunicationProcessRunning());
            EXPECT_FALSE(jobThreadAlive());
            bool lockFree = false;
            std::thread(
                [&]
                {
                    if ((lockFree = manager->communicationLock.tryEnter()))
                        manager->communicationLock.exit();
                })
                .join();
            EXPECT_TRUE(lockFree);
        }
    }
    EXPECT_FALSE(cancelMidiCommunicationProcess());
    manager->Disconnect();
    Language::getInstance()->setLanguage(Language::english);
    delete CTRXResource::getInstanceWithoutCreating();
}
} // namespace
