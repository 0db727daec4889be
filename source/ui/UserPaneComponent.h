#pragma once

#include "core/PreferencesDataChangeBroadcaster.h"
#include "ui/ProgramListLookAndFeel.h"
#include "ui/UserListComponent.h"
#include "ui/UserListController.h"
#include "ui/UserListView.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

// One tab of the main window: the slot list of one module type over the live document, with its
// view, controller and look. It hands commands on to the application, imports a unit file dropped
// on a row of the list into that row's slot, and follows the "ListHeight" preference.
// Message thread only.
template <UnitModule Module>
class UserPaneComponent : public juce::Component,
                          public juce::DragAndDropContainer,
                          public juce::ApplicationCommandTarget,
                          public juce::FileDragAndDropTarget,
                          public application::PreferencesDataChangeBroadcasterObserver
{
public:
    static constexpr int headerHeight = 28;
    static constexpr const char* dragIdentifier = "UserListDragItem";

    // Receives the dropped unit file with the slot under the pointer and the pane's module number.
    using UnitFileImporter = std::function<void(const juce::File& file, const int& slot, const int& module)>;

    UserPaneComponent();
    ~UserPaneComponent() override;

    UserListComponent& getList() noexcept { return *list; }

    // Replaces the import of dropped files (the import flow's by default); for tests.
    void setUnitFileImporter(UnitFileImporter importer) { unitFileImporter = std::move(importer); }

    void paint(juce::Graphics&) override;
    void resized() override;
    void parentSizeChanged() override;

    juce::ApplicationCommandTarget* getNextCommandTarget() override;
    void getAllCommands(juce::Array<juce::CommandID>&) override {}
    void getCommandInfo(juce::CommandID, juce::ApplicationCommandInfo&) override {}
    bool perform(const InvocationInfo&) override { return false; }

    bool isInterestedInFileDrag(const juce::StringArray& files) override;
    void filesDropped(const juce::StringArray& files, int x, int y) override;

    void preferencesDataChanged() override;

private:
    void applyListHeightPreference();

    w40388_ui::UserListView<Module> view;
    w40388_ui::UserListController<Module> controller;
    w40388_ui::ProgramListLookAndFeel lookAndFeel;
    std::unique_ptr<UserListComponent> list;
    UnitFileImporter unitFileImporter;

    JUCE_DECLARE_NON_COPYABLE(UserPaneComponent)
};

extern template class UserPaneComponent<UnitModule::Oscillator>;
extern template class UserPaneComponent<UnitModule::ModulationEffect>;
extern template class UserPaneComponent<UnitModule::DelayEffect>;
extern template class UserPaneComponent<UnitModule::ReverbEffect>;
