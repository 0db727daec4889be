#pragma once

#include "app/MainAppWindow.h"
#include "app/MainComponent.h"
#include "app/qtr3LibrarianApplication.h"
#include "support/TemporaryFolder.h"
#include "support/midi/SimulatedInstrumentFixture.h"

#include <memory>

namespace test
{
// The real application object in this process, over the virtual MIDI bus with the simulated
// instrument, its preferences in a folder of the test's own. Its quit ends nothing: it counts
// quitRequests. Every application-wide object is deleted before and after each test.
class ApplicationTest : public SimulatedInstrumentTest
{
protected:
    // How the program finds the instrument's ports.
    enum class Ports
    {
        searchedOnBus,    // the instrument search runs over the virtual bus and finds the instrument
        searchedOnSystem, // the search looks at the system's MIDI devices, where there is none
        setByHand,        // manual mode with the instrument's port names in the preferences
    };

    void SetUp() override;
    void TearDown() override;

    // Makes the application object, writes the port and receive preferences, runs initialise and
    // finds the main window (fatal failure when there is none).
    void startApplication(bool autoReceive, Ports ports, bool debugMarker = false);
    // Shuts the program down and deletes every application-wide object.
    void stopApplication();

    TemporaryFolder preferencesFolder{"qtr-app"};
    std::unique_ptr<qtr3LibrarianApplication> app;
    MainAppWindow* window = nullptr;
    MainComponent* content = nullptr;
    int quitRequests = 0;
};
} // namespace test
