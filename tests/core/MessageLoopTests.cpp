#include "support/MessageLoop.h"

#include <gtest/gtest.h>

TEST(MessageLoopHelper, GivesUpAtTheBoundWhenTheConditionNeverHolds)
{
    const auto start = juce::Time::getMillisecondCounterHiRes();
    EXPECT_FALSE(test::runMessageLoopUntil([] { return false; }, 50));
    EXPECT_GE(juce::Time::getMillisecondCounterHiRes() - start, 50.0);
}
