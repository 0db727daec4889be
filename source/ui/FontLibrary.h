#pragma once

#include "core/Singleton.h"

#include <juce_graphics/juce_graphics.h>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace ui
{
// The named fonts of the interface: one typeface, sized from six steps. Components ask for
// their font by name ("ListName", "TextButton" ...), so that one place decides the look of
// every text. Filled during start-up before any window exists. Message thread only.
class FontLibrary : public Singleton<FontLibrary>, public juce::DeletedAtShutdown
{
public:
    static constexpr int numSizeSteps = 6;

    FontLibrary();
    ~FontLibrary() override = default;

    // The font registered under name (names are case-sensitive). An unknown name prints
    // "Font not found: <name>" and gives the default font.
    const juce::Font& getFont(const juce::String& name) const;

    // Registers a copy of font under name; a name already registered keeps its first font.
    void addFont(const juce::String& name, const juce::Font& font);

    // Sets the height of the named font (the framework keeps heights within 0.1..10000).
    // An unknown name prints "Font not found: <name>" and changes nothing.
    void setFontHeight(const juce::String& name, int height);

    bool hasFont(const juce::String& name) const { return fonts.count(name) != 0; }

    // The start-up's font set: the default font becomes the typeface at height 16 and the
    // sixteen names of the interface are registered, each at its size step. The face also
    // becomes the default sans-serif typeface of the framework's default look-and-feel, so
    // that widgets drawn with the framework's default font show Japanese too.
    void registerApplicationFonts();

    // A plain font of the interface's typeface at the given height.
    juce::Font makeFont(float height);

    // A face that covers Latin and Japanese alike, and the file it comes in. A collection
    // file (.ttc) holds it as its first face.
    struct StandInFace
    {
        juce::String family;
        juce::File file;
    };

    // The stand-in faces in order of preference, where the distributions install them: first those
    // that draw every ASCII character as itself (IPAexGothic, whose Latin letters are proportional,
    // leads; single-face files before the CJK collection, which is read into memory whole, 19 MB),
    // then the IPA faces, which draw the backslash as a yen sign as Japanese text faces of old did.
    static std::vector<StandInFace> defaultStandInFaces();

    // Unless JUCE_FONT_PATH names them already, makes the framework list only the folder of the
    // first installed single-face stand-in instead of opening every installed font file at its
    // first font look-up. Changes nothing where none is installed. The typeface itself is then
    // found only where JUCE_FONT_PATH names its folder. Call before the framework starts.
    static void limitFrameworkFontScan();

    // The face that draws typefaceName: the typeface itself where the framework lists it, else
    // the first stand-in face found (standInFaces), else null (fonts then ask the framework for
    // typefaceName by name and get its default face).
    juce::Typeface::Ptr getTypeface();

    // The typeface every named font asks for.
    juce::String typefaceName{"Arial Unicode MS"};
    juce::Font defaultFont;
    std::array<float, numSizeSteps> sizeSteps{{12.0f, 14.0f, 16.0f, 18.0f, 20.0f, 22.0f}};
    std::vector<StandInFace> standInFaces = defaultStandInFaces();

private:
    // juce::String's operator< compares code points, so the map's order and lookups are
    // case-sensitive.
    std::map<juce::String, juce::Font> fonts;

    // The face found for resolvedName, looked up again when typefaceName changes.
    std::optional<juce::String> resolvedName;
    juce::Typeface::Ptr typeface;

    JUCE_DECLARE_NON_COPYABLE(FontLibrary)
};
} // namespace ui
