#include "files/MemoryBasedZipUncompressor.h"

#include "platform/Utf8Text.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr std::uint32_t endOfDirectorySignature = 0x06054b50;
constexpr std::uint32_t localHeaderSignature = 0x04034b50;
constexpr int endOfDirectorySize = 22;
constexpr int directoryHeaderSize = 46;
constexpr int localHeaderSize = 30;
// How far back from the end of the file the end record is looked for.
constexpr std::int64_t endRecordSearchSpan = 1024;
// Buffer over a compressed entry's stream; the inflated length an entry that declares
// none starts from (doubled as it grows).
constexpr int inflateBufferSize = 32768;
constexpr juce::int64 initialCapacity = 4096;
// Deflate turns one stored byte into at most about a thousand.
constexpr juce::int64 maxDeflateRatio = 1032;

const char* const openFailureText = "Failed to open the zip file for reading";

std::uint16_t readLittleEndian16(const std::uint8_t* bytes)
{
    return juce::ByteOrder::littleEndianShort(bytes);
}

std::uint32_t readLittleEndian32(const std::uint8_t* bytes)
{
    return juce::ByteOrder::littleEndianInt(bytes);
}

// Position of the end-of-central-directory record, or -1. It is looked for backwards
// from the end of the archive in steps of one record size, lowest position first
// within each step.
std::int64_t findEndOfDirectory(const std::uint8_t* bytes, std::int64_t size)
{
    std::int64_t pos = size;
    const std::int64_t lowestPos = std::max<std::int64_t>(pos - endRecordSearchSpan, 0);

    while (pos > lowestPos)
    {
        pos = std::max<std::int64_t>(pos - endOfDirectorySize, 0);
        if (pos + endOfDirectorySize > size)
            return -1;

        for (std::int64_t i = pos; i < pos + endOfDirectorySize && i + 4 <= size; ++i)
            if (readLittleEndian32(bytes + i) == endOfDirectorySignature)
                return i;
    }
    return -1;
}

void zeroBytes(juce::MemoryBlock& block, size_t offset, size_t count)
{
    if (count > 0)
        std::memset(static_cast<char*>(block.getData()) + offset, 0, count);
}

// The whole file in one read, or nothing when it cannot be read or is too large.
juce::MemoryBlock loadArchiveFile(const juce::File& file)
{
    juce::MemoryBlock block;
    juce::FileInputStream in(file);
    const juce::int64 length = in.openedOk() ? in.getTotalLength() : 0;
    if (length <= 0 || length > MemoryBasedZipUncompressor::maxFileBytes)
        return block;

    block.setSize(static_cast<size_t>(length));
    if (in.read(block.getData(), static_cast<int>(length)) != static_cast<int>(length))
        block.reset();
    return block;
}
} // namespace

MemoryBasedZipUncompressor::MemoryBasedZipUncompressor(const juce::File& file) : fileBytes(loadArchiveFile(file))
{
    bytes = static_cast<const std::uint8_t*>(fileBytes.getData());
    numBytes = fileBytes.getSize();
    readDirectory();
}

MemoryBasedZipUncompressor::MemoryBasedZipUncompressor(const void* archiveBytes, std::size_t size)
    : bytes(static_cast<const std::uint8_t*>(archiveBytes)), numBytes(archiveBytes != nullptr ? size : 0)
{
    readDirectory();
}

MemoryBasedZipUncompressor::~MemoryBasedZipUncompressor() = default;

void MemoryBasedZipUncompressor::readDirectory()
{
    const auto size = static_cast<std::int64_t>(numBytes);
    const std::int64_t endRecordPos = findEndOfDirectory(bytes, size);
    if (endRecordPos < 0 || endRecordPos + endOfDirectorySize > size)
        return;

    const auto* endRecord = bytes + endRecordPos;
    const int numEntries = readLittleEndian16(endRecord + 10);
    const auto directoryOffset = static_cast<std::int32_t>(readLittleEndian32(endRecord + 16));
    if (directoryOffset < 0 || directoryOffset >= size)
        return;

    const auto* directory = bytes + directoryOffset;
    const auto directorySize = static_cast<size_t>(size - directoryOffset);
    size_t pos = 0;

    for (int i = 0; i < numEntries; ++i)
    {
        if (pos + directoryHeaderSize > directorySize)
            break;

        const auto* header = directory + pos;
        const size_t nameLength = readLittleEndian16(header + 28);
        if (pos + directoryHeaderSize + nameLength > directorySize)
            break;

        auto entry = std::make_unique<ZipEntryHolder>();
        entry->filename = decodeUtf8Text(header + directoryHeaderSize, nameLength);
        entry->isCompressed = readLittleEndian16(header + 10) != 0;
        entry->compressedSize = readLittleEndian32(header + 20);
        entry->uncompressedSize = readLittleEndian32(header + 24);
        entry->streamOffset = readLittleEndian32(header + 42);
        entries.push_back(std::move(entry));

        pos += directoryHeaderSize + nameLength + readLittleEndian16(header + 30) + readLittleEndian16(header + 32);
    }
}

