#include "core/DataEditStatus.h"
#include "core/LastSavedFileStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "core/Singleton.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Records every edited-flag notification, tagged with the observer's name.
struct EditRecorder : application::DataEditStatusListener
{
    EditRecorder(std::vector<std::string>& logToUse, std::string nameToUse) : log(logToUse), name(std::move(nameToUse))
    {
    }

    void dataEditStatusChanged(const bool& edited) override
    {
        log.push_back(name + (edited ? ":true" : ":false"));
    }

    std::vector<std::string>& log;
    std::string name;
};

struct ModalRecorder : ui::ModalDialogStateObserver
{
    void modalDialogStateChanged() override
    {
        seenOpen.push_back(ui::ModalDialogState::getInstance()->isOpen());
    }

    std::vector<bool> seenOpen;
};

struct FileNameRecorder : application::LastSavedFileStatusListener
{
    void lastSavedFileStatusChanged(const juce::String& name) override
    {
        names.add(name);
    }

    juce::StringArray names;
};

struct Probe : Singleton<Probe>
{
    int value = 0;
};
} // namespace

TEST(DataEditStatus, SeveralChangesBeforeDeliveryGiveOneCallWithTheLatestValue)
{
    application::DataEditStatus status;
    std::vector<std::string> log;
    EditRecorder recorder(log, "a");
    status.addListener(&recorder);

    status.setEdited(true);
    status.setEdited(true);
    status.setEdited(true);
    EXPECT_TRUE(log.empty()) << "observers are told later, never from inside the change";
    test::drainMessageLoop();
    EXPECT_EQ(log, (std::vector<std::string>{"a:true"}));

    // Undone before delivery: still one call, with the unchanged value.
    status.setEdited(false);
    status.setEdited(true);
    test::drainMessageLoop();
    EXPECT_EQ(log, (std::vector<std::string>{"a:true", "a:true"}));

    status.removeListener(&recorder);
}

TEST(DataEditStatus, SettingTheSameValueNotifiesNobody)
{
    application::DataEditStatus status;
    std::vector<std::string> log;
    EditRecorder recorder(log, "a");
    status.addListener(&recorder);

    status.setEdited(false);
    EXPECT_FALSE(status.isNotificationPending());
    test::drainMessageLoop();
    EXPECT_TRUE(log.empty());
    status.removeListener(&recorder);
}

TEST(DataEditStatus, ObserversAreCalledInRegistrationOrderAndOncePerRegistration)
{
    application::DataEditStatus status;
    std::vector<std::string> log;
    EditRecorder first(log, "first"), second(log, "second");
    status.addListener(&first);
    status.addListener(&second);
    status.addListener(&first);

    status.setEdited(true);
    test::drainMessageLoop();
    EXPECT_EQ(log, (std::vector<std::string>{"first:true", "second:true", "first:true"}));

    log.clear();
    status.removeListener(&first); // removes the first registration only
    status.setEdited(false);
    test::drainMessageLoop();
    EXPECT_EQ(log, (std::vector<std::string>{"second:false", "first:false"}));

    status.removeListener(&second);
    status.removeListener(&first);
    status.removeListener(&first); // absent: nothing happens
    EXPECT_EQ(status.getNumListeners(), 0);
}

TEST(LastSavedFileStatus, DeliversTheNameCurrentAtDelivery)
{
    application::LastSavedFileStatus status;
    FileNameRecorder recorder;
    status.addListener(&recorder);
    EXPECT_EQ(status.getLastSavedFile(), "");

    status.setLastSavedFile("first.xml");
    status.setLastSavedFile("second.xml");
    test::drainMessageLoop();
    EXPECT_EQ(recorder.names, juce::StringArray("second.xml"));
    status.removeListener(&recorder);
}

TEST(ModalDialogState, OnlyThePathThatClaimedTheFlagClearsIt)
{
    auto* state = ui::ModalDialogState::getInstance();
    ASSERT_FALSE(state->isOpen());
    test::drainMessageLoop();
    ModalRecorder recorder;
    state->addListener(&recorder);

    bool ownerWasOpen = true;
    state->beginModalDialog(ownerWasOpen);
    EXPECT_FALSE(ownerWasOpen);
    EXPECT_TRUE(state->isOpen());
    test::drainMessageLoop();
    EXPECT_EQ(recorder.seenOpen, std::vector<bool>{true});

    bool nestedWasOpen = false;
    state->beginModalDialog(nestedWasOpen);
    EXPECT_TRUE(nestedWasOpen);
    state->endModalDialog(nestedWasOpen);
    EXPECT_TRUE(state->isOpen());
    EXPECT_FALSE(state->isNotificationPending()) << "a refused claim notifies nobody";

    state->endModalDialog(ownerWasOpen);
    EXPECT_FALSE(state->isOpen());
    test::drainMessageLoop();
    EXPECT_EQ(recorder.seenOpen, (std::vector<bool>{true, false}));

    state->removeListener(&recorder);
}

TEST(ModalDialogState, ScopedClaimIsReleasedWhenAnExceptionLeavesTheScope)
{
    auto* state = ui::ModalDialogState::getInstance();
    ASSERT_FALSE(state->isOpen());

    try
    {
        ui::ScopedModalDialog outer;
        EXPECT_TRUE(outer.isClaimed());
        {
            ui::ScopedModalDialog nested;
            EXPECT_FALSE(nested.isClaimed());
        }
        EXPECT_TRUE(state->isOpen()) << "the refused nested claim must not clear the outer one";
        throw std::runtime_error("dialog failed");
    }
    catch (const std::runtime_error&)
    {
    }
    EXPECT_FALSE(state->isOpen());
    test::drainMessageLoop();
}

TEST(Singleton, CreatesOnFirstUseAndForgetsADeletedInstance)
{
    EXPECT_EQ(Probe::getInstanceWithoutCreating(), nullptr);
    auto* first = Probe::getInstance();
    EXPECT_EQ(Probe::getInstance(), first);
    first->value = 7;

    delete first;
    EXPECT_EQ(Probe::getInstanceWithoutCreating(), nullptr);
    auto* second = Probe::getInstance();
    EXPECT_EQ(second->value, 0);
    delete second;
}

TEST(Singleton, DeletingAnObjectThatIsNotTheInstanceKeepsTheInstance)
{
    auto* instance = Probe::getInstance();
    {
        Probe standalone;
    }
    EXPECT_EQ(Probe::getInstanceWithoutCreating(), instance);
    delete instance;
}

namespace
{
struct PreferencesChangeCounter : application::PreferencesDataChangeBroadcasterObserver
{
    void preferencesDataChanged() override
    {
        ++calls;
    }
    int calls = 0;
};
} // namespace

TEST(PreferencesDataChangeBroadcaster, TriggersCoalesceAndChangeMessagesAreForwarded)
{
    application::PreferencesDataChangeBroadcaster broadcaster;
    juce::ChangeBroadcaster source;
    source.addChangeListener(&broadcaster);
    PreferencesChangeCounter counter;
    broadcaster.addListener(&counter);

    broadcaster.sendPreferencesDataChanged();
    broadcaster.sendPreferencesDataChanged();
    test::drainMessageLoop();
    EXPECT_EQ(counter.calls, 1);

    source.sendChangeMessage();
    EXPECT_TRUE(test::runMessageLoopUntil([&counter] { return counter.calls == 2; }));
    test::drainMessageLoop();
    EXPECT_EQ(counter.calls, 2);

    source.removeChangeListener(&broadcaster);
    broadcaster.removeListener(&counter);
}
