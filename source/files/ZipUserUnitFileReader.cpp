#include "files/ZipUserUnitFileReader.h"

#include "data/UnitDataBlock.h"
#include "files/UnitManifest.h"
#include "files/Utf8Text.h"

#include <boost/property_tree/json_parser.hpp>
#include <boost/property_tree/ptree.hpp>
#include <boost/regex.hpp>

#include <exception>
#include <sstream>

namespace w40388_file
{
ZipUserUnitFileReader::ZipUserUnitFileReader(const juce::File& file) : archive(file)
{
}

ZipUserUnitFileReader::~ZipUserUnitFileReader() = default;

ReadError ZipUserUnitFileReader::readInto(w40388_data::UserUnitData& target)
{
    const auto inflated = archive.uncompressAll();
    if (inflated.failed())
    {
        message = inflated.getErrorMessage();
        return ReadError::FailedToUncompressZipFile;
    }

    if (const auto result = findMembers(); result != ReadError::NoError)
        return result;
    if (const auto result = parseManifest(); result != ReadError::NoError)
        return result;

    juce::MemoryBlock block;
    if (const auto result = buildBlock(block); result != ReadError::NoError)
        return result;

    target.unitData = std::move(block);
    target.message = juce::String();
    return ReadError::NoError;
}

ReadError ZipUserUnitFileReader::findMembers()
{
    const auto* first = archive.getNumEntries() >= 2 ? archive.getEntry(0) : nullptr;
    if (first == nullptr)
        return ReadError::InvalidUserUnitFile;

    // The top folder is the first path component of the first entry, with its "/".
    static const boost::regex topFolderPattern("([^/]+/).*");
    const auto firstName = first->filename.toStdString();
    boost::smatch match;
    if (!boost::regex_match(firstName, match, topFolderPattern))
        return ReadError::InvalidUserUnitFile;

    const auto topFolder = juce::String::fromUTF8(match[1].str().c_str());
    manifestName = topFolder + juce::String(unitManifestName.data(), unitManifestName.size());
    payloadName = topFolder + juce::String(unitPayloadName.data(), unitPayloadName.size());

    if (archive.getIndexOfFileName(manifestName) < 0)
        return ReadError::UserUnitFileMissingManifest;
    if (archive.getIndexOfFileName(payloadName) < 0)
        return ReadError::UserUnitFileMissingPayload;
    return ReadError::NoError;
}

namespace
{
std::unique_ptr<UnitHeader> readManifest(const juce::MemoryBlock& bytes, std::string& message)
{
    if (bytes.getSize() > maxManifestBytes)
    {
        message = "Manifest is too large. (" + std::to_string(bytes.getSize()) + " bytes)";
        return nullptr;
    }

    // A zero byte ends the text.
    const auto text = decodeUtf8Text(bytes.getData(), bytes.getSize()).toStdString();
    if (!checkManifestBounds(text, message))
        return nullptr;

    try
    {
        std::stringstream json(text);
        boost::property_tree::ptree tree;
        boost::property_tree::read_json(json, tree);
        return parseUnitManifest(tree, message);
    }
    catch (const std::exception& e)
    {
        message = e.what();
        return nullptr;
    }
}

juce::String toJuceString(const std::string& text)
{
    return decodeUtf8Text(text.data(), text.size());
}
} // namespace

ReadError ZipUserUnitFileReader::parseManifest()
{
    std::string checkMessage;
    const auto parsed = readManifest(archive.getFileData(manifestName), checkMessage);
    if (parsed == nullptr)
    {
        message = toJuceString(checkMessage);
        return ReadError::FailedToParseUserUnitManifest;
    }

    header = *parsed;
    return ReadError::NoError;
}

ReadError ZipUserUnitFileReader::buildBlock(juce::MemoryBlock& block)
{
    // Appending rather than assigning: the framework's copy of an empty block passes a null pointer to memcpy.
    const auto& payloadBytes = archive.getFileData(payloadName);
    payload.setSize(0);
    payload.append(payloadBytes.getData(), payloadBytes.getSize());
    block = UnitDataBlock::build(header, payload.getData(), payload.getSize());

    std::string failure;
    if (!UnitDataBlock::check(block, failure))
    {
        message = toJuceString(failure);
        return ReadError::FailedToReadUserUnitFile;
    }
    return ReadError::NoError;
}
} // namespace w40388_file
