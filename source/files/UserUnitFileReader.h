#pragma once

#include "data/UserUnitData.h"
#include "files/FileReader.h"

#include <cstddef>

namespace w40388_file
{
// Reads one unit file into a UserUnitData: opens the zip archive, finds the top
// folder's manifest.json and payload.bin, checks the manifest, joins header and
// payload into a unit data block and checks it. read returns a ReadError code as
// int; the target changes only when it returns 0. Holds nothing between calls.
// Used on the message thread by the import command and file drops.
class UserUnitFileReader : public file::FileReader
{
public:
    explicit UserUnitFileReader(w40388_data::UserUnitData& target);

    // Reads the whole file, then the bytes as below.
    int read(const juce::File& file) override;
    // The same read, of a unit file already in memory.
    int read(const void* archiveBytes, std::size_t numBytes);

private:
    w40388_data::UserUnitData& target;
};
} // namespace w40388_file
