#include "ui/PreferencesEditComponent.h"

#include "core/CTRXResource.h"
#include "core/PreferencesData.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "midi/CTRXMidi.h"
#include "platform/MidiPlatform.h"
#include "ui/ApplicationServices.h"
#include "ui/DialogButtonStyle.h"
#include "ui/ModalDialog.h"

namespace
{
using w40388_preferences::PreferencesData;

juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}

std::unique_ptr<juce::GroupComponent> makeGroup(const char* name, const char* textKey)
{
    auto group = std::make_unique<juce::GroupComponent>(name, text(textKey));
    group->setColour(juce::GroupComponent::outlineColourId, juce::Colour(0xFF666666));
    group->setColour(juce::GroupComponent::textColourId, juce::Colour(0xFF999999));
    return group;
}

std::unique_ptr<juce::ComboBox> makePortList(const char* name)
{
    auto comboBox = std::make_unique<juce::ComboBox>(name);
    comboBox->setEditableText(false);
    comboBox->setJustificationType(juce::Justification::centredLeft);
    comboBox->setTextWhenNothingSelected({});
    comboBox->setTextWhenNoChoicesAvailable(juce::translate("(no choices)"));
    return comboBox;
}

std::unique_ptr<juce::ToggleButton> makeToggle(const char* name, const char* textKey)
{
    auto toggle = std::make_unique<juce::ToggleButton>(name);
    toggle->setButtonText(text(textKey));
    return toggle;
}

std::unique_ptr<juce::Label> makeLabel(const char* name, const juce::String& labelText)
{
    auto label = std::make_unique<juce::Label>(name, labelText);
    label->setFont(juce::Font(15.0f).withTypefaceStyle("Regular"));
    label->setJustificationType(juce::Justification::centredLeft);
    label->setEditable(false, false, false);
    return label;
}

std::unique_ptr<juce::TextButton> makeButton(const char* name, const char* textKey)
{
    auto button = std::make_unique<juce::TextButton>(name);
    button->setButtonText(text(textKey));
    ui::styleDialogButton(*button, 0x49666666);
    return button;
}
} // namespace

PreferencesEditComponent::PreferencesEditComponent()
{
    otherGroup = makeGroup("otherGroup", "PreferencesDialogGroupOther");
    midiPortGroup = makeGroup("midiPortGroup", "PreferencesDialogGroupMidiPort");
    midiInPortComboBox = makePortList("midiInPort");
    midiOutPortComboBox = makePortList("midiOutPort");
    manualPortsToggle = makeToggle("manualPorts", "PreferencesDialogMidiPortManualSetting");
    autoReceiveToggle = makeToggle("autoReceive", "PreferencesDialogAutoReceive");
    warnBeforeWritingToggle = makeToggle("warnBeforeWriting", "PreferencesDialogWarningBeforeWriting");
    midiInPortLabel = makeLabel("midiInPortLabel", text("PreferencesDialogMidiInPort"));
    midiOutPortLabel = makeLabel("midiOutPortLabel", text("PreferencesDialogMidiOutPort"));
    cancelButton = makeButton("cancel", "CommonCancel");
    okButton = makeButton("ok", "CommonOK");
    listSizeLabel = makeLabel("listSizeLabel", text("PreferencesDialogFontSize"));
    listSizeSlider = std::make_unique<juce::Slider>("listSize");
    listSizeValueLabel = makeLabel("listSizeValue", {});

    listSizeSlider->setSliderStyle(juce::Slider::LinearHorizontal);
    listSizeSlider->setTextBoxStyle(juce::Slider::NoTextBox, false, 0, 0);
    listSizeSlider->setRange(0.0, static_cast<double>(w40388_application::listRowHeights.size() - 1), 1.0);
    listSizeSlider->setColour(juce::Slider::thumbColourId, juce::Colour(0xFF666666));
    listSizeSlider->setColour(juce::Slider::trackColourId, juce::Colour(0xFF111111));

    const std::pair<juce::Component*, juce::Rectangle<int>> layout[] = {
        {otherGroup.get(), {8, 144, 520, 120}},
        {midiPortGroup.get(), {8, 8, 520, 136}},
        {midiInPortComboBox.get(), {120, 64, 376, 24}},
        {midiOutPortComboBox.get(), {120, 96, 376, 24}},
        {manualPortsToggle.get(), {32, 32, 456, 24}},
        {autoReceiveToggle.get(), {32, 168, 464, 24}},
        {warnBeforeWritingToggle.get(), {32, 192, 472, 24}},
        {midiInPortLabel.get(), {32, 64, 80, 24}},
        {midiOutPortLabel.get(), {32, 96, 80, 24}},
        {cancelButton.get(), {328, 278, 94, 24}},
        {okButton.get(), {432, 278, 94, 24}},
        {listSizeLabel.get(), {48, 224, 160, 24}},
        {listSizeSlider.get(), {216, 224, 184, 24}},
        {listSizeValueLabel.get(), {416, 224, 32, 24}},
    };
    for (const auto& [child, bounds] : layout)
    {
        addAndMakeVisible(child);
        child->setBounds(bounds);
        child->setLookAndFeel(&lookAndFeel);
    }

    midiInPortComboBox->addListener(this);
    midiOutPortComboBox->addListener(this);
    for (auto* button :
         std::initializer_list<juce::Button*>{manualPortsToggle.get(), autoReceiveToggle.get(),
                                              warnBeforeWritingToggle.get(), cancelButton.get(), okButton.get()})
        button->addListener(this);
    listSizeSlider->addListener(this);

    readPreferences();

    setSize(540, 315);
}

