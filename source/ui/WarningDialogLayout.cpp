#include "ui/WarningDialogLayout.h"

#include "ui/DialogButtonStyle.h"
#include "ui/FontLibrary.h"

#include <cmath>

namespace ui
{
namespace
{
constexpr int messageHeight = 112, buttonsY = 139, contentWidth = 540, contentHeight = 180;

// How much taller than its area the label's text is, drawn as the look-and-feel draws it: lines
// broken at the text's own line breaks and wherever they reach the width, the rest cut off.
int overflowOf(juce::Label& label, juce::LookAndFeel& lookAndFeel)
{
    const auto area = lookAndFeel.getLabelBorderSize(label).subtractedFrom(label.getLocalBounds());
    juce::GlyphArrangement lines;
    lines.addJustifiedText(lookAndFeel.getLabelFont(label), label.getText(), 0.0f, 0.0f,
                           static_cast<float>(area.getWidth()), juce::Justification::left);
    if (lines.getNumGlyphs() == 0)
        return 0;
    const auto height = static_cast<int>(std::ceil(lines.getBoundingBox(0, -1, false).getHeight()));
    return juce::jmax(0, height - area.getHeight());
}
} // namespace

void layOutWarningDialog(juce::Component& content, juce::Label& message, juce::TextButton& ok, juce::TextButton& cancel,
                         juce::ToggleButton& dontAskAgain, const WarningDialogTexts& texts,
                         juce::LookAndFeel& lookAndFeel, juce::Button::Listener& listener)
{
    message.setText(texts.message, juce::dontSendNotification);
    message.setFont(FontLibrary::getInstance()->getFont("DialogText"));
    message.setJustificationType(juce::Justification::topLeft);
    message.setEditable(false, false, false);
    message.setColour(juce::Label::textColourId, juce::Colour(0xFFFFFFFF));
    message.setBounds(16, 16, 504, messageHeight);

    ok.setButtonText(texts.ok);
    styleDialogButton(ok, 0x49666666);
    ok.setBounds(318, buttonsY, 127, 24);

    cancel.setButtonText(texts.cancel);
    styleDialogButton(cancel, 0x69999999);
    cancel.setBounds(453, buttonsY, 72, 24);

    dontAskAgain.setButtonText(texts.dontAskAgain);
    dontAskAgain.setToggleState(false, juce::dontSendNotification);
    dontAskAgain.setColour(juce::ToggleButton::textColourId, juce::Colour(0xFF808080));
    dontAskAgain.setBounds(17, buttonsY, 256, 24);

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

    // A message longer than its area makes the dialog taller by what it needs, the controls below
    // moving down with it.
    const int overflow = overflowOf(message, lookAndFeel);
    message.setSize(message.getWidth(), messageHeight + overflow);
    for (juce::Component* control : {static_cast<juce::Component*>(&ok), static_cast<juce::Component*>(&cancel),
                                     static_cast<juce::Component*>(&dontAskAgain)})
        control->setTopLeftPosition(control->getX(), buttonsY + overflow);
    content.setSize(contentWidth, contentHeight + overflow);
}
} // namespace ui
