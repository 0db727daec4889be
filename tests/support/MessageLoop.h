#pragma once

#include <juce_events/juce_events.h>

#include <functional>

namespace test
{
// Runs the JUCE message loop on the calling (message) thread until the condition
// holds or the bound passes; returns the condition's last value. Tests wait on
// conditions with this, never on fixed sleeps.
bool runMessageLoopUntil(const std::function<bool()>& condition, int timeoutMs = 5000);

// Runs the message loop until every message already posted has been delivered.
void drainMessageLoop();
} // namespace test
