#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// The about box's content: the about picture with the program's version in its lower right
// corner. A click on it closes the enclosing dialog window, as Escape does.
class AboutComponent : public juce::Component
{
public:
    AboutComponent();
    ~AboutComponent() override = default;

    void paint(juce::Graphics&) override;
    void resized() override {}
    void mouseDown(const juce::MouseEvent&) override;

    juce::String getVersionText() const { return versionLabel->getText(); }

private:
    std::unique_ptr<juce::Label> versionLabel;
    juce::Image backgroundImage;

    JUCE_DECLARE_NON_COPYABLE(AboutComponent)
};