PreferencesEditComponent::~PreferencesEditComponent()
{
    for (auto* child : getChildren())
        child->setLookAndFeel(nullptr);
}

void PreferencesEditComponent::readPreferences()
{
    auto* preferences = PreferencesData::getInstance();
    listHeightAtStart = preferences->GetString(w40388_preferences::listHeightKey, {});

    manualPortsToggle->setToggleState(!preferences->GetBool(w40388_preferences::midiPortAutoScanKey, true),
                                      juce::dontSendNotification);
    autoReceiveToggle->setToggleState(preferences->GetBool(w40388_preferences::autoReceiveKey, true),
                                      juce::dontSendNotification);
    warnBeforeWritingToggle->setToggleState(preferences->GetBool(w40388_preferences::warnBeforeWritingKey, true),
                                            juce::dontSendNotification);

    // The height the lists use, whatever the file holds.
    const auto step = w40388_application::listRowHeightStep(w40388_application::readListHeight());
    listSizeSlider->setValue(step, juce::sendNotificationAsync);
    listSizeValueLabel->setText(juce::String(step + 1), juce::dontSendNotification);

    updatePortListsEnabled();

    // The counts come from the MIDI system, the names from the port layer; no client is needed
    // for naming, so a port layer of our own does it without touching the open connection.
    const auto backend = platform::getMidiBackend();
    CTRXMidi ports(backend);
    fillPortList(
        *midiInPortComboBox, midiInPortNames, backend->getNumberOfSources(),
        [&ports](int index) { return ports.GetInPortName(index); },
        preferences->GetString(w40388_preferences::midiInPortKey, {}));
    fillPortList(
        *midiOutPortComboBox, midiOutPortNames, backend->getNumberOfDestinations(),
        [&ports](int index) { return ports.GetOutPortName(index); },
        preferences->GetString(w40388_preferences::midiOutPortKey, {}));
}

void PreferencesEditComponent::fillPortList(juce::ComboBox& comboBox, juce::StringArray& names, int count,
                                            const std::function<juce::String(int)>& nameOf, const juce::String& stored)
{
    names.clear();
    int selected = -1;
    for (int index = 0; index < count; ++index)
    {
        const auto name = nameOf(index);
        names.add(name);
        comboBox.addItem(name, index + 1);
        if (selected < 0 && name == stored)
            selected = index;
    }
    comboBox.setSelectedItemIndex(selected, juce::sendNotificationAsync);
}

void PreferencesEditComponent::updatePortListsEnabled()
{
    const auto manual = manualPortsToggle->getToggleState();
    midiInPortComboBox->setEnabled(manual);
    midiOutPortComboBox->setEnabled(manual);
}

void PreferencesEditComponent::paint(juce::Graphics& g)
{
    g.fillAll(juce::Colour(0xFF333333));
}

void PreferencesEditComponent::resized() {}

// A chosen port takes effect only on OK.
void PreferencesEditComponent::comboBoxChanged(juce::ComboBox*) {}

void PreferencesEditComponent::buttonClicked(juce::Button* button)
{
    if (button == manualPortsToggle.get())
    {
        updatePortListsEnabled();
    }
    else if (button == okButton.get())
    {
        storePreferences();
        closeDialog(confirmed);
    }
    else if (button == cancelButton.get())
    {
        restoreListHeight();
        closeDialog(cancelled);
    }
}

void PreferencesEditComponent::sliderValueChanged(juce::Slider* slider)
{
    if (slider == listSizeSlider.get())
        listSizeValueLabel->setText(juce::String(static_cast<int>(slider->getValue()) + 1), juce::dontSendNotification);
}

void PreferencesEditComponent::storePreferences()
{
    auto* preferences = PreferencesData::getInstance();
    preferences->SetBool(w40388_preferences::warnBeforeWritingKey, warnBeforeWritingToggle->getToggleState());
    preferences->SetBool(w40388_preferences::autoReceiveKey, autoReceiveToggle->getToggleState());
    preferences->SetBool(w40388_preferences::midiPortAutoScanKey, !manualPortsToggle->getToggleState());
    // Out of range (nothing selected) gives the empty text. Stored in automatic mode too.
    preferences->SetString(w40388_preferences::midiInPortKey,
                           midiInPortNames[midiInPortComboBox->getSelectedItemIndex()]);
    preferences->SetString(w40388_preferences::midiOutPortKey,
                           midiOutPortNames[midiOutPortComboBox->getSelectedItemIndex()]);
    const auto& heights = w40388_application::listRowHeights;
    const auto step =
        juce::jlimit(0, static_cast<int>(heights.size()) - 1, static_cast<int>(listSizeSlider->getValue()));
    preferences->SetInt(w40388_preferences::listHeightKey, heights[static_cast<size_t>(step)]);
    w40388_application::applyListFontHeights();
}

void PreferencesEditComponent::restoreListHeight()
{
    PreferencesData::getInstance()->SetString(w40388_preferences::listHeightKey, listHeightAtStart);
    // The panes re-read the row height.
    application::PreferencesDataChangeBroadcaster::getInstance()->sendPreferencesDataChanged();
}

void PreferencesEditComponent::closeDialog(int result)
{
    ui::closeEnclosingDialog(*this, result);
}
