#pragma once

#include "core/Singleton.h"

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>

namespace w40388_preferences
{
// Preference keys, in declaration order.
inline constexpr const char* autoReceiveKey = "AutoReceive";
inline constexpr const char* midiPortAutoScanKey = "MidiPortAutoScan";
inline constexpr const char* midiInPortKey = "MidiInPort";
inline constexpr const char* midiOutPortKey = "MidiOutPort";
inline constexpr const char* warnBeforeWritingKey = "WarnBeforeWriting";
inline constexpr const char* warnBeforeImportingForOtherTargetKey = "WarnBeforeImportingForOtherTarget";
inline constexpr const char* lastSavedFolderKey = "LastSavedFolder";
inline constexpr const char* mainWindowWidthKey = "MainWindowWidth";
inline constexpr const char* mainWindowHeightKey = "MainWindowHeight";
inline constexpr const char* mainWindowPositionXKey = "MainWindowPositionX";
inline constexpr const char* mainWindowPositionYKey = "MainWindowPositionY";
inline constexpr const char* mainWindowSplitPositionKey = "MainWindowSplitPosition";
inline constexpr const char* listHeightKey = "ListHeight";
// The row height start-up stores when "ListHeight" is absent, and the one lists use when it holds no number.
inline constexpr int defaultListHeight = 25;

inline constexpr std::array<const char*, 13> preferenceKeys{
    autoReceiveKey,         midiPortAutoScanKey,    midiInPortKey,
    midiOutPortKey,         warnBeforeWritingKey,   warnBeforeImportingForOtherTargetKey,
    lastSavedFolderKey,     mainWindowWidthKey,     mainWindowHeightKey,
    mainWindowPositionXKey, mainWindowPositionYKey, mainWindowSplitPositionKey,
    listHeightKey};

inline constexpr const char* preferencesFileName = "PreferencesData.xml";
inline constexpr const char* preferencesFolderName = "Feltan QTR-3 Digital Librarian";
inline constexpr const char* preferencesRootTag = "PreferencesData";
inline constexpr const char* preferencesValueAttribute = "Value";
// Suffix of a preferences file that could not be read, kept aside before it is replaced.
inline constexpr const char* unreadableFileSuffix = ".corrupt";

// The user's settings as an XML tree mirroring the preferences file: one child per key, its value
// in the attribute "Value". Keys match child tags ignoring case (the first match in document
// order); children, attributes and text that are not ours are kept and written back unchanged.
// The file is read on first use and written by Save() and at shutdown; in between every change
// stays in memory. Changing a setting notifies nobody. Message thread only.
class PreferencesData : public Singleton<PreferencesData>, public juce::DeletedAtShutdown
{
public:
    // Loads the file (a missing or unreadable one gives an empty tree, see parseFile).
    PreferencesData();
    // Saves the tree.
    ~PreferencesData() override;

    juce::String GetString(const juce::String& key, const juce::String& defaultValue) const;
    int GetInt(const juce::String& key, int defaultValue) const;
    bool GetBool(const juce::String& key, bool defaultValue) const;

    void SetString(const juce::String& key, const juce::String& value);
    void SetInt(const juce::String& key, int value);
    void SetBool(const juce::String& key, bool value);

    // Write only when no child for the key exists, whatever that child holds.
    void SetDefaultString(const juce::String& key, const juce::String& value);
    void SetDefaultInt(const juce::String& key, int value);
    void SetDefaultBool(const juce::String& key, bool value);

    // The child for the key, appended to the root's children when there is none.
    juce::XmlElement& GetOrCreateChild(const juce::String& key);

    // Replaces the file with the tree: written to a temporary file beside it, which then takes
    // its place, so a failed or interrupted save leaves the previous file whole. A file that could
    // not be read at load time is first kept aside under the ".corrupt" suffix. A tree whose text
    // parseFile would refuse (larger than it reads, or naming more than it takes) is not written.
    // Failures are not reported; the settings stay in memory.
    void Save();

    // The preferences file; creates its folder when missing.
    juce::File GetFilePath() const;

    // The root of the tree (its tag is the one the file had).
    const juce::XmlElement& getRoot() const noexcept { return *root; }

    // Test seam: objects created after this call use the given folder in place of the user's
    // preferences folder; an empty juce::File restores the default. The program never calls it.
    static void setFolderOverrideForTesting(const juce::File& folder);
    // Test seam: objects keep an unreadable file aside under this name instead of a fresh sibling
    // with the ".corrupt" suffix (a name that is always free); an empty juce::File restores that.
    static void setUnreadableFileAsideForTesting(const juce::File& aside);

    // The tree of a preferences file's bytes, or null when they are unreadable: not XML that
    // parseBoundedXml takes, or a tree that would be saved as more than maxXmlFileBytes.
    static std::unique_ptr<juce::XmlElement> parseFile(const void* data, std::size_t size);
    // The format the file is written in: UTF-8 declared, CR LF line ends, attributes wrapped at 60.
    static juce::XmlElement::TextFormat fileFormat();

    // Value conversions of the file format.
    static bool parseBool(const juce::String& text);
    static int parseInt(const juce::String& text);
    // A decimal number and nothing else but white space around it ("030" is 30, "0x20" and "30abc"
    // are no number), clamped to the int range like parseInt; nothing for any other text.
    static std::optional<int> parseDecimal(const juce::String& text);

private:
    const juce::XmlElement* findChild(const juce::String& key) const;
    const juce::String* findValue(const juce::String& key) const;
    void load();
    bool keepUnreadableFileAside(const juce::File& file);

    juce::File folder;
    std::unique_ptr<juce::XmlElement> root;
    // Set when the file at load time existed but was unreadable or malformed.
    bool unreadableFilePending = false;

    JUCE_DECLARE_NON_COPYABLE(PreferencesData)
};
} // namespace w40388_preferences
