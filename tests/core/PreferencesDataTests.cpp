#include "core/PreferencesData.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace
{
using w40388_preferences::PreferencesData;

// Points the preferences at a fresh folder for one test and removes it afterwards.
class PreferencesDataTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        folder = juce::File::getSpecialLocation(juce::File::tempDirectory).getNonexistentChildFile("qtr-prefs", "");
        PreferencesData::setFolderOverrideForTesting(folder);
    }

    void TearDown() override
    {
        PreferencesData::setFolderOverrideForTesting({});
        folder.deleteRecursively();
    }

    juce::File file() const
    {
        return folder.getChildFile("PreferencesData.xml");
    }

    void writeFile(const juce::String& text)
    {
        folder.createDirectory();
        ASSERT_TRUE(file().replaceWithText(text));
    }

    juce::File folder;
};
} // namespace

TEST_F(PreferencesDataTest, StartsEmptyWithoutAFileAndCreatesItOnSave)
{
    {
        PreferencesData prefs;
        EXPECT_EQ(prefs.getRoot().getTagName(), "PreferencesData");
        EXPECT_EQ(prefs.getRoot().getNumChildElements(), 0);
        EXPECT_EQ(prefs.GetFilePath(), file());
        EXPECT_TRUE(folder.isDirectory());
        EXPECT_FALSE(file().exists()) << "loading writes nothing";

        prefs.SetDefaultBool("MidiPortAutoScan", true);
        prefs.SetDefaultString("MidiInPort", "");
        prefs.SetDefaultInt("ListHeight", 25);
        prefs.SetInt("MainWindowPositionX", -40);
    } // the destructor saves

    EXPECT_EQ(file().loadFileAsString(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n<PreferencesData>\r\n"
              "  <MidiPortAutoScan Value=\"1\"/>\r\n  <MidiInPort Value=\"\"/>\r\n"
              "  <ListHeight Value=\"25\"/>\r\n  <MainWindowPositionX Value=\"-40\"/>\r\n"
              "</PreferencesData>\r\n");

    PreferencesData reloaded;
    EXPECT_TRUE(reloaded.GetBool("MidiPortAutoScan", false));
    EXPECT_EQ(reloaded.GetString("MidiInPort", "x"), "");
    EXPECT_EQ(reloaded.GetInt("ListHeight", 0), 25);
    EXPECT_EQ(reloaded.GetInt("MainWindowPositionX", 0), -40);
}

TEST_F(PreferencesDataTest, KeysMatchIgnoringCaseAndTheFirstChildWins)
{
    writeFile("<PreferencesData><autoreceive Value=\"0\"/><AUTORECEIVE Value=\"1\"/></PreferencesData>");
    PreferencesData prefs;

    EXPECT_FALSE(prefs.GetBool("AutoReceive", true));
    prefs.SetBool("AutoReceive", true);
    prefs.SetDefaultBool("AutoReceive", false);

    const auto& root = prefs.getRoot();
    ASSERT_EQ(root.getNumChildElements(), 2);
    EXPECT_EQ(root.getChildElement(0)->getTagName(), "autoreceive") << "the tag keeps its letter case";
    EXPECT_EQ(root.getChildElement(0)->getStringAttribute("Value"), "1");
    EXPECT_EQ(root.getChildElement(1)->getStringAttribute("Value"), "1");
}

TEST_F(PreferencesDataTest, MissingChildOrValueAttributeGivesTheDefaultAndReadingCreatesNothing)
{
    writeFile("<PreferencesData><ListHeight value=\"40\"/></PreferencesData>");
    PreferencesData prefs;

    EXPECT_EQ(prefs.GetInt("ListHeight", 7), 7) << "the attribute name is matched exactly";
    EXPECT_EQ(prefs.GetString("MidiOutPort", "none"), "none");
    EXPECT_TRUE(prefs.GetBool("WarnBeforeWriting", true));
    EXPECT_EQ(prefs.getRoot().getNumChildElements(), 1);

    prefs.SetDefaultInt("ListHeight", 25);
    prefs.SetDefaultString("listheight", "30");
    EXPECT_FALSE(prefs.getRoot().getChildElement(0)->hasAttribute("Value")) << "an existing child is left alone";
}

TEST(PreferencesConversion, BoolReadsTrueOnlyForOneTOrYAfterWhiteSpace)
{
    for (const auto* text : {"1", "T", "true", "t", "Y", "yes", " \t\r\n\v\fyes", "10"})
        EXPECT_TRUE(PreferencesData::parseBool(text)) << text;
    for (const auto* text : {"", "0", "no", "false", "2", " ", "-1", "x1"})
        EXPECT_FALSE(PreferencesData::parseBool(text)) << text;
}

TEST(PreferencesConversion, IntReadsLikeAtoi)
{
    EXPECT_EQ(PreferencesData::parseInt("30abc"), 30);
    EXPECT_EQ(PreferencesData::parseInt("abc"), 0);
    EXPECT_EQ(PreferencesData::parseInt(""), 0);
    EXPECT_EQ(PreferencesData::parseInt("  -12"), -12);
    EXPECT_EQ(PreferencesData::parseInt("+7"), 7);
    EXPECT_EQ(PreferencesData::parseInt("- 7"), 0);
    EXPECT_EQ(PreferencesData::parseInt("99999999999"), 2147483647);
    EXPECT_EQ(PreferencesData::parseInt("-99999999999"), -2147483647 - 1);
}

TEST_F(PreferencesDataTest, TextAndBoolValuesRoundTripThroughTheFile)
{
    {
        PreferencesData prefs;
        prefs.SetString("MidiInPort", "QTR-3 \"Digital\" - Port <1> & 2");
        prefs.SetBool("WarnBeforeWriting", false);
        prefs.SetBool("AutoReceive", true);
        prefs.Save();
    }
    PreferencesData reloaded;
    EXPECT_EQ(reloaded.GetString("midiinport", ""), "QTR-3 \"Digital\" - Port <1> & 2");
    EXPECT_FALSE(reloaded.GetBool("WarnBeforeWriting", true));
    EXPECT_EQ(reloaded.GetString("AutoReceive", ""), "1");
}

TEST_F(PreferencesDataTest, ForeignRootTagAndUnknownContentAreWrittenBack)
{
    writeFile("<Settings version=\"2\"><Other a=\"b\">note</Other><ListHeight Value=\"30px\"/></Settings>");
    {
        PreferencesData prefs;
        EXPECT_EQ(prefs.GetInt("ListHeight", 0), 30);
        prefs.SetInt("ListHeight", 31);
    }
    const auto saved = juce::parseXML(file());
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->getTagName(), "Settings");
    EXPECT_EQ(saved->getStringAttribute("version"), "2");
    ASSERT_NE(saved->getChildByName("Other"), nullptr);
    EXPECT_EQ(saved->getChildByName("Other")->getAllSubText(), "note");
    EXPECT_EQ(saved->getChildByName("ListHeight")->getStringAttribute("Value"), "31");
}

