#include "ui/FontLibrary.h"

#include "platform/Utf8Text.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>

namespace ui
{
namespace
{
void reportMissingFont(const juce::String& name)
{
    std::printf("Font not found: %s\n", name.toRawUTF8());
    std::fflush(stdout);
}

struct NamedFontStep
{
    const char* name;
    int sizeStep;
};

// Registration order and size step of each named font of the interface.
constexpr NamedFontStep applicationFonts[] = {
    {"ListNumber", 2},
    {"ListName", 3},
    {"ListCategory", 2},
    {"MidiCommunicationDialogStatus", 3},
    {"MidiCommunicationDialogDetail", 2},
    {"HeaderModeButton", 0},
    {"TabBarButton", 0},
    {"PopupMenu", 2},
    {"TextButton", 2},
    {"ImageTextButton", 2},
    {"Label", 2},
    {"AlertWindow", 2},
    {"AlertWindowTitle", 3},
    {"AlertWindowMessage", 2},
    {"TabButton", 3},
    {"DialogText", 4},
};

bool isCollection(const juce::File& file)
{
    return file.hasFileExtension("ttc");
}

// Whether data holds a scalable face of the family with a character map as its first face: the
// framework's loader takes those for granted (an empty or damaged file would crash it).
bool holdsFace(const juce::MemoryBlock& data, const juce::String& family)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    bool holds = false;
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(library, static_cast<const FT_Byte*>(data.getData()), static_cast<FT_Long>(data.getSize()),
                           0, &face) == 0)
    {
        holds = (face->face_flags & FT_FACE_FLAG_SCALABLE) != 0 && face->num_charmaps > 0 &&
                face->family_name != nullptr && family == decodeUtf8Text(face->family_name);
        FT_Done_Face(face);
    }
    FT_Done_FreeType(library);
    return holds;
}

// The framework lists only .ttf and .otf files by family name: a collection is handed over from
// memory.
juce::Typeface::Ptr loadCollection(const FontLibrary::StandInFace& standIn)
{
    juce::MemoryBlock data;
    if (!standIn.file.loadFileAsData(data) || !holdsFace(data, standIn.family))
        return nullptr;
    return juce::Typeface::createSystemTypefaceFor(data.getData(), data.getSize());
}

juce::Typeface::Ptr createByName(const juce::String& family)
{
    return juce::Typeface::createSystemTypefaceFor(juce::Font(family, 16.0f, juce::Font::plain));
}

juce::Typeface::Ptr findTypeface(const juce::String& name, const std::vector<FontLibrary::StandInFace>& standIns)
{
    auto listed = juce::Font::findAllTypefaceNames();
    if (listed.contains(name))
        return createByName(name);
    for (const auto& standIn : standIns)
    {
        if (isCollection(standIn.file))
        {
            if (auto face = loadCollection(standIn))
                return face;
            continue;
        }
        // A folder the framework was not told to list (JUCE_FONT_PATH set elsewhere).
        if (!listed.contains(standIn.family) && standIn.file.existsAsFile())
        {
            juce::Typeface::scanFolderForFonts(standIn.file.getParentDirectory());
            listed = juce::Font::findAllTypefaceNames();
        }
        if (listed.contains(standIn.family))
            return createByName(standIn.family);
    }
    return nullptr;
}
} // namespace

std::vector<FontLibrary::StandInFace> FontLibrary::defaultStandInFaces()
{
    return {
        {"IPAexGothic", juce::File("/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf")},
        {"VL Gothic", juce::File("/usr/share/fonts/truetype/vlgothic/VL-Gothic-Regular.ttf")},
        {"Noto Sans CJK JP", juce::File("/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc")},
        {"Noto Sans CJK JP", juce::File("/usr/share/fonts/google-noto-cjk/NotoSansCJK-Regular.ttc")},
        {"Noto Sans CJK JP", juce::File("/usr/share/fonts/noto-cjk/NotoSansCJK-Regular.ttc")},
        // These draw the backslash as a yen sign: Japanese texts, with that one flaw, rather than none.
        {"IPAPGothic", juce::File("/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf")},
        {"IPAGothic", juce::File("/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf")},
    };
}

void FontLibrary::limitFrameworkFontScan()
{
    if (std::getenv("JUCE_FONT_PATH") != nullptr)
        return;
    for (const auto& standIn : defaultStandInFaces())
        if (!isCollection(standIn.file) && standIn.file.existsAsFile())
        {
            setenv("JUCE_FONT_PATH", standIn.file.getParentDirectory().getFullPathName().toRawUTF8(), 0);
            return;
        }
}

FontLibrary::FontLibrary()
{
    defaultFont = makeFont(18.0f);
}

juce::Typeface::Ptr FontLibrary::getTypeface()
{
    if (!resolvedName || *resolvedName != typefaceName)
    {
        typeface = findTypeface(typefaceName, standInFaces);
        resolvedName = typefaceName;
    }
    return typeface;
}

juce::Font FontLibrary::makeFont(float height)
{
    if (auto face = getTypeface())
        return juce::Font(face).withHeight(height);
    return juce::Font(typefaceName, height, juce::Font::plain);
}

const juce::Font& FontLibrary::getFont(const juce::String& name) const
{
    const auto found = fonts.find(name);
    if (found == fonts.end())
    {
        reportMissingFont(name);
        return defaultFont;
    }
    return found->second;
}

void FontLibrary::addFont(const juce::String& name, const juce::Font& font)
{
    fonts.emplace(name, font);
}

void FontLibrary::setFontHeight(const juce::String& name, int height)
{
    const auto found = fonts.find(name);
    if (found == fonts.end())
    {
        reportMissingFont(name);
        return;
    }
    found->second.setHeight(static_cast<float>(height));
}

void FontLibrary::registerApplicationFonts()
{
    defaultFont = makeFont(16.0f);
    for (const auto& entry : applicationFonts)
        addFont(entry.name, makeFont(sizeSteps[static_cast<size_t>(entry.sizeStep)]));
    if (auto face = getTypeface())
        juce::LookAndFeel::getDefaultLookAndFeel().setDefaultSansSerifTypeface(face);
}
} // namespace ui
