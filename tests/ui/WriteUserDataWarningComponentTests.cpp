#include "core/CTRXResource.h"
#include "core/PreferencesData.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/FontLibrary.h"
#include "ui/ModalDialog.h"
#include "ui/WriteUserDataWarningComponent.h"

#include <gtest/gtest.h>

namespace
{
using w40388_preferences::PreferencesData;
using w40388_preferences::warnBeforeWritingKey;

class WriteUserDataWarningTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
    }

    // Shows the warning with the stored preference, optionally ticks the box, then presses
    // the named button (or Escape when buttonName is empty).
    int show(bool storedWarn, bool tick, const juce::String& buttonName, const juce::String& snapshotName = {})
    {
        PreferencesData::getInstance()->SetBool(warnBeforeWritingKey, storedWarn);
        WriteUserDataWarningComponent warning;
        test::gui::ModalDialogDriver driver(
            [=](juce::Component& dialog)
            {
                if (tick)
                {
                    EXPECT_TRUE(test::gui::clickButton(dialog, "DontWarning"));
                }
                if (snapshotName.isNotEmpty())
                {
                    EXPECT_TRUE(test::gui::saveSnapshot(dialog, snapshotName).existsAsFile());
                }
                if (buttonName.isEmpty())
                    test::gui::pressKey(dialog, juce::KeyPress(juce::KeyPress::escapeKey));
                else
                    EXPECT_TRUE(test::gui::clickButton(dialog, buttonName)) << buttonName;
            });
        const auto result =
            ui::runModalDialog(warning, CTRXResource::getInstance()->getText("WriteUserDataWarningDialogTitle"));
        EXPECT_TRUE(driver.acted());
        return result.value_or(-1);
    }

    static bool storedWarn() { return PreferencesData::getInstance()->GetBool(warnBeforeWritingKey, false); }

    test::gui::ScopedPreferences preferences;
};

TEST_F(WriteUserDataWarningTest, OkWithoutTheTickKeepsWarning)
{
    EXPECT_EQ(show(false, false, "OkButton", "write-warning"), 1);
    EXPECT_TRUE(storedWarn());
}

TEST_F(WriteUserDataWarningTest, OkWithTheTickTurnsTheWarningOff)
{
    EXPECT_EQ(show(true, true, "OkButton", "write-warning-ticked"), 1);
    EXPECT_FALSE(storedWarn());
}

TEST_F(WriteUserDataWarningTest, CancelLeavesThePreferenceEvenWhenTicked)
{
    EXPECT_EQ(show(true, true, "CancelButton"), 0);
    EXPECT_TRUE(storedWarn());
}

TEST_F(WriteUserDataWarningTest, EscapeCancels)
{
    EXPECT_EQ(show(true, true, {}), 0);
    EXPECT_TRUE(storedWarn());
}
} // namespace