int MemoryBasedZipUncompressor::getNumEntries() const
{
    return static_cast<int>(entries.size());
}

const ZipEntryHolder* MemoryBasedZipUncompressor::getEntry(int index) const
{
    if (index < 0 || index >= getNumEntries())
        return nullptr;
    return entries[static_cast<size_t>(index)].get();
}

juce::Result MemoryBasedZipUncompressor::uncompressAll(PlacedEntry* placed)
{
    for (int i = 0; i < getNumEntries(); ++i)
    {
        const auto result = uncompressEntry(i, placed);
        if (result.failed())
            return result;
    }
    return juce::Result::ok();
}

juce::Result MemoryBasedZipUncompressor::uncompressEntry(int index, PlacedEntry* placed)
{
    const auto* entry = getEntry(index);
    if (entry != nullptr && entry->filename.endsWithChar('/'))
        return juce::Result::ok();

    if (entry == nullptr)
        return juce::Result::fail(openFailureText);

    if (placed != nullptr && !placed->found && entry->filename == placed->name)
    {
        const auto result = inflateEntry(*entry, placed->block, placed->before, placed->after);
        placed->found = result.wasOk();
        return result;
    }

    juce::MemoryBlock block;
    const auto result = inflateEntry(*entry, block, 0, 0);
    // The first entry of a name wins.
    if (result.wasOk())
        fileData.emplace(entry->filename, std::move(block));
    return result;
}

juce::Result MemoryBasedZipUncompressor::inflateEntry(const ZipEntryHolder& entry, juce::MemoryBlock& block,
                                                      std::size_t before, std::size_t after)
{
    // Refuse by the declared sizes before anything is reserved.
    const std::int64_t budget = std::min(maxEntryBytes, maxArchiveBytes - bytesInflated);
    const std::int64_t declaredSize = entry.isCompressed
                                          ? entry.uncompressedSize
                                          : std::max<std::int64_t>(entry.uncompressedSize, entry.compressedSize);
    if (declaredSize > budget)
        return juce::Result::fail("Zip entry \"" + entry.filename + "\" is larger than a unit file may hold");

    ZipInputStream stored(*this, entry);
    std::unique_ptr<juce::GZIPDecompressorInputStream> inflater;
    if (entry.isCompressed)
        inflater = std::make_unique<juce::GZIPDecompressorInputStream>(
            &stored, false, juce::GZIPDecompressorInputStream::deflateFormat,
            static_cast<juce::int64>(entry.uncompressedSize));
    juce::InputStream& source = inflater != nullptr ? static_cast<juce::InputStream&>(*inflater) : stored;

    // The inflater does not stop at the declared length by itself: stop there when a
    // length is declared, and never go past the budget, counting what was really read.
    const juce::int64 declaredLength = source.getTotalLength();
    const juce::int64 readLimit = declaredLength > 0 ? declaredLength : budget + 1;

    // The bytes go straight into the block, between its room in front and the zeros behind.
    // A declared length is reserved only as far as the stored bytes can fill it, so that a
    // small file cannot make the reader reserve its whole budget.
    const juce::int64 fillable = stored.getBytesHeld() * (entry.isCompressed ? maxDeflateRatio : 1);
    juce::int64 capacity = std::min({declaredLength > 0 ? declaredLength : initialCapacity, fillable, readLimit});
    block.reset();
    block.setSize(before + static_cast<size_t>(capacity) + after);
    juce::int64 written = 0;
    while (written < readLimit)
    {
        if (written == capacity)
        {
            capacity = std::min(readLimit, std::max(capacity * 2, initialCapacity));
            block.setSize(before + static_cast<size_t>(capacity) + after);
        }
        auto* destination = static_cast<char*>(block.getData()) + before + written;
        const int numRead = source.read(destination, static_cast<int>(capacity - written));
        if (numRead <= 0)
            break;
        written += numRead;
    }
    if (written != capacity)
        block.setSize(before + static_cast<size_t>(written) + after);
    // Only the room and the tail need zeros: everything between was written.
    zeroBytes(block, 0, before);
    zeroBytes(block, before + static_cast<size_t>(written), after);
    bytesInflated += written;

    if (written > budget)
        return juce::Result::fail("Zip entry \"" + entry.filename + "\" inflates beyond what a unit file may hold");
    return juce::Result::ok();
}

