#include "core/CTRXResource.h"
#include "core/ModalDialogState.h"
#include "support/gui/GuiTest.h"
#include "ui/AlertDialogComponent.h"
#include "ui/FontLibrary.h"
#include "ui/ModalDialog.h"

#include <gtest/gtest.h>

namespace
{
juce::String text(const char* key)
{
    return CTRXResource::getInstance()->getText(key);
}

class AlertDialogTest : public testing::Test
{
protected:
    void SetUp() override
    {
        QTR_REQUIRE_DISPLAY();
        ui::FontLibrary::getInstance()->registerApplicationFonts();
    }

    // Shows an alert and lets act() answer it from inside the modal loop.
    int answer(int mode, const juce::String& message, std::function<void(juce::Component&)> act)
    {
        AlertDialogComponent alert(mode, message);
        test::gui::ModalDialogDriver driver(std::move(act));
        const auto result = ui::runModalDialog(alert, "Alert");
        EXPECT_TRUE(driver.acted());
        EXPECT_FALSE(ui::ModalDialogState::getInstance()->isOpen());
        return result.value_or(-1);
    }

    static std::function<void(juce::Component&)> clickOn(const juce::String& buttonText,
                                                         const juce::String& snapshotName = {})
    {
        return [buttonText, snapshotName](juce::Component& dialog)
        {
            if (snapshotName.isNotEmpty())
            {
                EXPECT_TRUE(test::gui::saveSnapshot(dialog, snapshotName).existsAsFile());
            }
            EXPECT_TRUE(test::gui::clickButton(dialog, buttonText)) << buttonText;
        };
    }

    static void pressEscape(juce::Component& dialog)
    {
        test::gui::pressKey(dialog, juce::KeyPress(juce::KeyPress::escapeKey));
    }

    static std::vector<juce::Button*> visibleButtons(AlertDialogComponent& alert)
    {
        std::vector<juce::Button*> buttons;
        for (auto* child : alert.getChildren())
            if (auto* button = dynamic_cast<juce::Button*>(child); button != nullptr && button->isVisible())
                buttons.push_back(button);
        return buttons;
    }

    const juce::String message{"The unit file could not be read."};
};

TEST_F(AlertDialogTest, OkOnlyShowsOneRightAlignedButton)
{
    AlertDialogComponent alert(AlertDialogComponent::okOnly, message);
    const auto buttons = visibleButtons(alert);

    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0]->getButtonText(), text("CommonOK"));
    EXPECT_EQ(buttons[0]->getX(), 312);
    EXPECT_EQ(alert.getWidth(), 420);
    EXPECT_EQ(buttons[0]->getBottom() + 16, alert.getHeight());
}

TEST_F(AlertDialogTest, OkOnlyAnswersOneForOkAndZeroForEscape)
{
    EXPECT_EQ(answer(AlertDialogComponent::okOnly, message, clickOn(text("CommonOK"), "alert-dialog-ok")), 1);
    EXPECT_EQ(answer(AlertDialogComponent::okOnly, message, pressEscape), 0);
}

