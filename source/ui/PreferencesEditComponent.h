#pragma once

#include "ui/DefaultLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

// The content of the modal preferences dialog: the MIDI port mode and the two named ports,
// the automatic receive at start-up, the warning before writing and the list row height as
// a five-step slider. It reads the preferences when built and writes them only on OK; it
// then closes its dialog window itself with confirmed (OK) or cancelled (Cancel). Saving
// the preferences file and re-applying the port mode are left to whoever showed it:
//
//     auto content = std::make_unique<PreferencesEditComponent>();
//     const int result = juce::DialogWindow::showModalDialog(title, content.get(), nullptr,
//                                                            juce::Colours::white, true, false, false);
//     if (result == PreferencesEditComponent::confirmed) { /* save, apply the port mode */ }
//
// The port lists are taken from the MIDI backend once, when built. Message thread only.
class PreferencesEditComponent : public juce::Component,
                                 public juce::ComboBox::Listener,
                                 public juce::Button::Listener,
                                 public juce::Slider::Listener
{
public:
    // Dialog results; Escape and the window's close button give cancelled too.
    enum Result
    {
        cancelled = 0,
        confirmed = 1
    };

    PreferencesEditComponent();
    ~PreferencesEditComponent() override;

    void paint(juce::Graphics&) override;
    void resized() override;

    void comboBoxChanged(juce::ComboBox*) override;
    void buttonClicked(juce::Button*) override;
    void sliderValueChanged(juce::Slider*) override;

private:
    void readPreferences();
    void fillPortList(juce::ComboBox& comboBox, juce::StringArray& names, int count,
                      const std::function<juce::String(int)>& nameOf, const juce::String& stored);
    void updatePortListsEnabled();
    void storePreferences();
    void restoreListHeight();
    void closeDialog(int result);

    w40388_ui::DefaultLookAndFeel lookAndFeel;
    juce::StringArray midiInPortNames;  // index i: source i
    juce::StringArray midiOutPortNames; // index i: destination i
    juce::String listHeightAtStart;     // as stored, restored on Cancel

    std::unique_ptr<juce::GroupComponent> otherGroup;
    std::unique_ptr<juce::GroupComponent> midiPortGroup;
    std::unique_ptr<juce::ComboBox> midiInPortComboBox;
    std::unique_ptr<juce::ComboBox> midiOutPortComboBox;
    std::unique_ptr<juce::ToggleButton> manualPortsToggle;
    std::unique_ptr<juce::ToggleButton> autoReceiveToggle;
    std::unique_ptr<juce::ToggleButton> warnBeforeWritingToggle;
    std::unique_ptr<juce::Label> midiInPortLabel;
    std::unique_ptr<juce::Label> midiOutPortLabel;
    std::unique_ptr<juce::TextButton> cancelButton;
    std::unique_ptr<juce::TextButton> okButton;
    std::unique_ptr<juce::Label> listSizeLabel;
    std::unique_ptr<juce::Slider> listSizeSlider;
    std::unique_ptr<juce::Label> listSizeValueLabel;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(PreferencesEditComponent)
};
