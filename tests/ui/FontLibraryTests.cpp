#include "ui/FontLibrary.h"

#include <gtest/gtest.h>

namespace
{
juce::String capturedOutputOf(const std::function<void()>& action)
{
    testing::internal::CaptureStdout();
    action();
    return juce::String(testing::internal::GetCapturedStdout());
}

TEST(FontLibrary, UnknownNamesPrintAndGiveTheDefaultFont)
{
    ui::FontLibrary library;
    const juce::Font* font = nullptr;

    EXPECT_EQ(capturedOutputOf([&] { font = &library.getFont("Label"); }), "Font not found: Label\n");
    EXPECT_EQ(font->getTypefaceName(), "Arial Unicode MS");
    EXPECT_FLOAT_EQ(font->getHeight(), 18.0f);

    library.registerApplicationFonts();
    library.setFontHeight("Label", 30);
    // Names are case-sensitive.
    EXPECT_EQ(capturedOutputOf([&] { font = &library.getFont("label"); }), "Font not found: label\n");
    EXPECT_FLOAT_EQ(font->getHeight(), 16.0f);
    EXPECT_EQ(capturedOutputOf([&] { library.setFontHeight("LABEL", 12); }), "Font not found: LABEL\n");
    EXPECT_FALSE(library.hasFont("LABEL"));
    EXPECT_FLOAT_EQ(library.getFont("Label").getHeight(), 30.0f);
    EXPECT_FLOAT_EQ(library.defaultFont.getHeight(), 16.0f);
}

TEST(FontLibrary, RegistersTheInterfaceFontsAtTheirSizeSteps)
{
    ui::FontLibrary library;
    library.registerApplicationFonts();

    const std::pair<const char*, float> expected[] = {
        {"ListNumber", 16},
        {"ListName", 18},
        {"ListCategory", 16},
        {"MidiCommunicationDialogStatus", 18},
        {"MidiCommunicationDialogDetail", 16},
        {"HeaderModeButton", 12},
        {"TabBarButton", 12},
        {"PopupMenu", 16},
        {"TextButton", 16},
        {"ImageTextButton", 16},
        {"Label", 16},
        {"AlertWindow", 16},
        {"AlertWindowTitle", 18},
        {"AlertWindowMessage", 16},
        {"TabButton", 18},
        {"DialogText", 20},
    };
    const auto output = capturedOutputOf(
        [&]
        {
            for (const auto& [name, height] : expected)
            {
                const auto& font = library.getFont(name);
                EXPECT_FLOAT_EQ(font.getHeight(), height) << name;
                EXPECT_EQ(font.getTypefaceName(), "Arial Unicode MS") << name;
                EXPECT_EQ(font.getStyleFlags(), juce::Font::plain) << name;
            }
        });
    EXPECT_EQ(output, "");
}

TEST(FontLibrary, FirstRegistrationOfANameWins)
{
    ui::FontLibrary library;
    library.addFont("Label", juce::Font("Arial Unicode MS", 16.0f, juce::Font::plain));
    library.addFont("Label", juce::Font("Other", 30.0f, juce::Font::bold));

    EXPECT_FLOAT_EQ(library.getFont("Label").getHeight(), 16.0f);
    EXPECT_EQ(library.getFont("Label").getTypefaceName(), "Arial Unicode MS");
}

TEST(FontLibrary, SettingAHeightChangesOnlyThatFont)
{
    ui::FontLibrary library;
    library.registerApplicationFonts();

    library.setFontHeight("ListName", 21);

    EXPECT_FLOAT_EQ(library.getFont("ListName").getHeight(), 21.0f);
    EXPECT_FLOAT_EQ(library.getFont("ListNumber").getHeight(), 16.0f);
    EXPECT_FLOAT_EQ(library.getFont("ListCategory").getHeight(), 16.0f);
    EXPECT_FLOAT_EQ(library.getFont("DialogText").getHeight(), 20.0f);
}
} // namespace