TEST_F(AlertDialogTest, OkCancelPutsOkRightmost)
{
    AlertDialogComponent alert(AlertDialogComponent::okCancel, message);
    const auto* ok = test::gui::findButton(alert, text("CommonOK"));
    const auto* cancel = test::gui::findButton(alert, text("CommonCancel"));

    ASSERT_NE(ok, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(visibleButtons(alert).size(), 2u);
    EXPECT_EQ(ok->getX(), 312);
    EXPECT_EQ(cancel->getX(), 208);
    EXPECT_EQ(ok->getY(), cancel->getY());

    EXPECT_EQ(answer(AlertDialogComponent::okCancel, message, clickOn(text("CommonOK"))), 1);
    EXPECT_EQ(answer(AlertDialogComponent::okCancel, message, clickOn(text("CommonCancel"), "alert-dialog-ok-cancel")),
              0);
}

TEST_F(AlertDialogTest, YesNoCancelAnswersEachButtonAndEscape)
{
    AlertDialogComponent alert(AlertDialogComponent::yesNoCancel, message);
    EXPECT_EQ(test::gui::findButton(alert, text("CommonYes"))->getX(), 16);
    EXPECT_EQ(test::gui::findButton(alert, text("CommonNo"))->getX(), 120);
    EXPECT_EQ(test::gui::findButton(alert, text("CommonCancel"))->getX(), 312);

    EXPECT_EQ(
        answer(AlertDialogComponent::yesNoCancel, message, clickOn(text("CommonYes"), "alert-dialog-yes-no-cancel")),
        1);
    EXPECT_EQ(answer(AlertDialogComponent::yesNoCancel, message, clickOn(text("CommonNo"))), 2);
    EXPECT_EQ(answer(AlertDialogComponent::yesNoCancel, message, clickOn(text("CommonCancel"))), 0);
    EXPECT_EQ(answer(AlertDialogComponent::yesNoCancel, message, pressEscape), 0);
}

TEST_F(AlertDialogTest, EscapeClosesEvenWhenTheMessageHasTheFocus)
{
    EXPECT_EQ(answer(AlertDialogComponent::yesNoCancel, message,
                     [](juce::Component& dialog) {
                         auto* editor = test::gui::findDescendant<juce::TextEditor>(dialog);
                         ASSERT_NE(editor, nullptr);
                         test::gui::click(*editor);
                         EXPECT_TRUE(editor->hasKeyboardFocus(false));
                         pressEscape(dialog);
                     }),
              0);
}

TEST_F(AlertDialogTest, UnknownModeShowsOkOnlyLeftWhereItStarted)
{
    AlertDialogComponent alert(7, message);
    const auto buttons = visibleButtons(alert);

    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0]->getButtonText(), text("CommonOK"));
    EXPECT_EQ(buttons[0]->getX(), 16);
}

TEST_F(AlertDialogTest, LongerMessageMakesTheDialogTallerAndMovesTheButtonsDown)
{
    AlertDialogComponent shortAlert(AlertDialogComponent::okCancel, "One line.");
    const juce::String longMessage = "First line.\nSecond line.\nThird line.\nFourth line.\nFifth line.\n"
                                     "And a sixth line that is long enough to wrap at the editor's edge, twice over, "
                                     "so that word wrapping adds to the height as well.";
    AlertDialogComponent longAlert(AlertDialogComponent::okCancel, longMessage);

    const auto growth = longAlert.getHeight() - shortAlert.getHeight();
    EXPECT_GT(growth, 5 * 14);

    const auto* shortOk = test::gui::findButton(shortAlert, text("CommonOK"));
    const auto* longOk = test::gui::findButton(longAlert, text("CommonOK"));
    EXPECT_EQ(longOk->getY() - shortOk->getY(), growth);
    EXPECT_EQ(longOk->getBottom() + 16, longAlert.getHeight());

    // Every line of the message stays visible above the buttons.
    auto* editor = test::gui::findDescendant<juce::TextEditor>(longAlert);
    ASSERT_NE(editor, nullptr);
    EXPECT_GE(editor->getHeight(), editor->getTextHeight());
    EXPECT_LE(editor->getBottom(), longOk->getY());

    EXPECT_EQ(answer(AlertDialogComponent::okCancel, longMessage, clickOn(text("CommonOK"), "alert-dialog-long")), 1);
}

TEST_F(AlertDialogTest, DialogIsNotShownWhileAnotherHoldsTheFlag)
{
    bool wasOpen = true;
    ui::ModalDialogState::getInstance()->beginModalDialog(wasOpen);
    ASSERT_FALSE(wasOpen);

    AlertDialogComponent alert(AlertDialogComponent::okOnly, message);
    test::gui::ModalDialogDriver driver(pressEscape);
    EXPECT_FALSE(ui::runModalDialog(alert, "Alert").has_value());
    EXPECT_FALSE(driver.acted());
    EXPECT_TRUE(ui::ModalDialogState::getInstance()->isOpen());

    ui::ModalDialogState::getInstance()->endModalDialog(false);
}
} // namespace
