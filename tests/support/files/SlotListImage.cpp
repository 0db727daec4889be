#include "support/files/SlotListImage.h"

#include "support/files/UnitFileBuilder.h"

namespace test
{
namespace
{
template <typename Record> std::string lineOf(const char* list, std::size_t position, const Record& record)
{
    juce::String line;
    line << list << '[' << int(position) << "] state " << int(record.state.load()) << " slot "
         << record.slotIndex.load() << " header "
         << juce::String::toHexString(record.header.data(), int(record.header.size()), 0) << " data "
         << int(record.unitData.getSize()) << ':'
         << juce::String::toHexString(static_cast<juce::int64>(record.unitData.toBase64Encoding().hashCode64()));
    return line.toStdString();
}
} // namespace

SlotListImage imageOf(const w40388_data::UserData& data)
{
    SlotListImage image;
    const auto add = [&](const char* list, const auto& records)
    {
        for (std::size_t position = 0; position < records.size(); ++position)
            image.push_back(lineOf(list, position, records[position]));
    };
    add("osc", data.oscData);
    add("mod", data.modFXData);
    add("del", data.delFXData);
    add("rev", data.revFXData);
    return image;
}

void fillDistinctLists(w40388_data::UserData& data)
{
    for (const auto module : tabModules)
        withRecords(data, module,
                    [&](auto& records)
                    {
                        using Record = std::decay_t<decltype(records[0])>;
                        for (std::size_t position = 0; position < records.size(); ++position)
                        {
                            const auto name = "M" + std::to_string(int(module)) + " S" + std::to_string(position);
                            Record record(makeUnitDataBlock({module, UnitPlatform::FeltanDigital, name}));
                            if (position % 3 == 1)
                            {
                                record.unitData.reset();
                                record.slotIndex = int(position);
                                record.state = w40388_data::SlotState::Received;
                            }
                            records[position] = position % 3 == 2 ? Record() : record;
                        }
                    });
}
} // namespace test
