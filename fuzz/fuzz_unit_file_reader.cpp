// Feeds arbitrary bytes to the unit-file reader. The first byte chooses how:
// 0 - the rest is the archive itself;
// 1 - the rest is split into a manifest text and a payload that are packed into a
//     well-formed archive, so that mutations reach the manifest and block checks.
// The reader must return a known code, never crash, and change its target only on 0.

#include "data/UserUnitData.h"
#include "files/ReadError.h"
#include "files/UserUnitFileReader.h"

#include <juce_core/juce_core.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdlib.h>
#include <unistd.h>
#include <vector>

namespace
{
// The file each input is written to before it is read: created with a unique name
// (mkstemps), so that fuzzers running side by side never share it, and removed at exit.
class ScratchFile
{
public:
    ScratchFile()
    {
        const auto pattern = juce::File::getSpecialLocation(juce::File::tempDirectory)
                                 .getChildFile("fuzz_unit_file_reader_XXXXXX.zip")
                                 .getFullPathName();
        std::vector<char> path(pattern.toRawUTF8(), pattern.toRawUTF8() + pattern.getNumBytesAsUTF8() + 1);
        const int descriptor = ::mkstemps(path.data(), 4);
        if (descriptor < 0)
            std::abort();
        ::close(descriptor);
        file = juce::File(juce::CharPointer_UTF8(path.data()));
    }

    ~ScratchFile() { file.deleteFile(); }

    juce::File file;
};

const juce::File& scratchFile()
{
    static const ScratchFile scratch;
    return scratch.file;
}

juce::MemoryBlock packIntoArchive(const std::uint8_t* data, std::size_t size)
{
    // Two bytes give the manifest's length; the payload is what follows it.
    const std::size_t manifestSize = size >= 2 ? std::min<std::size_t>(size - 2, data[0] | data[1] << 8) : 0;
    const auto* manifest = data + std::min<std::size_t>(size, 2);
    const auto* payload = manifest + manifestSize;
    const std::size_t payloadSize = size - std::min<std::size_t>(size, 2) - manifestSize;

    // The zip builder cannot write dates before 1980.
    const juce::Time date(2024, 0, 1, 12, 0);
    juce::ZipFile::Builder builder;
    builder.addEntry(new juce::MemoryInputStream(manifest, manifestSize, true), 0, "unit/manifest.json", date);
    builder.addEntry(new juce::MemoryInputStream(payload, payloadSize, true), 0, "unit/payload.bin", date);
    juce::MemoryOutputStream out;
    builder.writeToStream(out, nullptr);
    return out.getMemoryBlock();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;

    const auto bytes = data[0] == 1 ? packIntoArchive(data + 1, size - 1) : juce::MemoryBlock(data + 1, size - 1);
    const auto& file = scratchFile();
    if (!file.replaceWithData(bytes.getData(), bytes.getSize()))
        return 0;

    w40388_data::UserUnitData target;
    w40388_file::UserUnitFileReader reader(target);
    const int code = reader.read(file);

    const bool known = code == static_cast<int>(ReadError::NoError) ||
                       code == static_cast<int>(ReadError::FailedToUncompressZipFile) ||
                       (code >= static_cast<int>(ReadError::FailedToReadUserUnitFile) &&
                        code <= static_cast<int>(ReadError::FailedToParseUserUnitManifest) &&
                        code != static_cast<int>(ReadError::InvalidModuleForUserUnitFile));
    if (!known)
        std::abort();
    if (code != 0 && (target.unitData.getSize() != 0 || target.message != "Uninitialized data."))
        std::abort();
    if (code == 0 && (target.unitData.getSize() < 1156 || target.message.isNotEmpty()))
        std::abort();
    return 0;
}
