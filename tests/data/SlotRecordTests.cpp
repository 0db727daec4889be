#include "data/DataCenter.h"
#include "data/SlotFamily.h"
#include "data/UserData.h"

#include <gtest/gtest.h>

#include <thread>
#include <type_traits>

using w40388_data::SlotState;
using w40388_data::UserData;
using w40388_data::UserDelFXData;
using w40388_data::UserModFXData;
using w40388_data::UserOscData;
using w40388_data::UserRevFXData;

static_assert(!std::is_convertible_v<UserOscData, UserModFXData>, "records of different lists never convert");
static_assert(!std::is_convertible_v<UserDelFXData, UserRevFXData>, "records of different lists never convert");

namespace
{
// A block of the given size whose bytes count up from seed.
juce::MemoryBlock patternBlock(size_t size, int seed)
{
    juce::MemoryBlock block(size);
    for (size_t i = 0; i < size; ++i)
        block[i] = static_cast<char>((seed + static_cast<int>(i)) & 0xFF);
    return block;
}

template <typename Record>
Record receivedRecord(int slotIndex, int seed)
{
    Record record(patternBlock(1200, seed));
    record.unitData.reset();
    record.slotIndex = slotIndex;
    record.state = SlotState::Received;
    return record;
}

template <typename Record>
void expectSame(const Record& actual, const Record& expected)
{
    EXPECT_EQ(actual.unitData, expected.unitData);
    EXPECT_EQ(actual.header, expected.header);
    EXPECT_EQ(actual.slotIndex.load(), expected.slotIndex.load());
    EXPECT_EQ(actual.state.load(), expected.state.load());
}

// Gives every record of a UserData, spares included, content derived from seed.
void fill(UserData& data, int seed)
{
    for (size_t i = 0; i < data.oscData.size(); ++i)
        data.oscData[i] = UserOscData(patternBlock(1156 + i, seed + static_cast<int>(i)));
    for (size_t i = 0; i < data.modFXData.size(); ++i)
        data.modFXData[i] = receivedRecord<UserModFXData>(static_cast<int>(i), seed + 40 + static_cast<int>(i));
    for (size_t i = 0; i < data.delFXData.size(); ++i)
        data.delFXData[i] = UserDelFXData(patternBlock(1300, seed + 80 + static_cast<int>(i)));
    for (size_t i = 0; i < data.revFXData.size(); ++i)
        data.revFXData[i] = receivedRecord<UserRevFXData>(15 - static_cast<int>(i), seed + 120 + static_cast<int>(i));
}

template <typename Array>
void expectSameLists(const Array& actual, const Array& expected, size_t count)
{
    for (size_t i = 0; i < count; ++i)
    {
        SCOPED_TRACE(i);
        expectSame(actual[i], expected[i]);
    }
}
} // namespace

TEST(SlotRecord, EmptyBlockGivesAnEmptySlot)
{
    const UserOscData record{juce::MemoryBlock()};
    EXPECT_EQ(record.state.load(), SlotState::Empty);
    EXPECT_EQ(record.slotIndex.load(), -1);
    EXPECT_TRUE(record.unitData.isEmpty());
    EXPECT_EQ(record.header, (std::array<juce::uint8, 32>{}));
    EXPECT_EQ(record.getTarget(), 0);
}

TEST(SlotRecord, BlockGivesALoadedRecordWithItsFirst32HeaderBytes)
{
    auto block = patternBlock(1200, 5);
    block[0] = 0x01; // target word 0x0301: feltan-digital, modulation effect
    block[1] = 0x03;
    const UserModFXData record(block);

    EXPECT_EQ(record.state.load(), SlotState::Loaded);
    EXPECT_EQ(record.slotIndex.load(), -1);
    EXPECT_EQ(record.unitData, block);
    EXPECT_EQ(std::memcmp(record.header.data(), block.getData(), 32), 0);
    EXPECT_EQ(record.header[31], 36);
    EXPECT_EQ(record.getTarget(), 0x0301);
}

