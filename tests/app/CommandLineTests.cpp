#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace
{
struct CommandLineCase
{
    const char* name;
    const char* line;
    std::vector<juce::String> tokens;
    std::vector<juce::String> files;
};

// The case's name, which ctest shows as the test's name.
void PrintTo(const CommandLineCase& c, std::ostream* out)
{
    *out << c.name;
}

class CommandLineTest : public testing::TestWithParam<CommandLineCase>
{
};

std::vector<juce::String> toVector(const juce::StringArray& strings)
{
    return {strings.begin(), strings.end()};
}

TEST_P(CommandLineTest, SplitsTokensAndSkipsOptions)
{
    const auto& c = GetParam();
    EXPECT_EQ(toVector(w40388_application::tokenizeCommandLine(c.line)), c.tokens);
    EXPECT_EQ(toVector(w40388_application::filesNamedOnCommandLine(c.line)), c.files);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommandLineTest,
    testing::Values(CommandLineCase{"Empty", "", {}, {}},
                    CommandLineCase{"BlanksSeparate", "a.ftndigunit b", {"a.ftndigunit", "b"}, {"a.ftndigunit", "b"}},
                    CommandLineCase{"TwoBlanksGiveAnEmptyToken", "a  b", {"a", "", "b"}, {"a", "b"}},
                    CommandLineCase{"TrailingBlankAddsTheToken", "a ", {"a"}, {"a"}},
                    CommandLineCase{"QuotesKeepBlanksAndAreDropped",
                                    "\"my unit.ftndigunit\" x",
                                    {"my unit.ftndigunit", "", "x"},
                                    {"my unit.ftndigunit", "x"}},
                    CommandLineCase{"UnclosedQuoteRunsToTheEnd", "\"a b", {"a b"}, {"a b"}},
                    CommandLineCase{"NSOptionSkipsItsValue",
                                    "-NSDocumentRevisionsDebugMode YES unit",
                                    {"-NSDocumentRevisionsDebugMode", "YES", "unit"},
                                    {"unit"}},
                    CommandLineCase{"DashOptionsAreSkippedAlone", "-v unit -x", {"-v", "unit", "-x"}, {"unit"}},
                    CommandLineCase{"NSOptionAtTheEnd", "unit -NS", {"unit", "-NS"}, {"unit"}}));
} // namespace
