#include "core/CTRXResource.h"
#include "core/ModalDialogState.h"
#include "data/DataCenter.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiDeviceManager.h"
#include "midi/ReceiveUserDataProcess.h"
#include "midi/WriteUserDataProcess.h"
#include "support/files/LoadedUserData.h"
#include "support/gui/GuiTest.h"
#include "support/gui/NamedChild.h"
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

using test::gui::namedChild;

// What the progress dialog shows.
struct Shown
{
    Shown() = default;
    explicit Shown(juce::Component& d)
        : status(namedChild<juce::Label>(d, "StatusMessage").getText()),
          detail(namedChild<juce::TextEditor>(d, "DetailMessage").getText()),
          bar(namedChild<juce::Slider>(d, "ProgressBar").getValue()), height(d.getHeight()),
          barY(namedChild<juce::Slider>(d, "ProgressBar").getY()),
          ok(namedChild<juce::Button>(d, "Button").isVisible()),
          modalFlag(ui::ModalDialogState::getInstance()->isOpen())
    {
    }
    juce::String status, detail;
    double bar = 0;
    int height = 0, barY = 0;
    bool ok = false, modalFlag = false;
};

constexpr int found = 0, unopenable = 1, noInstrument = 2; // ports
constexpr int nothing = 0, ok = 1, cancel = 2;             // what the musician does
struct Case
{
    const char* name;
    bool receive;
    std::optional<std::pair<Request, Fault>> fault;
    int ports, act;        // the job fails (1) unless the musician does nothing
    const char* statusKey; // else the text of `code`
    int code;
};

// Acts in the progress window's modal loop (found at the job's first change or a timer tick) once it
// shows what the case waits for; records what it showed on leaving. Ends it with -100 after the bound.
class Musician : private juce::Timer, private midi::MidiCommunicationProcessObserver
{
    midi::MidiCommunicationProcess& job;
    const Case& c;
    int ticks = 0;

public:
    Musician(midi::MidiCommunicationProcess& watched, const Case& what) : job(watched), c(what), acted(c.act == nothing)
    {
        job.addListener(this);
        startTimer(2);
    }
    ~Musician() override { job.removeListener(this); }

    Shown last;
    bool acted, sawWindow = false, forced = false;

private:
    midi::MidiCommunicationDialog* find()
    {
        auto* window = dynamic_cast<midi::DialogWithNoCloseButton*>(juce::Component::getCurrentlyModalComponent());
        auto* dialog = window != nullptr ? test::gui::findDescendant<midi::MidiCommunicationDialog>(*window) : nullptr;
        if (dialog != nullptr && !std::exchange(sawWindow, true))
            juce::ModalComponentManager::getInstance()->attachCallback(
                window, juce::ModalCallbackFunction::create([this, dialog](int) { last = Shown(*dialog); }));
        return dialog;
    }
    void processChanged() override { find(); }
    void timerCallback() override
    {
        auto* dialog = find();
        if (dialog == nullptr || forced)
            return;
        if ((forced = ++ticks > 10000))
            dialog->findParentComponentOfClass<juce::DocumentWindow>()->exitModalState(-100);
        const Shown now(*dialog);
        if (acted && c.act == cancel && now.ok)
            test::gui::clickButton(*dialog, "Button");
        if (acted || !(c.code == Result::canceled ? now.bar >= 2 : now.ok))
            return;
        auto& cancelButton = namedChild<juce::Button>(*dialog, "CancelButton");
        if (c.act == cancel && test::gui::clickButton(*dialog, "CancelButton"))
            acted = cancelButton.isVisible() && !cancelButton.isEnabled(); // greyed at once
        else if (c.act == ok)
            acted = test::gui::clickButton(*dialog, "Button");
    }
};

// No job thread alive, no window claiming the modal flag, and the lock free for another thread.
bool nothingLeftBehind(juce::CriticalSection& lock)
{
    for (const auto& task : juce::File("/proc/self/task").findChildFiles(juce::File::findDirectories, false))
        if (task.getChildFile("comm").loadFileAsString().startsWith("MidiCommunicati"))
            return false;
    bool lockFree = false;
    std::thread([&] { (lockFree = lock.tryEnter()) ? lock.exit() : void(); }).join();
    return lockFree && !ui::ModalDialogState::getInstance()->isOpen() && !isMidiCommunicationProcessRunning();
}

