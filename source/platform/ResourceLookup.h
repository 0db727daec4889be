#pragma once

#include <juce_core/juce_core.h>

namespace platform
{

// Finds the program's resource files in the "Resources" folder beside the executable, in the
// subfolder of a language: Resources/<language>.lproj/<name>.<type>. When the language has no copy
// of a resource, the English one is used. The caller supplies the language code ("ja", "en").
class ResourceLookup
{
public:
    explicit ResourceLookup(const juce::String& languageCode);

    // Looks in another resources folder instead of the one beside the executable.
    ResourceLookup(const juce::String& languageCode, const juce::File& resourcesFolder);

    // The file of the resource, or a default juce::File when neither the language nor English has it.
    juce::File findResource(const juce::String& name, const juce::String& type) const;

    const juce::String& getLanguageCode() const { return languageCode; }
    const juce::File& getResourcesFolder() const { return resourcesFolder; }

    static juce::File defaultResourcesFolder();
    static constexpr const char* fallbackLanguageCode = "en";

private:
    juce::File resourceIn(const juce::String& language, const juce::String& fileName) const;

    juce::String languageCode;
    juce::File resourcesFolder;
};

} // namespace platform
