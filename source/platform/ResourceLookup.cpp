#include "platform/ResourceLookup.h"

namespace platform
{
namespace
{
// Names and language codes become path components: keep them to one plain component.
bool isPlainComponent(const juce::String& text)
{
    return text.isNotEmpty() && text != "." && text != ".." && !text.containsAnyOf("/\\") && !text.containsChar(0);
}
} // namespace

ResourceLookup::ResourceLookup(const juce::String& language) : ResourceLookup(language, defaultResourcesFolder()) {}

ResourceLookup::ResourceLookup(const juce::String& language, const juce::File& folder)
    : languageCode(language.trim().toLowerCase()), resourcesFolder(folder)
{
}

juce::File ResourceLookup::defaultResourcesFolder()
{
    return juce::File::getSpecialLocation(juce::File::currentExecutableFile).getSiblingFile("Resources");
}

juce::File ResourceLookup::resourceIn(const juce::String& language, const juce::String& fileName) const
{
    if (!isPlainComponent(language))
        return {};

    const auto file = resourcesFolder.getChildFile(language + ".lproj").getChildFile(fileName);
    return file.existsAsFile() ? file : juce::File();
}

juce::File ResourceLookup::findResource(const juce::String& name, const juce::String& type) const
{
    const auto fileName = type.isEmpty() ? name : name + "." + type;
    if (!isPlainComponent(name) || !isPlainComponent(fileName) || resourcesFolder == juce::File())
        return {};

    const auto inLanguage = resourceIn(languageCode, fileName);
    if (inLanguage != juce::File())
        return inLanguage;

    return resourceIn(fallbackLanguageCode, fileName);
}

} // namespace platform
