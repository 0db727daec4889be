#include "support/files/LoadedUserData.h"

#include "data/SlotFamily.h"
#include "support/files/UnitFileBuilder.h"

namespace test
{
w40388_data::UserData makeLoadedUserData(std::size_t payloadSize)
{
    w40388_data::UserData data;
    auto fill = [&](auto family)
    {
        using Family = decltype(family);
        UnitFileOptions options;
        options.module = Family::module;
        options.payloadSize = payloadSize;
        const auto block = makeUnitDataBlock(options);
        for (int position = 0; position < Family::numUsableSlots; ++position)
            Family::records(data)[position] = typename Family::Record(block);
    };
    fill(w40388_data::OscSlotFamily{});
    fill(w40388_data::ModFXSlotFamily{});
    fill(w40388_data::DelFXSlotFamily{});
    fill(w40388_data::RevFXSlotFamily{});
    return data;
}
} // namespace test
