#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace w40388_ui
{
// The dark look of every window, dialog and the menu bar: a ladder of greys, fonts from
// ui::FontLibrary, and a flat menu bar whose item widths follow the interface language.
// There is no shared instance: each owner of a window, menu bar or dialog content keeps
// its own for as long as its components use it. Message thread only.
class DefaultLookAndFeel : public juce::LookAndFeel_V3
{
public:
    DefaultLookAndFeel();
    ~DefaultLookAndFeel() override = default;

    juce::Typeface::Ptr getTypefaceForFont(const juce::Font&) override;
    juce::Font getTextButtonFont(juce::TextButton&, int buttonHeight) override;
    juce::Font getAlertWindowTitleFont() override;
    juce::Font getAlertWindowMessageFont() override;
    juce::Font getAlertWindowFont() override;

    void drawTreeviewPlusMinusBox(juce::Graphics&, const juce::Rectangle<float>& area, juce::Colour backgroundColour,
                                  bool isOpen, bool isMouseOver) override;
    bool areLinesDrawnForTreeView(juce::TreeView&) override;

    void drawPopupMenuBackground(juce::Graphics&, int width, int height) override;
    juce::Font getPopupMenuFont() override;

    void drawMenuBarBackground(juce::Graphics&, int width, int height, bool isMouseOverBar,
                               juce::MenuBarComponent&) override;
    int getMenuBarItemWidth(juce::MenuBarComponent&, int itemIndex, const juce::String& itemText) override;
    juce::Font getMenuBarFont(juce::MenuBarComponent&, int itemIndex, const juce::String& itemText) override;
    int getDefaultMenuBarHeight() override;
    void drawMenuBarItem(juce::Graphics&, int width, int height, int itemIndex, const juce::String& itemText,
                         bool isMouseOverItem, bool isMenuOpen, bool isMouseOverBar, juce::MenuBarComponent&) override;

    juce::Font getLabelFont(juce::Label&) override;

    int getTabButtonBestWidth(juce::TabBarButton&, int tabDepth) override;
    juce::Font getTabButtonFont(juce::TabBarButton&, float height) override;

    // The width of a menu-bar item (File, Edit, MIDI, Option) in the given language.
    static int menuBarItemWidth(int itemIndex, bool japanese);

private:
    JUCE_DECLARE_NON_COPYABLE(DefaultLookAndFeel)
};
} // namespace w40388_ui
