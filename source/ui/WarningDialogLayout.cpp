#include "ui/WarningDialogLayout.h"

#include "ui/DialogButtonStyle.h"
#include "ui/FontLibrary.h"

namespace ui
{
void layOutWarningDialog(juce::Component& content, juce::Label& message, juce::TextButton& ok, juce::TextButton& cancel,
                         juce::ToggleButton& dontAskAgain, const WarningDialogTexts& texts,
                         juce::LookAndFeel& lookAndFeel, juce::Button::Listener& listener)
{
    message.setText(texts.message, juce::dontSendNotification);
    message.setFont(FontLibrary::getInstance()->getFont("DialogText"));
    message.setJustificationType(juce::Justification::topLeft);
    message.setEditable(false, false, false);
    message.setColour(juce::Label::textColourId, juce::Colour(0xFFFFFFFF));
    message.setBounds(16, 16, 504, 112);

    ok.setButtonText(texts.ok);
    styleDialogButton(ok, 0x49666666);
    ok.setBounds(318, 139, 127, 24);

    cancel.setButtonText(texts.cancel);
    styleDialogButton(cancel, 0x69999999);
    cancel.setBounds(453, 139, 72, 24);

    dontAskAgain.setButtonText(texts.dontAskAgain);
    dontAskAgain.setToggleState(false, juce::dontSendNotification);
    dontAskAgain.setColour(juce::ToggleButton::textColourId, juce::Colour(0xFF808080));
    dontAskAgain.setBounds(17, 139, 256, 24);

    for (juce::Component* child :
         {static_cast<juce::Component*>(&message), static_cast<juce::Component*>(&ok),
          static_cast<juce::Component*>(&cancel), static_cast<juce::Component*>(&dontAskAgain)})
    {
        content.addAndMakeVisible(child);
        child->setLookAndFeel(&lookAndFeel);
    }
    ok.addListener(&listener);
    cancel.addListener(&listener);
    dontAskAgain.addListener(&listener);

    content.setSize(540, 180);
}
} // namespace ui
