#pragma once

// Builders of unit files for tests, all in memory.
//
//   test::UnitFileOptions options;              // a valid oscillator for this instrument
//   options.module = UnitModule::DelayEffect;   // change what the test is about
//   test::TemporaryUnitFile file(test::buildUnitFile(options));
//   w40388_data::UserUnitData unit;
//   w40388_file::UserUnitFileReader(unit).read(file.getFile());   // -> 0
//   // unit.unitData == test::makeUnitDataBlock(options)
//
// makeUnitDataBlock gives the same block without a file, for tests of slot records
// and MIDI jobs. buildZip makes well-formed archives of any members with JUCE's zip
// builder; buildRawZip writes archives byte by byte, for damaged and odd layouts and for
// the extra fields and data descriptors of archives made by ordinary zip tools.

#include "data/UnitHeader.h"
#include "support/TemporaryFolder.h"

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace test
{
struct UnitFileOptions
{
    UnitModule module = UnitModule::Oscillator;
    UnitPlatform platform = UnitPlatform::FeltanDigital;
    std::string name = "Test Unit";
    std::string version = "1.0-0";
    std::string api = "1.0-0";
    std::uint32_t devId = 0;
    std::uint32_t prgId = 0;
    // Whole payload length; the payload starts with the module's tag (when it has room)
    // followed by a repeating byte pattern.
    std::size_t payloadSize = 64;
    // Folder holding manifest.json and payload.bin inside the archive.
    std::string topFolder = "unit";
};

// The manifest.json text of the options (oscillators get "num_param": 0).
std::string makeManifestJson(const UnitFileOptions& options);

// The payload.bin bytes of the options.
juce::MemoryBlock makePayload(const UnitFileOptions& options);

// The unit data block the reader makes of buildUnitFile(options).
juce::MemoryBlock makeUnitDataBlock(const UnitFileOptions& options);

// A complete unit file: "<topFolder>/manifest.json" and "<topFolder>/payload.bin", deflated.
juce::MemoryBlock buildUnitFile(const UnitFileOptions& options);

// A unit file whose manifest text is given as is.
juce::MemoryBlock buildUnitFile(const std::string& manifestJson, const juce::MemoryBlock& payload,
                                const std::string& topFolder = "unit");

// Well-formed archives through juce::ZipFile::Builder, members in the given order.
struct ZipMember
{
    std::string name;
    juce::MemoryBlock data;
    bool compress = true;
};
juce::MemoryBlock buildZip(const std::vector<ZipMember>& members);

// How an entry's CRC-32 and sizes are given. A zip tool that streams an entry out sets flag bit 3,
// leaves them zero in the local header and writes them in a data descriptor after the data,
// with or without the descriptor's signature.
enum class DataDescriptor
{
    None,
    WithSignature,
    WithoutSignature
};

// One entry of a hand-written archive.
struct RawZipEntry
{
    std::string name;
    juce::MemoryBlock stored;                              // the bytes as they stand in the file
    std::uint16_t method = 0;                              // 0 stored, 8 deflated, any other number as given
    std::optional<std::uint32_t> declaredUncompressedSize; // default: stored size, or the inflated size
    std::optional<std::uint32_t> declaredCompressedSize;   // default: stored size
    std::optional<std::uint32_t> crc;                      // default: of the stored or the inflated bytes
    bool withLocalHeader = true; // false: the directory points at bytes that are no local header
    // Extra fields of the local and of the central header: zip tools write them with different lengths.
    juce::MemoryBlock localExtra;
    juce::MemoryBlock centralExtra;
    DataDescriptor descriptor = DataDescriptor::None;
    std::string comment; // the entry's comment, after its name and extra field in the directory
};

RawZipEntry storedEntry(const std::string& name, const juce::MemoryBlock& data);
RawZipEntry storedEntry(const std::string& name, const std::string& text);
RawZipEntry deflatedEntry(const std::string& name, const juce::MemoryBlock& data);
RawZipEntry deflatedEntry(const std::string& name, const std::string& text);
RawZipEntry folderEntry(const std::string& name); // name should end in "/"

// The entry with the extra fields a zip tool on Unix adds: an extended timestamp (modification and
// access time in the local header, modification time only in the central one: 28 and 24 bytes in all)
// and the owner's user and group ids; streamed out with the given descriptor.
RawZipEntry asZipToolWritesIt(RawZipEntry entry, DataDescriptor descriptor = DataDescriptor::None);

// A complete unit file as a zip tool writes it: an entry for the top folder, then the manifest and
// the payload deflated and streamed, one descriptor with its signature and one without.
juce::MemoryBlock buildZipToolUnitFile(const UnitFileOptions& options);

struct RawZipLayout
{
    std::size_t commentSize = 0;                 // comment bytes after the end record
    std::optional<std::uint16_t> entryCount;     // default: number of entries
    std::optional<std::int32_t> directoryOffset; // default: where the directory starts
};

juce::MemoryBlock buildRawZip(const std::vector<RawZipEntry>& entries, const RawZipLayout& layout = {});

// Raw deflate (no zlib or gzip wrapper), as zip entries hold it.
juce::MemoryBlock deflateRaw(const juce::MemoryBlock& data);

juce::MemoryBlock toBlock(const std::string& text);

// Bytes written to a file in a temporary folder of its own, deleted with the object.
class TemporaryUnitFile
{
public:
    explicit TemporaryUnitFile(const juce::MemoryBlock& bytes, const juce::String& extension = ".ftndigunit");

    const juce::File& getFile() const { return file; }

private:
    TemporaryFolder folder{"qtr-unit-file"};
    juce::File file;
};
} // namespace test
