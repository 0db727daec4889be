#pragma once

#include "app/HeaderComponent.h"
#include "ui/CustomTabbedComponent.h"
#include "ui/DefaultLookAndFeel.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

// The main window's content: the header band (85 high) and below it the tabbed component with the
// four slot panes, tab 0 oscillators, 1 modulation, 2 delay and 3 reverb effects. The tabbed
// component is a direct child, so code that has the window finds it among the content's children.
// Commands go on to the menu's command target; file drops are left to the panes. Message thread
// only.
class MainComponent : public juce::Component,
                      public juce::DragAndDropContainer,
                      public juce::ApplicationCommandTarget,
                      public juce::FileDragAndDropTarget
{
public:
    static constexpr int initialWidth = 720;
    static constexpr int initialHeight = 590;
    static constexpr int headerHeight = 85;
    static constexpr int tabBarDepth = 30;

    MainComponent();
    ~MainComponent() override;

    void paint(juce::Graphics&) override;
    void resized() override;
    void parentSizeChanged() override;

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands(juce::Array<juce::CommandID>&) override {}
    void getCommandInfo(juce::CommandID, juce::ApplicationCommandInfo&) override {}
    bool perform(const InvocationInfo&) override { return false; }

    bool isInterestedInFileDrag(const juce::StringArray&) override { return false; }
    void filesDropped(const juce::StringArray&, int, int) override {}

    HeaderComponent& getHeader() noexcept { return *header; }
    ui::CustomTabbedComponent& getTabbedComponent() noexcept { return *tabbedComponent; }

private:
    void layOut();

    w40388_ui::DefaultLookAndFeel lookAndFeel;
    std::unique_ptr<HeaderComponent> header;
    std::unique_ptr<ui::CustomTabbedComponent> tabbedComponent;

    JUCE_DECLARE_NON_COPYABLE(MainComponent)
};
