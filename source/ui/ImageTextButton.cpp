#include "ui/ImageTextButton.h"

#include "ui/FontLibrary.h"

namespace ui
{
ImageTextButton::ImageTextButton(const juce::String& componentName)
    : juce::ImageButton(componentName), textFont(FontLibrary::getInstance()->getFont("ImageTextButton")),
      textColour(0xFFFFFFFF)
{
}

void ImageTextButton::paintButton(juce::Graphics& g, bool isMouseOverButton, bool isButtonDown)
{
    juce::ImageButton::paintButton(g, isMouseOverButton, isButtonDown);
    g.setFont(textFont);
    g.setColour(textColour);
    g.drawText(getButtonText(), getLocalBounds(), juce::Justification::centred, true);
}
} // namespace ui
