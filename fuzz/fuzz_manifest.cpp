// Feeds arbitrary text to the manifest check the way the unit-file reader does:
// bounds first, then the JSON parser, then parseUnitManifest. Nothing may crash,
// and a header that comes back must be one the block check accepts.

#include "data/UnitDataBlock.h"
#include "files/UnitManifest.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string message;
    if (!checkManifestBounds(text, message))
        return 0;

    boost::property_tree::ptree tree;
    try
    {
        std::stringstream json(text);
        boost::property_tree::read_json(json, tree);
    }
    catch (const std::exception&)
    {
        return 0;
    }

    const auto header = parseUnitManifest(tree, message);
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
