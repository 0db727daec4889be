#include "ui/AboutComponent.h"

#include "BinaryData.h"
#include "ui/ModalDialog.h"

AboutComponent::AboutComponent()
{
    versionLabel = std::make_unique<juce::Label>();
    addAndMakeVisible(versionLabel.get());
    versionLabel->setFont(juce::Font(15.0f).withTypefaceStyle("Regular"));
    versionLabel->setJustificationType(juce::Justification::centredRight);
    versionLabel->setColour(juce::Label::textColourId, juce::Colours::white);
    versionLabel->setBounds(344, 368, 246, 24);
    // A click on the version text is a click on the picture.
    versionLabel->setInterceptsMouseClicks(false, false);

    backgroundImage =
        juce::ImageCache::getFromMemory(BinaryData::AboutBackground_png, BinaryData::AboutBackground_pngSize);

    // Outside the running program (in tests) there may be no application object.
    auto* application = juce::JUCEApplication::getInstance();
    const auto version = application != nullptr ? application->getApplicationVersion() : juce::String();
    versionLabel->setText("version: " + version, juce::dontSendNotification);

    setSize(600, 400);
}

void AboutComponent::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xFF000000));
    g.drawImage(backgroundImage, juce::Rectangle<float>(0.0f, 0.0f, 600.0f, 400.0f));
}

void AboutComponent::mouseDown(const juce::MouseEvent&)
{
    ui::closeEnclosingDialog(*this, 0);
}
