#include "core/PreferencesData.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace
{
using w40388_preferences::PreferencesData;

// Points the preferences at a folder, not yet created, inside the test's own temporary folder.
class PreferencesDataTest : public ::testing::Test
{
protected:
    void SetUp() override { PreferencesData::setFolderOverrideForTesting(folder); }
    void TearDown() override { PreferencesData::setFolderOverrideForTesting({}); }

    juce::File file() const { return folder.getChildFile("PreferencesData.xml"); }

    void writeFile(const juce::String& text)
    {
        folder.createDirectory();
        ASSERT_TRUE(file().replaceWithText(text));
    }

    int numFiles() const { return folder.getNumberOfChildFiles(juce::File::findFiles); }

    const test::TemporaryFolder temporary{"qtr-prefs"};
    const juce::File folder = temporary.getChildFile("preferences");
};
} // namespace

TEST_F(PreferencesDataTest, StartsEmptyWithoutAFileAndRoundTripsThroughTheFile)
{
    {
        PreferencesData prefs;
        EXPECT_FALSE(file().exists()) << "loading writes nothing";

        prefs.SetDefaultBool("MidiPortAutoScan", true);
        prefs.SetDefaultInt("ListHeight", 25);
        prefs.SetString("MidiInPort", "QTR \"3\" <1> & 2");
        prefs.SetInt("MainWindowPositionX", -40);
    } // the destructor saves

    EXPECT_EQ(file().loadFileAsString(), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<PreferencesData>\r\n"
                                         "  <MidiPortAutoScan Value=\"1\"/>\r\n  <ListHeight Value=\"25\"/>\r\n"
                                         "  <MidiInPort Value=\"QTR &quot;3&quot; &lt;1&gt; &amp; 2\"/>\r\n"
                                         "  <MainWindowPositionX Value=\"-40\"/>\r\n</PreferencesData>\r\n");

    PreferencesData reloaded;
    EXPECT_TRUE(reloaded.GetBool("MidiPortAutoScan", false));
    EXPECT_EQ(reloaded.GetString("midiinport", ""), "QTR \"3\" <1> & 2");
    EXPECT_EQ(reloaded.GetInt("MainWindowPositionX", 0), -40);
}

TEST_F(PreferencesDataTest, KeysMatchIgnoringCaseFirstChildWinsAndForeignContentIsWrittenBack)
{
    writeFile("<Settings version=\"2\"><autoreceive Value=\"0\"/><AUTORECEIVE Value=\"1\"/><ListHeight value=\"40\"/>"
              "<Other a=\"b\">note</Other><Width Value=\"30px\"/></Settings>");
    {
        PreferencesData prefs;
        EXPECT_FALSE(prefs.GetBool("AutoReceive", true));
        EXPECT_EQ(prefs.GetInt("ListHeight", 7), 7) << "the attribute name is matched exactly";
        EXPECT_EQ(prefs.GetInt("width", 0), 30);
        prefs.SetBool("AutoReceive", true);
        prefs.SetInt("WIDTH", 31);
        prefs.SetDefaultBool("AutoReceive", false);
        prefs.SetDefaultInt("ListHeight", 25);
        prefs.SetDefaultString("listheight", "30");
    }
    // Tags keep their letter case; reading and defaults of existing keys create nothing.
    const auto saved = juce::parseXML(file());
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->toString(juce::XmlElement::TextFormat().singleLine().withoutHeader()),
              "<Settings version=\"2\"><autoreceive Value=\"1\"/><AUTORECEIVE Value=\"1\"/><ListHeight value=\"40\"/>"
              "<Other a=\"b\">note</Other><Width Value=\"31\"/></Settings>");
}

TEST(PreferencesConversion, BoolAndIntReadAsTheFileFormatSays)
{
    for (const auto* text : {"1", "T", "true", "t", "Y", " \t\r\n\v\fyes", "10"})
        EXPECT_TRUE(PreferencesData::parseBool(text)) << text;
    for (const auto* text : {"", "0", "no", "false", "2", " ", "x1"})
        EXPECT_FALSE(PreferencesData::parseBool(text)) << text;

    const std::pair<const char*, int> ints[] = {
        {"30abc", 30}, {"abc", 0}, {"  -12", -12}, {"- 7", 0}, {"99999999999", 2147483647}};
    for (const auto& [text, value] : ints)
        EXPECT_EQ(PreferencesData::parseInt(text), value) << text;
}

TEST_F(PreferencesDataTest, UnreadableFileIsKeptAsideBeforeTheFirstSave)
{
    const juce::String torn = "<PreferencesData><AutoReceive Value=\"0\"/><ListHeight Val";
    writeFile(torn);
    folder.getChildFile("PreferencesData.xml.corrupt").replaceWithText("older");
    {
        PreferencesData prefs;
        EXPECT_TRUE(prefs.GetBool("AutoReceive", true));
        EXPECT_EQ(file().loadFileAsString(), torn) << "nothing is touched before a save";
        prefs.SetBool("AutoReceive", true);
        prefs.Save();
        prefs.Save(); // the second save must not move the new file aside
    }

    EXPECT_EQ(folder.getChildFile("PreferencesData.xml.corrupt").loadFileAsString(), "older");
    EXPECT_EQ(folder.getChildFile("PreferencesData.xml(2).corrupt").loadFileAsString(), torn);
    EXPECT_EQ(numFiles(), 3);
    EXPECT_TRUE(PreferencesData().GetBool("AutoReceive", false));
}

TEST_F(PreferencesDataTest, SaveReplacesTheFileInsteadOfRewritingItInPlace)
{
    writeFile("<PreferencesData><ListHeight Value=\"20\"/></PreferencesData>");
    const auto oldText = file().loadFileAsString();
    // A second name for the old file: an in-place rewrite would change what it shows.
    const auto link = folder.getChildFile("old.xml");
    ASSERT_EQ(::link(file().getFullPathName().toRawUTF8(), link.getFullPathName().toRawUTF8()), 0);

    PreferencesData prefs;
    prefs.SetInt("ListHeight", 45);
    prefs.Save();

    EXPECT_EQ(link.loadFileAsString(), oldText);
    EXPECT_EQ(PreferencesData().GetInt("ListHeight", 0), 45);
    EXPECT_EQ(numFiles(), 2) << "no temporary file is left";
}
