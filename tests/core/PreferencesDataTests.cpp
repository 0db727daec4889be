#include "core/BoundedXml.h"
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
    void TearDown() override
    {
        PreferencesData::setFolderOverrideForTesting({});
        PreferencesData::setUnreadableFileAsideForTesting({});
    }

    juce::File file() const { return folder.getChildFile("PreferencesData.xml"); }

    void writeFile(const juce::String& text) { ASSERT_TRUE(folder.createDirectory() && file().replaceWithText(text)); }

    const test::TemporaryFolder temporary{"qtr-prefs"};
    juce::File folder = temporary.getChildFile("preferences");
};

const auto repeat = [](const juce::String& text, int times)
{ return juce::String::repeatedString(text, times).toStdString(); };

// AutoReceive off, nested depth levels deep, naming names elements and attributes, padded to bytes.
std::string boundedFile(int depth, int names, std::size_t bytes = 0)
{
    auto text = "<P><AutoReceive Value=\"0\"/>" + repeat("<b/>", names - depth - 2) + repeat("<a>", depth - 1) +
                repeat("</a>", depth - 1) + "</P>";
    return text.insert(3, std::max(bytes, text.size()) - text.size(), ' ');
}
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

TEST_F(PreferencesDataTest, UnreadableOrHostileFilesAreKeptAsideAtTheFirstSaveAndDefaultsUsed)
{
    const std::string off = "<P><AutoReceive Value=\"0\"/>";
    // Torn, processing instruction in content, document type, hidden nesting, a wide tag (each attribute would be
    // saved on a line of its own, indented past the long tag: 4 MB), and an encoded surrogate.
    const std::pair<std::string, bool> cases[] = {
        {"<PreferencesData><AutoReceive Value=\"0\"/><ListHeight Val", false},
        {off + "<?x?>a</P>", false},
        {"<!DOCTYPE P [<!ENTITY e \"<a/>\">]>" + off + "&e;</P>", false},
        {off + repeat("<a>&x</a>;", 100) + repeat("</a>", 100) + "</P>", false},
        {off + "<" + std::string(20000, 't') + repeat(" a=\"" + std::string(64, 'v') + '"', 200) + "/></P>", false},
        {off + "<MidiInPort Value=\"\xed\xa0\x80\"/></P>", false},
        {boundedFile(40000, 40002), false},
        {boundedFile(maxXmlDepth, 70), true},
        {boundedFile(maxXmlDepth + 1, 70), false},
        {boundedFile(2, maxXmlNames), true},
        {boundedFile(2, maxXmlNames + 1), false},
        {boundedFile(2, 4, maxXmlFileBytes), true},
        {boundedFile(2, 4, maxXmlFileBytes + 1), false}};

    for (std::size_t row = 0; row < std::size(cases); ++row)
    {
        const auto& [text, readable] = cases[row];
        PreferencesData::setFolderOverrideForTesting(folder = temporary.getChildFile(juce::String(row)));
        writeFile(text);
        folder.getChildFile("PreferencesData.xml.corrupt").replaceWithText("older");
        // A second name for the old file: an in-place rewrite would change what it shows.
        const auto link = folder.getChildFile("old.xml");
        ASSERT_EQ(::link(file().getFullPathName().toRawUTF8(), link.getFullPathName().toRawUTF8()), 0);
        {
            PreferencesData prefs;
            prefs.Save();
            prefs.Save(); // the second save must not move the new file aside
        }
        EXPECT_EQ(PreferencesData().GetBool("AutoReceive", true), !readable) << row;
        EXPECT_EQ(folder.getChildFile("PreferencesData.xml(2).corrupt").getSize(), readable ? 0 : text.size()) << row;
        EXPECT_EQ(link.getSize(), static_cast<juce::int64>(text.size())) << row;
        EXPECT_EQ(folder.getNumberOfChildFiles(juce::File::findFiles), readable ? 3 : 4) << row; // no temporary left
    }
}

TEST_F(PreferencesDataTest, HandEditedFileWithSingleQuotesAndFourByteCharactersIsReadAndSavedAlike)
{
    // A folder named with an emoji and a character beyond the basic plane, each four bytes in UTF-8.
    const auto lastFolder = juce::String::fromUTF8("/home/u/Units \xf0\x9f\x8e\xb9 \xf0\xa0\x80\x8b");
    const juce::String entries = "<AutoReceive Value='0'/><LastSavedFolder Value='" + lastFolder + "'/>";
    writeFile("<?xml version='1.0' encoding='UTF-8'?>\n<PreferencesData>" + entries +
              "<MidiInPort Value='QTR \"3\"'/></PreferencesData>");
    for (int start = 0; start < 2; ++start) // as edited, then as the program saved it
    {
        const PreferencesData prefs;
        EXPECT_FALSE(prefs.GetBool("AutoReceive", true)) << start;
        EXPECT_EQ(prefs.GetString("LastSavedFolder", {}), lastFolder) << start;
        EXPECT_EQ(prefs.GetString("MidiInPort", {}), "QTR \"3\"") << start;
    }
    EXPECT_EQ(folder.getNumberOfChildFiles(juce::File::findFiles), 1) << "nothing kept aside";
}

