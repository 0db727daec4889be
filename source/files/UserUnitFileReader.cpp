#include "files/UserUnitFileReader.h"

#include "files/ZipUserUnitFileReader.h"

namespace w40388_file
{
UserUnitFileReader::UserUnitFileReader(w40388_data::UserUnitData& targetData) : target(targetData) {}

int UserUnitFileReader::read(const juce::File& file)
{
    ZipUserUnitFileReader working(file);
    return static_cast<int>(working.readInto(target));
}

int UserUnitFileReader::read(const void* archiveBytes, std::size_t numBytes)
{
    ZipUserUnitFileReader working(archiveBytes, numBytes);
    return static_cast<int>(working.readInto(target));
}
} // namespace w40388_file
