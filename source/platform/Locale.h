#pragma once

#include <juce_core/juce_core.h>

namespace platform
{

// The language code of the user's POSIX locale ("ja", "en", ...), read at start-up to choose the
// interface language. LC_ALL wins over LC_MESSAGES, which wins over LANG; unset or empty variables
// are skipped. "C", "POSIX" and unusable names give "en".
juce::String currentLanguageCode();

// The same choice from given variable values (null or empty means unset).
juce::String languageCodeFromVariables(const char* lcAll, const char* lcMessages, const char* lang);

// The language part of one locale name: "ja_JP.UTF-8" gives "ja", "de@euro" gives "de".
juce::String languageCodeOfLocaleName(const juce::String& localeName);

} // namespace platform