TEST_F(PreferencesDataTest, MalformedFileIsKeptAsideBeforeTheFirstSave)
{
    // A save cut off half-way.
    const juce::String malformed = "<PreferencesData><AutoReceive Value=\"0\"/><ListHeight Val";
    writeFile(malformed);
    {
        PreferencesData prefs;
        EXPECT_EQ(prefs.getRoot().getNumChildElements(), 0);
        EXPECT_TRUE(prefs.GetBool("AutoReceive", true));
        EXPECT_EQ(file().loadFileAsString(), malformed) << "nothing is touched before a save";

        prefs.SetBool("AutoReceive", true);
        prefs.Save();
        prefs.Save(); // a second save must not move the new file aside
    }

    const auto aside = folder.getChildFile("PreferencesData.xml.corrupt");
    EXPECT_EQ(aside.loadFileAsString(), malformed);
    EXPECT_EQ(folder.findChildFiles(juce::File::findFiles, false).size(), 2);
    EXPECT_TRUE(PreferencesData().GetBool("AutoReceive", false));
}

TEST_F(PreferencesDataTest, AnEarlierCorruptCopyIsNotOverwritten)
{
    writeFile("not xml");
    folder.getChildFile("PreferencesData.xml.corrupt").replaceWithText("older");
    PreferencesData().Save();

    EXPECT_EQ(folder.getChildFile("PreferencesData.xml.corrupt").loadFileAsString(), "older");
    const auto copies = folder.findChildFiles(juce::File::findFiles, false, "*.corrupt");
    ASSERT_EQ(copies.size(), 2);
    EXPECT_TRUE(copies[0].loadFileAsString() == "not xml" || copies[1].loadFileAsString() == "not xml");
}

TEST_F(PreferencesDataTest, EmptyFileCountsAsNoFile)
{
    writeFile("");
    PreferencesData().Save();
    EXPECT_EQ(folder.findChildFiles(juce::File::findFiles, false).size(), 1);
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
    EXPECT_EQ(folder.findChildFiles(juce::File::findFiles, false).size(), 2) << "no temporary file is left";
}
