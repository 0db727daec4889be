#include "core/PreferencesData.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "midi/MidiDeviceManager.h"
#include "platform/MidiPlatform.h"
#include "platform/VirtualMidiBus.h"
#include "support/MessageLoop.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/ApplicationServices.h"
#include "ui/FontLibrary.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{
struct CountingPreferencesObserver : application::PreferencesDataChangeBroadcasterObserver
{
    void preferencesDataChanged() override { ++calls; }
    int calls = 0;
};

TEST(ApplyListFontHeights, ListFontsAreSixTenthsOfTheRowHeight)
{
    test::gui::ScopedPreferences preferences;
    auto* fonts = ui::FontLibrary::getInstance();
    fonts->registerApplicationFonts();
    CountingPreferencesObserver observer;
    application::PreferencesDataChangeBroadcaster::getInstance()->addListener(&observer);

    // No stored row height reads as the default 25. Only the list fonts follow the row height (its tenths are
    // checked with the preferences window).
    EXPECT_EQ(w40388_application::applyListFontHeights(), 15);
    w40388_preferences::PreferencesData::getInstance()->SetInt(w40388_preferences::listHeightKey, 40);
    EXPECT_EQ(w40388_application::applyListFontHeights(), 24);
    for (const auto* name : {"ListNumber", "ListName", "ListCategory"})
        EXPECT_FLOAT_EQ(fonts->getFont(name).getHeight(), 24.0f) << name;
    EXPECT_FLOAT_EQ(fonts->getFont("DialogText").getHeight(), 20.0f);
    // A height beyond those the preferences window offers reads as its largest, 40.
    w40388_preferences::PreferencesData::getInstance()->SetInt(w40388_preferences::listHeightKey, 134217728);
    EXPECT_EQ(w40388_application::applyListFontHeights(), 24);

    // The changes reach observers coalesced into one notification.
    test::drainMessageLoop();
    EXPECT_EQ(observer.calls, 1);
    application::PreferencesDataChangeBroadcaster::getInstance()->removeListener(&observer);
}

TEST(ApplyMidiPortPreferences, ManualModeTakesTheStoredPortNamesAutomaticModeKeepsThem)
{
    // No test here may reach a real MIDI system.
    platform::selectMidiBackend(std::make_shared<platform::VirtualMidiBus>());
    test::gui::ScopedPreferences preferences;
    auto* stored = w40388_preferences::PreferencesData::getInstance();
    auto* devices = midi::MidiDeviceManager::getInstance();
    devices->automatic = false;
    devices->inPortName = "Earlier In";
    devices->outPortName = "Earlier Out";
    // Stored auto-scan (-1: none), stored names, then the mode and names the manager ends up with. Without a
    // stored mode the ports are found automatically and the names are left alone.
    const std::tuple<int, const char*, const char*, bool, const char*, const char*> cases[] = {
        {-1, "QTR-3 - MIDI In", "QTR-3 - MIDI Out", true, "Earlier In", "Earlier Out"},
        {0, "QTR-3 - MIDI In", "QTR-3 - MIDI Out", false, "QTR-3 - MIDI In", "QTR-3 - MIDI Out"},
        {0, "", "", false, "", ""},
    };
    for (const auto& [autoScan, in, out, automatic, inAfter, outAfter] : cases)
    {
        if (autoScan >= 0)
            stored->SetBool(w40388_preferences::midiPortAutoScanKey, autoScan != 0);
        stored->SetString(w40388_preferences::midiInPortKey, in);
        stored->SetString(w40388_preferences::midiOutPortKey, out);
        w40388_application::applyMidiPortPreferences();
        EXPECT_EQ(
            std::make_tuple(devices->automatic, devices->inPortName, devices->outPortName, devices->isConnected()),
            std::make_tuple(automatic, juce::String(inAfter), juce::String(outAfter), false));
    }
    EXPECT_FALSE(devices->Connect());

    // MIDI is in use now: a second choice of MIDI system is refused and the first stays.
    const auto chosen = platform::getMidiBackend();
    EXPECT_NE(std::dynamic_pointer_cast<platform::VirtualMidiBus>(chosen), nullptr);
    EXPECT_FALSE(platform::selectMidiBackend(std::make_shared<platform::VirtualMidiBus>()));
    EXPECT_EQ(platform::getMidiBackend(), chosen);
}
} // namespace
