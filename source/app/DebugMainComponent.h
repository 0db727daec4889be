#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The empty white content of the debug window.
class DebugMainComponent : public juce::Component
{
public:
    DebugMainComponent();
    ~DebugMainComponent() override = default;

    void paint(juce::Graphics&) override;
    void resized() override {}

private:
    JUCE_DECLARE_NON_COPYABLE(DebugMainComponent)
};
