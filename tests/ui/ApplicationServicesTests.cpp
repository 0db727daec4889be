#include "core/CTRXResource.h"
#include "core/DataEditStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "core/PreferencesDataChangeBroadcaster.h"
#include "midi/MidiDeviceManager.h"
#include "platform/VirtualMidiBus.h"
#include "support/MessageLoop.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/ApplicationServices.h"
#include "ui/FontLibrary.h"

#include <gtest/gtest.h>

namespace
{
using w40388_application::applyListFontHeights;
using w40388_application::confirmDiscardChanges;

struct CountingPreferencesObserver : application::PreferencesDataChangeBroadcasterObserver
{
    void preferencesDataChanged() override { ++calls; }
    int calls = 0;
};

class ListFontHeightTest : public testing::Test
{
protected:
    void SetUp() override { ui::FontLibrary::getInstance()->registerApplicationFonts(); }

    static float height(const char* name) { return ui::FontLibrary::getInstance()->getFont(name).getHeight(); }

    test::gui::ScopedPreferences preferences;
};

TEST_F(ListFontHeightTest, ListFontsAreSixTenthsOfTheRowHeight)
{
    auto* broadcaster = application::PreferencesDataChangeBroadcaster::getInstance();
    CountingPreferencesObserver observer;
    broadcaster->addListener(&observer);

    const std::pair<int, int> cases[] = {{25, 15}, {40, 24}, {20, 12}, {35, 21}};
    for (const auto& [listHeight, fontHeight] : cases)
    {
        w40388_preferences::PreferencesData::getInstance()->SetInt(w40388_preferences::listHeightKey, listHeight);
        EXPECT_EQ(applyListFontHeights(), fontHeight);
        for (const auto* name : {"ListNumber", "ListName", "ListCategory"})
            EXPECT_FLOAT_EQ(height(name), static_cast<float>(fontHeight)) << name << " at " << listHeight;
    }
    EXPECT_FLOAT_EQ(height("DialogText"), 20.0f);

    test::drainMessageLoop();
    EXPECT_EQ(observer.calls, 1);
    broadcaster->removeListener(&observer);
}

TEST_F(ListFontHeightTest, MissingRowHeightGivesZero)
{
    EXPECT_EQ(applyListFontHeights(), 0);
    // The framework keeps a font at least a tenth of a point high.
    EXPECT_LT(height("ListName"), 1.0f);
}

class ConfirmDiscardChangesTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
        application::DataEditStatus::getInstance()->setEdited(true);
    }

    void TearDown() override { application::DataEditStatus::getInstance()->setEdited(false); }

    static juce::String text(const char* key) { return CTRXResource::getInstance()->getText(key); }

    // Answers the question with the button of the given text key, or Escape for an empty key.
    static int answerWith(const char* key)
    {
        const juce::String buttonText = key != nullptr ? text(key) : juce::String();
        juce::String seenTitle;
        test::gui::ModalDialogDriver driver(
            [&](juce::Component& dialog)
            {
                seenTitle = dialog.getName();
                if (buttonText.isEmpty())
                    test::gui::pressKey(dialog, juce::KeyPress(juce::KeyPress::escapeKey));
                else
                    EXPECT_TRUE(test::gui::clickButton(dialog, buttonText)) << buttonText;
            });
        const auto result = confirmDiscardChanges();
        EXPECT_TRUE(driver.acted());
        EXPECT_EQ(seenTitle, text("FileDiscardCheckTitle"));
        EXPECT_FALSE(ui::ModalDialogState::getInstance()->isOpen());
        return result;
    }
};

TEST_F(ConfirmDiscardChangesTest, OnlyYesLetsTheCallerGoOn)
{
    EXPECT_EQ(answerWith("CommonYes"), 0);
    EXPECT_EQ(answerWith("CommonNo"), 1);
    EXPECT_EQ(answerWith("CommonCancel"), 1);
    EXPECT_EQ(answerWith(nullptr), 1);
}

TEST_F(ConfirmDiscardChangesTest, AnotherOpenDialogMeansStayWithoutAQuestion)
{
    bool wasOpen = true;
    ui::ModalDialogState::getInstance()->beginModalDialog(wasOpen);
    ASSERT_FALSE(wasOpen);

    // Should a question come up after all, the driver answers Yes so the test cannot hang.
    test::gui::ModalDialogDriver driver([](juce::Component& dialog)
                                        { test::gui::clickButton(dialog, text("CommonYes")); });
    EXPECT_EQ(confirmDiscardChanges(), 1);
    EXPECT_FALSE(driver.acted());
    EXPECT_TRUE(ui::ModalDialogState::getInstance()->isOpen());

    ui::ModalDialogState::getInstance()->endModalDialog(false);
}

TEST_F(ConfirmDiscardChangesTest, NoEditsMeansGoOnAtOnceEvenWithADialogOpen)
{
    application::DataEditStatus::getInstance()->setEdited(false);
    bool wasOpen = true;
    ui::ModalDialogState::getInstance()->beginModalDialog(wasOpen);

    test::gui::ModalDialogDriver driver([](juce::Component& dialog)
                                        { test::gui::pressKey(dialog, juce::KeyPress(juce::KeyPress::escapeKey)); });
    EXPECT_EQ(confirmDiscardChanges(), 0);
    EXPECT_FALSE(driver.acted());

    ui::ModalDialogState::getInstance()->endModalDialog(wasOpen);
}
} // namespace

namespace
{
class MidiPortPreferencesTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        // No test here may reach a real MIDI system.
        platform::selectMidiBackend(std::make_shared<platform::VirtualMidiBus>());
    }

    void SetUp() override
    {
        devices()->automatic = true;
        devices()->inPortName = "Earlier In";
        devices()->outPortName = "Earlier Out";
    }

    static midi::MidiDeviceManager* devices() { return midi::MidiDeviceManager::getInstance(); }
    static w40388_preferences::PreferencesData* stored() { return w40388_preferences::PreferencesData::getInstance(); }

    test::gui::ScopedPreferences preferences;
};

TEST_F(MidiPortPreferencesTest, AutomaticModeKeepsThePortNames)
{
    stored()->SetString(w40388_preferences::midiInPortKey, "QTR-3 - MIDI In");
    stored()->SetString(w40388_preferences::midiOutPortKey, "QTR-3 - MIDI Out");
    devices()->automatic = false;

    w40388_application::applyMidiPortPreferences();

    EXPECT_TRUE(devices()->automatic);
    EXPECT_EQ(devices()->inPortName, "Earlier In");
    EXPECT_EQ(devices()->outPortName, "Earlier Out");
    EXPECT_FALSE(devices()->isConnected());
}

TEST_F(MidiPortPreferencesTest, ManualModeTakesTheStoredPortNamesOrNone)
{
    stored()->SetBool(w40388_preferences::midiPortAutoScanKey, false);
    w40388_application::applyMidiPortPreferences();
    EXPECT_FALSE(devices()->automatic);
    EXPECT_EQ(devices()->inPortName, "");
    EXPECT_EQ(devices()->outPortName, "");
    EXPECT_FALSE(devices()->Connect());

    stored()->SetString(w40388_preferences::midiInPortKey, "QTR-3 - MIDI In");
    stored()->SetString(w40388_preferences::midiOutPortKey, "QTR-3 - MIDI Out");
    w40388_application::applyMidiPortPreferences();
    EXPECT_EQ(devices()->inPortName, "QTR-3 - MIDI In");
    EXPECT_EQ(devices()->outPortName, "QTR-3 - MIDI Out");
    EXPECT_FALSE(devices()->isConnected());
}
} // namespace
