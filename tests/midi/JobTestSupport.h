#pragma once

#include "data/SlotFamily.h"
#include "data/UserData.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiCommunicationThread.h"
#include "midi/MidiDeviceManager.h"
#include "midi/SysExMessages.h"
#include "support/MessageLoop.h"
#include "support/midi/SimulatedInstrumentFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace test
{
constexpr juce::uint32 family = w40388_midi::sysex::instrumentFamilyId;

// Module byte and usable slots of the lists, in the order the jobs work them.
inline const std::vector<std::pair<int, int>> listsInOrder{{4, 16}, {1, 16}, {2, 8}, {3, 8}};

inline SimulatedInstrument::Bytes identityRequest()
{
    return {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
}

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
        manager->familyId = w40388_midi::sysex::instrumentFamilyId;
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

// Runs a job on its own job thread as the progress dialog does and returns its result once
// threadFinished has arrived on the message thread.
inline int runJob(midi::MidiCommunicationProcess& job, int boundMs = 30000)
{
    struct Finished : midi::MidiCommunicationThreadListener
    {
        int calls = 0;
        void threadFinished() override { ++calls; }
    } finished;

    midi::MidiCommunicationThread thread(job);
    thread.addListener(&finished);
    thread.startThread();
    EXPECT_TRUE(runMessageLoopUntil([&] { return finished.calls > 0; }, boundMs));
    drainMessageLoop();
    EXPECT_EQ(finished.calls, 1);
    thread.removeListener(&finished);
    return thread.getResult();
}

// Calls f(record, position) for every usable record of the four lists.
template <typename Function> inline void forEachRecord(w40388_data::UserData& data, Function&& f)
{
    auto list = [&](auto family)
    {
        using Family = decltype(family);
        for (int position = 0; position < Family::numUsableSlots; ++position)
            f(Family::records(data)[position], position);
    };
    list(w40388_data::OscSlotFamily{});
    list(w40388_data::ModFXSlotFamily{});
    list(w40388_data::DelFXSlotFamily{});
    list(w40388_data::RevFXSlotFamily{});
}

// Instead of an answer, these packets.
inline SimulatedInstrument::Fault onlyPackets(std::vector<SimulatedInstrument::Bytes> packets)
{
    SimulatedInstrument::Fault fault;
    fault.answer = SimulatedInstrument::Fault::Answer::Nothing;
    fault.before = std::move(packets);
    return fault;
}

// A slot header answer of 20 bytes: neither the empty form nor a whole header.
inline SimulatedInstrument::Bytes brokenHeaderAnswer()
{
    SimulatedInstrument::Bytes message{0xF0, 0x42, 0x30, 0x00, 0x01, 0x57, 0x49, 0x04, 0x00};
    message.resize(19, 0x00);
    message.push_back(0xF7);
    return message;
}

// A misbehaviour of the instrument for some requests and the result code it must end a job with.
struct AnswerCase
{
    const char* name;
    SimulatedInstrument::Match request;
    SimulatedInstrument::Fault fault;
    int expected;
};

// Runs a job on empty lists against the misbehaving instrument, with waits shortened from the
// product's 3000 ms and 60000 or 5000 ms, and checks its code and both texts of the code.
template <typename Job> void expectJobEndsWith(SimulatedInstrument& instrument, const AnswerCase& answerCase)
{
    instrument.addFault(answerCase.request, answerCase.fault);
    w40388_data::UserData data;
    Job job(&data);
    job.setTimeoutsForTesting(300, 300);

    EXPECT_EQ(runJob(job), answerCase.expected);
    EXPECT_EQ(job.GetMessage(), midi::getMidiCommunicationErrorText(answerCase.expected));
    EXPECT_EQ(job.GetErrorMessage(), midi::getMidiCommunicationErrorDetailText(answerCase.expected));
}

inline std::string answerCaseName(const ::testing::TestParamInfo<AnswerCase>& info)
{
    return info.param.name;
}

// The progress values 0, then first/48 ... last/48, as a job stores them.
inline std::vector<float> progressSteps(int first, int last)
{
    std::vector<float> steps{0.0f};
    for (int step = first; step <= last; ++step)
        steps.push_back(static_cast<float>(step / 48.0));
    return steps;
}
} // namespace test
