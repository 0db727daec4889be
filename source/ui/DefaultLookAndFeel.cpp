#include "ui/DefaultLookAndFeel.h"

#include "core/CurrentLanguageModel.h"
#include "ui/FontLibrary.h"

namespace w40388_ui
{
namespace
{
const juce::Colour barGrey{0xFF222222};
const juce::Colour panelGrey{0xFF333333};
const juce::Colour lightText{0xFFD3D3D3};

juce::Font namedFont(const char* name)
{
    return ui::FontLibrary::getInstance()->getFont(name);
}
} // namespace

DefaultLookAndFeel::DefaultLookAndFeel()
{
    const std::pair<int, juce::uint32> colours[] = {
        {juce::PopupMenu::backgroundColourId, 0xFF333333},
        {juce::PopupMenu::textColourId, 0xFFD3D3D3},
        {juce::PopupMenu::headerTextColourId, 0xFFD3D3D3},
        {juce::PopupMenu::highlightedBackgroundColourId, 0xFF666666},
        {juce::PopupMenu::highlightedTextColourId, 0xFFFFFFFF},
        {juce::ToggleButton::textColourId, 0xFFD3D3D3},
        {juce::ToggleButton::tickColourId, 0xFF000000},
        {juce::ToggleButton::tickDisabledColourId, 0xFFD3D3D3},
        {juce::TextButton::buttonColourId, 0x49666666},
        {juce::TextButton::buttonOnColourId, 0x69999999},
        {juce::TextButton::textColourOffId, 0xFFFFFFFF},
        {juce::TextButton::textColourOnId, 0xFFFFFFFF},
        {juce::ProgressBar::backgroundColourId, 0xFF333333},
        {juce::ProgressBar::foregroundColourId, 0xFF666666},
        {juce::Slider::backgroundColourId, 0xFF333333},
        {juce::Slider::thumbColourId, 0xFF666666},
        {juce::Slider::trackColourId, 0xFF666666},
        {juce::Slider::textBoxTextColourId, 0xFFD3D3D3},
        {juce::Label::textColourId, 0xFFFFFFFF},
        {juce::ComboBox::backgroundColourId, 0xFF111111},
        {juce::ComboBox::textColourId, 0xFFD3D3D3},
        {juce::ComboBox::outlineColourId, 0xFF111111},
        {juce::ComboBox::buttonColourId, 0xFF111111},
        {juce::ComboBox::arrowColourId, 0xFF333333},
        {juce::TreeView::backgroundColourId, 0xFF111111},
        {juce::TreeView::linesColourId, 0xFFD3D3D3},
        {juce::TreeView::dragAndDropIndicatorColourId, 0xFF333333},
        {juce::TreeView::selectedItemBackgroundColourId, 0xFF333333},
        {juce::TreeView::oddItemsColourId, 0xFF111111},
        {juce::TreeView::evenItemsColourId, 0xFF111111},
        {juce::TextEditor::backgroundColourId, 0xFF333333},
        {juce::TextEditor::textColourId, 0xFFD3D3D3},
        {juce::TextEditor::highlightColourId, 0xFF111111},
        {juce::TextEditor::highlightedTextColourId, 0xFFFFFFFF},
        {juce::TextEditor::outlineColourId, 0xFF333333},
        {juce::TextEditor::focusedOutlineColourId, 0xFF333333},
        {juce::TextEditor::shadowColourId, 0xFF333333},
    };
    for (const auto& [id, argb] : colours)
        setColour(id, juce::Colour(argb));

    // Widgets that draw with the framework's default font get the interface's face too.
    if (auto face = ui::FontLibrary::getInstance()->getTypeface())
        setDefaultSansSerifTypeface(face);
}

juce::Typeface::Ptr DefaultLookAndFeel::getTypefaceForFont(const juce::Font& font)
{
    // A font of the interface's typeface asked for by name (the logical name or the face
    // standing in for it, which the framework may not list) or by a changed style.
    auto* library = ui::FontLibrary::getInstance();
    if (auto face = library->getTypeface())
        if (font.getTypefaceName() == library->typefaceName || font.getTypefaceName() == face->getName())
            return face;
    return juce::LookAndFeel_V3::getTypefaceForFont(font);
}

juce::Font DefaultLookAndFeel::getTextButtonFont(juce::TextButton&, int)
{
    return namedFont("TextButton");
}

juce::Font DefaultLookAndFeel::getAlertWindowTitleFont()
{
    return namedFont("AlertWindowTitle");
}

juce::Font DefaultLookAndFeel::getAlertWindowMessageFont()
{
    return namedFont("AlertWindowMessage");
}

juce::Font DefaultLookAndFeel::getAlertWindowFont()
{
    return namedFont("AlertWindow");
}

void DefaultLookAndFeel::drawTreeviewPlusMinusBox(juce::Graphics& g, const juce::Rectangle<float>& area,
                                                  juce::Colour backgroundColour, bool isOpen, bool isMouseOver)
{
    // The square plus/minus box rather than the V3 arrow.
    juce::LookAndFeel_V2::drawTreeviewPlusMinusBox(g, area, backgroundColour, isOpen, isMouseOver);
}

bool DefaultLookAndFeel::areLinesDrawnForTreeView(juce::TreeView&)
{
    return true;
}

void DefaultLookAndFeel::drawPopupMenuBackground(juce::Graphics& g, int, int)
{
    g.fillAll(panelGrey);
}

juce::Font DefaultLookAndFeel::getPopupMenuFont()
{
    return namedFont("PopupMenu");
}

void DefaultLookAndFeel::drawMenuBarBackground(juce::Graphics& g, int, int, bool, juce::MenuBarComponent&)
{
    g.fillAll(barGrey);
}

int DefaultLookAndFeel::menuBarItemWidth(int itemIndex, bool japanese)
{
    if (japanese)
    {
        constexpr int widths[] = {60, 40, 80, 50};
        return itemIndex >= 0 && itemIndex < 4 ? widths[itemIndex] : 40;
    }
    switch (itemIndex)
    {
    case 2:
        return 80;
    case 3:
        return 50;
    default:
        return 40;
    }
}

int DefaultLookAndFeel::getMenuBarItemWidth(juce::MenuBarComponent& menuBar, int itemIndex,
                                            const juce::String& itemText)
{
    // The fixed widths suit the usual titles; a longer title widens its item rather than being cut.
    constexpr int titleMargin = 8;
    const int titleWidth = getMenuBarFont(menuBar, itemIndex, itemText).getStringWidth(itemText) + titleMargin;
    return juce::jmax(
        menuBarItemWidth(itemIndex, w40388_application::CurrentLanguageModel::getInstance()->isJapanese()), titleWidth);
}

juce::Font DefaultLookAndFeel::getMenuBarFont(juce::MenuBarComponent&, int, const juce::String&)
{
    return namedFont("PopupMenu");
}

int DefaultLookAndFeel::getDefaultMenuBarHeight()
{
    return 20;
}

void DefaultLookAndFeel::drawMenuBarItem(juce::Graphics& g, int width, int height, int, const juce::String& itemText,
                                         bool, bool isMenuOpen, bool, juce::MenuBarComponent&)
{
    // Only an open menu highlights its item; hovering alone does not.
    g.fillAll(isMenuOpen ? panelGrey : barGrey);
    g.setColour(lightText);
    g.setFont(namedFont("PopupMenu"));
    g.drawText(itemText, 0, 0, width, height, juce::Justification::centred, false);
}

juce::Font DefaultLookAndFeel::getLabelFont(juce::Label&)
{
    return namedFont("Label");
}

int DefaultLookAndFeel::getTabButtonBestWidth(juce::TabBarButton&, int)
{
    return 180;
}

juce::Font DefaultLookAndFeel::getTabButtonFont(juce::TabBarButton&, float)
{
    return namedFont("TabButton");
}
} // namespace w40388_ui