using MidiCommunicationDialogTest = test::SimulatedInstrumentTest;

TEST_F(MidiCommunicationDialogTest, WindowFollowsTheJobAndEndsAsTheMusicianExpects)
{
    QTR_REQUIRE_DISPLAY();
    ui::FontLibrary::getInstance()->registerApplicationFonts();
    const Case cases[] = {
        {"receive", true, {}, found, nothing, "CommunicationProcessReceiveUserData", 0},
        {"send", false, {}, found, nothing, "CommunicationProcessWriteUserData", 0},
        {"silent", true, std::pair{Request::Identity, Fault::noAnswer()}, found, ok, nullptr, Result::timeout},
        {"cancel", false, std::pair{Request::DataDump, Fault::delay(30)}, found, cancel, nullptr, Result::canceled},
        {"ports", true, {}, unopenable, ok, "ConnectionErrorFailedToOpenPort", 0},
        {"search", true, {}, noInstrument, ok, "ConnectionErrorNotFoundparvolinvr", 0},
    };
    auto* manager = midi::MidiDeviceManager::getInstance();
    manager->familyId = w40388_midi::sysex::instrumentFamilyId;
    auto& live = w40388_data::DataCenter::getInstance()->userData;
    const auto liveLists = test::makeLoadedUserData(64);
    live = liveLists;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        instrument->clearFaults();
        instrument->clearReceivedMessages();
        if (c.fault)
            instrument->addFault({c.fault->first}, c.fault->second, -1);
        manager->Disconnect();
        manager->automatic = c.ports == noInstrument;
        manager->scanDone = true; // a search has ended without finding the instrument
        manager->inPortName = c.ports == found ? manager->getMidiPort().GetInPortName(0) : "None - Out";
        manager->outPortName = manager->getMidiPort().GetOutPortName(0);

        auto lists = c.receive ? live : liveLists;
        w40388_midi::ReceiveUserDataProcess receiveJob(&lists);
        w40388_midi::WriteUserDataProcess sendJob(&lists);
        w40388_midi::UserDataProcess& job =
            c.receive ? static_cast<w40388_midi::UserDataProcess&>(receiveJob) : sendJob;
        job.setTimeoutsForTesting(300, 300);
        Musician musician(job, c);
        const bool failed = c.act != nothing;
        EXPECT_EQ(runMidiCommunicationProcess(job), failed ? 1 : 0);

        const auto& shown = musician.last;
        EXPECT_TRUE(musician.acted && musician.sawWindow && !musician.forced && shown.modalFlag);
        EXPECT_TRUE(shown.status.isNotEmpty());
        EXPECT_EQ(shown.status, c.statusKey ? CTRXResource::getInstance()->getText(c.statusKey)
                                            : midi::getMidiCommunicationErrorText(c.code));
        const bool detail = c.statusKey == nullptr && c.code != Result::canceled;
        EXPECT_EQ(shown.detail, detail ? midi::getMidiCommunicationErrorDetailText(c.code) : "");
        EXPECT_EQ(std::pair(shown.height, shown.barY), detail ? std::pair(193, 114) : std::pair(150, 64));
        EXPECT_EQ(shown.ok, failed);
        EXPECT_TRUE(failed || shown.bar == 100.0) << shown.bar;
        // A cancelled job stops early; an unconnected one never sends. A finished SEND ALL left
        // the instrument holding what was sent; a finished RECEIVE ALL its empty slots.
        EXPECT_LE(instrument->getReceivedCount(), c.ports != found ? 0u : c.code == Result::canceled ? 20u : 1000u);
        EXPECT_TRUE(failed || (c.receive ? lists.oscData[0].state == w40388_data::SlotState::Empty
                                         : instrument->getSlot(2, 7) == lists.delFXData[7].unitData));
        EXPECT_EQ(live.oscData[0].unitData, liveLists.oscData[0].unitData);
        EXPECT_TRUE(nothingLeftBehind(manager->communicationLock));
    }
    EXPECT_FALSE(cancelMidiCommunicationProcess());
    manager->Disconnect();
}
} // namespace
