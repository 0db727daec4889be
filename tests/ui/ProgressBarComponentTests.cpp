#include "support/gui/GuiTest.h"
#include "ui/ProgressBarComponent.h"

#include <gtest/gtest.h>

TEST(ProgressBarComponent, IgnoresClicksDragsAndTheWheel)
{
    QTR_REQUIRE_DISPLAY();
    ui::ProgressBarComponent progressBar;
    juce::Slider ordinary; // the same input moves it, so it does reach the component
    for (juce::Slider* slider : {static_cast<juce::Slider*>(&progressBar), &ordinary})
    {
        slider->setTextBoxStyle(juce::Slider::NoTextBox, true, 0, 0);
        slider->setValue(3.0, juce::dontSendNotification); // of 0 to 10
        test::gui::ScopedOnDesktop shown(*slider, 200, 24);

        test::gui::click(*slider, {180, 12});
        test::gui::drag(*slider, {-60, 0});
        test::gui::wheel(*slider, 0.5f);
        test::gui::click(*slider, {20, 12});
        test::gui::click(*slider, {20, 12});
        EXPECT_EQ(slider->getValue() == 3.0, slider == &progressBar) << slider->getValue();
    }
}
