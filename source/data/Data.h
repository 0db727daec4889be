#pragma once

namespace data
{
// Polymorphic base of every data record: the unit container, the slot records
// and the slot lists. It holds nothing.
class Data
{
public:
    Data() = default;
    Data(const Data&) = default;
    Data& operator=(const Data&) = default;
    virtual ~Data();
};
} // namespace data
