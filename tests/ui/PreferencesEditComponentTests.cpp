#include "core/CTRXResource.h"
#include "core/CurrentLanguageModel.h"
#include "core/PreferencesData.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "platform/VirtualMidiBus.h"
#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/FontLibrary.h"
#include "ui/ModalDialog.h"
#include "ui/PreferencesEditComponent.h"

#include <gtest/gtest.h>

namespace
{
namespace keys = w40388_preferences;
using Language = w40388_application::CurrentLanguageModel;

// The window's child with the given component name.
template <typename T> T& part(juce::Component& window, const juce::String& name)
{
    for (auto* child : window.getChildren())
        if (auto* found = dynamic_cast<T*>(child); found != nullptr && child->getName() == name)
            return *found;
    throw std::runtime_error(("no child " + name).toStdString());
}

void click(juce::Component& window, const char* name)
{
    test::gui::click(part<juce::Component>(window, name));
}

class PreferencesWindowTest : public testing::Test, public application::PreferencesDataChangeBroadcasterObserver
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
        // Ports come from a virtual bus: no test may reach a real MIDI system.
        if (!platform::selectMidiBackend(bus))
            bus = std::dynamic_pointer_cast<platform::VirtualMidiBus>(platform::getMidiBackend());
        ASSERT_NE(bus, nullptr);
        application::PreferencesDataChangeBroadcaster::getInstance()->addListener(this);
    }

    void TearDown() override
    {
        application::PreferencesDataChangeBroadcaster::getInstance()->removeListener(this);
        removeDevices();
    }

    void addDevices(const juce::StringArray& names)
    {
        for (const auto& name : names)
            devices.push_back(bus->addDevice(name, {"Out"}, {"In"}));
    }

    void removeDevices()
    {
        for (const int device : devices)
            bus->removeDevice(device);
        devices.clear();
    }

    void preferencesDataChanged() override { ++notifications; }

    // Shows a window built now as the preferences command does; act answers it from inside the modal loop.
    int run(const std::function<void(PreferencesEditComponent&)>& act)
    {
        PreferencesEditComponent window;
        notifications = 0;
        test::gui::ModalDialogDriver driver([&](juce::Component&) { act(window); });
        const auto result = ui::runModalDialog(window, CTRXResource::getInstance()->getText("PreferencesDialogTitle"));
        EXPECT_TRUE(driver.acted());
        test::drainMessageLoop();
        return result.value_or(-1);
    }

    keys::PreferencesData& stored() { return *keys::PreferencesData::getInstance(); }

    test::gui::ScopedPreferences scopedPreferences;
    std::shared_ptr<platform::VirtualMidiBus> bus = std::make_shared<platform::VirtualMidiBus>();
    std::vector<int> devices;
    int notifications = 0;
};

TEST_F(PreferencesWindowTest, ListSizeStepFollowsTheStoredRowHeightAndOnlyOkStoresIt)
{
    // Stored "ListHeight" (0: missing, so first), step, button (null: Escape), result, stored afterwards,
    // notifications. Cancel and Escape come after moving the slider to its first step.
    const std::tuple<int, int, const char*, int, int, int> cases[] = {
        {0, 0, "ok", 1, 20, 1},  {22, 1, "ok", 1, 25, 1},     {100, 4, "ok", 1, 40, 1},   {40, 4, "ok", 1, 40, 1},
        {-3, 0, "ok", 1, 20, 1}, {30, 2, "cancel", 0, 30, 1}, {35, 3, nullptr, 0, 35, 0},
    };
    for (const auto& [listHeight, step, button, result, afterwards, notified] : cases)
    {
        if (listHeight != 0)
            stored().SetInt(keys::listHeightKey, listHeight);
        const auto act = [&, step = step, button = button, result = result](PreferencesEditComponent& window)
        {
            auto& slider = part<juce::Slider>(window, "listSize");
            auto& value = part<juce::Label>(window, "listSizeValue");
            EXPECT_EQ(slider.getValue(), step);
            EXPECT_EQ(value.getText(), juce::String(step + 1));
            if (result == 0)
            {
                test::gui::click(slider, {1, slider.getHeight() / 2});
                EXPECT_EQ(value.getText(), "1");
            }
            if (button == nullptr)
                test::gui::pressKey(window, juce::KeyPress(juce::KeyPress::escapeKey));
            else
                click(window, button);
        };
        EXPECT_EQ(run(act), result) << listHeight;
        EXPECT_EQ(stored().GetInt(keys::listHeightKey, -1), afterwards) << listHeight;
        EXPECT_EQ(notifications, notified) << listHeight;
        // OK sizes the list fonts from the new row height.
        if (result == 1)
        {
            EXPECT_FLOAT_EQ(ui::FontLibrary::getInstance()->getFont("ListName").getHeight(), afterwards * 6 / 10);
        }
    }
}

