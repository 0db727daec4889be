#include "files/MemoryBasedZipUncompressor.h"

#include "files/Utf8Text.h"

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
constexpr juce::int64 endRecordSearchSpan = 1024;
constexpr int searchBufferSize = 8192;
constexpr int inflateBufferSize = 32768;

const char* const openFailureText = "Failed to open the zip file for reading";

std::uint16_t readLittleEndian16(const std::uint8_t* bytes)
{
    return juce::ByteOrder::littleEndianShort(bytes);
}

std::uint32_t readLittleEndian32(const std::uint8_t* bytes)
{
    return juce::ByteOrder::littleEndianInt(bytes);
}

// Position of the end-of-central-directory record, or -1.
juce::int64 findEndOfDirectory(juce::InputStream& input)
{
    juce::BufferedInputStream in(input, searchBufferSize);

    juce::int64 pos = std::max<juce::int64>(in.getTotalLength(), 0);
    const juce::int64 lowestPos = std::max<juce::int64>(pos - endRecordSearchSpan, 0);
    std::uint8_t window[32] = {};

    while (pos > lowestPos)
    {
        pos = std::max<juce::int64>(pos - endOfDirectorySize, 0);
        // Keep the previous window's first bytes so a signature split across two reads is still seen.
        std::memmove(window + endOfDirectorySize, window, 4);

        if (!in.setPosition(pos) || in.read(window, endOfDirectorySize) != endOfDirectorySize)
            return -1;

        for (int i = 0; i < endOfDirectorySize; ++i)
            if (readLittleEndian32(window + i) == endOfDirectorySignature)
                return pos + i;
    }
    return -1;
}
} // namespace

MemoryBasedZipUncompressor::MemoryBasedZipUncompressor(const juce::File& file)
    : source(std::make_unique<juce::FileInputSource>(file))
{
    readDirectory();
}

MemoryBasedZipUncompressor::~MemoryBasedZipUncompressor() = default;

void MemoryBasedZipUncompressor::readDirectory()
{
    std::unique_ptr<juce::InputStream> in(source->createInputStream());
    if (in == nullptr)
        return;

    const juce::int64 endRecordPos = findEndOfDirectory(*in);
    if (endRecordPos < 0)
        return;

    std::uint8_t endRecord[endOfDirectorySize] = {};
    if (!in->setPosition(endRecordPos) || in->read(endRecord, endOfDirectorySize) != endOfDirectorySize)
        return;

    const int numEntries = readLittleEndian16(endRecord + 10);
    const auto directoryOffset = static_cast<std::int32_t>(readLittleEndian32(endRecord + 16));
    const juce::int64 fileLength = in->getTotalLength();

    if (directoryOffset < 0 || directoryOffset >= fileLength)
        return;

    // A directory larger than a whole acceptable archive cannot belong to a unit file.
    const juce::int64 directorySize = fileLength - directoryOffset;
    if (directorySize > maxArchiveBytes)
        return;

    juce::MemoryBlock directory(static_cast<size_t>(directorySize));
    if (!in->setPosition(directoryOffset) ||
        in->read(directory.getData(), static_cast<int>(directorySize)) != static_cast<int>(directorySize))
        return;

    const auto* bytes = static_cast<const std::uint8_t*>(directory.getData());
    size_t pos = 0;

    for (int i = 0; i < numEntries; ++i)
    {
        if (pos + directoryHeaderSize > directory.getSize())
            break;

        const auto* header = bytes + pos;
        const size_t nameLength = readLittleEndian16(header + 28);
        if (pos + directoryHeaderSize + nameLength > directory.getSize())
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

juce::Result MemoryBasedZipUncompressor::uncompressAll()
{
    for (int i = 0; i < getNumEntries(); ++i)
    {
        const auto result = uncompressEntry(i);
        if (result.failed())
            return result;
    }
    return juce::Result::ok();
}

juce::Result MemoryBasedZipUncompressor::uncompressEntry(int index)
{
    const auto* entry = getEntry(index);
    if (entry != nullptr && entry->filename.endsWithChar('/'))
        return juce::Result::ok();

    if (entry == nullptr)
        return juce::Result::fail(openFailureText);

    // Refuse by the declared sizes before anything is reserved.
    const std::int64_t budget = std::min(maxEntryBytes, maxArchiveBytes - bytesInflated);
    const std::int64_t declaredSize =
        entry->isCompressed ? entry->uncompressedSize : std::max<std::int64_t>(entry->uncompressedSize, entry->compressedSize);
    if (declaredSize > budget)
        return juce::Result::fail("Zip entry \"" + entry->filename + "\" is larger than a unit file may hold");

    auto stream = createStreamForEntry(index);
    if (stream == nullptr)
        return juce::Result::fail(openFailureText);

    // The inflater does not stop at the declared length by itself: stop there when a
    // length is declared, and never go past the budget, counting what was really read.
    const juce::int64 declaredLength = stream->getTotalLength();
    const juce::int64 readLimit = declaredLength > 0 ? declaredLength : budget + 1;

    juce::MemoryBlock block;
    juce::int64 written = 0;
    {
        juce::MemoryOutputStream out(block, false);
        if (declaredLength > 0)
            out.preallocate(static_cast<size_t>(declaredLength));

        juce::HeapBlock<char> buffer(inflateBufferSize);
        while (written < readLimit)
        {
            const auto wanted = static_cast<int>(std::min<juce::int64>(inflateBufferSize, readLimit - written));
            const int numRead = stream->read(buffer.get(), wanted);
            if (numRead <= 0)
                break;
            out.write(buffer.get(), static_cast<size_t>(numRead));
            written += numRead;
        }
    }
    block.setSize(static_cast<size_t>(written));
    bytesInflated += written;

    if (written > budget)
        return juce::Result::fail("Zip entry \"" + entry->filename + "\" inflates beyond what a unit file may hold");

    // The first entry of a name wins.
    fileData.emplace(entry->filename, std::move(block));
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

    auto* inflater = new juce::GZIPDecompressorInputStream(stream.release(), true,
                                                           juce::GZIPDecompressorInputStream::deflateFormat,
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

MemoryBasedZipUncompressor::ZipInputStream::ZipInputStream(MemoryBasedZipUncompressor& owner,
                                                           const ZipEntryHolder& entryToRead)
    : archive(owner), entry(entryToRead), input(archive.source->createInputStream())
{
    if (input == nullptr || !input->setPosition(entry.streamOffset))
        return;

    std::uint8_t header[localHeaderSize];
    if (input->read(header, localHeaderSize) == localHeaderSize && readLittleEndian32(header) == localHeaderSignature)
        headerSize = localHeaderSize + readLittleEndian16(header + 26) + readLittleEndian16(header + 28);
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
    if (headerSize == 0 || input == nullptr || maxBytesToRead <= 0)
        return 0;

    const auto numToRead = static_cast<int>(std::min<juce::int64>(maxBytesToRead, entry.compressedSize - pos));
    if (numToRead <= 0 || !input->setPosition(entry.streamOffset + headerSize + pos))
        return 0;

    const int numRead = input->read(destBuffer, numToRead);
    if (numRead <= 0)
        return 0;
    pos += numRead;
    return numRead;
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