std::unique_ptr<juce::InputStream> MemoryBasedZipUncompressor::createStreamForEntry(int index)
{
    const auto* entry = getEntry(index);
    if (entry == nullptr)
        return nullptr;

    auto stream = std::make_unique<ZipInputStream>(*this, *entry);
    if (!entry->isCompressed)
        return stream;

    auto* inflater =
        new juce::GZIPDecompressorInputStream(stream.release(), true, juce::GZIPDecompressorInputStream::deflateFormat,
                                              static_cast<juce::int64>(entry->uncompressedSize));
    return std::make_unique<juce::BufferedInputStream>(inflater, inflateBufferSize, true);
}

int MemoryBasedZipUncompressor::getIndexOfFileName(const juce::String& name) const
{
    for (int i = 0; i < getNumEntries(); ++i)
        if (entries[static_cast<size_t>(i)]->filename == name)
            return i;
    return -1;
}

const juce::MemoryBlock& MemoryBasedZipUncompressor::getFileData(const juce::String& name) const
{
    const auto found = fileData.find(name);
    return found != fileData.end() ? found->second : emptyBlock;
}

MemoryBasedZipUncompressor::ZipInputStream::ZipInputStream(const MemoryBasedZipUncompressor& owner,
                                                           const ZipEntryHolder& entryToRead)
    : archive(owner), entry(entryToRead)
{
    if (entry.streamOffset + localHeaderSize > static_cast<std::int64_t>(archive.numBytes))
        return;

    const auto* header = archive.bytes + entry.streamOffset;
    if (readLittleEndian32(header) == localHeaderSignature)
        headerSize = localHeaderSize + readLittleEndian16(header + 26) + readLittleEndian16(header + 28);
}

std::int64_t MemoryBasedZipUncompressor::ZipInputStream::getBytesHeld() const
{
    if (headerSize == 0)
        return 0;
    const std::int64_t start = entry.streamOffset + headerSize;
    return juce::jlimit<std::int64_t>(0, entry.compressedSize, static_cast<std::int64_t>(archive.numBytes) - start);
}

juce::int64 MemoryBasedZipUncompressor::ZipInputStream::getTotalLength()
{
    return entry.compressedSize;
}

bool MemoryBasedZipUncompressor::ZipInputStream::isExhausted()
{
    return headerSize == 0 || pos >= entry.compressedSize;
}

int MemoryBasedZipUncompressor::ZipInputStream::read(void* destBuffer, int maxBytesToRead)
{
    if (headerSize == 0 || maxBytesToRead <= 0)
        return 0;

    // Stored bytes cut off by the end of the archive read as far as they go.
    const std::int64_t start = entry.streamOffset + headerSize + pos;
    const std::int64_t available =
        std::min(entry.compressedSize - pos, static_cast<std::int64_t>(archive.numBytes) - start);
    const auto numToRead = static_cast<int>(std::min<std::int64_t>(maxBytesToRead, available));
    if (numToRead <= 0)
        return 0;

    std::memcpy(destBuffer, archive.bytes + start, static_cast<size_t>(numToRead));
    pos += numToRead;
    return numToRead;
}

juce::int64 MemoryBasedZipUncompressor::ZipInputStream::getPosition()
{
    return pos;
}

bool MemoryBasedZipUncompressor::ZipInputStream::setPosition(juce::int64 newPosition)
{
    pos = juce::jlimit<juce::int64>(0, entry.compressedSize, newPosition);
    return true;
}
