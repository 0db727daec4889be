#include "platform/Locale.h"

#include "platform/Utf8Text.h"

#include <cstdlib>

namespace platform
{
namespace
{
const char* const defaultLanguageCode = "en";

bool isSet(const char* value)
{
    return value != nullptr && *value != 0;
}
} // namespace

juce::String languageCodeOfLocaleName(const juce::String& localeName)
{
    // language[_territory][.codeset][@modifier]; some systems write "ja-JP" as well.
    const auto language = localeName.trim()
                              .upToFirstOccurrenceOf("_", false, false)
                              .upToFirstOccurrenceOf(".", false, false)
                              .upToFirstOccurrenceOf("@", false, false)
                              .upToFirstOccurrenceOf("-", false, false);

    const bool plausible = language.length() >= 2 && language.length() <= 3 &&
                           language.containsOnly("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    if (!plausible)
        return defaultLanguageCode; // "C", "POSIX", "" and anything we cannot read

    return language.toLowerCase();
}

juce::String languageCodeFromVariables(const char* lcAll, const char* lcMessages, const char* lang)
{
    for (const char* value : {lcAll, lcMessages, lang})
        if (isSet(value))
            return languageCodeOfLocaleName(decodeUtf8Text(value));

    return defaultLanguageCode;
}

juce::String currentLanguageCode()
{
    return languageCodeFromVariables(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

} // namespace platform
