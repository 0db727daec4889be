#include "core/CurrentLanguageModel.h"
#include "support/TemporaryFolder.h"
#include "support/gui/GuiTest.h"
#include "ui/DefaultLookAndFeel.h"
#include "ui/FontLibrary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

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

juce::Typeface::Ptr latinFace()
{
    return juce::Font("DejaVu Sans", 16.0f, juce::Font::plain).getTypefacePtr();
}

// The glyph's coverage when it is stretched to fill a square, so that glyphs of different faces
// compare by shape alone.
juce::Image shapeOf(const juce::Typeface::Ptr& face, juce::juce_wchar character)
{
    constexpr int size = 16;
    juce::Path outline;
    face->getOutlineForGlyph(static_cast<int>(character), outline);
    juce::Image shape(juce::Image::SingleChannel, size, size, true);
    juce::Graphics g(shape);
    g.setColour(juce::Colours::white);
    g.fillPath(outline, outline.getTransformToScaleToFit(0.0f, 0.0f, float(size), float(size), false));
    return shape;
}

// The coverage two shapes share over the coverage of either: 1 for the same shape.
float likeness(const juce::Image& a, const juce::Image& b)
{
    float shared = 0.0f, either = 0.0f;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt(x, y).getFloatAlpha(), q = b.getPixelAt(x, y).getFloatAlpha();
            shared += juce::jmin(p, q);
            either += juce::jmax(p, q);
        }
    return either > 0.0f ? shared / either : 1.0f;
}

// The printable ASCII characters the face draws without a glyph of their own, and those that
// Japanese and Korean character sets of old replaced (the backslash by the yen or won sign, the
// tilde by an overline) when the face draws them more like the replacement than like the
// character of a Latin face.
juce::String asciiNotDrawnAsItself(const juce::Typeface::Ptr& face)
{
    std::set<juce::juce_wchar> ascii;
    for (juce::juce_wchar character = 0x21; character < 0x7F; ++character)
        ascii.insert(character);
    auto wrong = missingGlyphs(face, ascii);
    if (face == nullptr)
        return wrong;
    const std::pair<juce::juce_wchar, std::vector<juce::juce_wchar>> replaced[] = {
        {'\\', {0xA5, 0x20A9}},
        {'~', {0x203E}},
    };
    for (const auto& [character, replacements] : replaced)
    {
        const auto drawn = shapeOf(face, character);
        const auto asItself = likeness(drawn, shapeOf(latinFace(), character));
        if (std::any_of(replacements.begin(), replacements.end(),
                        [&](juce::juce_wchar replacement)
                        { return likeness(drawn, shapeOf(latinFace(), replacement)) >= asItself; }))
            wrong += juce::String::charToString(character);
    }
    return wrong;
}

TEST(FontLibrary, InterfaceFontsDrawEveryAsciiCharacterAsItselfInBothLanguages)
{
    QTR_REQUIRE_DISPLAY();
    using Language = w40388_application::CurrentLanguageModel;
    // The check itself: a Latin face passes; the same face with the yen sign at the backslash and
    // an overline at the tilde fails.
    EXPECT_EQ(asciiNotDrawnAsItself(latinFace()).toStdString(), "");
    auto* oldJapaneseSet = new juce::CustomTypeface;
    const juce::Typeface::Ptr oldJapaneseFace(oldJapaneseSet);
    for (juce::juce_wchar character = 0x21; character < 0x7F; ++character)
    {
        juce::juce_wchar drawnAs = character;
        if (character == '\\')
            drawnAs = 0xA5;
        else if (character == '~')
            drawnAs = 0x203E;
        juce::Path outline;
        latinFace()->getOutlineForGlyph(static_cast<int>(drawnAs), outline);
        oldJapaneseSet->addGlyph(character, outline, 0.6f);
    }
    EXPECT_EQ(asciiNotDrawnAsItself(oldJapaneseFace).toStdString(), "\\~");

    auto* library = ui::FontLibrary::getInstance();
    for (const auto language : {Language::english, Language::japanese})
    {
        Language::getInstance()->setLanguage(language);
        library->registerApplicationFonts();
        w40388_ui::DefaultLookAndFeel lookAndFeel;
        const std::pair<const char*, juce::Typeface::Ptr> faces[] = {
            {"unit names", library->getFont("ListName").getTypefacePtr()},
            {"dialog texts", library->getFont("DialogText").getTypefacePtr()},
            {"framework default font", juce::Font(15.0f).withTypefaceStyle("Regular").getTypefacePtr()},
            {"look-and-feel default font", lookAndFeel.getTypefaceForFont(juce::Font(15.0f))},
        };
        for (const auto& [what, face] : faces)
            EXPECT_EQ(asciiNotDrawnAsItself(face).toStdString(), "")
                << what << (language == Language::japanese ? " (Japanese)" : "");
    }
    Language::getInstance()->setLanguage(Language::english);
}
} // namespace
