#include "platform/Locale.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace
{
struct LocaleNameCase
{
    const char* localeName;
    const char* languageCode;
};

class LanguageOfLocaleName : public ::testing::TestWithParam<LocaleNameCase>
{
};

TEST_P(LanguageOfLocaleName, GivesTheLanguagePart)
{
    EXPECT_EQ(platform::languageCodeOfLocaleName(GetParam().localeName), juce::String(GetParam().languageCode));
}

INSTANTIATE_TEST_SUITE_P(LocaleNames, LanguageOfLocaleName,
                         ::testing::Values(LocaleNameCase{"ja_JP.UTF-8", "ja"}, LocaleNameCase{"ja_JP", "ja"},
                                           LocaleNameCase{"ja", "ja"}, LocaleNameCase{"en_US.UTF-8", "en"},
                                           LocaleNameCase{"de_DE@euro", "de"}, LocaleNameCase{"fr.UTF-8", "fr"},
                                           LocaleNameCase{"JA_jp.eucJP", "ja"}, LocaleNameCase{"ja-JP", "ja"},
                                           LocaleNameCase{"ast_ES", "ast"}, LocaleNameCase{"C", "en"},
                                           LocaleNameCase{"C.UTF-8", "en"}, LocaleNameCase{"POSIX", "en"},
                                           LocaleNameCase{"", "en"}, LocaleNameCase{"  ", "en"},
                                           LocaleNameCase{"../../etc", "en"}, LocaleNameCase{"j4_JP", "en"}));

TEST(LanguageFromVariables, LcAllWinsOverLcMessagesAndLang)
{
    EXPECT_EQ(platform::languageCodeFromVariables("ja_JP.UTF-8", "de_DE", "fr_FR"), "ja");
    EXPECT_EQ(platform::languageCodeFromVariables(nullptr, "de_DE", "ja_JP"), "de");
    EXPECT_EQ(platform::languageCodeFromVariables(nullptr, nullptr, "ja_JP.UTF-8"), "ja");
    EXPECT_EQ(platform::languageCodeFromVariables("", "", "ja_JP.UTF-8"), "ja"); // empty counts as unset
}

TEST(LanguageFromVariables, NothingSetGivesEnglish)
{
    EXPECT_EQ(platform::languageCodeFromVariables(nullptr, nullptr, nullptr), "en");
    EXPECT_EQ(platform::languageCodeFromVariables("", "", ""), "en");
}

TEST(LanguageFromVariables, CLocaleInFrontHidesLaterVariables)
{
    // LC_ALL=C means the C locale, whatever LANG says.
    EXPECT_EQ(platform::languageCodeFromVariables("C", nullptr, "ja_JP.UTF-8"), "en");
}

// Sets an environment variable for the lifetime of the object and restores it afterwards.
class ScopedVariable
{
public:
    ScopedVariable(const char* variableName, const char* value) : name(variableName)
    {
        if (const char* old = std::getenv(name))
            previous = old;
        if (value != nullptr)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }

    ~ScopedVariable()
    {
        if (previous)
            ::setenv(name, previous->c_str(), 1);
        else
            ::unsetenv(name);
    }

private:
    const char* name;
    std::optional<std::string> previous;
};

TEST(CurrentLanguageCode, ReadsTheProcessEnvironment)
{
    const ScopedVariable lcAll("LC_ALL", nullptr);
    const ScopedVariable lcMessages("LC_MESSAGES", "");
    const ScopedVariable lang("LANG", "ja_JP.UTF-8");
    EXPECT_EQ(platform::currentLanguageCode(), "ja");

    const ScopedVariable lcAllEnglish("LC_ALL", "en_GB.UTF-8");
    EXPECT_EQ(platform::currentLanguageCode(), "en");
}
} // namespace