TEST_F(PreferencesWindowTest, ManualToggleEnablesThePortListsAndOkStoresEveryControl)
{
    addDevices({"Synth"});
    stored().SetBool(keys::autoReceiveKey, false);
    stored().SetString(keys::midiInPortKey, "Synth - Out");
    for (const auto language : {Language::english, Language::japanese})
    {
        Language::getInstance()->setLanguage(language);
        delete CTRXResource::getInstanceWithoutCreating();
        const auto act = [language](PreferencesEditComponent& window)
        {
            const auto portListsEnabled = [&](bool enabled)
            {
                for (const auto* name : {"midiInPort", "midiOutPort"})
                    EXPECT_EQ(part<juce::ComboBox>(window, name).isEnabled(), enabled) << name;
            };
            EXPECT_FALSE(part<juce::Button>(window, "autoReceive").getToggleState());
            EXPECT_EQ(part<juce::Button>(window, "warnBeforeWriting").getToggleState(), language == Language::english);
            EXPECT_EQ(part<juce::Button>(window, "cancel").getButtonText(),
                      CTRXResource::getInstance()->getText("CommonCancel"));
            // "MidiPortAutoScan" missing: automatic.
            portListsEnabled(language == Language::japanese);
            click(window, "manualPorts");
            portListsEnabled(language == Language::english);
            test::gui::saveSnapshot(*window.findParentComponentOfClass<juce::DialogWindow>(),
                                    language == Language::english ? "preferences-window-en" : "preferences-window-ja");
            click(window, "warnBeforeWriting");
            click(window, "ok");
        };
        EXPECT_EQ(run(act), 1);
        // Ports named in automatic mode are kept too.
        EXPECT_EQ(stored().GetBool(keys::midiPortAutoScanKey, false), language == Language::japanese);
        EXPECT_EQ(stored().GetBool(keys::warnBeforeWritingKey, true), language == Language::japanese);
        EXPECT_EQ(stored().GetString(keys::midiInPortKey, {}), "Synth - Out");
        EXPECT_EQ(stored().GetString(keys::midiOutPortKey, "unset"), "");
    }
    Language::getInstance()->setLanguage(Language::english);
    delete CTRXResource::getInstanceWithoutCreating();
}

TEST_F(PreferencesWindowTest, PortListsNameEveryPortAndSelectTheFirstWithTheStoredName)
{
    // Devices, the device of the stored port names, the selection; OK stores the selected names.
    const std::tuple<juce::StringArray, juce::String, int> cases[] = {
        {{"Synth", "Synth"}, "Synth", 0}, {{"Keys", "Synth"}, "Synth", 1}, {{"Keys"}, "Gone", -1}, {{}, "Synth", -1}};
    for (const auto& [names, storedName, selected] : cases)
    {
        addDevices(names);
        stored().SetString(keys::midiInPortKey, storedName + " - Out");
        stored().SetString(keys::midiOutPortKey, storedName + " - In");
        const auto act = [&](PreferencesEditComponent& window)
        {
            for (const auto& [name, endpoint] : {std::pair{"midiInPort", " - Out"}, {"midiOutPort", " - In"}})
            {
                auto& list = part<juce::ComboBox>(window, name);
                EXPECT_EQ(list.getNumItems(), names.size()) << name;
                for (int item = 0; item < list.getNumItems(); ++item)
                    EXPECT_EQ(list.getItemText(item), names[item] + endpoint);
                EXPECT_EQ(list.getSelectedItemIndex(), selected) << name << " " << storedName;
                EXPECT_EQ(list.getTextWhenNoChoicesAvailable(), "(no choices)");
            }
            click(window, "ok");
        };
        EXPECT_EQ(run(act), 1);
        EXPECT_EQ(stored().GetString(keys::midiInPortKey, "unset"), selected < 0 ? "" : storedName + " - Out");
        EXPECT_EQ(stored().GetString(keys::midiOutPortKey, "unset"), selected < 0 ? "" : storedName + " - In");
        removeDevices();
    }
}
} // namespace
