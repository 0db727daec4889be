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

TEST_F(LookAndFeelTest, MenuBarTitleTooLongForItsItemWidensItAndOnlyAnOpenMenuIsHighlighted)
{
    w40388_ui::DefaultLookAndFeel lookAndFeel;
    juce::MenuBarComponent menuBar;
    // The fixed widths follow the language.
    const int englishWidth = lookAndFeel.getMenuBarItemWidth(menuBar, 0, "");
    Language::getInstance()->setLanguage(Language::japanese);
    EXPECT_NE(lookAndFeel.getMenuBarItemWidth(menuBar, 0, ""), englishWidth);
    const juce::String options(juce::CharPointer_UTF8("オプション"));
    const int needed = lookAndFeel.getMenuBarFont(menuBar, 3, options).getStringWidth(options);
    EXPECT_GT(needed, lookAndFeel.getMenuBarItemWidth(menuBar, 3, ""));
    EXPECT_GT(lookAndFeel.getMenuBarItemWidth(menuBar, 3, options), needed);

    const auto drawItem = [&](bool mouseOver, bool menuOpen)
    {
        juce::Image image(juce::Image::ARGB, 40, 20, true);
        juce::Graphics g(image);
        lookAndFeel.drawMenuBarItem(g, 40, 20, 0, "", mouseOver, menuOpen, mouseOver, menuBar);
        return image.getPixelAt(2, 2);
    };
    EXPECT_EQ(drawItem(true, false), drawItem(false, false));
    EXPECT_NE(drawItem(true, true), drawItem(false, false));
}

// Thicker than 15 pixels, the slot is indented by one more pixel; a horizontal bar is the vertical one turned.
TEST_F(LookAndFeelTest, ScrollbarIndentsDependOnItsThickness)
{
    using List = w40388_ui::ProgramListLookAndFeel;
    EXPECT_EQ(List::scrollbarShape(0, 0, 15, 200, true, 40, 60).slot, juce::Rectangle<float>(0, 0, 15, 200));
    const auto vertical = List::scrollbarShape(0, 0, 16, 300, true, 40, 60);
    const auto horizontal = List::scrollbarShape(0, 0, 300, 16, false, 40, 60);
    EXPECT_EQ(vertical.slot, juce::Rectangle<float>(1, 1, 14, 298));
    EXPECT_EQ(vertical.thumb, juce::Rectangle<float>(2, 42, 12, 56));
    const juce::AffineTransform turned(0, 1, 0, 1, 0, 0); // x and y swapped
    EXPECT_EQ(horizontal.slot, vertical.slot.transformedBy(turned));
    EXPECT_EQ(horizontal.thumb, vertical.thumb.transformedBy(turned));
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
