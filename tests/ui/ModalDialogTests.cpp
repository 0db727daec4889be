#include "core/CTRXResource.h"
#include "core/DataEditStatus.h"
#include "core/ModalDialogState.h"
#include "core/PreferencesData.h"
#include "support/gui/GuiTest.h"
#include "support/gui/ScopedPreferences.h"
#include "ui/AboutComponent.h"
#include "ui/AlertDialogComponent.h"
#include "ui/ApplicationServices.h"
#include "ui/FontLibrary.h"
#include "ui/ModalDialog.h"
#include "ui/WriteUserDataWarningComponent.h"

#include <gtest/gtest.h>

namespace
{
using Action = std::function<void(juce::Component&)>;
using w40388_preferences::PreferencesData;

juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}

void pressEscape(juce::Component& dialog)
{
    test::gui::pressKey(dialog, juce::KeyPress(juce::KeyPress::escapeKey));
}

// Clicks the button named tickFirst when given, saves a snapshot of the dialog when a name is
// given, then clicks the button with the given text or name, or presses Escape when there is none.
Action press(const juce::String& button, const char* snapshotName = nullptr, const char* tickFirst = nullptr)
{
    return [=](juce::Component& dialog)
    {
        EXPECT_TRUE(tickFirst == nullptr || test::gui::clickButton(dialog, tickFirst));
        EXPECT_TRUE(snapshotName == nullptr || test::gui::saveSnapshot(dialog, snapshotName).existsAsFile());
        if (button.isEmpty())
            pressEscape(dialog);
        else
            EXPECT_TRUE(test::gui::clickButton(dialog, button)) << button;
    };
}

int visibleButtonCount(juce::Component& component)
{
    int count = 0;
    for (auto* child : component.getChildren())
        count += dynamic_cast<juce::Button*>(child) != nullptr && child->isVisible() ? 1 : 0;
    return count;
}

class ModalDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
    }
    void TearDown() override { application::DataEditStatus::getInstance()->setEdited(false); }

    // Runs show(), which runs a modal loop, while action answers the dialog titled title from
    // inside it.
    static int run(const juce::String& title, const std::function<int()>& show, Action action)
    {
        test::gui::ModalDialogDriver driver(std::move(action));
        const int result = show();
        EXPECT_TRUE(driver.acted());
        EXPECT_EQ(driver.dialogTitle(), title);
        EXPECT_FALSE(ui::ModalDialogState::getInstance()->isOpen());
        return result;
    }

    static int runDialog(juce::Component& content, Action action, const juce::String& title = "Alert")
    {
        return run(
            title, [&] { return ui::runModalDialog(content, title).value_or(-1); }, std::move(action));
    }

    const juce::String message{"The unit file could not be read."};
};

TEST_F(ModalDialogTest, AlertButtonsSitAlongTheBottomAndAnswerEachTheirOwnWay)
{
    // Mode, visible buttons, the button pressed (empty: Escape, with the message focused) and its x, the answer,
    // snapshot name.
    const std::tuple<int, int, juce::String, int, int, const char*> cases[] = {
        {AlertDialogComponent::okOnly, 1, text("CommonOK"), 312, 1, "alert-dialog-ok"},
        {AlertDialogComponent::okCancel, 2, text("CommonCancel"), 208, 0, "alert-dialog-ok-cancel"},
        {AlertDialogComponent::yesNoCancel, 3, text("CommonYes"), 16, 1, "alert-dialog-yes-no-cancel"},
        {AlertDialogComponent::yesNoCancel, 3, text("CommonNo"), 120, 2, nullptr},
        {AlertDialogComponent::yesNoCancel, 3, text("CommonCancel"), 312, 0, nullptr},
        {AlertDialogComponent::yesNoCancel, 3, {}, 0, 0, nullptr},
        // An unknown mode shows OK alone, left where it started.
        {7, 1, text("CommonOK"), 16, 1, nullptr},
    };
    for (const auto& [mode, buttonCount, button, x, expected, snapshotName] : cases)
    {
        AlertDialogComponent alert(mode, message);
        EXPECT_EQ(visibleButtonCount(alert), buttonCount) << "mode " << mode;
        if (button.isNotEmpty())
        {
            const auto* shown = test::gui::findButton(alert, button);
            ASSERT_NE(shown, nullptr) << button;
            EXPECT_EQ(shown->getX(), x) << button << " in mode " << mode;
            EXPECT_EQ(shown->getBottom() + 16, alert.getHeight()) << button;
        }
        const Action clickMessageThenEscape = [](juce::Component& dialog)
        {
            auto* editor = test::gui::findDescendant<juce::TextEditor>(dialog);
            ASSERT_NE(editor, nullptr);
            test::gui::click(*editor);
            EXPECT_TRUE(editor->hasKeyboardFocus(false));
            pressEscape(dialog);
        };
        EXPECT_EQ(runDialog(alert, button.isEmpty() ? clickMessageThenEscape : press(button, snapshotName)), expected)
            << mode << " " << button;
    }
}

