#include "ui/FontLibrary.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <cstdio>

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
// The framework lists only .ttf and .otf files by family name, and distributions ship the CJK
// faces as one collection file (.ttc) whose first face is the Japanese one. Where it is not
// listed, it is loaded from one of these.
constexpr const char* standInCollections[] = {
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/google-noto-cjk/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/noto-cjk/NotoSansCJK-Regular.ttc",
};

juce::Typeface::Ptr loadStandInCollection()
{
    for (const auto* path : standInCollections)
    {
        juce::MemoryBlock data;
        if (!juce::File(path).loadFileAsData(data))
            continue;
        auto face = juce::Typeface::createSystemTypefaceFor(data.getData(), data.getSize());
        if (face != nullptr && face->getName() == FontLibrary::standInTypefaceName)
            return face;
    }
    return nullptr;
}

juce::Typeface::Ptr findTypeface(const juce::String& name)
{
    const auto installed = juce::Font::findAllTypefaceNames();
    for (const juce::String& candidate : {name, juce::String(FontLibrary::standInTypefaceName)})
        if (installed.contains(candidate))
            return juce::Typeface::createSystemTypefaceFor(juce::Font(candidate, 16.0f, juce::Font::plain));
    return loadStandInCollection();
}
} // namespace

FontLibrary::FontLibrary()
{
    defaultFont = makeFont(18.0f);
}

juce::Typeface::Ptr FontLibrary::getTypeface()
{
    if (!resolvedName || *resolvedName != typefaceName)
    {
        typeface = findTypeface(typefaceName);
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
