#include "ui/FontLibrary.h"

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
} // namespace

FontLibrary::FontLibrary() : defaultFont(typefaceName, 18.0f, juce::Font::plain) {}

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
    defaultFont = juce::Font(typefaceName, 16.0f, juce::Font::plain);
    for (const auto& entry : applicationFonts)
        addFont(entry.name,
                juce::Font(typefaceName, sizeSteps[static_cast<size_t>(entry.sizeStep)], juce::Font::plain));
}
} // namespace ui
