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
    for (const int device : otherDevices)
        bus->removeDevice(device);
    otherDevices.clear();
    EXPECT_TRUE(bus->waitUntilIdle(5000));
}

int SimulatedInstrumentTest::addOtherDevice(const juce::String& name)
{
    const int device = bus->addDevice(name, {"Out"}, {"In"});
    otherDevices.push_back(device);
    return device;
}

void SimulatedInstrumentTest::recreateInstrument()
{
    instrument.reset();
    instrument = std::make_unique<SimulatedInstrument>(*bus);
}
} // namespace test
