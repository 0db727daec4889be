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

#include <algorithm>

namespace
{
using Action = std::function<void(juce::Component&)>;
using w40388_preferences::PreferencesData;

const auto text = [](const char* key) { return CTRXResource::getInstance()->getText(key); };
const auto pressEscape = [](juce::Component& dialog)
{ test::gui::pressKey(dialog, juce::KeyPress(juce::KeyPress::escapeKey)); };

// Clicks the button named tickFirst when given, then the button with the given text or name, or
// presses Escape when there is none.
Action press(const juce::String& button, const char* tickFirst = nullptr)
{
    return [=](juce::Component& dialog)
    {
        EXPECT_TRUE(tickFirst == nullptr || test::gui::clickButton(dialog, tickFirst));
        if (button.isEmpty())
            pressEscape(dialog);
        else
            EXPECT_TRUE(test::gui::clickButton(dialog, button)) << button;
    };
}

// The dialog's visible buttons, left to right.
std::vector<juce::Component*> visibleButtons(juce::Component& dialog)
{
    std::vector<juce::Component*> buttons;
    for (auto* child : dialog.getChildren())
        if (dynamic_cast<juce::Button*>(child) != nullptr && child->isVisible())
            buttons.push_back(child);
    std::sort(buttons.begin(), buttons.end(), [](auto* a, auto* b) { return a->getX() < b->getX(); });
    return buttons;
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
        EXPECT_EQ(driver.dialogTitle(), title); // set when the driver acts
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
    const auto ok = text("CommonOK"), cancel = text("CommonCancel"), yes = text("CommonYes"), no = text("CommonNo");
    const juce::String longMessage = "1\n2\n3\n4\n5\nAnd a sixth line long enough to wrap at the editor's edge, twice "
                                     "over, so that word wrapping adds to the height as well.";
    // Mode, message, the buttons left to right, the button pressed (empty: Escape, with the message focused), the
    // answer.
    const std::tuple<int, juce::String, juce::StringArray, juce::String, int> cases[] = {
        {AlertDialogComponent::okOnly, message, {ok}, ok, 1},
        {AlertDialogComponent::okCancel, message, {cancel, ok}, cancel, 0},
        {AlertDialogComponent::yesNoCancel, message, {yes, no, cancel}, yes, 1},
        {AlertDialogComponent::yesNoCancel, longMessage, {yes, no, cancel}, no, 2},
        {AlertDialogComponent::yesNoCancel, message, {yes, no, cancel}, cancel, 0},
        {AlertDialogComponent::yesNoCancel, message, {yes, no, cancel}, {}, 0},
        {7, message, {ok}, ok, 1}, // an unknown mode shows OK alone
    };
    for (const auto& [mode, shownMessage, buttons, pressed, expected] : cases)
    {
        AlertDialogComponent alert(mode, shownMessage);
        auto* editor = test::gui::findDescendant<juce::TextEditor>(alert);
        ASSERT_NE(editor, nullptr);
        // Every line of the message shows; the buttons sit in a row below it, inside the dialog, apart.
        EXPECT_GE(editor->getHeight(), editor->getTextHeight());
        const auto shown = visibleButtons(alert);
        ASSERT_EQ(int(shown.size()), buttons.size()) << mode;
        for (size_t i = 0; i < shown.size(); ++i)
        {
            EXPECT_EQ(dynamic_cast<juce::Button*>(shown[i])->getButtonText(), buttons[int(i)]) << mode;
            EXPECT_TRUE(alert.getLocalBounds().contains(shown[i]->getBounds())) << mode;
            EXPECT_EQ(shown[i]->getY(), shown[0]->getY()) << mode;
            EXPECT_GE(shown[i]->getY(), editor->getY() + editor->getTextHeight()) << mode;
            EXPECT_LT(alert.getHeight() - shown[i]->getBottom(), shown[i]->getHeight()) << mode;
            EXPECT_TRUE(i == 0 || shown[i - 1]->getRight() < shown[i]->getX()) << mode;
        }
        EXPECT_TRUE(mode == 7 || shown.back()->getRight() == editor->getRight()) << mode;
        const Action clickMessageThenEscape = [&](juce::Component& dialog)
        {
            test::gui::click(*editor);
            EXPECT_TRUE(editor->hasKeyboardFocus(false));
            pressEscape(dialog);
        };
        EXPECT_EQ(runDialog(alert, pressed.isEmpty() ? clickMessageThenEscape : press(pressed)), expected)
            << mode << " " << pressed;
    }
}

TEST_F(ModalDialogTest, OnlyOkWithTheTickTurnsTheWriteWarningOff)
{
    test::gui::ScopedPreferences preferences;
    // Stored preference, tick, button name (empty: Escape), result, preference after.
    const std::tuple<bool, bool, juce::String, int, bool> cases[] = {
        {false, false, "OkButton", 1, true},
        {true, true, "OkButton", 1, false},
        {true, true, "CancelButton", 0, true},
        {true, true, {}, 0, true},
    };
    for (const auto& [storedWarn, tick, button, expected, warnAfter] : cases)
    {
        PreferencesData::getInstance()->SetBool(w40388_preferences::warnBeforeWritingKey, storedWarn);
        WriteUserDataWarningComponent warning;
        EXPECT_EQ(
            runDialog(warning, press(button, tick ? "DontWarning" : nullptr), text("WriteUserDataWarningDialogTitle")),
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
    const auto clickOnTheVersionText = [](juce::Component& dialog) {
        test::gui::click(*test::gui::findDescendant<AboutComponent>(dialog), {500, 380});
    };
    EXPECT_EQ(runDialog(about, clickOnTheVersionText, "About"), 0);
    EXPECT_EQ(runDialog(about, pressEscape, "About"), 0);
}

TEST_F(ModalDialogTest, ConfirmDiscardChangesGoesOnOnlyAfterYesOrWhenNothingWasEdited)
{
    application::DataEditStatus::getInstance()->setEdited(true);
    for (const auto& [button, expected] :
         {std::pair{text("CommonYes"), 0}, {text("CommonNo"), 1}, {text("CommonCancel"), 1}, {juce::String(), 1}})
        EXPECT_EQ(run(text("FileDiscardCheckTitle"), w40388_application::confirmDiscardChanges, press(button)),
                  expected)
            << button;

    // Under another dialog nothing is asked: an edit stays.
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
