#include "ui/DialogWithNoCloseButton.h"

namespace midi
{
DialogWithNoCloseButton::DialogWithNoCloseButton(const juce::String& title)
    : juce::DocumentWindow(title, juce::Colour(backgroundColour), 0, false)
{
    setLookAndFeel(&lookAndFeel);
}

DialogWithNoCloseButton::~DialogWithNoCloseButton()
{
    // The content uses its own look-and-feel; the window's must not outlive its use here.
    removeFromDesktop();
    clearContentComponent();
    setLookAndFeel(nullptr);
}
} // namespace midi
