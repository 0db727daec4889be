#include <gtest/gtest.h>
#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

// Every suite runs on the thread that owns the JUCE message manager, so tests may
// post and deliver messages with the message-loop helper.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    juce::MessageManager::getInstance()->setCurrentThreadAsMessageThread();
    const int result = RUN_ALL_TESTS();
    // A window a test left animating (a drag image flying back) would otherwise be deleted
    // with the desktop after the X display is closed.
    if (juce::ComponentPeer::getNumPeers() > 0)
        juce::Desktop::getInstance().getAnimator().cancelAllAnimations(false);
    juce::DeletedAtShutdown::deleteAll();
    return result;
}
