#include "ui/WriteUserDataWarningComponent.h"

#include "core/CTRXResource.h"
#include "core/PreferencesData.h"
#include "ui/ModalDialog.h"
#include "ui/WarningDialogLayout.h"

namespace
{
juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}
} // namespace

WriteUserDataWarningComponent::WriteUserDataWarningComponent()
    : textLabel(std::make_unique<juce::Label>()), okButton(std::make_unique<juce::TextButton>("OkButton")),
      cancelButton(std::make_unique<juce::TextButton>("CancelButton")),
      dontWarnToggle(std::make_unique<juce::ToggleButton>("DontWarning"))
{
    // The lines carry their own line breaks.
    const ui::WarningDialogTexts texts{
        text("WriteUserDataWarningDialogLine1") + text("WriteUserDataWarningDialogLine2") +
            text("WriteUserDataWarningDialogLine3") + text("WriteUserDataWarningDialogLine4"),
        text("WriteUserDataWarningDialogOk"), text("CommonCancel"), text("WriteUserDataWarningDialogDontConfirmNext")};
    ui::layOutWarningDialog(*this, *textLabel, *okButton, *cancelButton, *dontWarnToggle, texts, lookAndFeel, *this);
    textLabel->setColour(juce::TextEditor::textColourId, juce::Colour(0xFF000000));
    textLabel->setColour(juce::TextEditor::backgroundColourId, juce::Colour(0x00000000));
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
