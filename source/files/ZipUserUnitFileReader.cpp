#include "files/ZipUserUnitFileReader.h"

#include "data/UnitDataBlock.h"
#include "files/UnitManifest.h"
#include "platform/Utf8Text.h"

#include <boost/regex.hpp>

#include <cstring>

namespace w40388_file
{
ZipUserUnitFileReader::ZipUserUnitFileReader(const juce::File& file) : archive(file) {}

ZipUserUnitFileReader::ZipUserUnitFileReader(const void* archiveBytes, std::size_t numBytes)
    : archive(archiveBytes, numBytes)
{
}

ZipUserUnitFileReader::~ZipUserUnitFileReader() = default;

ReadError ZipUserUnitFileReader::readInto(w40388_data::UserUnitData& target)
{
    // The names are known from the directory alone, so the payload can be inflated
    // straight into the unit data block: room for the header in front, the zero tail behind.
    const bool named = findMemberNames();
    payload.name = payloadName;
    payload.before = UnitDataBlock::payloadOffset;
    payload.after = UnitDataBlock::tailSize;

    const auto inflated = archive.uncompressAll(named ? &payload : nullptr);
    if (inflated.failed())
    {
        message = inflated.getErrorMessage();
        return ReadError::FailedToUncompressZipFile;
    }

    if (!named)
        return ReadError::InvalidUserUnitFile;
    if (const auto result = checkMembers(); result != ReadError::NoError)
        return result;
    if (const auto result = parseManifest(); result != ReadError::NoError)
        return result;
    if (const auto result = buildBlock(); result != ReadError::NoError)
        return result;

    target.unitData = std::move(payload.block);
    target.message = juce::String();
    return ReadError::NoError;
}

bool ZipUserUnitFileReader::findMemberNames()
{
    const auto* first = archive.getNumEntries() >= 2 ? archive.getEntry(0) : nullptr;
    if (first == nullptr)
        return false;

    // The top folder is the first path component of the first entry, with its "/".
    static const boost::regex topFolderPattern("([^/]+/).*");
    const auto firstName = first->filename.toStdString();
    boost::smatch match;
    if (!boost::regex_match(firstName, match, topFolderPattern))
        return false;

    // Names are kept as their bytes; the framework's decoding of a zero-terminated text
    // writes past its buffer when the bytes are not valid UTF-8.
    const auto folderName = match[1].str();
    const auto topFolder = decodeUtf8Text(folderName.data(), folderName.size());
    manifestName = topFolder + juce::String(unitManifestName.data(), unitManifestName.size());
    payloadName = topFolder + juce::String(unitPayloadName.data(), unitPayloadName.size());
    return true;
}

ReadError ZipUserUnitFileReader::checkMembers() const
{
    if (archive.getIndexOfFileName(manifestName) < 0)
        return ReadError::UserUnitFileMissingManifest;
    // The first entry of the payload's name was placed into the block.
    if (!payload.found)
        return ReadError::UserUnitFileMissingPayload;
    return ReadError::NoError;
}

namespace
{
juce::String toJuceString(const std::string& text)
{
    return decodeUtf8Text(text.data(), text.size());
}
} // namespace

ReadError ZipUserUnitFileReader::parseManifest()
{
    std::string checkMessage;
    const auto& bytes = archive.getFileData(manifestName);
    const auto parsed = readUnitManifest(bytes.getData(), bytes.getSize(), checkMessage);
    if (parsed == nullptr)
    {
        message = toJuceString(checkMessage);
        return ReadError::FailedToParseUserUnitManifest;
    }

    header = *parsed;
    return ReadError::NoError;
}

ReadError ZipUserUnitFileReader::buildBlock()
{
    // checkMembers saw the payload placed: the block holds the room, the payload and the tail.
    auto& block = payload.block;
    const auto payloadSize = block.getSize() - UnitDataBlock::overhead;
    auto* bytes = static_cast<std::uint8_t*>(block.getData());
    std::memcpy(bytes, header.data(), UnitDataBlock::headerPartSize);
    const auto size32 = juce::ByteOrder::swapIfBigEndian(static_cast<std::uint32_t>(payloadSize));
    std::memcpy(bytes + UnitDataBlock::payloadSizeOffset, &size32, sizeof(size32));

    std::string failure;
    if (!UnitDataBlock::check(block, failure))
    {
        message = toJuceString(failure);
        return ReadError::FailedToReadUserUnitFile;
    }
    return ReadError::NoError;
}
} // namespace w40388_file
