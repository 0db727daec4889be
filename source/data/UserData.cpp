#include "data/UserData.h"

namespace w40388_data
{
namespace
{
template <typename Record, std::size_t size>
void assignUsable(std::array<Record, size>& target, const std::array<Record, size>& source)
{
    // The last element is the spare: it stays as it is.
    for (std::size_t i = 0; i + 1 < size; ++i)
        target[i] = source[i];
}
} // namespace

UserData::UserData() = default;

UserData::UserData(const UserData& other) = default;

UserData& UserData::operator=(const UserData& other)
{
    assignUsable(oscData, other.oscData);
    assignUsable(modFXData, other.modFXData);
    assignUsable(delFXData, other.delFXData);
    assignUsable(revFXData, other.revFXData);
    return *this;
}

UserData::~UserData() = default;
} // namespace w40388_data
