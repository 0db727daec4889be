#pragma once

#include "data/SlotFamily.h"
#include "data/UserData.h"
#include "midi/MidiCommunicationProcess.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiCommunicationThread.h"
#include "midi/MidiDeviceManager.h"
#include "midi/SysExMessages.h"
#include "support/MessageLoop.h"
#include "support/midi/SimulatedInstrumentFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace test
{
namespace Result = midi::MidiCommunicationResult;
using Bytes = SimulatedInstrument::Bytes;
using Fault = SimulatedInstrument::Fault;
using Request = SimulatedInstrument::Request;
using w40388_data::SlotState;

constexpr juce::uint32 family = w40388_midi::sysex::instrumentFamilyId;
inline const Bytes identityRequest{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

// Module byte and usable slots of the lists, in the order the jobs work them.
inline const std::vector<std::pair<int, int>> listsInOrder{{4, 16}, {1, 16}, {2, 8}, {3, 8}};

// The simulated instrument with the device manager's port layer connected to it, as the
// progress dialog leaves things before it starts a job.
class ConnectedJobTest : public SimulatedInstrumentTest
{
protected:
    void SetUp() override
    {
        SimulatedInstrumentTest::SetUp();
        auto* manager = midi::MidiDeviceManager::getInstance();
        manager->Disconnect();
        manager->familyId = family;
        manager->automatic = false;
        manager->inPortName = manager->getMidiPort().GetInPortName(instrument->getSourceIndex());
        manager->outPortName = manager->getMidiPort().GetOutPortName(instrument->getDestinationIndex());
        ASSERT_TRUE(manager->Connect());
    }

    void TearDown() override
    {
        midi::MidiDeviceManager::getInstance()->Disconnect();
        SimulatedInstrumentTest::TearDown();
    }
};

// A job that records every progress value it stores, and that can ask its own thread to stop
// when its progress reaches a given number of slots, as a Cancel click at that moment would.
template <typename Job> class RecordingJob : public Job
{
public:
    using Job::Job;
    using Job::shouldExit;

    std::vector<float> steps;
    int cancelAtStep = -1;

    void setProgress(float value) override
    {
        steps.push_back(value);
        if (cancelAtStep >= 0 && value == static_cast<float>(cancelAtStep / 48.0))
            juce::Thread::getCurrentThread()->signalThreadShouldExit();
        Job::setProgress(value);
    }
};

// Records what the progress dialog would see of a job, in order.
struct JobWatcher : midi::MidiCommunicationProcessObserver, midi::MidiCommunicationThreadListener
{
    explicit JobWatcher(midi::MidiCommunicationProcess& watched) : job(watched) { job.addListener(this); }
    ~JobWatcher() override { job.removeListener(this); }

    juce::String now() const { return job.GetMessage() + " " + juce::String(job.getProgress()); }
    void processChanged() override { events.push_back(now()); }
    void threadFinished() override { events.push_back("finished"); }

    midi::MidiCommunicationProcess& job;
    std::vector<juce::String> events;
};

// Runs a job on its own job thread as the progress dialog does and returns its result, once the
// end has been reported exactly once on the message thread, after the job's latest texts and progress.
inline int runJob(midi::MidiCommunicationProcess& job)
{
    JobWatcher watcher(job);
    midi::MidiCommunicationThread thread(job);
    EXPECT_EQ(thread.getThreadName(), "MidiCommunicationThread");
    thread.addListener(&watcher);
    thread.startThread();
    EXPECT_TRUE(
        runMessageLoopUntil([&] { return !watcher.events.empty() && watcher.events.back() == "finished"; }, 30000));
    drainMessageLoop();
    thread.removeListener(&watcher);

    const auto& events = watcher.events;
    EXPECT_EQ(std::count(events.begin(), events.end(), "finished"), 1);
    if (events.size() >= 2)
    {
        EXPECT_EQ(std::vector<juce::String>(events.end() - 2, events.end()),
                  (std::vector<juce::String>{watcher.now(), "finished"}));
    }
    return thread.getResult();
}

// Calls f(record, position) for every usable record of the four lists.
template <typename Function> void forEachRecord(w40388_data::UserData& data, Function&& f)
{
    auto list = [&](auto family)
    {
        for (int position = 0; position < decltype(family)::numUsableSlots; ++position)
            f(decltype(family)::records(data)[position], position);
    };
    list(w40388_data::OscSlotFamily{});
    list(w40388_data::ModFXSlotFamily{});
    list(w40388_data::DelFXSlotFamily{});
    list(w40388_data::RevFXSlotFamily{});
}

// Every usable slot of every list against the instrument: an empty record where the instrument's
// slot is empty, else a unit on the instrument at that very slot with the same header.
inline void expectListsMatchInstrument(const w40388_data::UserData& lists, const SimulatedInstrument& instrument,
                                       const std::string& stage)
{
    const auto check = [&](auto family)
    {
        using Family = decltype(family);
        const int module = static_cast<int>(Family::module);
        for (int slot = 0; slot < Family::numUsableSlots; ++slot)
        {
            const auto& record = Family::records(lists)[static_cast<size_t>(slot)];
            const auto onInstrument = instrument.getSlot(module, slot);
            SCOPED_TRACE(stage + ", module " + std::to_string(module) + " slot " + std::to_string(slot));
            EXPECT_EQ(record.state.load(), onInstrument.isEmpty() ? SlotState::Empty : SlotState::Received);
            if (onInstrument.isEmpty())
                continue;
            ASSERT_GE(onInstrument.getSize(), record.header.size());
            EXPECT_EQ(record.slotIndex.load(), slot);
            EXPECT_EQ(juce::MemoryBlock(record.header.data(), record.header.size()),
                      juce::MemoryBlock(onInstrument.getData(), record.header.size()));
        }
    };
    check(w40388_data::OscSlotFamily{});
    check(w40388_data::ModFXSlotFamily{});
    check(w40388_data::DelFXSlotFamily{});
    check(w40388_data::RevFXSlotFamily{});
}

// The progress values 0, 1/48 ... last/48 and, for a job that ran to its end, 1.
inline std::vector<float> progressSteps(int last, bool finished = false)
{
    std::vector<float> steps{0.0f};
    for (int step = 1; step <= last; ++step)
        steps.push_back(static_cast<float>(step / 48.0));
    if (finished)
        steps.push_back(1.0f);
    return steps;
}
} // namespace test
