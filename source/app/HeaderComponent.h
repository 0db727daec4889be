#pragma once

#include "data/DataChangeBroadcaster.h"
#include "ui/ImageTextButton.h"
#include "ui/RightPanePageModel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The dark band at the top of the main window: the product logo and the buttons "SEND ALL"
// (command 11, write) and "RECEIVE ALL" (command 10, receive). The buttons are bound to their
// commands through the menu manager's command manager, so each is enabled exactly while its
// command is. Message thread only.
class HeaderComponent : public juce::Component,
                        public data::DataChangeObserver,
                        public w40388_ui::RightPanePageModelObserver,
                        public juce::Button::Listener
{
public:
    HeaderComponent();
    ~HeaderComponent() override;

    void paint(juce::Graphics&) override;
    void resized() override {}

    void dataChanged() override {}
    void rightPanePageChanged() override;
    void buttonClicked(juce::Button*) override {}

    ui::ImageTextButton& getSendAllButton() noexcept { return *sendAllButton; }
    ui::ImageTextButton& getReceiveAllButton() noexcept { return *receiveAllButton; }

private:
    std::unique_ptr<ui::ImageTextButton> makeButton(const juce::String& text, juce::Rectangle<int> bounds);

    juce::Image buttonNormalImage;
    juce::Image buttonPressedImage;
    std::unique_ptr<ui::ImageTextButton> sendAllButton;
    std::unique_ptr<ui::ImageTextButton> receiveAllButton;
    juce::Image logoImage;

    JUCE_DECLARE_NON_COPYABLE(HeaderComponent)
};
