#include "platform/Locale.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace
{
TEST(Locale, LanguageIsTheLanguagePartOfTheFirstSetLocaleVariable)
{
    const std::pair<const char*, const char*> cases[] = {
        {"ja_JP.UTF-8", "ja"}, {"ja", "ja"},    {"en_US.UTF-8", "en"}, {"de_DE@euro", "de"}, {"fr.UTF-8", "fr"},
        {"JA_jp.eucJP", "ja"}, {"ja-JP", "ja"}, {"ast_ES", "ast"},     {"C", "en"},          {"C.UTF-8", "en"},
        {"POSIX", "en"},       {"", "en"},      {"  ", "en"},          {"../../etc", "en"},  {"j4_JP", "en"}};
    for (const auto& [name, language] : cases)
        EXPECT_EQ(platform::languageCodeOfLocaleName(name), juce::String(language)) << name;

    // LC_ALL wins over LC_MESSAGES, which wins over LANG.
    EXPECT_EQ(platform::languageCodeFromVariables("ja_JP.UTF-8", "de_DE", "fr_FR"), "ja");
    EXPECT_EQ(platform::languageCodeFromVariables(nullptr, "de_DE", "ja_JP"), "de");
    EXPECT_EQ(platform::languageCodeFromVariables("", "", "ja_JP.UTF-8"), "ja"); // empty counts as unset
    EXPECT_EQ(platform::languageCodeFromVariables(nullptr, nullptr, nullptr), "en");
    EXPECT_EQ(platform::languageCodeFromVariables("", "", ""), "en");
    // LC_ALL=C means the C locale, whatever LANG says.
    EXPECT_EQ(platform::languageCodeFromVariables("C", nullptr, "ja_JP.UTF-8"), "en");

    // The process environment (ctest runs each case in its own process, so it can be changed in place).
    ::unsetenv("LC_ALL");
    ::setenv("LC_MESSAGES", "", 1);
    ::setenv("LANG", "ja_JP.UTF-8", 1);
    EXPECT_EQ(platform::currentLanguageCode(), "ja");

    ::setenv("LC_ALL", "en_GB.UTF-8", 1);
    EXPECT_EQ(platform::currentLanguageCode(), "en");
}
} // namespace
