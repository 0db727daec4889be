#include "data/Data.h"

namespace data
{
Data::~Data() = default;
} // namespace data
