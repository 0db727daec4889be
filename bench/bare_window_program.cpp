// The smallest JUCE program that opens one window: the reference that bench_startup measures the
// librarian's start-up against. The window is empty and as large as the librarian's.

#include <juce_gui_basics/juce_gui_basics.h>

namespace
{
class BareWindow final : public juce::DocumentWindow
{
public:
    BareWindow() : juce::DocumentWindow("Bare Window", juce::Colours::black, juce::DocumentWindow::allButtons)
    {
        setUsingNativeTitleBar(true);
        centreWithSize(720, 618);
        setVisible(true);
    }

    void closeButtonPressed() override { juce::JUCEApplication::quit(); }
};

class BareWindowApplication final : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override { return "Bare Window"; }
    const juce::String getApplicationVersion() override { return "1.0.0"; }
    bool moreThanOneInstanceAllowed() override { return true; }
    void initialise(const juce::String&) override { window = std::make_unique<BareWindow>(); }
    void shutdown() override { window = nullptr; }

private:
    std::unique_ptr<BareWindow> window;
};
} // namespace

START_JUCE_APPLICATION(BareWindowApplication)
