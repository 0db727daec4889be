#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// An image button that draws its text over the image, centred, in its own font and
// colour (both public, so the owner can restyle it). Used for the header's buttons.
class ImageTextButton : public juce::ImageButton
{
public:
    explicit ImageTextButton(const juce::String& componentName);
    ~ImageTextButton() override = default;

    juce::Font textFont;
    juce::Colour textColour;

protected:
    void paintButton(juce::Graphics&, bool isMouseOverButton, bool isButtonDown) override;

private:
    JUCE_DECLARE_NON_COPYABLE(ImageTextButton)
};
} // namespace ui
