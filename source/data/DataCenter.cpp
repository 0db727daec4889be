#include "data/DataCenter.h"

namespace w40388_data
{
DataCenter::DataCenter() = default;

DataCenter::~DataCenter() = default;
} // namespace w40388_data
