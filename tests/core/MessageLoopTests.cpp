#include "support/MessageLoop.h"

#include <gtest/gtest.h>

TEST(MessageLoopHelper, DeliversPostedMessagesBeforeConditionHolds)
{
    int delivered = 0;
    juce::MessageManager::callAsync([&delivered] { ++delivered; });
    EXPECT_TRUE(test::runMessageLoopUntil([&delivered] { return delivered == 1; }, 2000));
}

TEST(MessageLoopHelper, GivesUpAtTheBoundWhenTheConditionNeverHolds)
{
    const auto start = juce::Time::getMillisecondCounterHiRes();
    EXPECT_FALSE(test::runMessageLoopUntil([] { return false; }, 50));
    EXPECT_GE(juce::Time::getMillisecondCounterHiRes() - start, 50.0);
}
