// Feeds arbitrary bytes to the manifest reading of the unit-file reader: bounds, UTF-8
// decoding, the JSON parser, then parseUnitManifest. Nothing may crash, and a header that
// comes back must be one the block check accepts.

#include "data/UnitDataBlock.h"
#include "files/UnitManifest.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string message;
    const auto header = readUnitManifest(data, size, message);
    if (header == nullptr)
        return 0;

    // A header the check made always passes the header part of the block check.
    const auto tag = moduleTag(header->getModule());
    const auto block = UnitDataBlock::build(*header, tag.data(), tag.size());
    std::string failure;
    if (header->getNumParam() > UnitHeader::maxParamDescriptors || !UnitDataBlock::check(block, failure))
        std::abort();
    return 0;
}
