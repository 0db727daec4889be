#include "ui/ImportUserDataWarningComponent.h"

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

w40388_preferences::PreferencesData& preferences()
{
    return *w40388_preferences::PreferencesData::getInstance();
}
} // namespace

ImportUserDataWarningComponent::ImportUserDataWarningComponent()
    : messageLabel(std::make_unique<juce::Label>("new label")),
      okButton(std::make_unique<juce::TextButton>("OkButton")),
      cancelButton(std::make_unique<juce::TextButton>("CancelButton")),
      dontWarnToggle(std::make_unique<juce::ToggleButton>("DontWarning"))
{
    // The first three lines carry their own line breaks; the question stands apart.
    const ui::WarningDialogTexts texts{
        text("ImportUserDataWarningDialogLine1") + text("ImportUserDataWarningDialogLine2") +
            text("ImportUserDataWarningDialogLine3") + "\n\n" + text("ImportUserDataWarningDialogLine4"),
        text("ImportUserDataWarningDialogOk"), text("CommonCancel"),
        text("ImportUserDataWarningDialogDontConfirmNext")};
    ui::layOutWarningDialog(*this, *messageLabel, *okButton, *cancelButton, *dontWarnToggle, texts, lookAndFeel, *this);
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
