#include "core/DataEditStatus.h"
#include "core/Singleton.h"
#include "support/MessageLoop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
// Records every edited-flag notification as "<observer>:<value>".
struct EditRecorder : application::DataEditStatusListener
{
    EditRecorder(std::vector<std::string>& target, std::string observer) : log(target), name(std::move(observer)) {}

    void dataEditStatusChanged(const bool& edited) override { log.push_back(name + (edited ? ":true" : ":false")); }

    std::vector<std::string>& log;
    std::string name;
};

struct Probe : Singleton<Probe>
{
    int value = 0;
};
} // namespace

TEST(DataEditStatus, CoalescedCallsReachObserversInRegistrationOrderOncePerRegistration)
{
    application::DataEditStatus status;
    std::vector<std::string> log;
    EditRecorder first(log, "first"), second(log, "second");
    for (auto* observer : {&first, &second, &first})
        status.addListener(observer);

    for (const bool edited : {true, false, true})
        status.setEdited(edited);
    EXPECT_TRUE(log.empty()) << "observers are told later, never from inside the change";
    test::drainMessageLoop();
    EXPECT_EQ(log, (std::vector<std::string>{"first:true", "second:true", "first:true"}));

    status.removeListener(&first); // the first registration only
    status.setEdited(false);
    status.setEdited(true); // undone before delivery: still one call
    test::drainMessageLoop();
    EXPECT_EQ(log, (std::vector<std::string>{"first:true", "second:true", "first:true", "second:true", "first:true"}));

    for (auto* observer : {&second, &first, &first}) // the last one absent: nothing happens
        status.removeListener(observer);
    EXPECT_EQ(status.getNumListeners(), 0);
}

TEST(Singleton, ForgetsADeletedInstanceButNotOnAnotherObjectsDeletion)
{
    auto* first = Probe::getInstance();
    EXPECT_EQ(Probe::getInstance(), first);
    first->value = 7;
    Probe{}; // another object, destroyed at once
    EXPECT_EQ(Probe::getInstanceWithoutCreating(), first);

    delete first;
    EXPECT_EQ(Probe::getInstanceWithoutCreating(), nullptr);
    EXPECT_EQ(Probe::getInstance()->value, 0) << "a new instance";
    delete Probe::getInstance();
}
