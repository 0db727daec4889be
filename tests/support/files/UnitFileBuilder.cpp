#include "support/files/UnitFileBuilder.h"

#include "data/UnitDataBlock.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace test
{
namespace
{
std::string jsonQuoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
    {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string platformKey(UnitPlatform platform)
{
    const int index = static_cast<int>(platform) - 1;
    return index >= 0 && index < static_cast<int>(platformKeys.size()) ? std::string(platformKeys[index]) : "";
}

std::uint32_t parseVersion(const std::string& text)
{
    unsigned major = 0, minor = 0, patch = 0;
    std::sscanf(text.c_str(), "%u.%u-%u", &major, &minor, &patch);
    return makeUnitVersionWord(major, minor, patch);
}

void put16(juce::MemoryOutputStream& out, std::uint32_t value)
{
    out.writeShort(static_cast<short>(value & 0xFFFF));
}

void put32(juce::MemoryOutputStream& out, std::uint32_t value)
{
    out.writeInt(static_cast<int>(value));
}

juce::MemoryBlock inflate(const RawZipEntry& entry)
{
    juce::MemoryInputStream stored(entry.stored, false);
    juce::GZIPDecompressorInputStream inflater(&stored, false, juce::GZIPDecompressorInputStream::deflateFormat);
    juce::MemoryBlock data;
    inflater.readIntoMemoryBlock(data);
    return data;
}

std::uint32_t crc32(const juce::MemoryBlock& data)
{
    static const auto table = []
    {
        std::array<std::uint32_t, 256> crcs{};
        for (std::uint32_t n = 0; n < 256; ++n)
        {
            std::uint32_t crc = n;
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            crcs[n] = crc;
        }
        return crcs;
    }();
    std::uint32_t crc = 0xFFFFFFFFu;
    const auto* bytes = static_cast<const std::uint8_t*>(data.getData());
    for (std::size_t i = 0; i < data.getSize(); ++i)
        crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

// What the headers say of an entry's data.
struct DeclaredData
{
    std::uint32_t crc = 0, compressed = 0, uncompressed = 0;
};

DeclaredData declaredDataOf(const RawZipEntry& entry)
{
    const auto storedSize = static_cast<std::uint32_t>(entry.stored.getSize());
    DeclaredData declared{entry.crc.value_or(0), entry.declaredCompressedSize.value_or(storedSize),
                          entry.declaredUncompressedSize.value_or(storedSize)};
    if (entry.method == 0 && !entry.crc)
        declared.crc = crc32(entry.stored);
    // Inflated only where something is not given: the size limits' tests build large entries.
    if (entry.method != 0 && (!entry.crc || !entry.declaredUncompressedSize))
    {
        const auto data = inflate(entry);
        if (!entry.crc)
            declared.crc = crc32(data);
        if (!entry.declaredUncompressedSize)
            declared.uncompressed = static_cast<std::uint32_t>(data.getSize());
    }
    return declared;
}

// MemoryOutputStream::write expects a buffer even for no bytes, and an empty block has none.
void putBlock(juce::MemoryOutputStream& out, const juce::MemoryBlock& block)
{
    if (!block.isEmpty())
        out.write(block.getData(), block.getSize());
}

// One extra field: its tag, its length and its data.
void putExtraField(juce::MemoryOutputStream& out, std::uint16_t tag, const std::vector<std::uint8_t>& data)
{
    put16(out, tag);
    put16(out, static_cast<std::uint32_t>(data.size()));
    out.write(data.data(), data.size());
}
} // namespace

std::string makeManifestJson(const UnitFileOptions& options)
{
    std::string json = "{\n  \"header\": {\n";
    json += "    \"platform\": " + jsonQuoted(platformKey(options.platform)) + ",\n";
    json += "    \"module\": " + jsonQuoted(std::string(moduleKeys[static_cast<std::size_t>(options.module)])) + ",\n";
    json += "    \"api\": " + jsonQuoted(options.api) + ",\n";
    json += "    \"dev_id\": " + std::to_string(options.devId) + ",\n";
    json += "    \"prg_id\": " + std::to_string(options.prgId) + ",\n";
    json += "    \"version\": " + jsonQuoted(options.version) + ",\n";
    json += "    \"name\": " + jsonQuoted(options.name);
    if (options.module == UnitModule::Oscillator)
        json += ",\n    \"num_param\": 0,\n    \"params\": []";
    return json + "\n  }\n}\n";
}

juce::MemoryBlock makePayload(const UnitFileOptions& options)
{
    juce::MemoryBlock payload(options.payloadSize, true);
    auto* bytes = static_cast<std::uint8_t*>(payload.getData());
    for (std::size_t i = 0; i < options.payloadSize; ++i)
        bytes[i] = static_cast<std::uint8_t>((i * 7 + 3) & 0xFF);

    const auto tag = moduleTag(static_cast<int>(options.module));
    std::memcpy(bytes, tag.data(), std::min(tag.size(), options.payloadSize));
    return payload;
}

juce::MemoryBlock makeUnitDataBlock(const UnitFileOptions& options)
{
    UnitHeader header;
    header.setTarget(options.platform, options.module);
    header.setApi(parseVersion(options.api));
    header.setDevId(options.devId);
    header.setPrgId(options.prgId);
    header.setVersion(parseVersion(options.version));
    header.setName(options.name);

    const auto payload = makePayload(options);
    return UnitDataBlock::build(header, payload.getData(), payload.getSize());
}

juce::MemoryBlock buildUnitFile(const UnitFileOptions& options)
{
    return buildUnitFile(makeManifestJson(options), makePayload(options), options.topFolder);
}

juce::MemoryBlock buildUnitFile(const std::string& manifestJson, const juce::MemoryBlock& payload,
                                const std::string& topFolder)
{
    return buildZip({{topFolder + "/manifest.json", toBlock(manifestJson)}, {topFolder + "/payload.bin", payload}});
}

// Blocks are copied through juce::MemoryBlock's constructors only: its copy assignment (also
// behind MemoryInputStream(const MemoryBlock&, true)) hands memcpy a null pointer when empty.
juce::MemoryBlock buildZip(const std::vector<ZipMember>& members)
{
    juce::ZipFile::Builder builder;
    for (const auto& member : members)
        builder.addEntry(new juce::MemoryInputStream(member.data.getData(), member.data.getSize(), true),
                         member.compress ? 9 : 0, juce::String::fromUTF8(member.name.c_str()),
                         juce::Time(2024, 0, 1, 12, 0));

    juce::MemoryOutputStream out;
    builder.writeToStream(out, nullptr);
    return out.getMemoryBlock();
}

RawZipEntry storedEntry(const std::string& name, const juce::MemoryBlock& data)
{
    RawZipEntry entry;
    entry.name = name;
    entry.stored = juce::MemoryBlock(data);
    return entry;
}

RawZipEntry storedEntry(const std::string& name, const std::string& text)
{
    return storedEntry(name, toBlock(text));
}

RawZipEntry deflatedEntry(const std::string& name, const juce::MemoryBlock& data)
{
    RawZipEntry entry;
    entry.name = name;
    entry.stored = deflateRaw(data);
    entry.method = 8;
    entry.declaredUncompressedSize = static_cast<std::uint32_t>(data.getSize());
    entry.crc = crc32(data);
    return entry;
}

RawZipEntry deflatedEntry(const std::string& name, const std::string& text)
{
    return deflatedEntry(name, toBlock(text));
}

RawZipEntry folderEntry(const std::string& name)
{
    return storedEntry(name, juce::MemoryBlock());
}

RawZipEntry asZipToolWritesIt(RawZipEntry entry, DataDescriptor descriptor)
{
    const std::vector<std::uint8_t> modified{0x80, 0x4F, 0x92, 0x65}, accessed{0x00, 0x50, 0x92, 0x65};
    const std::vector<std::uint8_t> owners{1, 4, 0xE8, 0x03, 0, 0, 4, 0xE9, 0x03, 0, 0}; // version, uid, gid
    std::vector<std::uint8_t> localTimes{0x03}; // flags: modification and access time present
    localTimes.insert(localTimes.end(), modified.begin(), modified.end());
    localTimes.insert(localTimes.end(), accessed.begin(), accessed.end());
    std::vector<std::uint8_t> centralTimes{0x03};
    centralTimes.insert(centralTimes.end(), modified.begin(), modified.end());

    juce::MemoryOutputStream local, central;
    putExtraField(local, 0x5455, localTimes);
    putExtraField(local, 0x7875, owners);
    putExtraField(central, 0x5455, centralTimes);
    putExtraField(central, 0x7875, owners);
    entry.localExtra = local.getMemoryBlock();
    entry.centralExtra = central.getMemoryBlock();
    entry.descriptor = descriptor;
    return entry;
}

juce::MemoryBlock buildZipToolUnitFile(const UnitFileOptions& options)
{
    const auto folder = options.topFolder + "/";
    return buildRawZip({asZipToolWritesIt(folderEntry(folder)),
                        asZipToolWritesIt(deflatedEntry(folder + "manifest.json", makeManifestJson(options)),
                                          DataDescriptor::WithSignature),
                        asZipToolWritesIt(deflatedEntry(folder + "payload.bin", makePayload(options)),
                                          DataDescriptor::WithoutSignature)});
}

juce::MemoryBlock buildRawZip(const std::vector<RawZipEntry>& entries, const RawZipLayout& layout)
{
    juce::MemoryOutputStream out;
    std::vector<std::uint32_t> localOffsets;
    std::vector<DeclaredData> declared;

    for (const auto& entry : entries)
    {
        localOffsets.push_back(static_cast<std::uint32_t>(out.getPosition()));
        declared.push_back(declaredDataOf(entry));
        const auto& [crc, compressed, uncompressed] = declared.back();
        const bool streamed = entry.descriptor != DataDescriptor::None;
        put32(out, entry.withLocalHeader ? 0x04034b50 : 0);
        put16(out, 20);               // version needed
        put16(out, streamed ? 8 : 0); // flags: bit 3, the data descriptor follows the data
        put16(out, entry.method);
        put32(out, 0); // time and date
        put32(out, streamed ? 0 : crc);
        put32(out, streamed ? 0 : compressed);
        put32(out, streamed ? 0 : uncompressed);
        put16(out, static_cast<std::uint32_t>(entry.name.size()));
        put16(out, static_cast<std::uint32_t>(entry.localExtra.getSize()));
        out.write(entry.name.data(), entry.name.size());
        putBlock(out, entry.localExtra);
        putBlock(out, entry.stored);
        if (entry.descriptor == DataDescriptor::WithSignature)
            put32(out, 0x08074b50);
        if (streamed)
        {
            put32(out, crc);
            put32(out, compressed);
            put32(out, uncompressed);
        }
    }

    const auto directoryOffset = static_cast<std::uint32_t>(out.getPosition());
    for (std::size_t i = 0; i < entries.size(); ++i)
    {
        const auto& entry = entries[i];
        const auto& [crc, compressed, uncompressed] = declared[i];
        put32(out, 0x02014b50);
        put16(out, 20); // version made by
        put16(out, 20); // version needed
        put16(out, entry.descriptor != DataDescriptor::None ? 8 : 0);
        put16(out, entry.method);
        put32(out, 0); // time and date
        put32(out, crc);
        put32(out, compressed);
        put32(out, uncompressed);
        put16(out, static_cast<std::uint32_t>(entry.name.size()));
        put16(out, static_cast<std::uint32_t>(entry.centralExtra.getSize()));
        put16(out, static_cast<std::uint32_t>(entry.comment.size()));
        put16(out, 0); // disk number
        put16(out, 0); // internal attributes
        put32(out, 0); // external attributes
        put32(out, localOffsets[i]);
        out.write(entry.name.data(), entry.name.size());
        putBlock(out, entry.centralExtra);
        out.write(entry.comment.data(), entry.comment.size());
    }
    const auto directorySize = static_cast<std::uint32_t>(out.getPosition()) - directoryOffset;

    const std::uint16_t count = layout.entryCount.value_or(static_cast<std::uint16_t>(entries.size()));
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, count);
    put16(out, count);
    put32(out, directorySize);
    put32(out, layout.directoryOffset ? static_cast<std::uint32_t>(*layout.directoryOffset) : directoryOffset);
    put16(out, static_cast<std::uint32_t>(layout.commentSize));
    for (std::size_t i = 0; i < layout.commentSize; ++i)
        out.writeByte('c');

    return out.getMemoryBlock();
}

juce::MemoryBlock deflateRaw(const juce::MemoryBlock& data)
{
    juce::MemoryOutputStream out;
    {
        juce::GZIPCompressorOutputStream deflater(out, 9, juce::GZIPCompressorOutputStream::windowBitsRaw);
        deflater.write(data.getData(), data.getSize());
        deflater.flush();
    }
    return out.getMemoryBlock();
}

juce::MemoryBlock toBlock(const std::string& text)
{
    return juce::MemoryBlock(text.data(), text.size());
}

TemporaryUnitFile::TemporaryUnitFile(const juce::MemoryBlock& bytes, const juce::String& extension)
    : file(folder.getChildFile("unit" + extension))
{
    file.replaceWithData(bytes.getData(), bytes.getSize());
}
} // namespace test
