#include "app/HeaderComponent.h"

#include "BinaryData.h"
#include "app/ApplicationMenuCommands.h"
#include "app/ApplicationMenuManager.h"
#include "ui/FontLibrary.h"

namespace
{
juce::Image imageFromMemory(const char* data, int size)
{
    return juce::ImageCache::getFromMemory(data, size);
}

const juce::Colour headerBackground(0xFF111111);
const juce::Colour buttonTextColour(0xFFD3D3D3);
const juce::Rectangle<float> logoArea(40.0f, 12.0f, 196.0f, 52.0f);
} // namespace

HeaderComponent::HeaderComponent()
{
    buttonNormalImage = imageFromMemory(BinaryData::HeaderButtonNormal_png, BinaryData::HeaderButtonNormal_pngSize);
    buttonPressedImage = imageFromMemory(BinaryData::HeaderButtonPressed_png, BinaryData::HeaderButtonPressed_pngSize);

    sendAllButton = makeButton(TRANS("SEND ALL"), {622, 11, 80, 24});
    receiveAllButton = makeButton(TRANS("RECEIVE ALL"), {622, 36, 80, 24});
    logoImage = imageFromMemory(BinaryData::Logo_png, BinaryData::Logo_pngSize);

    const auto& buttonFont = ui::FontLibrary::getInstance()->getFont("HeaderModeButton");
    for (auto* button : {sendAllButton.get(), receiveAllButton.get()})
    {
        button->textFont = buttonFont;
        button->textColour = buttonTextColour;
    }

    auto& commandManager = w40388_menu::ApplicationMenuManager::getInstance()->getCommandManager();
    sendAllButton->setCommandToTrigger(&commandManager, w40388_menu::writeUserDataCommand, false);
    receiveAllButton->setCommandToTrigger(&commandManager, w40388_menu::receiveUserDataCommand, false);

    data::DataChangeBroadcaster::getInstance()->addListener(this);
    w40388_ui::RightPanePageModel::getInstance()->addListener(this);
    rightPanePageChanged();
}

HeaderComponent::~HeaderComponent()
{
    // Without creating them again: at shutdown the page model goes before the window's holder.
    if (auto* pages = w40388_ui::RightPanePageModel::getInstanceWithoutCreating())
        pages->removeListener(this);
    if (auto* broadcaster = data::DataChangeBroadcaster::getInstanceWithoutCreating())
        broadcaster->removeListener(this);
}

std::unique_ptr<ui::ImageTextButton> HeaderComponent::makeButton(const juce::String& text, juce::Rectangle<int> bounds)
{
    auto button = std::make_unique<ui::ImageTextButton>("new button");
    button->setButtonText(text);
    addAndMakeVisible(*button);
    button->addListener(this);
    // No over image: the framework shows the normal one, darkened by the over overlay.
    button->setImages(false, true, true, buttonNormalImage, 1.0f, juce::Colour(0x00000000), juce::Image(), 1.0f,
                      juce::Colour(0x25333333), buttonPressedImage, 1.0f, juce::Colour(0x00FFFFFF), 0.0f);
    button->setBounds(bounds);
    return button;
}

void HeaderComponent::paint(juce::Graphics& g)
{
    g.fillAll(headerBackground);
    g.drawImage(logoImage, logoArea, juce::RectanglePlacement::stretchToFit);
}

void HeaderComponent::rightPanePageChanged()
{
    w40388_ui::RightPanePageModel::getInstance();
}
