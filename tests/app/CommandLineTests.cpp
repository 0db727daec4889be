#include "app/CommandLine.h"

#include <gtest/gtest.h>

const auto toVector = [](const auto& strings) { return std::vector<juce::String>(strings.begin(), strings.end()); };

TEST(CommandLine, SplitsTokensAndSkipsOptions)
{
    // Name, command line, tokens, files.
    using Strings = std::vector<juce::String>;
    const std::tuple<const char*, const char*, Strings, Strings> cases[] = {
        {"Empty", "", {}, {}},
        {"TwoBlanksGiveAnEmptyToken", "a  b", {"a", "", "b"}, {"a", "b"}},
        {"TrailingBlankAddsTheToken", "a ", {"a"}, {"a"}},
        {"QuotesKeepBlanksAndAreDropped", "\"my unit\" x", {"my unit", "", "x"}, {"my unit", "x"}},
        {"UnclosedQuoteRunsToTheEnd", "\"a b", {"a b"}, {"a b"}},
        {"NSOptionTakesAValue", "-NSDebugMode YES u", {"-NSDebugMode", "YES", "u"}, {"u"}},
        {"DashOptionsAreSkippedAlone", "-v unit -x", {"-v", "unit", "-x"}, {"unit"}},
        {"NSOptionAtTheEnd", "unit -NS", {"unit", "-NS"}, {"unit"}},
    };
    for (const auto& [name, line, tokens, files] : cases)
    {
        EXPECT_EQ(toVector(w40388_application::tokenizeCommandLine(line)), tokens) << name;
        EXPECT_EQ(toVector(w40388_application::filesNamedOnCommandLine(line)), files) << name;
    }
}
