#pragma once

#include "core/Singleton.h"

#include <juce_events/juce_events.h>

namespace w40388_application
{
// The interface language and the typeface of the named fonts, both set once during start-up and
// read by the start-up code and the menu bar. Main thread only.
class CurrentLanguageModel : public Singleton<CurrentLanguageModel>, public juce::DeletedAtShutdown
{
public:
    enum Language : juce::uint32
    {
        english = 0,
        japanese = 1
    };

    CurrentLanguageModel() = default;
    ~CurrentLanguageModel() override = default;

    juce::uint32 getLanguage() const noexcept { return language; }

    void setLanguage(juce::uint32 newLanguage) noexcept { language = newLanguage; }

    bool isJapanese() const noexcept { return language == japanese; }

    const juce::String& getFontName() const noexcept { return fontName; }

    void setFontName(const juce::String& newFontName) { fontName = newFontName; }

private:
    juce::uint32 language = english;
    juce::String fontName;

    JUCE_DECLARE_NON_COPYABLE(CurrentLanguageModel)
};
} // namespace w40388_application
