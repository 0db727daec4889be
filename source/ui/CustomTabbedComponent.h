#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace ui
{
// The main window's tab container; it records every change of the current tab, by a click
// or by code, in ui::SelectedTabStatus. Message thread only.
class CustomTabbedComponent : public juce::TabbedComponent
{
public:
    explicit CustomTabbedComponent(juce::TabbedButtonBar::Orientation orientation);
    ~CustomTabbedComponent() override = default;

    void currentTabChanged(int newCurrentTabIndex, const juce::String& newCurrentTabName) override;

private:
    JUCE_DECLARE_NON_COPYABLE(CustomTabbedComponent)
};
} // namespace ui
