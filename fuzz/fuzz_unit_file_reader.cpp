// Feeds arbitrary bytes to the unit-file reader, from memory through the same reading
// the program does once it has a file's bytes. The first byte chooses how:
// 0 - the rest is the archive itself;
// 1 - the rest is split into a manifest text and a payload that are packed into a
//     well-formed archive, so that mutations reach the manifest and block checks.
// The reader must return a known code, never crash, and change its target only on 0,
// to a block that is laid out as the instrument expects.

#include "data/UnitDataBlock.h"
#include "data/UserUnitData.h"
#include "files/ReadError.h"
#include "files/UserUnitFileReader.h"
#include "support/files/UnitFileBuilder.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace
{
// A well-formed archive of two stored members. Two bytes give the manifest's length; the
// payload is what follows it.
juce::MemoryBlock packIntoArchive(const std::uint8_t* data, std::size_t size)
{
    const std::size_t manifestSize = size >= 2 ? std::min<std::size_t>(size - 2, data[0] | data[1] << 8) : 0;
    const auto* manifest = data + std::min<std::size_t>(size, 2);
    const std::size_t payloadSize = size - std::min<std::size_t>(size, 2) - manifestSize;
    return test::buildRawZip(
        {test::storedEntry("unit/manifest.json", juce::MemoryBlock(manifest, manifestSize)),
         test::storedEntry("unit/payload.bin", juce::MemoryBlock(manifest + manifestSize, payloadSize))});
}

bool isKnownCode(int code)
{
    switch (static_cast<ReadError>(code))
    {
    case ReadError::NoError:
    case ReadError::FailedToUncompressZipFile:
    case ReadError::FailedToReadUserUnitFile:
    case ReadError::InvalidUserUnitFile:
    case ReadError::UserUnitFileMissingManifest:
    case ReadError::UserUnitFileMissingPayload:
    case ReadError::FailedToParseUserUnitManifest:
        return true;
    default:
        return false;
    }
}

// payload size + 1156 bytes, the size word at 1020, 132 zero bytes at the end, and a header
// and tag the block check accepts.
bool isWellFormedBlock(const juce::MemoryBlock& block)
{
    std::string failure;
    if (block.getSize() < UnitDataBlock::overhead || !UnitDataBlock::check(block, failure) ||
        UnitDataBlock::getPayloadSize(block) + UnitDataBlock::overhead != block.getSize())
        return false;

    const auto* tail = static_cast<const char*>(block.getData()) + block.getSize() - UnitDataBlock::tailSize;
    for (std::size_t i = 0; i < UnitDataBlock::tailSize; ++i)
        if (tail[i] != 0)
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;

    // The archive is read where it lies: libFuzzer's buffer has exactly the input's size,
    // so any read past the end is caught.
    juce::MemoryBlock packed;
    const void* archive = data + 1;
    std::size_t archiveSize = size - 1;
    if (data[0] == 1)
    {
        packed = packIntoArchive(data + 1, size - 1);
        archive = packed.getData();
        archiveSize = packed.getSize();
    }

    w40388_data::UserUnitData target;
    w40388_file::UserUnitFileReader reader(target);
    const int code = reader.read(archive, archiveSize);

    if (!isKnownCode(code))
        std::abort();
    if (code != 0 && (target.unitData.getSize() != 0 || target.message != "Uninitialized data."))
        std::abort();
    if (code == 0 && (!isWellFormedBlock(target.unitData) || target.message.isNotEmpty()))
        std::abort();
    return 0;
}
