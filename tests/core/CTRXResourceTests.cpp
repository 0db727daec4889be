#include "core/CTRXResource.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace
{
// Builds a resources folder with one text table per language and loads it.
class CTRXResourceTest : public ::testing::Test
{
protected:
    void writeTable(const juce::String& language, const std::string& bytes)
    {
        const auto file = folder.getChildFile(language + ".lproj").getChildFile("LocalizableStrings.xml");
        ASSERT_TRUE(file.getParentDirectory().createDirectory());
        ASSERT_TRUE(file.replaceWithData(bytes.data(), bytes.size()));
    }

    std::unique_ptr<CTRXResource> load(const juce::String& language)
    {
        return std::make_unique<CTRXResource>(platform::ResourceLookup(language, folder));
    }

    const test::TemporaryFolder temporary{"qtr-text-table"};
    const juce::File& folder = temporary.getFolder();
};

TEST_F(CTRXResourceTest, LookupIgnoresCaseTakesTheFirstEntryAndNeedsATextAttribute)
{
    writeTable("en", "<AnyRoot><CommonOK Text=\"OK\"/><Key Text=\"first\"/><KEY Text=\"second\"/>"
                     "<Bare Label=\"no text\"/><Bare Text=\"later\"/><Other text=\"lower-case name\"/>"
                     "<Group Text=\"group\"><Inner Text=\"inner\"/></Group><Plain Text=\"plain\">ignored</Plain>"
                     "</AnyRoot>");
    const auto table = load("en");
    ASSERT_TRUE(table->hasTable());

    // An entry without "Text" (the attribute name matched exactly) gives empty and stops the search.
    const std::pair<const char*, const char*> cases[] = {
        {"CommonOK", "OK"}, {"COMMONok", "OK"}, {"key", "first"},   {"Bare", ""},    {"Other", ""},
        {"Group", "group"}, {"Inner", ""},      {"Plain", "plain"}, {"AnyRoot", ""}, {"", ""}};
    for (const auto& [key, text] : cases)
        EXPECT_EQ(table->getText(key), text) << key;
}

TEST_F(CTRXResourceTest, TextsKeepSpacesLineBreaksAndNonAsciiAfterAByteOrderMark)
{
    writeTable("ja", std::string("\xef\xbb\xbf<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Strings>\n"
                                 "  <Modified Text=\" (edited)\"/>\n"
                                 "  <Lines Text=\"one&#10;two &amp; &lt;three&gt;&#10;\"/>\n"
                                 "  <Cancel Text=\"\xe3\x82\xad\xe3\x83\xa3\xe3\x83\xb3\xe3\x82\xbb\xe3\x83\xab\"/>\n"
                                 "</Strings>\n"));
    const auto table = load("ja");

    EXPECT_EQ(table->getText("Modified"), " (edited)");
    EXPECT_EQ(table->getText("Lines"), "one\ntwo & <three>\n");
    EXPECT_EQ(table->getText("Cancel").toStdString(), "\xe3\x82\xad\xe3\x83\xa3\xe3\x83\xb3\xe3\x82\xbb\xe3\x83\xab");
}

TEST_F(CTRXResourceTest, MissingEmptyTornOrBinaryTablesGiveEmptyTexts)
{
    EXPECT_FALSE(load("en")->hasTable());
    for (const auto& bytes : {std::string(), std::string("<Strings><CommonOK Text=\"OK\"/>"), // empty, torn, binary
                              std::string("\0\xff\xfe<\0\x80\x81", 7)})
    {
        writeTable("en", bytes);
        EXPECT_EQ(load("en")->getText("CommonOK"), "");
    }
}

} // namespace
