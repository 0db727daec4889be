#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

// Every suite runs on the thread that owns the JUCE message manager, so tests may
// post and deliver messages with the message-loop helper.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    const int result = RUN_ALL_TESTS();
    juce::DeletedAtShutdown::deleteAll();
    return result;
}
