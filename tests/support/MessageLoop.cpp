#include "MessageLoop.h"

namespace test
{
bool runMessageLoopUntil(const std::function<bool()>& condition, int timeoutMs)
{
    auto* messageManager = juce::MessageManager::getInstance();
    jassert(messageManager->isThisTheMessageThread());

    const auto deadline = juce::Time::getMillisecondCounterHiRes() + timeoutMs;

    while (!condition())
    {
        if (juce::Time::getMillisecondCounterHiRes() >= deadline)
            return condition();

        // Short slices so that the condition is re-checked soon after each delivery.
        messageManager->runDispatchLoopUntil(2);
    }
    return true;
}

void drainMessageLoop()
{
    // A marker posted now is delivered after everything posted before it.
    std::atomic<bool> delivered{false};
    juce::MessageManager::callAsync([&delivered] { delivered = true; });
    runMessageLoopUntil([&delivered] { return delivered.load(); }, 10000);
}
} // namespace test
