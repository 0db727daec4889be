#include "support/TemporaryFolder.h"
#include "support/gui/GuiTest.h"
#include "ui/DefaultLookAndFeel.h"
#include "ui/FontLibrary.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
juce::String capturedOutputOf(const std::function<void()>& action)
{
    testing::internal::CaptureStdout();
    action();
    return juce::String(testing::internal::GetCapturedStdout());
}

TEST(FontLibrary, UnknownNamesPrintAndGiveTheDefaultFontAndTheFirstRegistrationWins)
{
    ui::FontLibrary library;
    const juce::Font* font = nullptr;
    EXPECT_EQ(capturedOutputOf([&] { font = &library.getFont("Label"); }), "Font not found: Label\n");
    EXPECT_EQ(font->getTypefacePtr(), library.getTypeface());

    library.registerApplicationFonts();
    library.setFontHeight("Label", 30);
    library.addFont("Label", juce::Font("Other", 12.0f, juce::Font::bold));
    // Names are case-sensitive; only the named font changes.
    EXPECT_EQ(capturedOutputOf([&] { font = &library.getFont("label"); }), "Font not found: label\n");
    EXPECT_EQ(font, &library.defaultFont);
    EXPECT_EQ(capturedOutputOf([&] { library.setFontHeight("LABEL", 12); }), "Font not found: LABEL\n");
    EXPECT_FALSE(library.hasFont("LABEL"));
    EXPECT_FLOAT_EQ(library.getFont("Label").getHeight(), 30.0f);
    EXPECT_NE(library.getFont("AlertWindowMessage").getHeight(), 30.0f);
}

// A collection file is read into memory and handed to the framework, whose loader crashes on
// data that holds no usable face: only a face of the expected family gets through.
TEST(FontLibrary, CollectionStandInIsCheckedBeforeItIsLoaded)
{
    QTR_REQUIRE_DISPLAY();
    const juce::File latinFace("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    ASSERT_TRUE(latinFace.existsAsFile());
    juce::MemoryBlock latinData;
    ASSERT_TRUE(latinFace.loadFileAsData(latinData));
    // What, the file's data, the family asked for, whether it loads.
    const std::tuple<const char*, juce::MemoryBlock, juce::String, bool> cases[] = {
        {"empty", {}, "DejaVu Sans", false},
        {"not a font", juce::MemoryBlock("ttcf\0\1\0\0\0\0\0\1garbage", 20), "DejaVu Sans", false},
        {"truncated", juce::MemoryBlock(latinData.getData(), 200), "DejaVu Sans", false},
        {"another family", latinData, "Noto Sans CJK JP", false},
        {"the family", latinData, "DejaVu Sans", true},
    };
    test::TemporaryFolder folder("qtr-font-library");
    int index = 0;
    for (const auto& [what, data, family, loads] : cases)
    {
        const auto file = folder.getChildFile("face" + juce::String(++index) + ".ttc");
        ASSERT_TRUE(file.replaceWithData(data.getData(), data.getSize()));
        ui::FontLibrary library;
        library.standInFaces = {{family, file}};
        library.typefaceName = "No Such Face";
        const auto face = library.getTypeface();
        EXPECT_EQ(face != nullptr, loads) << what;
        EXPECT_TRUE(face == nullptr || face->getName() == family) << what;
        EXPECT_EQ(library.makeFont(16.0f).getTypefaceName(), loads ? family : "No Such Face") << what;
    }
}

// Every character of the table's texts that is not a space.
std::set<juce::juce_wchar> charactersOf(const juce::XmlElement& table)
{
    std::set<juce::juce_wchar> characters;
    for (const auto* entry : table.getChildIterator())
        for (auto c = entry->getStringAttribute("Text").getCharPointer(); !c.isEmpty();)
            if (const auto character = c.getAndAdvance(); !juce::CharacterFunctions::isWhitespace(character))
                characters.insert(character);
    return characters;
}

// The characters the face draws as its missing-glyph shape (or not at all). The framework
// draws a missing glyph with the face's .notdef outline, the one a code point no face has
// gets.
juce::String missingGlyphs(const juce::Typeface::Ptr& face, const std::set<juce::juce_wchar>& characters)
{
    if (face == nullptr)
        return "(no typeface)";
    juce::Path notdef;
    face->getOutlineForGlyph(0x10FFFD, notdef);
    juce::String missing;
    for (const auto character : characters)
    {
        juce::Path outline;
        face->getOutlineForGlyph(static_cast<int>(character), outline);
        if (outline.isEmpty() || outline.toString() == notdef.toString())
            missing += juce::String::charToString(character);
    }
    return missing;
}

TEST(FontLibrary, InterfaceFontsAndDefaultFontsDrawEveryJapaneseText)
{
    QTR_REQUIRE_DISPLAY();
    const auto table = juce::parseXML(juce::File::getSpecialLocation(juce::File::currentExecutableFile)
                                          .getSiblingFile("Resources")
                                          .getChildFile("ja.lproj/LocalizableStrings.xml"));
    ASSERT_NE(table, nullptr);
    const auto characters = charactersOf(*table);
    ASSERT_GT(characters.size(), 100u);
    // The check itself: a Latin-only face lacks them.
    EXPECT_NE(missingGlyphs(juce::Font("DejaVu Sans", 16.0f, juce::Font::plain).getTypefacePtr(), characters), "");

    auto* library = ui::FontLibrary::getInstance();
    library->registerApplicationFonts();
    w40388_ui::DefaultLookAndFeel lookAndFeel;
    const std::pair<const char*, juce::Typeface::Ptr> faces[] = {
        {"named font", library->getFont("Label").getTypefacePtr()},
        {"framework default font", juce::Font(15.0f).withTypefaceStyle("Regular").getTypefacePtr()},
        {"look-and-feel default font", lookAndFeel.getTypefaceForFont(juce::Font(15.0f))},
        {"bold named font", lookAndFeel.getTypefaceForFont(library->getFont("Label").boldened())},
        {"logical name", lookAndFeel.getTypefaceForFont(juce::Font(library->typefaceName, 16.0f, juce::Font::bold))},
    };
    for (const auto& [what, face] : faces)
        EXPECT_EQ(missingGlyphs(face, characters), "") << what;
}
} // namespace
