#include "core/CTRXResource.h"
#include "midi/MidiCommunicationProcess.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiCommunicationThread.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace
{
namespace Result = midi::MidiCommunicationResult;

// A job whose body the test supplies.
class ScriptedProcess : public midi::MidiCommunicationProcess
{
public:
    std::function<int(ScriptedProcess&)> body;

    int execute() override { return body(*this); }
    bool isSucceeded(int result) override { return result == Result::noError; }
    juce::String getTitle() override { return {}; }
    bool isCancelable() override { return true; }

    using MidiCommunicationProcess::cancel;
    using MidiCommunicationProcess::setProgress;
    using MidiCommunicationProcess::shouldExit;
};

// Records what the progress dialog would see, in order.
struct Recorder : midi::MidiCommunicationProcessObserver, midi::MidiCommunicationThreadListener
{
    explicit Recorder(midi::MidiCommunicationProcess& watched) : process(watched) { process.addListener(this); }
    ~Recorder() override { process.removeListener(this); }

    void processChanged() override
    {
        events.push_back(process.GetMessage() + " " + juce::String(process.getProgress()));
    }
    void threadFinished() override { events.push_back("finished"); }

    midi::MidiCommunicationProcess& process;
    std::vector<juce::String> events;
};

TEST(MidiCommunicationProcess, ChangesBeforeTheLoopTurnsGiveOneNotificationWithTheLatestValues)
{
    ScriptedProcess process;
    Recorder recorder(process);

    process.SetMessage("first");
    process.setProgress(0.25f);
    process.SetMessage("third");
    test::drainMessageLoop();

    EXPECT_EQ(recorder.events, std::vector<juce::String>{"third 0.25"});
}

TEST(MidiCommunicationThread, ReportsTheEndOnceAfterThePendingProgress)
{
    ScriptedProcess process;
    process.body = [](ScriptedProcess& job)
    {
        job.SetMessage("working");
        job.setProgress(0.5f);
        return Result::timeout;
    };
    Recorder recorder(process);
    midi::MidiCommunicationThread thread(process);
    thread.addListener(&recorder);
    EXPECT_EQ(thread.getThreadName(), "MidiCommunicationThread");

    thread.startThread();
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return recorder.events.size() == 2; }));
    test::drainMessageLoop();

    EXPECT_EQ(recorder.events, (std::vector<juce::String>{"working 0.5", "finished"}));
    EXPECT_EQ(thread.getResult(), Result::timeout);
    thread.removeListener(&recorder);
}

TEST(MidiCommunicationThread, ACancelledJobEndsWithCodeOneAndIsReportedOnce)
{
    juce::WaitableEvent started;
    juce::WaitableEvent wake;
    ScriptedProcess process;
    process.body = [&](ScriptedProcess& job)
    {
        started.signal();
        while (!job.shouldExit())
            wake.wait(1000);
        return job.cancel();
    };
    Recorder recorder(process);
    midi::MidiCommunicationThread thread(process);
    thread.addListener(&recorder);

    thread.startThread();
    ASSERT_TRUE(started.wait(5000));
    thread.signalThreadShouldExit();
    wake.signal();
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return recorder.events.size() == 2; }));
    test::drainMessageLoop();

    const auto canceled = midi::getMidiCommunicationErrorText(Result::canceled);
    EXPECT_EQ(recorder.events, (std::vector<juce::String>{canceled + " 0", "finished"}));
    EXPECT_EQ(thread.getResult(), Result::canceled);
    EXPECT_EQ(process.GetErrorMessage(), "");
    EXPECT_FALSE(process.shouldExit()); // the job no longer refers to the finished thread
    thread.removeListener(&recorder);
}

TEST(MidiCommunicationResult, CodesHaveTheirTextsAndCancellationOneTextTwice)
{
    auto* texts = CTRXResource::getInstance();
    EXPECT_EQ(midi::getMidiCommunicationErrorText(Result::noError), texts->getText("MidiCommunicationNoError"));
    EXPECT_EQ(midi::getMidiCommunicationErrorDetailText(Result::timeout),
              texts->getText("MidiCommunicationErrorTimeoutDetail"));
    EXPECT_EQ(midi::getMidiCommunicationErrorText(Result::userCommError),
              texts->getText("MidiCommunicationErrorReceiveUserCommErr"));
    EXPECT_EQ(midi::getMidiCommunicationErrorDetailText(Result::canceled), texts->getText("MidiCommunicationCanceled"));
    for (int code = 0; code < Result::count; ++code)
        EXPECT_TRUE(midi::getMidiCommunicationErrorDetailText(code).isNotEmpty()) << code;

    for (const int code : {-1, 10, 255})
    {
        EXPECT_EQ(midi::getMidiCommunicationErrorText(code), "") << code;
        EXPECT_EQ(midi::getMidiCommunicationErrorDetailText(code), "") << code;
    }
}
} // namespace
