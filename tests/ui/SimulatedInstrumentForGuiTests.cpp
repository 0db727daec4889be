// The GUI suite does not link the MIDI test support library; the progress window's tests play
// against the simulated instrument on the virtual bus, so its two sources are built in here.
#include "support/midi/SimulatedInstrument.cpp"
#include "support/midi/SimulatedInstrumentFixture.cpp"
