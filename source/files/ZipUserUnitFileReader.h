#pragma once

#include "data/UnitHeader.h"
#include "data/UserUnitData.h"
#include "files/MemoryBasedZipUncompressor.h"
#include "files/ReadError.h"

#include <juce_core/juce_core.h>

#include <cstddef>

namespace w40388_file
{
// The working state of one UserUnitFileReader::read: the archive, the header the
// manifest check made, the unit data block the payload is inflated into and the
// diagnostic message. Made at the start of the call and dropped at its end, so
// nothing outlives a read.
class ZipUserUnitFileReader
{
public:
    explicit ZipUserUnitFileReader(const juce::File& file);
    // Reads the archive in place: the bytes must outlive the object.
    ZipUserUnitFileReader(const void* archiveBytes, std::size_t numBytes);
    virtual ~ZipUserUnitFileReader();

    // Runs the read; stores the unit into target only when the result is NoError.
    ReadError readInto(w40388_data::UserUnitData& target);

    // Why the last step failed; "Unitialized." until a step sets it.
    const juce::String& getMessage() const { return message; }

private:
    bool findMemberNames();
    ReadError checkMembers() const;
    ReadError parseManifest();
    ReadError buildBlock();

    UnitHeader header;
    juce::String manifestName;
    juce::String payloadName;
    juce::String message{"Unitialized."};
    MemoryBasedZipUncompressor archive;
    // The payload, inflated straight into its place in the unit data block.
    MemoryBasedZipUncompressor::PlacedEntry payload;
};
} // namespace w40388_file
