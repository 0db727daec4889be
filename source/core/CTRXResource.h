#pragma once

#include "core/Singleton.h"
#include "platform/ResourceLookup.h"

#include <juce_core/juce_core.h>
#include <juce_events/juce_events.h>

#include <cstddef>
#include <memory>

// The table of localised display texts, keyed by text keys such as "CommonOK". It is loaded once,
// from the resource "LocalizableStrings.xml" of the current interface language, when the singleton
// is first used on the message thread during start-up; afterwards getText only reads, so the MIDI
// job thread may call it too. A missing or malformed table gives empty texts, and so does one that
// parseBoundedXml refuses (too large, nested too deep or not plainly well formed).
class CTRXResource : public Singleton<CTRXResource>, public juce::DeletedAtShutdown
{
public:
    // Loads the table of the language chosen at start-up (Japanese or English) from the program's
    // resources folder.
    CTRXResource();

    // Loads the table through the given lookup instead; the program itself never does this.
    explicit CTRXResource(const platform::ResourceLookup& lookup);

    // Builds the table from the bytes of a table file, read the same way; for fuzzing.
    CTRXResource(const void* tableBytes, std::size_t size);

    ~CTRXResource() override;

    // The "Text" attribute of the first entry whose tag equals key ignoring case; empty when there is
    // no table, no such entry, or that entry has no "Text".
    juce::String getText(const juce::String& key) const;

    // True when a table was found and parsed.
    bool hasTable() const { return root != nullptr; }

    static constexpr const char* tableName = "LocalizableStrings";
    static constexpr const char* tableType = "xml";

private:
    // Finds the resource and reads at most capacity bytes of it into buffer. size receives the file
    // size, or -1 when the resource cannot be found. Returns the number of bytes actually read.
    int loadBundleResource(const juce::String& name, const juce::String& type, void* buffer, int capacity,
                           int* size) const;
    void load();

    std::unique_ptr<juce::XmlElement> root;
    juce::HeapBlock<char> readBuffer;
    int readBufferCapacity = 0;
    platform::ResourceLookup lookup;

    JUCE_DECLARE_NON_COPYABLE(CTRXResource)
};
