#include "support/gui/GuiTest.h"
#include "ui/AboutComponent.h"
#include "ui/ModalDialog.h"

#include <gtest/gtest.h>

namespace
{
class AboutComponentTest : public testing::Test
{
protected:
    void SetUp() override { QTR_REQUIRE_DISPLAY(); }

    int showAbout(std::function<void(juce::Component&)> act)
    {
        AboutComponent about;
        test::gui::ModalDialogDriver driver(std::move(act));
        const auto result = ui::runModalDialog(about, "About");
        EXPECT_TRUE(driver.acted());
        return result.value_or(-1);
    }
};

TEST_F(AboutComponentTest, ShowsTheRunningApplicationsVersion)
{
    test::gui::TestApplication application("Librarian", "2.3.4");
    AboutComponent about;

    EXPECT_EQ(about.getVersionText(), "version: 2.3.4");
    EXPECT_EQ(about.getWidth(), 600);
    EXPECT_EQ(about.getHeight(), 400);
}

TEST_F(AboutComponentTest, ClickOnThePictureClosesTheBox)
{
    test::gui::TestApplication application("Librarian", "1.0.0");
    const auto result = showAbout(
        [](juce::Component& dialog)
        {
            auto* about = test::gui::findDescendant<AboutComponent>(dialog);
            ASSERT_NE(about, nullptr);
            EXPECT_TRUE(test::gui::saveSnapshot(dialog, "about-box").existsAsFile());
            // The lower right corner, on the version text.
            test::gui::click(*about, {500, 380});
        });
    EXPECT_EQ(result, 0);
}

TEST_F(AboutComponentTest, EscapeClosesTheBox)
{
    EXPECT_EQ(showAbout([](juce::Component& dialog)
                        { test::gui::pressKey(dialog, juce::KeyPress(juce::KeyPress::escapeKey)); }),
              0);
}

TEST_F(AboutComponentTest, PictureFillsTheBox)
{
    AboutComponent about;
    const auto image = about.createComponentSnapshot(about.getLocalBounds());

    // The picture is drawn over the black fill: its corners are not pure black.
    EXPECT_NE(image.getPixelAt(5, 5).getARGB(), 0xFF000000u);
    EXPECT_NE(image.getPixelAt(594, 5).getARGB(), 0xFF000000u);
}
} // namespace
