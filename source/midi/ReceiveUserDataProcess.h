#pragma once

#include "midi/MidiCommunicationProcess.h"
#include "data/UserData.h"

namespace w40388_midi
{
// "RECEIVE ALL": asks the instrument for the header of every user slot of the four lists and
// fills the given lists with Received records (header only) or Empty ones. The receive command
// hands it a copy of the lists of its own and installs that copy only when the job succeeds.
class ReceiveUserDataProcess : public midi::MidiCommunicationProcess
{
public:
    static constexpr juce::uint32 answerTimeoutMs = 5000;

    explicit ReceiveUserDataProcess(w40388_data::UserData* dataToFill);

    int execute() override;
    bool isSucceeded(int result) override;
    juce::String getTitle() override;
    bool isCancelable() override;

    // Only tests shorten the waits.
    void setTimeoutsForTesting(juce::uint32 identityMs, juce::uint32 answerMs);

private:
    template <typename Family, typename Receiver>
    int receiveList(int channel, int progressBase);

    w40388_data::UserData* userData;
    juce::uint32 family = 0;
    juce::uint32 identityTimeout;
    juce::uint32 answerTimeout = answerTimeoutMs;
};
} // namespace w40388_midi
