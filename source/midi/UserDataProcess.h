#pragma once

#include "data/SlotFamily.h"
#include "midi/AnalyzedInformation.h"
#include "midi/MidiCommunicationProcess.h"
#include "midi/SysExMessages.h"

#include <array>
#include <vector>

namespace w40388_midi
{
class MidiCommunicationTask;

// What SEND ALL and RECEIVE ALL share: the slot lists they work on, the identity check that
// starts every run, the waits for answers and how a run ends. Everything but construction runs
// on the job thread.
class UserDataProcess : public midi::MidiCommunicationProcess
{
public:
    // Sets the start texts, checks the instrument's identity, then works the lists. Returns a
    // MidiCommunicationResult code: an error sets both texts of its code, a cancellation only
    // the status text, success leaves the start texts.
    int execute() override;
    bool isSucceeded(int result) override;
    bool isCancelable() override;

    // Only tests shorten the waits.
    void setTimeoutsForTesting(juce::uint32 identityMs, juce::uint32 answerMs);

protected:
    UserDataProcess(w40388_data::UserData* lists, juce::uint32 answerTimeoutMs);

    // The status text while the job runs.
    virtual juce::String getStartMessage() = 0;

    // Works the four lists after a successful identity check; a MidiCommunicationResult code. An
    // error may leave a detail text that says more than its code's in `failureDetail`.
    virtual int runLists() = 0;

    // Calls f(family, slotsBefore) for the oscillator, modulation, delay and reverb lists in
    // that order until one returns a code other than no error, and returns that code.
    // slotsBefore counts the usable slots of the lists handled before.
    template <typename Function> int forEachList(Function&& f)
    {
        using namespace w40388_data;
        int code = f(OscSlotFamily{}, 0);
        if (code == 0)
            code = f(ModFXSlotFamily{}, OscSlotFamily::numUsableSlots);
        if (code == 0)
            code = f(DelFXSlotFamily{}, OscSlotFamily::numUsableSlots + ModFXSlotFamily::numUsableSlots);
        if (code == 0)
            code = f(RevFXSlotFamily{},
                     OscSlotFamily::numUsableSlots + ModFXSlotFamily::numUsableSlots + DelFXSlotFamily::numUsableSlots);
        return code;
    }

    // Points a request object at the port layer and the channel the identity check learnt.
    void prepare(MidiCommunicationTask& task) const;

    // Sends a request and waits for an answer of an awaited kind, or none in time.
    AnalyzedInformation exchange(MidiCommunicationTask& task, const SysExBytes& request,
                                 const std::vector<int>& awaitedKinds) const;

    // Asks for the header of one user slot and copies its first 32 bytes into `header` (all zero
    // for an empty slot); a MidiCommunicationResult code.
    int readSlotHeader(MidiCommunicationTask& task, int module, int slot,
                       std::array<juce::uint8, sysex::slotHeaderSize>& header) const;

    w40388_data::UserData* userData;
    juce::String failureDetail;
    juce::uint32 family = 0;
    int channel = 0;

private:
    juce::uint32 identityTimeout;
    juce::uint32 answerTimeout;
};
} // namespace w40388_midi
