#include "ui/ImportUserDataWarningComponent.h"

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

w40388_preferences::PreferencesData& preferences()
{
    return *w40388_preferences::PreferencesData::getInstance();
}
} // namespace

ImportUserDataWarningComponent::ImportUserDataWarningComponent()
{
    messageLabel = std::make_unique<juce::Label>("new label");
    addAndMakeVisible(messageLabel.get());
    // The first three lines carry their own line breaks; the question stands apart.
    messageLabel->setText(text("ImportUserDataWarningDialogLine1") + text("ImportUserDataWarningDialogLine2") +
                              text("ImportUserDataWarningDialogLine3") + "\n\n" +
                              text("ImportUserDataWarningDialogLine4"),
                          juce::dontSendNotification);
    messageLabel->setFont(ui::FontLibrary::getInstance()->getFont("DialogText"));
    messageLabel->setJustificationType(juce::Justification::topLeft);
    messageLabel->setEditable(false, false, false);
    messageLabel->setColour(juce::Label::textColourId, juce::Colour(0xFFFFFFFF));
    messageLabel->setBounds(16, 16, 504, 112);

    okButton = std::make_unique<juce::TextButton>("OkButton");
    addAndMakeVisible(okButton.get());
    okButton->setButtonText(text("ImportUserDataWarningDialogOk"));
    ui::styleDialogButton(*okButton, 0x49666666);
    okButton->setBounds(318, 139, 127, 24);

    cancelButton = std::make_unique<juce::TextButton>("CancelButton");
    addAndMakeVisible(cancelButton.get());
    cancelButton->setButtonText(text("CommonCancel"));
    ui::styleDialogButton(*cancelButton, 0x69999999);
    cancelButton->setBounds(453, 139, 72, 24);

    dontWarnToggle = std::make_unique<juce::ToggleButton>("DontWarning");
    addAndMakeVisible(dontWarnToggle.get());
    dontWarnToggle->setButtonText(text("ImportUserDataWarningDialogDontConfirmNext"));
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

ImportUserDataWarningComponent::~ImportUserDataWarningComponent()
{
    // The children go before the look-and-feel they use: label, OK, Cancel, then the tick.
    messageLabel.reset();
    okButton.reset();
    cancelButton.reset();
    dontWarnToggle.reset();
}

void ImportUserDataWarningComponent::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xFF333333));
}

void ImportUserDataWarningComponent::buttonClicked(juce::Button* button)
{
    if (button == okButton.get())
    {
        preferences().SetBool(w40388_preferences::warnBeforeImportingForOtherTargetKey,
                              !dontWarnToggle->getToggleState());
        closeDialog(1);
    }
    else if (button == cancelButton.get())
    {
        closeDialog(0);
    }
}

void ImportUserDataWarningComponent::closeDialog(int result)
{
    ui::closeEnclosingDialog(*this, result);
}

bool ImportUserDataWarningComponent::confirm()
{
    if (!preferences().GetBool(w40388_preferences::warnBeforeImportingForOtherTargetKey, true))
        return true;

    ImportUserDataWarningComponent warning;
    const auto result = ui::runModalDialog(warning, text("ImportUserDataWarningDialogTitle"));
    // No result: another dialog holds the screen, so the import does not go on.
    return result.value_or(0) != 0;
}
