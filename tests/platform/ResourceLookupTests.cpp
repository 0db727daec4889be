#include "platform/ResourceLookup.h"

#include <gtest/gtest.h>

namespace
{
// A throw-away resources folder: Resources/<language>.lproj/<file>.
class ResourceLookupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::getSpecialLocation(juce::File::tempDirectory)
                     .getNonexistentChildFile("qtr-resource-lookup", "", false);
        ASSERT_TRUE(folder.createDirectory());
    }

    void TearDown() override { folder.deleteRecursively(); }

    juce::File addResource(const juce::String& language, const juce::String& fileName)
    {
        const auto file = folder.getChildFile(language + ".lproj").getChildFile(fileName);
        EXPECT_TRUE(file.create());
        EXPECT_TRUE(file.replaceWithText(language));
        return file;
    }

    juce::File folder;
};

TEST_F(ResourceLookupTest, FindsTheResourceOfTheLanguage)
{
    addResource("en", "LocalizableStrings.xml");
    const auto japanese = addResource("ja", "LocalizableStrings.xml");

    EXPECT_EQ(platform::ResourceLookup("ja", folder).findResource("LocalizableStrings", "xml"), japanese);
    EXPECT_EQ(platform::ResourceLookup(" JA ", folder).findResource("LocalizableStrings", "xml"), japanese);
}

TEST_F(ResourceLookupTest, FallsBackToEnglishWhenTheLanguageHasNoCopy)
{
    const auto english = addResource("en", "LocalizableStrings.xml");
    addResource("de", "Other.xml");

    EXPECT_EQ(platform::ResourceLookup("de", folder).findResource("LocalizableStrings", "xml"), english);
    EXPECT_EQ(platform::ResourceLookup("fr", folder).findResource("LocalizableStrings", "xml"), english);
    EXPECT_EQ(platform::ResourceLookup("", folder).findResource("LocalizableStrings", "xml"), english);
}

TEST_F(ResourceLookupTest, MissingEverywhereGivesNoFile)
{
    addResource("ja", "Other.xml");
    addResource("en", "LocalizableStrings.strings");
    ASSERT_TRUE(folder.getChildFile("ja.lproj/LocalizableStrings.xml").createDirectory());

    EXPECT_EQ(platform::ResourceLookup("ja", folder).findResource("LocalizableStrings", "xml"), juce::File());
    EXPECT_EQ(platform::ResourceLookup("ja", folder.getChildFile("absent")).findResource("Other", "xml"), juce::File());
}

TEST_F(ResourceLookupTest, NamesCannotLeaveTheLanguageFolder)
{
    addResource("en", "LocalizableStrings.xml");
    const auto outside = folder.getChildFile("Secret.xml");
    ASSERT_TRUE(outside.replaceWithText("x"));

    const platform::ResourceLookup lookup("en", folder);
    EXPECT_EQ(lookup.findResource("../Secret", "xml"), juce::File());
    EXPECT_EQ(platform::ResourceLookup("..", folder).findResource("Secret", "xml"), juce::File());
    EXPECT_EQ(platform::ResourceLookup("../en", folder).findResource("LocalizableStrings", "xml"),
              folder.getChildFile("en.lproj/LocalizableStrings.xml"));
}

TEST(ResourceLookupDefaults, ProgramTablesLieBesideTheExecutable)
{
    const auto expected = juce::File::getSpecialLocation(juce::File::currentExecutableFile).getSiblingFile("Resources");
    EXPECT_EQ(platform::ResourceLookup::defaultResourcesFolder(), expected);

    EXPECT_EQ(platform::ResourceLookup("ja").findResource("LocalizableStrings", "xml"),
              expected.getChildFile("ja.lproj/LocalizableStrings.xml"));
    EXPECT_EQ(platform::ResourceLookup("en").findResource("LocalizableStrings", "xml"),
              expected.getChildFile("en.lproj/LocalizableStrings.xml"));
}
} // namespace
