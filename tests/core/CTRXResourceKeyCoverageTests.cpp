#include "core/CTRXResource.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>

namespace
{
void addLiterals(const std::string& code, std::set<std::string>& keys)
{
    static const std::regex literal(R"re("([^"\\]*)")re");
    for (std::sregex_iterator it(code.begin(), code.end(), literal), end; it != end; ++it)
        keys.insert((*it)[1]);
}

void addCallArguments(const std::string& source, const std::string& function, std::set<std::string>& keys)
{
    const std::regex call("\\b" + function + R"re(\s*\(\s*"([^"\\]*)"\s*\))re");
    for (std::sregex_iterator it(source.begin(), source.end(), call), end; it != end; ++it)
        keys.insert((*it)[1]);
}

// The text keys one source file asks for: string literals handed to getText or to a one-line
// function of the same file that forwards its argument to getText, and the entries of arrays
// written directly below a "// Text keys" line.
std::set<std::string> textKeysIn(const std::string& source)
{
    std::set<std::string> keys;
    addCallArguments(source, "getText", keys);

    static const std::regex forwarder(
        R"re(\b(\w+)\s*\([^()]*\)\s*(const\s*)?\{\s*return\s+[^;{}]*getText\s*\(\s*\w+\s*\)\s*;\s*\})re");
    for (std::sregex_iterator it(source.begin(), source.end(), forwarder), end; it != end; ++it)
        addCallArguments(source, (*it)[1], keys);

    // The table runs from the first brace below the marker to the first closing brace; // comments are left out.
    static const std::regex table(R"re((^|\n)[ \t]*// Text keys[ \t]*\r?\n[^{]*\{([^}]*)\})re");
    static const std::regex comment("//[^\n]*");
    for (std::sregex_iterator it(source.begin(), source.end(), table), end; it != end; ++it)
        addLiterals(std::regex_replace((*it)[2].str(), comment, ""), keys);
    return keys;
}

std::set<std::string> textKeysOfSources()
{
    std::set<std::string> keys;
    const juce::File sourceFolder(QTR_SOURCE_DIR);
    for (const auto& entry : juce::RangedDirectoryIterator(sourceFolder, true, "*.h;*.cpp", juce::File::findFiles))
    {
        const auto found = textKeysIn(entry.getFile().loadFileAsString().toStdString());
        keys.insert(found.begin(), found.end());
    }
    return keys;
}

TEST(TextKeyScanner, FindsGetTextCallsForwardersAndMarkedTables)
{
    const std::string source = R"src(
        label.setText(resource->getText ( "CommonOK" ), juce::dontSendNotification);
        auto computed = resource->getText(keyFor(code));
        juce::String text(const char* key) { return CTRXResource::getInstance()->getText(key); }
        button.setButtonText(text("CommonCancel"));
        editor.setText(other("NotAKeyEither"));
        const char* notAKey = "LoadUserOscData";
        // Text keys
        const char* const errorKeys[] = {
            "ReadErrorNoError", // "NotAKeyInAComment"
        };
        const char* const otherNames[] = {"UserListDragItem"};
        // Text keys
        const Entry table[] = {{1, "MenuFileExit", 'q'}};
    )src";

    EXPECT_EQ(textKeysIn(source),
              (std::set<std::string>{"CommonOK", "CommonCancel", "ReadErrorNoError", "MenuFileExit"}));
}

TEST(TextTables, BothLanguagesHaveTheSameKeysOnceEachAndATextForEveryKeyTheCodeAsksFor)
{
    const auto codeKeys = textKeysOfSources();
    ASSERT_FALSE(codeKeys.empty());
    std::map<std::string, std::set<std::string>> keysOf;

    for (const char* language : {"en", "ja"})
    {
        const auto file =
            platform::ResourceLookup(language).findResource(CTRXResource::tableName, CTRXResource::tableType);
        ASSERT_EQ(file.getParentDirectory().getFileName(), juce::String(language) + ".lproj");
        const CTRXResource table{platform::ResourceLookup{language}};
        for (const auto& key : codeKeys)
            EXPECT_TRUE(table.getText(key).trim().isNotEmpty()) << language << " has no text for " << key;

        const auto root = juce::XmlDocument::parse(file);
        ASSERT_NE(root, nullptr) << language;
        std::set<std::string> lowerCaseKeys;
        for (const auto* entry : root->getChildIterator())
        {
            const auto key = entry->getTagName();
            EXPECT_TRUE(lowerCaseKeys.insert(key.toLowerCase().toStdString()).second) << language << " repeats " << key;
            EXPECT_TRUE(entry->getStringAttribute("Text").trim().isNotEmpty()) << language << " empty: " << key;
            keysOf[language].insert(key.toStdString());
        }
    }

    EXPECT_EQ(keysOf["en"], keysOf["ja"]);
    EXPECT_GE(keysOf["en"].size(), 29u + 19u); // at least the read-error and MIDI result keys
}
} // namespace
