#include "core/CTRXResource.h"
#include "core/CurrentLanguageModel.h"

#include <gtest/gtest.h>

namespace
{
// Builds a resources folder with one text table per language and loads it.
class CTRXResourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::getSpecialLocation(juce::File::tempDirectory)
                     .getNonexistentChildFile("qtr-text-table", "", false);
        ASSERT_TRUE(folder.createDirectory());
    }

    void TearDown() override { folder.deleteRecursively(); }

    void writeTable(const juce::String& language, const juce::MemoryBlock& bytes)
    {
        const auto file = folder.getChildFile(language + ".lproj").getChildFile("LocalizableStrings.xml");
        ASSERT_TRUE(file.getParentDirectory().createDirectory());
        ASSERT_TRUE(file.replaceWithData(bytes.getData(), bytes.getSize()));
    }

    void writeTable(const juce::String& language, const juce::String& text)
    {
        writeTable(language, juce::MemoryBlock(text.toRawUTF8(), text.getNumBytesAsUTF8()));
    }

    std::unique_ptr<CTRXResource> load(const juce::String& language)
    {
        return std::make_unique<CTRXResource>(platform::ResourceLookup(language, folder));
    }

    juce::File folder;
};

TEST_F(CTRXResourceTest, KeyMatchesTagIgnoringCase)
{
    writeTable("en", "<Strings><CommonOK Text=\"OK\"/><CommonCancel Text=\"Cancel\"/></Strings>");
    const auto table = load("en");

    EXPECT_EQ(table->getText("CommonCancel"), "Cancel");
    EXPECT_EQ(table->getText("commoncancel"), "Cancel");
    EXPECT_EQ(table->getText("COMMONOK"), "OK");
}

TEST_F(CTRXResourceTest, FirstOfDuplicateEntriesWins)
{
    writeTable("en", "<Strings><Key Text=\"first\"/><KEY Text=\"second\"/><Key Text=\"third\"/></Strings>");

    EXPECT_EQ(load("en")->getText("key"), "first");
}

TEST_F(CTRXResourceTest, EntryWithoutTextGivesEmptyAndStopsTheSearch)
{
    writeTable("en", "<Strings><Key Label=\"no text\"/><Key Text=\"later\"/><Other text=\"lower-case name\"/>"
                     "</Strings>");
    const auto table = load("en");

    EXPECT_TRUE(table->hasTable());
    EXPECT_EQ(table->getText("Key"), "");
    EXPECT_EQ(table->getText("Other"), ""); // the attribute name must be exactly "Text"
}

TEST_F(CTRXResourceTest, OnlyDirectChildrenOfTheRootAreEntries)
{
    writeTable("en", "<AnyRoot><Group Text=\"group\"><Inner Text=\"inner\"/></Group>"
                     "<Plain Text=\"plain\">ignored content</Plain></AnyRoot>");
    const auto table = load("en");

    EXPECT_EQ(table->getText("Group"), "group");
    EXPECT_EQ(table->getText("Inner"), "");
    EXPECT_EQ(table->getText("Plain"), "plain");
    EXPECT_EQ(table->getText("AnyRoot"), "");
    EXPECT_EQ(table->getText(""), "");
}

TEST_F(CTRXResourceTest, TextsKeepSpacesLineBreaksAndNonAsciiCharacters)
{
    writeTable("ja", juce::String::fromUTF8(
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Strings>\n"
                         "  <Modified Text=\" (edited)\"/>\n"
                         "  <Lines Text=\"one&#10;two &amp; &lt;three&gt;&#10;\"/>\n"
                         "  <Cancel Text=\"\xe3\x82\xad\xe3\x83\xa3\xe3\x83\xb3\xe3\x82\xbb\xe3\x83\xab\"/>\n"
                         "</Strings>\n"));
    const auto table = load("ja");

    EXPECT_EQ(table->getText("Modified"), " (edited)");
    EXPECT_EQ(table->getText("Lines"), "one\ntwo & <three>\n");
    EXPECT_EQ(table->getText("Cancel").toStdString(), "\xe3\x82\xad\xe3\x83\xa3\xe3\x83\xb3\xe3\x82\xbb\xe3\x83\xab");
}

TEST_F(CTRXResourceTest, ByteOrderMarkBeforeTheTableIsSkipped)
{
    const char table[] = "\xef\xbb\xbf<Strings><CommonOK Text=\"OK\"/></Strings>";
    writeTable("en", juce::MemoryBlock(table, sizeof(table) - 1));

    EXPECT_EQ(load("en")->getText("CommonOK"), "OK");
}

TEST_F(CTRXResourceTest, UnusableTablesGiveEmptyTexts)
{
    const auto missing = load("en");
    EXPECT_FALSE(missing->hasTable());
    EXPECT_EQ(missing->getText("CommonOK"), "");

    writeTable("en", juce::String());
    EXPECT_FALSE(load("en")->hasTable());

    writeTable("en", "<Strings><CommonOK Text=\"OK\"/>"); // cut off
    EXPECT_EQ(load("en")->getText("CommonOK"), "");

    const unsigned char binary[] = {0x00, 0xff, 0xfe, 0x3c, 0x00, 0x80, 0x81};
    writeTable("en", juce::MemoryBlock(binary, sizeof(binary)));
    EXPECT_EQ(load("en")->getText("CommonOK"), "");
}

// The program's own singleton: the language chosen at start-up picks the shipped table.
TEST(CTRXResourceSingleton, LanguageModelChoosesTheShippedTable)
{
    auto* language = w40388_application::CurrentLanguageModel::getInstance();
    const auto previousLanguage = language->getLanguage();
    const auto reload = []
    {
        delete CTRXResource::getInstanceWithoutCreating();
        return CTRXResource::getInstance();
    };

    language->setLanguage(w40388_application::CurrentLanguageModel::japanese);
    EXPECT_EQ(reload()->getText("CommonCancel"),
              juce::String::fromUTF8("\xe3\x82\xad\xe3\x83\xa3\xe3\x83\xb3\xe3\x82\xbb\xe3\x83\xab"));

    language->setLanguage(w40388_application::CurrentLanguageModel::english);
    EXPECT_EQ(reload()->getText("CommonCancel"), "Cancel");
    EXPECT_EQ(CTRXResource::getInstance(), CTRXResource::getInstance());

    language->setLanguage(previousLanguage);
    delete CTRXResource::getInstanceWithoutCreating();
}
} // namespace
