#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>
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

// Reads a whole unit file (a small zip archive) from memory: lists the entries of
// its central directory and inflates every file entry into a table keyed by name.
// The unit-file reader makes one per read on the message thread and drops it after.
//
// Unit files hold a manifest and a payload of some tens of KiB, so the reader holds
// at most maxEntryBytes per entry and maxArchiveBytes for the whole archive, counting
// both the sizes the archive declares and the bytes actually inflated; an archive
// beyond either fails to inflate instead of exhausting memory. A file larger than
// maxFileBytes is not read at all.
class MemoryBasedZipUncompressor
{
public:
    static constexpr std::int64_t maxEntryBytes = 16 * 1024 * 1024;
    static constexpr std::int64_t maxArchiveBytes = 16 * 1024 * 1024;
    static constexpr std::int64_t maxFileBytes = 2 * maxArchiveBytes;

    // Never fails: a missing, unreadable, too large or non-zip file has no entries.
    explicit MemoryBasedZipUncompressor(const juce::File& file);
    // Reads the archive in place: the bytes must outlive the object.
    MemoryBasedZipUncompressor(const void* archiveBytes, std::size_t numBytes);
    virtual ~MemoryBasedZipUncompressor();

    int getNumEntries() const;
    const ZipEntryHolder* getEntry(int index) const;

    // Where uncompressAll puts the first file entry of one name instead of the table:
    // block becomes `before` bytes of room (zero), the entry's bytes, then `after` zero
    // bytes. The unit-file reader inflates the payload straight into its unit data block.
    struct PlacedEntry
    {
        juce::String name;
        std::size_t before = 0;
        std::size_t after = 0;
        juce::MemoryBlock block;
        bool found = false; // set once an entry of the name has been inflated into block
    };

    // Inflates every entry in directory order; the first failure ends it.
    juce::Result uncompressAll(PlacedEntry* placed = nullptr);
    juce::Result uncompressEntry(int index, PlacedEntry* placed = nullptr);

    // The entry's data (inflated when compressed), or null for an index without entry.
    std::unique_ptr<juce::InputStream> createStreamForEntry(int index);

    // First entry with exactly this name (directories included), else -1.
    int getIndexOfFileName(const juce::String& name) const;

    // Bytes held for the name, or an empty block.
    const juce::MemoryBlock& getFileData(const juce::String& name) const;

    // Reads the raw stored bytes of one entry, as far as the archive holds them.
    class ZipInputStream : public juce::InputStream
    {
    public:
        ZipInputStream(const MemoryBasedZipUncompressor& archive, const ZipEntryHolder& entry);

        // How many of the stored bytes the archive really holds.
        std::int64_t getBytesHeld() const;

        juce::int64 getTotalLength() override;
        bool isExhausted() override;
        int read(void* destBuffer, int maxBytesToRead) override;
        juce::int64 getPosition() override;
        bool setPosition(juce::int64 newPosition) override;

    private:
        const MemoryBasedZipUncompressor& archive;
        ZipEntryHolder entry;
        std::int64_t pos = 0;
        std::uint32_t headerSize = 0;
    };

private:
    void readDirectory();
    juce::Result inflateEntry(const ZipEntryHolder& entry, juce::MemoryBlock& block, std::size_t before,
                              std::size_t after);

    juce::MemoryBlock fileBytes; // the archive read from a file; empty when reading in place
    const std::uint8_t* bytes = nullptr;
    std::size_t numBytes = 0;
    std::vector<std::unique_ptr<ZipEntryHolder>> entries;
    std::map<juce::String, juce::MemoryBlock> fileData;
    juce::MemoryBlock emptyBlock;
    std::int64_t bytesInflated = 0; // over the whole archive, duplicates included
};
