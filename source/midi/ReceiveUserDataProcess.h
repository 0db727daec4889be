#pragma once

#include "midi/UserDataProcess.h"

namespace w40388_midi
{
// "RECEIVE ALL": asks the instrument for the header of every user slot of the four lists and
// fills the given lists with Received records (header only) or Empty ones. The receive command
// hands it a copy of the lists of its own and installs that copy only when the job succeeds.
class ReceiveUserDataProcess : public UserDataProcess
{
public:
    static constexpr juce::uint32 answerTimeoutMs = 5000;

    explicit ReceiveUserDataProcess(w40388_data::UserData* dataToFill);

    juce::String getTitle() override;

protected:
    juce::String getStartMessage() override;
    int runLists() override;

private:
    template <typename Family> int receiveList(int slotsBefore);
};
} // namespace w40388_midi
