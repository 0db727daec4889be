#pragma once

#include "platform/VirtualMidiBus.h"
#include "support/midi/SimulatedInstrument.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace test
{
// The virtual MIDI bus that every MIDI test of this process shares. The first call selects it
// as the program's MIDI backend, so call it (or use the fixture below) before anything opens
// MIDI; null (with a test failure) when another backend was chosen first.
std::shared_ptr<platform::VirtualMidiBus> getVirtualMidiBus();

// A test fixture with the virtual backend selected and one simulated instrument connected.
// Derive from it (or use it through TEST_F) in any MIDI suite:
//
//     class WriteJobTest : public test::SimulatedInstrumentTest {};
//     TEST_F(WriteJobTest, ClearsEmptySlots)
//     {
//         // instrument->getSourceIndex() / getDestinationIndex() are the indices to open.
//         ...
//         ASSERT_TRUE(instrument->waitForReceivedCount(49, 5000));
//     }
//
// SetUp adds the instrument "QTR-3 Digital" (source "Out", destination "In") as the last device
// of the bus; TearDown removes it, then waits for the
// bus to deliver what is left, so each test starts from an empty bus.
class SimulatedInstrumentTest : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    std::shared_ptr<platform::VirtualMidiBus> bus;
    std::unique_ptr<SimulatedInstrument> instrument;
};
} // namespace test
