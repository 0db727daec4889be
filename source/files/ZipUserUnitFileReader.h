#pragma once

#include "data/UnitHeader.h"
#include "data/UserUnitData.h"
#include "files/MemoryBasedZipUncompressor.h"
#include "files/ReadError.h"

#include <juce_core/juce_core.h>

namespace w40388_file
{
// The working state of one UserUnitFileReader::read: the archive, the header the
// manifest check made, a copy of the payload and the diagnostic message. Made at
// the start of the call and dropped at its end, so nothing outlives a read.
class ZipUserUnitFileReader
{
public:
    explicit ZipUserUnitFileReader(const juce::File& file);
    virtual ~ZipUserUnitFileReader();

    // Runs the read; stores the unit into target only when the result is NoError.
    ReadError readInto(w40388_data::UserUnitData& target);

    // Why the last step failed; "Unitialized." until a step sets it.
    const juce::String& getMessage() const { return message; }

private:
    ReadError findMembers();
    ReadError parseManifest();
    ReadError buildBlock(juce::MemoryBlock& block);

    UnitHeader header;
    juce::MemoryBlock payload;
    juce::String manifestName;
    juce::String payloadName;
    juce::String message{"Unitialized."};
    MemoryBasedZipUncompressor archive;
};
} // namespace w40388_file
