#include "core/PreferencesData.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "midi/MidiDeviceManager.h"
#include "platform/VirtualMidiBus.h"
#include "support/MessageLoop.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/ApplicationServices.h"
#include "ui/FontLibrary.h"

#include <gtest/gtest.h>

namespace
{
using w40388_application::applyListFontHeights;
using w40388_preferences::PreferencesData;

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
    auto* broadcaster = application::PreferencesDataChangeBroadcaster::getInstance();
    CountingPreferencesObserver observer;
    broadcaster->addListener(&observer);

    // No stored row height gives 0; the framework keeps a font at least a tenth of a point high.
    EXPECT_EQ(applyListFontHeights(), 0);
    EXPECT_LT(fonts->getFont("ListName").getHeight(), 1.0f);

    for (const auto& [listHeight, fontHeight] : {std::pair{25, 15}, {40, 24}, {35, 21}})
    {
        PreferencesData::getInstance()->SetInt(w40388_preferences::listHeightKey, listHeight);
        EXPECT_EQ(applyListFontHeights(), fontHeight);
        for (const auto* name : {"ListNumber", "ListName", "ListCategory"})
            EXPECT_FLOAT_EQ(fonts->getFont(name).getHeight(), static_cast<float>(fontHeight)) << name;
    }
    EXPECT_FLOAT_EQ(fonts->getFont("DialogText").getHeight(), 20.0f);

    // The changes reach observers coalesced into one notification.
    test::drainMessageLoop();
    EXPECT_EQ(observer.calls, 1);
    broadcaster->removeListener(&observer);
}

TEST(ApplyMidiPortPreferences, ManualModeTakesTheStoredPortNamesAutomaticModeKeepsThem)
{
    // No test here may reach a real MIDI system.
    platform::selectMidiBackend(std::make_shared<platform::VirtualMidiBus>());
    test::gui::ScopedPreferences preferences;
    auto* stored = PreferencesData::getInstance();
    auto* devices = midi::MidiDeviceManager::getInstance();
    const auto storePortNames = [stored](const char* in, const char* out)
    {
        stored->SetString(w40388_preferences::midiInPortKey, in);
        stored->SetString(w40388_preferences::midiOutPortKey, out);
    };

    // Without a stored mode the ports are found automatically and the names are left alone.
    storePortNames("QTR-3 - MIDI In", "QTR-3 - MIDI Out");
    devices->automatic = false;
    devices->inPortName = "Earlier In";
    devices->outPortName = "Earlier Out";
    w40388_application::applyMidiPortPreferences();
    EXPECT_TRUE(devices->automatic);
    EXPECT_EQ(devices->inPortName, "Earlier In");
    EXPECT_EQ(devices->outPortName, "Earlier Out");
    EXPECT_FALSE(devices->isConnected());

    stored->SetBool(w40388_preferences::midiPortAutoScanKey, false);
    w40388_application::applyMidiPortPreferences();
    EXPECT_FALSE(devices->automatic);
    EXPECT_EQ(devices->inPortName, "QTR-3 - MIDI In");
    EXPECT_EQ(devices->outPortName, "QTR-3 - MIDI Out");
    EXPECT_FALSE(devices->isConnected());

    storePortNames("", "");
    w40388_application::applyMidiPortPreferences();
    EXPECT_EQ(devices->inPortName, "");
    EXPECT_EQ(devices->outPortName, "");
    EXPECT_FALSE(devices->Connect());
}
} // namespace