TEST(SlotRecord, CopyAndAssignmentTakeEveryFieldAndSelfAssignmentKeepsThem)
{
    const auto source = receivedRecord<UserRevFXData>(6, 9);
    UserRevFXData assigned(patternBlock(1500, 1));
    assigned = source;
    expectSame(assigned, source);
    expectSame(UserRevFXData(source), source);

    UserDelFXData loaded(patternBlock(1200, 3));
    loaded.slotIndex = 4;
    const auto before = loaded;
    auto& alias = loaded;
    loaded = alias;
    expectSame(loaded, before);
    EXPECT_EQ(loaded.unitData.getSize(), 1200u);
}

TEST(UserData, StartsWith52EmptyRecords)
{
    const UserData data;
    EXPECT_EQ(data.oscData.size() + data.modFXData.size() + data.delFXData.size() + data.revFXData.size(), 52u);
    for (const auto& record : data.revFXData)
    {
        EXPECT_EQ(record.state.load(), SlotState::Empty);
        EXPECT_EQ(record.slotIndex.load(), -1);
    }
}

TEST(UserData, CopyTakesSparesButAssignmentLeavesThem)
{
    UserData source;
    fill(source, 10);

    const UserData copy(source);
    expectSameLists(copy.oscData, source.oscData, 17);
    expectSameLists(copy.modFXData, source.modFXData, 17);
    expectSameLists(copy.delFXData, source.delFXData, 9);
    expectSameLists(copy.revFXData, source.revFXData, 9);

    UserData target;
    fill(target, 200);
    const UserData targetBefore(target);
    target = source;
    expectSameLists(target.oscData, source.oscData, 16);
    expectSameLists(target.modFXData, source.modFXData, 16);
    expectSameLists(target.delFXData, source.delFXData, 8);
    expectSameLists(target.revFXData, source.revFXData, 8);
    expectSame(target.oscData[16], targetBefore.oscData[16]);
    expectSame(target.modFXData[16], targetBefore.modFXData[16]);
    expectSame(target.delFXData[8], targetBefore.delFXData[8]);
    expectSame(target.revFXData[8], targetBefore.revFXData[8]);

    auto& alias = target;
    target = alias;
    expectSameLists(target.oscData, copy.oscData, 16);
}

TEST(SlotFamily, GuardedAccessFallsBackToTheSpareAndSaysSo)
{
    UserData data;
    fill(data, 0);

    testing::internal::CaptureStdout();
    const auto& inRange = w40388_data::DelFXSlotFamily::guardedRecord(data, 7);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(&inRange, &data.delFXData[7]);

    testing::internal::CaptureStdout();
    const auto& spare = w40388_data::DelFXSlotFamily::guardedRecord(data, 8);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "User delay fx slot index error: 8\n");
    EXPECT_EQ(&spare, &data.delFXData[8]);

    testing::internal::CaptureStdout();
    const auto& oscSpare = w40388_data::OscSlotFamily::guardedRecord(data, 40);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "User oscillator slot index error: 40\n");
    EXPECT_EQ(&oscSpare, &data.oscData[16]);

    testing::internal::CaptureStdout();
    w40388_data::ModFXSlotFamily::guardedRecord(data, -1);
    w40388_data::RevFXSlotFamily::guardedRecord(data, 9);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "User modulation fx slot index error: -1\nUser reverb fx slot index error: 9\n");
}

// The write job updates slotIndex and state of live records on its own thread while the window
// may still read them; run under ThreadSanitizer this must stay silent.
TEST(SlotRecord, SlotIndexAndStateMayBeUpdatedFromAnotherThreadWhileRead)
{
    UserData data;
    data.delFXData[3] = UserDelFXData(patternBlock(1200, 1));
    auto& record = data.delFXData[3];

    std::thread writer([&record] {
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
    EXPECT_EQ(record.slotIndex.load(), 1999 % 8);
    EXPECT_EQ(record.state.load(), SlotState::Received);
}
