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
    // Only the named font changes.
    EXPECT_FLOAT_EQ(library.getFont("Label").getHeight(), 30.0f);
    EXPECT_FLOAT_EQ(library.getFont("AlertWindowMessage").getHeight(), 16.0f);
    EXPECT_FLOAT_EQ(library.defaultFont.getHeight(), 16.0f);
}

TEST(FontLibrary, RegistersTheInterfaceFontsAtTheirSizeSteps)
{
    ui::FontLibrary library;
    library.registerApplicationFonts();

    // The sixteen names, by height.
    const std::pair<float, const char*> expected[] = {
        {12.0f, "HeaderModeButton TabBarButton"},
        {16.0f, "ListNumber ListCategory MidiCommunicationDialogDetail PopupMenu TextButton ImageTextButton Label "
                "AlertWindow AlertWindowMessage"},
        {18.0f, "ListName MidiCommunicationDialogStatus AlertWindowTitle TabButton"},
        {20.0f, "DialogText"},
    };
    const auto output = capturedOutputOf(
        [&]
        {
            for (const auto& [height, names] : expected)
                for (const auto& name : juce::StringArray::fromTokens(names, false))
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
} // namespace
