#include "core/BoundedXml.h"
#include "core/CTRXResource.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{
// Builds a resources folder with one text table per language and loads it.
class CTRXResourceTest : public ::testing::Test
{
protected:
    void writeTable(const juce::String& language, const std::string& bytes)
    {
        const auto file = folder.getChildFile(language + ".lproj").getChildFile("LocalizableStrings.xml");
        ASSERT_TRUE(file.create() && file.replaceWithData(bytes.data(), bytes.size()));
    }

    std::unique_ptr<CTRXResource> load(const juce::String& language)
    {
        return std::make_unique<CTRXResource>(platform::ResourceLookup(language, folder));
    }

    const test::TemporaryFolder temporary{"qtr-text-table"};
    const juce::File& folder = temporary.getFolder();
};

TEST_F(CTRXResourceTest, LookupIgnoresCaseTakesTheFirstEntryAndKeepsTheTextAsWritten)
{
    writeTable("ja", "\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<AnyRoot><CommonOK Text=\"OK\"/>"
                     "<Key Text=\"first\"/><KEY Text=\"second\"/><Bare Label=\"no text\"/><Bare Text=\"later\"/>"
                     "<Other text=\"lower-case name\"/><Group Text=\"group\"><Inner Text=\"inner\"/></Group>"
                     "<Plain Text=\"plain\">ignored</Plain>\n  <Lines Text=\" one&#10;two &amp; &lt;three&gt;&#10;\"/>"
                     "<Cancel Text=\"\xe3\x82\xad\xe3\x83\xa3\xe3\x83\xb3\"/></AnyRoot>\n");
    const auto table = load("ja");
    ASSERT_TRUE(table->hasTable());

    // An entry without "Text" (the attribute name matched exactly) gives empty and stops the search.
    const std::pair<const char*, const char*> cases[] = {
        {"CommonOK", "OK"}, {"COMMONok", "OK"}, {"key", "first"},     {"Bare", ""},
        {"Other", ""},      {"Group", "group"}, {"Inner", ""},        {"Plain", "plain"},
        {"AnyRoot", ""},    {"", ""},           {"Cancel", "キャン"}, {"Lines", " one\ntwo & <three>\n"}};
    for (const auto& [key, text] : cases)
        EXPECT_EQ(table->getText(key).toStdString(), text) << key;
}

TEST_F(CTRXResourceTest, MissingUnreadableOrHostileTablesGiveEmptyTextsAndLeaveNoFileOpen)
{
    const auto filesBefore = std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    const std::string entry = "<Strings><CommonOK Text=\"OK\"/>";
    EXPECT_FALSE(load("en")->hasTable());
    for (const auto& bytes : {std::string(), entry, std::string("\0\xff\xfe<\0\x80\x81", 7), // empty, torn, binary,
                              entry + juce::String::repeatedString("<a>", 40000).toStdString() +
                                  juce::String::repeatedString("</a>", 40000).toStdString() + "</Strings>",
                              entry + std::string(maxXmlFileBytes, ' ') + "</Strings>", // hostile
                              entry + "<Bad Text=\"\xed\xa0\x80\"/></Strings>"})        // encoded surrogate
    {
        writeTable("en", bytes);
        EXPECT_EQ(load("en")->getText("CommonOK"), "");
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {}), filesBefore);
}
} // namespace
