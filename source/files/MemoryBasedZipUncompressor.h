#pragma once

#include <juce_core/juce_core.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

// One entry of a zip archive's central directory.
struct ZipEntryHolder
{
    juce::String filename; // directories end in "/"
    std::uint32_t uncompressedSize = 0;
    std::int64_t streamOffset = 0; // offset of the entry's local header
    std::int64_t compressedSize = 0;
    bool isCompressed = false;
};

// Reads a whole unit file (a small zip archive) into memory: lists the entries of
// its central directory and inflates every file entry into a table keyed by name.
// The unit-file reader makes one per read on the message thread and drops it after.
//
// Unit files hold a manifest and a payload of some tens of KiB, so the reader holds
// at most maxEntryBytes per entry and maxArchiveBytes for the whole archive, counting
// both the sizes the archive declares and the bytes actually inflated; an archive
// beyond either fails to inflate instead of exhausting memory.
class MemoryBasedZipUncompressor
{
public:
    static constexpr std::int64_t maxEntryBytes = 16 * 1024 * 1024;
    static constexpr std::int64_t maxArchiveBytes = 16 * 1024 * 1024;

    // Never fails: a missing, unreadable or non-zip file has no entries.
    explicit MemoryBasedZipUncompressor(const juce::File& file);
    virtual ~MemoryBasedZipUncompressor();

    int getNumEntries() const;
    const ZipEntryHolder* getEntry(int index) const;

    // Inflates every entry in directory order; the first failure ends it.
    juce::Result uncompressAll();
    juce::Result uncompressEntry(int index);

    // The entry's data (inflated when compressed), or null for an index without entry.
    std::unique_ptr<juce::InputStream> createStreamForEntry(int index);

    // First entry with exactly this name (directories included), else -1.
    int getIndexOfFileName(const juce::String& name) const;

    // Bytes held for the name, or an empty block.
    const juce::MemoryBlock& getFileData(const juce::String& name) const;

    // Reads the raw stored bytes of one entry through a stream of its own.
    class ZipInputStream : public juce::InputStream
    {
    public:
        ZipInputStream(MemoryBasedZipUncompressor& archive, const ZipEntryHolder& entry);

        juce::int64 getTotalLength() override;
        bool isExhausted() override;
        int read(void* destBuffer, int maxBytesToRead) override;
        juce::int64 getPosition() override;
        bool setPosition(juce::int64 newPosition) override;

    private:
        MemoryBasedZipUncompressor& archive;
        ZipEntryHolder entry;
        std::int64_t pos = 0;
        std::uint32_t headerSize = 0;
        std::unique_ptr<juce::InputStream> input;
    };

private:
    void readDirectory();

    std::vector<std::unique_ptr<ZipEntryHolder>> entries;
    std::unique_ptr<juce::FileInputSource> source;
    std::map<juce::String, juce::MemoryBlock> fileData;
    juce::MemoryBlock emptyBlock;
    std::int64_t bytesInflated = 0; // over the whole archive, duplicates included
};
