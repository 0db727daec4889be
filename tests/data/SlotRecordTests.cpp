#include "data/SlotFamily.h"
#include "data/UserData.h"

#include <gtest/gtest.h>

#include <thread>
#include <type_traits>
#include <vector>

using namespace w40388_data;

static_assert(!std::is_convertible_v<UserOscData, UserModFXData>, "records of different lists never convert");

namespace
{
// A block of the given size filled with seed.
const auto patternBlock = [](size_t size, int seed)
{ return juce::MemoryBlock(std::string(size, (char)seed).data(), size); };

// One text per record, of the usable records or of the spare at the end of every list.
std::vector<juce::String> records(const UserData& data, bool spares)
{
    std::vector<juce::String> texts;
    const auto add = [&](const auto& list)
    {
        for (auto i = spares ? list.size() - 1 : 0; i < list.size() - (spares ? 0 : 1); ++i)
            texts.push_back(juce::String((int)list[i].state.load()) + " " + juce::String(list[i].slotIndex.load()) +
                            " " + juce::String::toHexString(list[i].header.data(), (int)list[i].header.size()) + " " +
                            juce::String::toHexString(list[i].unitData.getData(), (int)list[i].unitData.getSize()));
    };
    add(data.oscData);
    add(data.modFXData);
    add(data.delFXData);
    add(data.revFXData);
    return texts;
}

// Gives every record of every list, spares included, its own content derived from seed.
void fill(UserData& data, int seed)
{
    for (auto& record : data.oscData)
        record = UserOscData(patternBlock(1156, seed++));
    for (auto& record : data.modFXData)
        record = UserModFXData(patternBlock(1160, seed++));
    for (auto& record : data.delFXData)
    {
        record.slotIndex = seed++;
        record.state = SlotState::Received;
    }
    for (auto& record : data.revFXData)
        record = UserRevFXData(patternBlock(1200, seed++));
}
} // namespace

TEST(UserData, CopyTakesSparesButAssignmentLeavesThemAndGuardedAccessFallsBackToTheSpare)
{
    UserData source, target;
    fill(source, 10);
    fill(target, 100);
    source.revFXData[5] = UserRevFXData(juce::MemoryBlock()); // an empty block gives an empty slot
    EXPECT_EQ(records(source, false)[16 + 16 + 8 + 5], "0 -1 " + juce::String::repeatedString("00 ", 32));
    const UserData copy(source), targetBefore(target);
    EXPECT_EQ(records(copy, false), records(source, false));
    EXPECT_EQ(records(copy, true), records(source, true));

    target = source;
    EXPECT_EQ(records(target, false), records(source, false));
    EXPECT_EQ(records(target, true), records(targetBefore, true));

    auto& alias = target.revFXData[2];
    target.revFXData[2] = alias; // self-assignment keeps the unit data
    EXPECT_EQ(records(target, false), records(source, false));

    // Guarded access falls back to the spare and says so.
    UserData data;
    testing::internal::CaptureStdout();
    EXPECT_EQ(&DelFXSlotFamily::guardedRecord(data, 7), &data.delFXData[7]);
    EXPECT_EQ(&DelFXSlotFamily::guardedRecord(data, 8), &data.delFXData[8]);
    EXPECT_EQ(&OscSlotFamily::guardedRecord(data, 40), &data.oscData[16]);
    EXPECT_EQ(&ModFXSlotFamily::guardedRecord(data, -1), &data.modFXData[16]);
    EXPECT_EQ(&RevFXSlotFamily::guardedRecord(data, 9), &data.revFXData[8]);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "User delay fx slot index error: 8\nUser oscillator slot index error: 40\n"
              "User modulation fx slot index error: -1\nUser reverb fx slot index error: 9\n");
}

// The write job updates slotIndex and state of live records on its own thread while the window
// may still read them; run under ThreadSanitizer this must stay silent.
TEST(SlotRecord, SlotIndexAndStateMayBeUpdatedFromAnotherThreadWhileRead)
{
    UserDelFXData record(patternBlock(1200, 1));
    std::thread writer(
        [&record]
        {
            for (int i = 0; i < 2000; ++i)
            {
                record.slotIndex = i % 8;
                record.state = (i % 2) == 0 ? SlotState::Loaded : SlotState::Received;
            }
        });
    int consistentReads = 0;
    for (int i = 0; i < 2000; ++i)
    {
        const UserDelFXData snapshot(record);
        const auto index = snapshot.slotIndex.load();
        const auto state = snapshot.state.load();
        consistentReads += index >= -1 && index < 8 && (state == SlotState::Loaded || state == SlotState::Received);
    }
    writer.join();

    EXPECT_EQ(consistentReads, 2000);
}
