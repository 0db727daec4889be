#include "support/gui/GuiTest.h"
#include "ui/FontLibrary.h"
#include "ui/ImageTextButton.h"
#include "ui/MainWindowManager.h"

#include <gtest/gtest.h>

namespace
{
int countPixels(const juce::Image& image, juce::Colour colour)
{
    int count = 0;
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            count += image.getPixelAt(x, y) == colour ? 1 : 0;
    return count;
}

TEST(ImageTextButton, DrawsItsTextOverItsImage)
{
    ui::FontLibrary::getInstance()->registerApplicationFonts();
    ui::ImageTextButton button("new button");

    const juce::Colour faceColour(0xFF204060);
    juce::Image face(juce::Image::ARGB, 160, 48, true);
    face.clear(face.getBounds(), faceColour);
    button.setImages(false, true, false, face, 1.0f, {}, {}, 1.0f, {}, face, 1.0f, {});
    button.setButtonText("SEND ALL");
    button.textColour = juce::Colour(0xFFFF0000);
    button.setSize(160, 48);

    const auto drawn = button.createComponentSnapshot(button.getLocalBounds());
    EXPECT_EQ(drawn.getPixelAt(2, 2), faceColour);
    EXPECT_GT(countPixels(drawn, juce::Colour(0xFFFF0000)), 20);

    button.setButtonText({});
    EXPECT_EQ(countPixels(button.createComponentSnapshot(button.getLocalBounds()), juce::Colour(0xFFFF0000)), 0);
}

TEST(MainWindowManager, DeletesItsWindowWithoutItsLookAndFeel)
{
    QTR_REQUIRE_DISPLAY();
    auto* manager = new w40388_ui::MainWindowManager();

    auto window =
        std::make_unique<juce::DocumentWindow>("Main", juce::Colours::black, juce::DocumentWindow::allButtons);
    window->setLookAndFeel(&manager->getLookAndFeel());
    juce::Component::SafePointer<juce::DocumentWindow> watched(window.get());
    manager->setMainWindow(std::move(window));
    ASSERT_NE(watched, nullptr);
    EXPECT_EQ(manager->getMainWindow<juce::DocumentWindow>(), watched.getComponent());

    delete manager;
    EXPECT_EQ(watched, nullptr);
}
} // namespace
