#include "ui/WindowBufferKeeper.h"

namespace ui
{
namespace
{
// Well inside the three seconds after which the framework lets an unused buffer go.
constexpr juce::uint32 keepEveryMs = 1000;
} // namespace

WindowBufferKeeper::WindowBufferKeeper(juce::Component& window) : frameTimer(&window, [this] { keepBuffers(); }) {}

void WindowBufferKeeper::keepBuffers()
{
    const auto now = juce::Time::getMillisecondCounter();
    if (now - lastKeptMs < keepEveryMs)
        return;
    lastKeptMs = now;

    // With nothing waiting to be painted this paints nothing; it only marks the buffer as used.
    for (int i = juce::ComponentPeer::getNumPeers(); --i >= 0;)
        if (auto* peer = juce::ComponentPeer::getPeer(i))
            peer->performAnyPendingRepaintsNow();
}
} // namespace ui
