#include "core/CTRXResource.h"
#include "midi/MidiCommunicationProcess.h"
#include "midi/MidiCommunicationResult.h"
#include "midi/MidiCommunicationThread.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <vector>

namespace
{
namespace Result = midi::MidiCommunicationResult;

// A job whose body the test supplies; it reaches the protected helpers through `job`.
class ScriptedProcess : public midi::MidiCommunicationProcess
{
public:
    std::function<int(ScriptedProcess&)> body;

    int execute() override { return body(*this); }
    bool isSucceeded(int result) override { return result == Result::noError; }
    juce::String getTitle() override { return "Scripted"; }
    bool isCancelable() override { return true; }

    using MidiCommunicationProcess::cancel;
    using MidiCommunicationProcess::failWith;
    using MidiCommunicationProcess::setProgress;
    using MidiCommunicationProcess::shouldExit;
};

// Records what the progress dialog would see, in order.
struct Recorder : midi::MidiCommunicationProcessObserver, midi::MidiCommunicationThreadListener
{
    explicit Recorder(midi::MidiCommunicationProcess& watched) : process(watched) {}

    void processChanged() override
    {
        events.push_back("changed " + process.GetMessage() + " " + juce::String(process.getProgress()));
    }
    void threadFinished() override { events.push_back("finished"); }

    midi::MidiCommunicationProcess& process;
    std::vector<juce::String> events;
};

TEST(MidiCommunicationProcess, ChangesBeforeTheLoopTurnsGiveOneNotificationWithTheLatestValues)
{
    ScriptedProcess process;
    Recorder recorder(process);
    process.addListener(&recorder);

    process.SetMessage("first");
    process.SetMessage("second");
    process.setProgress(0.25f);
    process.SetMessage("third");
    test::drainMessageLoop();

    EXPECT_EQ(recorder.events, std::vector<juce::String>{"changed third 0.25"});
    process.removeListener(&recorder);
}

TEST(MidiCommunicationProcess, ErrorEndSetsBothTextsAndCancellationOnlyTheStatus)
{
    ScriptedProcess failed;
    failed.SetErrorMessage("kept?");
    EXPECT_EQ(failed.failWith(Result::nakOnReceive), Result::nakOnReceive);
    EXPECT_EQ(failed.GetMessage(), midi::getMidiCommunicationErrorText(Result::nakOnReceive));
    EXPECT_EQ(failed.GetErrorMessage(), midi::getMidiCommunicationErrorDetailText(Result::nakOnReceive));

    ScriptedProcess cancelled;
    cancelled.SetErrorMessage("");
    EXPECT_EQ(cancelled.cancel(), Result::canceled);
    EXPECT_EQ(cancelled.GetMessage(), midi::getMidiCommunicationErrorText(Result::canceled));
    EXPECT_EQ(cancelled.GetErrorMessage(), "");
}

TEST(MidiCommunicationThread, ReportsTheEndOnceAfterThePendingProgress)
{
    ScriptedProcess process;
    process.body = [](ScriptedProcess& job) {
        job.SetMessage("working");
        job.setProgress(0.5f);
        return Result::timeout;
    };
    Recorder recorder(process);
    process.addListener(&recorder);

    {
        midi::MidiCommunicationThread thread(process);
        thread.addListener(&recorder);
        EXPECT_EQ(thread.getThreadName(), "MidiCommunicationThread");
        thread.startThread();

        ASSERT_TRUE(test::runMessageLoopUntil([&] { return !recorder.events.empty() && recorder.events.back() == "finished"; }));
        test::drainMessageLoop();
        EXPECT_EQ(thread.getResult(), Result::timeout);
        thread.removeListener(&recorder);
    }

    EXPECT_EQ(recorder.events, (std::vector<juce::String>{"changed working 0.5", "finished"}));
    process.removeListener(&recorder);
}

TEST(MidiCommunicationThread, ACancelledJobEndsWithCodeOneAndIsReportedOnce)
{
    juce::WaitableEvent started;
    juce::WaitableEvent wake;
    ScriptedProcess process;
    process.body = [&](ScriptedProcess& job) {
        job.SetMessage("start");
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
    EXPECT_FALSE(process.shouldExit());

    thread.signalThreadShouldExit();
    wake.signal();
    ASSERT_TRUE(test::runMessageLoopUntil([&] { return !recorder.events.empty(); }));
    test::drainMessageLoop();

    EXPECT_EQ(recorder.events, std::vector<juce::String>{"finished"});
    EXPECT_EQ(thread.getResult(), Result::canceled);
    EXPECT_EQ(process.GetMessage(), midi::getMidiCommunicationErrorText(Result::canceled));
    EXPECT_FALSE(process.shouldExit()); // the job no longer refers to the finished thread
    thread.removeListener(&recorder);
}

TEST(MidiCommunicationResult, EveryCodeHasItsTextsAndCodeOneSharesOneKey)
{
    // Text keys
    const char* const statusKeys[] = {"MidiCommunicationNoError",
                                      "MidiCommunicationCanceled",
                                      "MidiCommunicationErrorFailedToOpenDialog",
                                      "MidiCommunicationErrorTimeout",
                                      "MidiCommunicationErrorTargetDevice",
                                      "MidiCommunicationErrorReceiveNakOnReceive",
                                      "MidiCommunicationErrorReceiveNakOnWrite",
                                      "MidiCommunicationErrorReceiveWriteError",
                                      "MidiCommunicationErrorMessageBroken",
                                      "MidiCommunicationErrorReceiveUserCommErr"};
    auto* texts = CTRXResource::getInstance();

    for (int code = 0; code < Result::count; ++code)
    {
        const juce::String key(statusKeys[code]);
        EXPECT_EQ(midi::getMidiCommunicationErrorText(code), texts->getText(key)) << code;
        EXPECT_TRUE(midi::getMidiCommunicationErrorText(code).isNotEmpty()) << key;
        const auto detailKey = code == Result::canceled ? key : key + "Detail";
        EXPECT_EQ(midi::getMidiCommunicationErrorDetailText(code), texts->getText(detailKey)) << code;
    }
    EXPECT_EQ(midi::getMidiCommunicationErrorText(Result::canceled),
              midi::getMidiCommunicationErrorDetailText(Result::canceled));
}

TEST(MidiCommunicationResult, CodesOutsideTheTableGiveEmptyTexts)
{
    for (const int code : {-1, 10, 255, std::numeric_limits<int>::min()})
    {
        EXPECT_EQ(midi::getMidiCommunicationErrorText(code), "") << code;
        EXPECT_EQ(midi::getMidiCommunicationErrorDetailText(code), "") << code;
    }
}
} // namespace
