#include "files/FileReader.h"

namespace file
{
FileReader::~FileReader() = default;
} // namespace file
