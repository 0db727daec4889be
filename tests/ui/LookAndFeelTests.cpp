#include "core/CurrentLanguageModel.h"
#include "ui/DefaultLookAndFeel.h"
#include "ui/FontLibrary.h"
#include "ui/ProgramListLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
using Language = w40388_application::CurrentLanguageModel;

class LookAndFeelTest : public testing::Test
{
protected:
    void SetUp() override { ui::FontLibrary::getInstance()->registerApplicationFonts(); }
    void TearDown() override { Language::getInstance()->setLanguage(Language::english); }
};

TEST_F(LookAndFeelTest, MenuBarItemWidthsFollowTheLanguageAndOnlyAnOpenMenuIsHighlighted)
{
    w40388_ui::DefaultLookAndFeel lookAndFeel;
    juce::MenuBarComponent menuBar;

    // Language, menu title, then item index and width.
    using Widths = std::vector<std::pair<int, int>>;
    const std::tuple<int, const char*, Widths> cases[] = {
        {Language::english, "", {{0, 40}, {1, 40}, {2, 80}, {3, 50}, {7, 40}, {-1, 40}}},
        {Language::japanese, "", {{0, 60}, {1, 40}, {2, 80}, {3, 50}, {4, 40}, {-1, 40}}},
    };
    for (const auto& [language, title, widths] : cases)
    {
        Language::getInstance()->setLanguage(language);
        for (const auto& [item, width] : widths)
            EXPECT_EQ(lookAndFeel.getMenuBarItemWidth(menuBar, item, title), width) << language << " item " << item;
    }

    // A title too long for its fixed width widens the item instead of being cut off.
    const auto options =
        juce::String(juce::CharPointer_UTF8("\xe3\x82\xaa\xe3\x83\x97\xe3\x82\xb7\xe3\x83\xa7\xe3\x83\xb3"));
    const int needed = lookAndFeel.getMenuBarFont(menuBar, 3, options).getStringWidth(options);
    EXPECT_GT(needed, 50);
    EXPECT_GT(lookAndFeel.getMenuBarItemWidth(menuBar, 3, options), needed);

    // An item is highlighted only while its menu is open, not merely under the mouse.
    const auto drawItem = [&](bool mouseOver, bool menuOpen)
    {
        juce::Image image(juce::Image::ARGB, 40, 20, true);
        juce::Graphics g(image);
        lookAndFeel.drawMenuBarItem(g, 40, 20, 0, "", mouseOver, menuOpen, mouseOver, menuBar);
        return image.getPixelAt(2, 2);
    };

    EXPECT_EQ(drawItem(true, false).getARGB(), 0xFF222222u);
    EXPECT_EQ(drawItem(true, true).getARGB(), 0xFF333333u);
}

TEST_F(LookAndFeelTest, ScrollbarIndentsDependOnItsThickness)
{
    using List = w40388_ui::ProgramListLookAndFeel;
    // 15 is not thicker than 15: no slot indent, the thumb one pixel in.
    const auto narrow = List::scrollbarShape(0, 0, 15, 200, true, 40, 60);
    EXPECT_EQ(narrow.slot, juce::Rectangle<float>(0, 0, 15, 200));
    EXPECT_EQ(narrow.thumb, juce::Rectangle<float>(1, 41, 13, 58));
    EXPECT_FLOAT_EQ(narrow.thumbCorner, 6.5f);
    // A thicker bar indents both by one more; a horizontal one is the vertical one turned.
    const auto wide = List::scrollbarShape(0, 0, 300, 16, false, 40, 60);
    EXPECT_EQ(wide.slot, juce::Rectangle<float>(1, 1, 298, 14));
    EXPECT_EQ(wide.thumb, juce::Rectangle<float>(42, 2, 56, 12));
    EXPECT_FLOAT_EQ(wide.slotCorner, 7.0f);
}

TEST_F(LookAndFeelTest, ScrollbarWithoutThumbDrawsOnlyTheSlot)
{
    w40388_ui::ProgramListLookAndFeel lookAndFeel;
    juce::ScrollBar bar(true);

    const auto draw = [&](int thumbStart, int thumbSize)
    {
        juce::Image image(juce::Image::ARGB, 12, 200, true);
        juce::Graphics g(image);
        lookAndFeel.drawScrollbar(g, bar, 0, 0, 12, 200, true, thumbStart, thumbSize, false, false);
        return image;
    };

    const auto slotColour = juce::Colour(0xFF111111).overlaidWith(juce::Colour(0x22FFFFFF));
    EXPECT_EQ(draw(0, 0).getPixelAt(3, 100), slotColour);
    // Where a thumb would cover it.
    EXPECT_EQ(draw(50, 100).getPixelAt(3, 100).getARGB(), 0xFF111111u);
    EXPECT_EQ(draw(50, 100).getPixelAt(3, 20), slotColour);
}
} // namespace
