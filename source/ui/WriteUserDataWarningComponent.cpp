#include "ui/WriteUserDataWarningComponent.h"

#include "core/CTRXResource.h"
#include "core/PreferencesData.h"
#include "ui/DialogButtonStyle.h"
#include "ui/FontLibrary.h"
#include "ui/ModalDialog.h"

namespace
{
juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}
} // namespace

WriteUserDataWarningComponent::WriteUserDataWarningComponent()
{
    textLabel = std::make_unique<juce::Label>();
    addAndMakeVisible(textLabel.get());
    // The lines carry their own line breaks.
    textLabel->setText(text("WriteUserDataWarningDialogLine1") + text("WriteUserDataWarningDialogLine2") +
                           text("WriteUserDataWarningDialogLine3") + text("WriteUserDataWarningDialogLine4"),
                       juce::dontSendNotification);
    textLabel->setFont(ui::FontLibrary::getInstance()->getFont("DialogText"));
    textLabel->setJustificationType(juce::Justification::topLeft);
    textLabel->setEditable(false, false, false);
    textLabel->setColour(juce::Label::textColourId, juce::Colour(0xFFFFFFFF));
    textLabel->setColour(juce::TextEditor::textColourId, juce::Colour(0xFF000000));
    textLabel->setColour(juce::TextEditor::backgroundColourId, juce::Colour(0x00000000));
    textLabel->setBounds(16, 16, 504, 112);

    okButton = std::make_unique<juce::TextButton>("OkButton");
    addAndMakeVisible(okButton.get());
    okButton->setButtonText(text("WriteUserDataWarningDialogOk"));
    ui::styleDialogButton(*okButton, 0x49666666);
    okButton->setBounds(318, 139, 127, 24);

    cancelButton = std::make_unique<juce::TextButton>("CancelButton");
    addAndMakeVisible(cancelButton.get());
    cancelButton->setButtonText(text("CommonCancel"));
    ui::styleDialogButton(*cancelButton, 0x69999999);
    cancelButton->setBounds(453, 139, 72, 24);

    dontWarnToggle = std::make_unique<juce::ToggleButton>("DontWarning");
    addAndMakeVisible(dontWarnToggle.get());
    dontWarnToggle->setButtonText(text("WriteUserDataWarningDialogDontConfirmNext"));
    dontWarnToggle->setToggleState(false, juce::dontSendNotification);
    dontWarnToggle->setColour(juce::ToggleButton::textColourId, juce::Colour(0xFF808080));
    dontWarnToggle->setBounds(17, 139, 256, 24);

    for (auto* child : getChildren())
        child->setLookAndFeel(&lookAndFeel);
    okButton->addListener(this);
    cancelButton->addListener(this);
    dontWarnToggle->addListener(this);

    setSize(540, 180);
}

WriteUserDataWarningComponent::~WriteUserDataWarningComponent()
{
    for (auto* child : getChildren())
        child->setLookAndFeel(nullptr);
}

void WriteUserDataWarningComponent::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xFF333333));
}

void WriteUserDataWarningComponent::buttonClicked(juce::Button* button)
{
    if (button == okButton.get())
    {
        w40388_preferences::PreferencesData::getInstance()->SetBool(w40388_preferences::warnBeforeWritingKey,
                                                                    !dontWarnToggle->getToggleState());
        closeDialog(1);
    }
    else if (button == cancelButton.get())
    {
        closeDialog(0);
    }
}

void WriteUserDataWarningComponent::closeDialog(int result)
{
    ui::closeEnclosingDialog(*this, result);
}
