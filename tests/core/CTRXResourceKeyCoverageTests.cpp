#include "core/CTRXResource.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>

// Adds the first group of every match of pattern in text.
static void addMatches(const std::string& text, const std::regex& pattern, std::set<std::string>& keys)
{
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it)
        keys.insert((*it)[1]);
}

// The text keys one source file asks for: string literals handed to getText or to a one-line
// function of the same file that forwards its argument to getText, and the entries of arrays
// written directly below a "// Text keys" line.
static std::set<std::string> textKeysIn(const std::string& source)
{
    std::set<std::string> keys, functions{"getText"};
    static const std::regex forwarder(
        R"re(\b(\w+)\s*\([^()]*\)\s*(const\s*)?\{\s*return\s+[^;{}]*getText\s*\(\s*\w+\s*\)\s*;\s*\})re");
    addMatches(source, forwarder, functions);
    for (const auto& function : functions)
        addMatches(source, std::regex("\\b" + function + R"re(\s*\(\s*"([^"\\]*)"\s*\))re"), keys);

    // The table runs from the first brace below the marker to the first closing brace; // comments are left out.
    static const std::regex table(R"re((^|\n)[ \t]*// Text keys[ \t]*\r?\n[^{]*\{([^}]*)\})re");
    static const std::regex comment("//[^\n]*"), literal(R"re("([^"\\]*)")re");
    for (std::sregex_iterator it(source.begin(), source.end(), table), end; it != end; ++it)
        addMatches(std::regex_replace((*it)[2].str(), comment, ""), literal, keys);
    return keys;
}

TEST(TextTables, BothLanguagesHaveTheSameKeysOnceEachAndATextForEveryKeyTheCodeAsksFor)
{
    std::set<std::string> codeKeys;
    for (const auto& entry : juce::RangedDirectoryIterator(juce::File(QTR_SOURCE_DIR), true, "*.h;*.cpp"))
        codeKeys.merge(textKeysIn(entry.getFile().loadFileAsString().toStdString()));
    // One key found by each way of asking: a direct call, a forwarding function, a marked table.
    for (const auto* key : {"FileDiscardCheckTitle", "CommonYes", "MidiCommunicationNoErrorDetail"})
        ASSERT_EQ(codeKeys.count(key), 1u) << key;
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
