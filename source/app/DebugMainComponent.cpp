#include "app/DebugMainComponent.h"

DebugMainComponent::DebugMainComponent()
{
    setSize(600, 400);
}

void DebugMainComponent::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xFFFFFFFF));
}