TEST_F(ModalDialogTest, LongerMessageMakesTheAlertTallerAndMovesTheButtonsDown)
{
    AlertDialogComponent shortAlert(AlertDialogComponent::okCancel, "One line.");
    AlertDialogComponent longAlert(AlertDialogComponent::okCancel,
                                   "First line.\nSecond line.\nThird line.\nFourth line.\nFifth line.\n"
                                   "And a sixth line that is long enough to wrap at the editor's edge, twice over, "
                                   "so that word wrapping adds to the height as well.");
    const auto growth = longAlert.getHeight() - shortAlert.getHeight();
    EXPECT_GT(growth, 5 * 14);
    const auto* longOk = test::gui::findButton(longAlert, text("CommonOK"));
    EXPECT_EQ(longOk->getY() - test::gui::findButton(shortAlert, text("CommonOK"))->getY(), growth);
    // Every line of the message stays visible above the buttons.
    auto* editor = test::gui::findDescendant<juce::TextEditor>(longAlert);
    ASSERT_NE(editor, nullptr);
    EXPECT_GE(editor->getHeight(), editor->getTextHeight());
    EXPECT_LE(editor->getBottom(), longOk->getY());
}

TEST_F(ModalDialogTest, OnlyOkWithTheTickTurnsTheWriteWarningOff)
{
    test::gui::ScopedPreferences preferences;
    // Stored preference, tick, button name (empty: Escape), result, preference after, snapshot name.
    const std::tuple<bool, bool, juce::String, int, bool, const char*> cases[] = {
        {false, false, "OkButton", 1, true, "write-warning"},
        {true, true, "OkButton", 1, false, "write-warning-ticked"},
        {true, true, "CancelButton", 0, true, nullptr},
        {true, true, {}, 0, true, nullptr},
    };
    for (const auto& [storedWarn, tick, button, expected, warnAfter, snapshotName] : cases)
    {
        PreferencesData::getInstance()->SetBool(w40388_preferences::warnBeforeWritingKey, storedWarn);
        WriteUserDataWarningComponent warning;
        EXPECT_EQ(runDialog(warning, press(button, snapshotName, tick ? "DontWarning" : nullptr),
                            text("WriteUserDataWarningDialogTitle")),
                  expected)
            << button;
        EXPECT_EQ(PreferencesData::getInstance()->GetBool(w40388_preferences::warnBeforeWritingKey, !warnAfter),
                  warnAfter)
            << button << ", tick " << tick;
    }
}

TEST_F(ModalDialogTest, AboutBoxShowsThePictureAndVersionAndClosesOnClickOrEscape)
{
    test::gui::TestApplication application("Librarian", "2.3.4");
    AboutComponent about;
    EXPECT_EQ(about.getVersionText(), "version: 2.3.4");
    // The picture is drawn over the black fill: its corners are not pure black.
    const auto image = about.createComponentSnapshot(about.getLocalBounds());
    EXPECT_NE(image.getPixelAt(5, 5).getARGB(), 0xFF000000u);
    EXPECT_NE(image.getPixelAt(594, 5).getARGB(), 0xFF000000u);
    const auto clickOnTheVersionText = [](juce::Component& dialog)
    {
        auto* shown = test::gui::findDescendant<AboutComponent>(dialog);
        ASSERT_NE(shown, nullptr);
        EXPECT_TRUE(test::gui::saveSnapshot(dialog, "about-box").existsAsFile());
        test::gui::click(*shown, {500, 380});
    };
    EXPECT_EQ(runDialog(about, clickOnTheVersionText, "About"), 0);
    EXPECT_EQ(runDialog(about, pressEscape, "About"), 0);
}

TEST_F(ModalDialogTest, ConfirmDiscardChangesGoesOnOnlyAfterYes)
{
    application::DataEditStatus::getInstance()->setEdited(true);
    const std::pair<juce::String, int> answers[] = {
        {text("CommonYes"), 0}, {text("CommonNo"), 1}, {text("CommonCancel"), 1}, {{}, 1}};
    for (const auto& [button, expected] : answers)
        EXPECT_EQ(run(text("FileDiscardCheckTitle"), w40388_application::confirmDiscardChanges, press(button)),
                  expected)
            << button;
}

TEST_F(ModalDialogTest, ConfirmDiscardChangesUnderAnotherDialogStaysUnlessNothingWasEdited)
{
    application::DataEditStatus::getInstance()->setEdited(true);
    bool wasOpen = true;
    ui::ModalDialogState::getInstance()->beginModalDialog(wasOpen);
    ASSERT_FALSE(wasOpen);
    // Should a question come up after all, the driver answers Yes so the test cannot hang.
    test::gui::ModalDialogDriver driver(press(text("CommonYes")));
    EXPECT_EQ(w40388_application::confirmDiscardChanges(), 1);
    application::DataEditStatus::getInstance()->setEdited(false);
    EXPECT_EQ(w40388_application::confirmDiscardChanges(), 0);
    EXPECT_FALSE(driver.acted());
    EXPECT_TRUE(ui::ModalDialogState::getInstance()->isOpen());
    ui::ModalDialogState::getInstance()->endModalDialog(false);
}
} // namespace
