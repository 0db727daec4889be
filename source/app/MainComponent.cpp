#include "app/MainComponent.h"

#include "app/ApplicationMenuManager.h"
#include "data/SlotFamily.h"
#include "ui/UserPaneComponents.h"

namespace
{
const juce::Colour tabColour(0xFF222222);
const juce::Colour contentBackground(0x80262626);

// Appends the pane of one slot list as a tab, titled with the family's translated tab title.
template <UnitModule Module> void addPaneTab(ui::CustomTabbedComponent& tabs)
{
    tabs.addTab(TRANS(w40388_data::listTitle(Module)), tabColour, new UserPaneComponent<Module>(), true);
}
} // namespace

MainComponent::MainComponent()
{
    header = std::make_unique<HeaderComponent>();
    addAndMakeVisible(*header);

    tabbedComponent = std::make_unique<ui::CustomTabbedComponent>(juce::TabbedButtonBar::TabsAtTop);
    addAndMakeVisible(*tabbedComponent);
    tabbedComponent->setTabBarDepth(tabBarDepth);
    addPaneTab<UnitModule::Oscillator>(*tabbedComponent);
    addPaneTab<UnitModule::ModulationEffect>(*tabbedComponent);
    addPaneTab<UnitModule::DelayEffect>(*tabbedComponent);
    addPaneTab<UnitModule::ReverbEffect>(*tabbedComponent);
    tabbedComponent->setCurrentTabIndex(0, true);
    auto& tabBar = tabbedComponent->getTabbedButtonBar();
    for (int i = 0; i < tabBar.getNumTabs(); ++i)
        tabBar.getTabButton(i)->setLookAndFeel(&lookAndFeel);

    setSize(initialWidth, initialHeight);
}

MainComponent::~MainComponent()
{
    auto& tabBar = tabbedComponent->getTabbedButtonBar();
    for (int i = 0; i < tabBar.getNumTabs(); ++i)
        tabBar.getTabButton(i)->setLookAndFeel(nullptr);
    tabbedComponent = nullptr;
    header = nullptr;
}

void MainComponent::paint(juce::Graphics& g)
{
    g.fillAll(contentBackground);
}

void MainComponent::resized()
{
    layOut();
}

void MainComponent::parentSizeChanged()
{
    layOut();
}

void MainComponent::layOut()
{
    header->setBounds(0, 0, getWidth(), headerHeight);
    // The tabs take the whole height below the header: their lowest 85 pixels lie under the
    // content's bottom edge, where the lists leave a band of their own.
    tabbedComponent->setBounds(0, headerHeight, getWidth(), getHeight());
}

juce::ApplicationCommandTarget* MainComponent::getNextCommandTarget()
{
    return &w40388_menu::ApplicationMenuManager::getInstance()->getCommands();
}