TEST_F(PreferencesDataTest, SaveThatTheNextStartCouldNotReadLeavesThePreviousFile)
{
    const std::string small = "<PreferencesData><AutoReceive Value=\"0\"/></PreferencesData>";
    // The bytes left for the value of a new key before the saved text reaches the reading limit.
    const auto room = [&](const char* key)
    {
        auto tree = juce::parseXML(small);
        tree->createNewChildElement(key)->setAttribute("Value", "");
        return static_cast<int>(maxXmlFileBytes - xmlTextSize(*tree, PreferencesData::fileFormat()));
    };
    const auto letters = [](int count) { return juce::String::repeatedString("x", count); };
    // The file, the key set, its value, and whether the save writes it. A folder just within the limit and one
    // byte beyond it; a port name that is short in memory but escaped beyond it; a key added to a file that
    // already names as many elements and attributes as the reader takes.
    const std::tuple<std::string, const char*, juce::String, bool> cases[] = {
        {small, "LastSavedFolder", letters(room("LastSavedFolder")), true},
        {small, "LastSavedFolder", letters(room("LastSavedFolder") + 1), false},
        {small, "MidiInPort", juce::String::repeatedString("&", room("MidiInPort") / 5 + 1), false},
        {boundedFile(2, maxXmlNames), "MidiPortAutoScan", "1", false}};

    for (std::size_t row = 0; row < std::size(cases); ++row)
    {
        const auto& [text, key, value, written] = cases[row];
        PreferencesData::setFolderOverrideForTesting(folder = temporary.getChildFile(juce::String(row)));
        writeFile(text);
        {
            PreferencesData prefs;
            prefs.SetString(key, value);
            prefs.Save();
        } // and saved again

        const PreferencesData nextStart;
        EXPECT_FALSE(nextStart.GetBool("AutoReceive", true)) << row;
        EXPECT_TRUE(nextStart.GetString(key, "none") == (written ? value : "none")) << row;
        if (!written)
        {
            EXPECT_TRUE(file().loadFileAsString().toStdString() == text) << row; // byte for byte, kept
        }
        // Nothing kept aside as unreadable, no temporary file left.
        EXPECT_EQ(folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories), 1) << row;
    }
}

TEST_F(PreferencesDataTest, EmptyFileReadsAsNoSettingsAndIsReplacedWithoutKeepingItAside)
{
    writeFile("");
    {
        PreferencesData prefs;
        EXPECT_EQ(prefs.getRoot().getTagName(), "PreferencesData");
        EXPECT_EQ(prefs.getRoot().getNumChildElements(), 0);
        prefs.SetBool("AutoReceive", false);
    }
    EXPECT_FALSE(PreferencesData().GetBool("AutoReceive", true));
    EXPECT_EQ(folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories), 1);
}

TEST_F(PreferencesDataTest, UnreadableFileIsNotReplacedWhileItCannotBeKeptAside)
{
    const juce::String unreadable = "<PreferencesData><AutoReceive Val";
    writeFile(unreadable);
    // A folder with something in it holds the name: no move can take it, not even for root.
    const auto aside = temporary.getChildFile("aside");
    ASSERT_TRUE(aside.getChildFile("occupied").create());
    PreferencesData::setUnreadableFileAsideForTesting(aside);
    {
        PreferencesData prefs;
        prefs.SetBool("AutoReceive", false);
        prefs.Save();
        EXPECT_EQ(file().loadFileAsString(), unreadable);
        // Once the name is free the next save keeps the file aside first.
        ASSERT_TRUE(aside.deleteRecursively());
        prefs.Save();
        EXPECT_EQ(aside.loadFileAsString(), unreadable);
    }
    EXPECT_FALSE(PreferencesData().GetBool("AutoReceive", true));
}

TEST_F(PreferencesDataTest, AfterAnUnreadableFileIsKeptAsideOrDeletedLaterChangesAreSavedAndReadBack)
{
    const juce::String unreadable = "<PreferencesData><ListHeight Value=\"40\"/><AutoReceive Val";
    for (const bool deletedBeforeTheSave : {false, true})
    {
        SCOPED_TRACE(deletedBeforeTheSave ? "deleted" : "kept aside");
        PreferencesData::setFolderOverrideForTesting(folder = temporary.getChildFile(deletedBeforeTheSave ? "d" : "k"));
        writeFile(unreadable);
        {
            PreferencesData prefs;
            prefs.SetInt("ListHeight", 31);
            if (deletedBeforeTheSave)
            {
                ASSERT_TRUE(file().deleteFile());
            }
            prefs.Save();
            prefs.SetInt("ListHeight", 33);
            prefs.SetBool("AutoReceive", false);
        } // saved again

        const PreferencesData nextStart;
        EXPECT_EQ(nextStart.GetInt("ListHeight", 0), 33);
        EXPECT_FALSE(nextStart.GetBool("AutoReceive", true));
        // Only the unreadable file was kept aside, once.
        const auto aside = folder.getChildFile("PreferencesData.xml.corrupt");
        EXPECT_EQ(aside.loadFileAsString(), deletedBeforeTheSave ? juce::String() : unreadable);
        EXPECT_EQ(folder.getNumberOfChildFiles(juce::File::findFilesAndDirectories), deletedBeforeTheSave ? 1 : 2);
    }
}
