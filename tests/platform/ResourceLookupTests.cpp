#include "platform/ResourceLookup.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace
{
// A throw-away resources folder: Resources/<language>.lproj/<file>.
TEST(ResourceLookup, TakesTheLanguagesCopyElseTheEnglishOneAndNothingOutsideTheLanguageFolders)
{
    const test::TemporaryFolder temporary{"qtr-resource-lookup"};
    const juce::File& folder = temporary.getFolder();
    const auto addResource = [&folder](const juce::String& language, const juce::String& fileName)
    {
        const auto file = folder.getChildFile(language + ".lproj").getChildFile(fileName);
        EXPECT_TRUE(file.create());
        return file;
    };
    const auto find = [&folder](const juce::String& language, const juce::String& name = "LocalizableStrings")
    { return platform::ResourceLookup(language, folder).findResource(name, "xml"); };

    addResource("ja", "LocalizableStrings.strings");
    addResource("de", "Other.xml");
    ASSERT_TRUE(folder.getChildFile("de.lproj/LocalizableStrings.xml").createDirectory());
    ASSERT_TRUE(folder.getChildFile("Secret.xml").create());
    EXPECT_EQ(find("de"), juce::File()); // missing everywhere
    EXPECT_EQ(platform::ResourceLookup("ja", folder.getChildFile("absent")).findResource("Other", "xml"), juce::File());

    const auto english = addResource("en", "LocalizableStrings.xml");
    const auto japanese = addResource("ja", "LocalizableStrings.xml");
    EXPECT_EQ(find("ja"), japanese);
    EXPECT_EQ(find(" JA "), japanese);
    EXPECT_EQ(find("de"), english);
    EXPECT_EQ(find(""), english);
    EXPECT_EQ(find("en", "../Secret"), juce::File());
    EXPECT_EQ(find("..", "Secret"), juce::File());
    EXPECT_EQ(find("../en"), english);
}
} // namespace
