#include "support/midi/SimulatedInstrumentFixture.h"

namespace test
{
std::shared_ptr<platform::VirtualMidiBus> getVirtualMidiBus()
{
    static const std::shared_ptr<platform::VirtualMidiBus> bus = []
    {
        auto created = std::make_shared<platform::VirtualMidiBus>();
        if (platform::selectMidiBackend(created))
            return created;
        // Someone selected a backend already: usable only when it is a virtual bus too.
        return std::dynamic_pointer_cast<platform::VirtualMidiBus>(platform::getMidiBackend());
    }();
    EXPECT_NE(nullptr, bus) << "another MIDI backend was selected before the virtual bus";
    return bus;
}

void SimulatedInstrumentTest::SetUp()
{
    bus = getVirtualMidiBus();
    ASSERT_NE(nullptr, bus);
    instrument = std::make_unique<SimulatedInstrument>(*bus);
}

void SimulatedInstrumentTest::TearDown()
{
    instrument.reset();
    if (bus == nullptr)
        return;
    EXPECT_TRUE(bus->waitUntilIdle(5000));
}

} // namespace test
