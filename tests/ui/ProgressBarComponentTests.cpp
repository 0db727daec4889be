#include "support/gui/GuiTest.h"
#include "ui/ProgressBarComponent.h"

#include <gtest/gtest.h>

namespace
{
template <typename SliderType> double valueAfterMouseAndWheel()
{
    SliderType slider;
    slider.setSliderStyle(juce::Slider::LinearHorizontal);
    slider.setTextBoxStyle(juce::Slider::NoTextBox, true, 0, 0);
    slider.setRange(0.0, 1.0);
    slider.setValue(0.3, juce::dontSendNotification);
    test::gui::ScopedOnDesktop shown(slider, 200, 24);

    test::gui::click(slider, {180, 12});
    test::gui::drag(slider, {-60, 0});
    test::gui::wheel(slider, 0.5f);
    test::gui::click(slider, {20, 12});
    test::gui::click(slider, {20, 12});
    return slider.getValue();
}

TEST(ProgressBarComponent, IgnoresClicksDragsAndTheWheel)
{
    QTR_REQUIRE_DISPLAY();

    EXPECT_DOUBLE_EQ(valueAfterMouseAndWheel<ui::ProgressBarComponent>(), 0.3);
    // The same input moves an ordinary slider, so it does reach the component.
    EXPECT_NE(valueAfterMouseAndWheel<juce::Slider>(), 0.3);
}
} // namespace
