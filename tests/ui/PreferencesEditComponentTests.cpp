#include "core/CTRXResource.h"
#include "core/PreferencesData.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "support/gui/NamedChild.h"
#include "support/gui/ScopedPreferences.h"
#include "support/midi/SimulatedInstrumentFixture.h"
#include "ui/FontLibrary.h"
#include "ui/ModalDialog.h"
#include "ui/PreferencesEditComponent.h"

#include <gtest/gtest.h>

#include <map>

namespace
{
namespace keys = w40388_preferences;

using test::gui::namedChild;

class PreferencesWindowTest : public testing::Test, public application::PreferencesDataChangeBroadcasterObserver
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
        ASSERT_NE(bus, nullptr); // no test may reach a real MIDI system
        application::PreferencesDataChangeBroadcaster::getInstance()->addListener(this);
    }
    void TearDown() override { application::PreferencesDataChangeBroadcaster::getInstance()->removeListener(this); }
    void preferencesDataChanged() override { ++notifications; }

    // Shows a window built now as the preferences command does; act answers it from inside the
    // modal loop, ending with a click on the named button.
    int run(const std::function<const char*(PreferencesEditComponent&)>& act)
    {
        PreferencesEditComponent window;
        notifications = 0;
        test::gui::ModalDialogDriver driver([&](juce::Component&)
                                            { test::gui::click(namedChild<juce::Component>(window, act(window))); });
        const auto result = ui::runModalDialog(window, CTRXResource::getInstance()->getText("PreferencesDialogTitle"));
        EXPECT_TRUE(driver.acted());
        test::drainMessageLoop();
        return result.value_or(-1);
    }

    keys::PreferencesData& stored() { return *keys::PreferencesData::getInstance(); }

    test::gui::ScopedPreferences scopedPreferences;
    const std::shared_ptr<platform::VirtualMidiBus> bus = test::getVirtualMidiBus();
    int notifications = 0;
};

TEST_F(PreferencesWindowTest, ListSizeStepFollowsTheStoredRowHeightAndOnlyOkStoresIt)
{
    // Stored "ListHeight" (0: missing, so the default 25 the lists use), step, OK (else Cancel after moving the
    // slider to its first step), stored afterwards.
    const std::tuple<int, int, bool, int> cases[] = {
        {0, 1, true, 25}, {22, 1, true, 25}, {100, 4, true, 40}, {30, 2, false, 30}, {2147483647, 4, true, 40}};
    for (const auto& [listHeight, step, ok, afterwards] : cases)
    {
        if (listHeight != 0)
            stored().SetInt(keys::listHeightKey, listHeight);
        const auto act = [&, step = step, ok = ok](PreferencesEditComponent& window)
        {
            auto& slider = namedChild<juce::Slider>(window, "listSize");
            auto& value = namedChild<juce::Label>(window, "listSizeValue");
            EXPECT_EQ(slider.getValue(), step);
            EXPECT_EQ(value.getText(), juce::String(step + 1));
            if (!ok)
            {
                test::gui::click(slider, {1, slider.getHeight() / 2});
                EXPECT_EQ(value.getText(), "1");
            }
            return ok ? "ok" : "cancel";
        };
        EXPECT_EQ(run(act), ok ? 1 : 0) << listHeight;
        EXPECT_EQ(stored().GetInt(keys::listHeightKey, -1), afterwards) << listHeight;
        EXPECT_EQ(notifications, 1) << listHeight;
        // OK sizes the list fonts from the new row height.
        EXPECT_TRUE(!ok || ui::FontLibrary::getInstance()->getFont("ListName").getHeight() == afterwards * 6 / 10);
    }
}

TEST_F(PreferencesWindowTest, ManualTogglesThePortListsWhichSelectTheFirstPortWithTheStoredName)
{
    // Devices and the selection; OK stores the selected names.
    const std::pair<juce::StringArray, int> cases[] = {{{}, -1}, {{"Synth", "Synth"}, 0}};
    for (const auto& [names, selected] : cases)
    {
        for (const auto& name : names) // added for the last case only, so never removed
            bus->addDevice(name, {"Out"}, {"In"});
        stored().SetBool(keys::midiPortAutoScanKey, true);
        stored().SetString(keys::midiInPortKey, "Synth - Out");
        stored().SetString(keys::midiOutPortKey, "Synth - In");
        const auto act = [&, names = names, selected = selected](PreferencesEditComponent& window)
        {
            const std::pair<const char*, const char*> lists[] = {{"midiInPort", " - Out"}, {"midiOutPort", " - In"}};
            for (const auto& [name, endpoint] : lists)
                EXPECT_FALSE(namedChild<juce::ComboBox>(window, name).isEnabled()) << name;
            test::gui::click(namedChild<juce::Component>(window, "manualPorts"));
            for (const auto& [name, endpoint] : lists)
            {
                auto& list = namedChild<juce::ComboBox>(window, name);
                EXPECT_TRUE(list.isEnabled()) << name;
                EXPECT_EQ(list.getNumItems(), names.size()) << name;
                for (int item = 0; item < list.getNumItems(); ++item)
                    EXPECT_EQ(list.getItemText(item), names[item] + endpoint);
                EXPECT_EQ(list.getSelectedItemIndex(), selected) << name;
                EXPECT_EQ(list.getTextWhenNoChoicesAvailable(), "(no choices)");
            }
            return "ok";
        };
        EXPECT_EQ(run(act), 1);
        EXPECT_FALSE(stored().GetBool(keys::midiPortAutoScanKey, true));
        EXPECT_EQ(stored().GetString(keys::midiInPortKey, "unset"), selected < 0 ? "" : "Synth - Out");
        EXPECT_EQ(stored().GetString(keys::midiOutPortKey, "unset"), selected < 0 ? "" : "Synth - In");
    }
}

TEST_F(PreferencesWindowTest, EachBehaviourToggleStoresItsOwnKeyOnly)
{
    // Values OK stores unchanged; the two toggles start apart, so a swap shows.
    stored().SetBool(keys::autoReceiveKey, false);
    stored().SetBool(keys::warnBeforeWritingKey, true);
    stored().SetBool(keys::midiPortAutoScanKey, true);
    stored().SetString(keys::midiInPortKey, {}); // no ports on the bus: OK stores the empty name
    stored().SetString(keys::midiOutPortKey, {});
    stored().SetInt(keys::listHeightKey, 30);
    const auto othersThan = [this](const char* toggled)
    {
        std::map<juce::String, juce::String> values;
        for (const auto* key : keys::preferenceKeys)
            if (key != toggled)
                values[key] = stored().GetString(key, "unset");
        return values;
    };
    for (const auto& [toggle, key] :
         {std::pair{"autoReceive", keys::autoReceiveKey}, std::pair{"warnBeforeWriting", keys::warnBeforeWritingKey}})
    {
        const auto others = othersThan(key);
        const bool ticked = !stored().GetBool(key, true);
        const auto tick = [toggle = toggle](PreferencesEditComponent& window)
        {
            test::gui::click(namedChild<juce::ToggleButton>(window, toggle));
            return "ok";
        };
        EXPECT_EQ(run(tick), 1);
        EXPECT_EQ(stored().GetBool(key, !ticked), ticked) << key;
        EXPECT_EQ(othersThan(key), others) << key;
    }
}
} // namespace
