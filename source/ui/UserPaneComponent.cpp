#include "ui/UserPaneComponent.h"

#include "core/ModalDialogState.h"
#include "data/DataCenter.h"
#include "ui/ApplicationCommandTargetProvider.h"
#include "ui/ApplicationServices.h"
#include "ui/UnitFileDrop.h"
#include "ui/UserListFamily.h"
#include "ui/UserUnitImport.h"

namespace
{
const juce::Colour paneBackground{0xFF111111};
const juce::Colour tableBackground{0xFF000000};
const juce::Colour copyTargetColour{0xDD333333};
const juce::Colour insertMarkerColour{0xFF333333};

bool isModalDialogOpen()
{
    return ui::ModalDialogState::getInstance()->isOpen();
}
} // namespace

template <UnitModule Module>
UserPaneComponent<Module>::UserPaneComponent()
    : view(w40388_data::DataCenter::getInstance()->userData),
      controller(w40388_data::DataCenter::getInstance()->userData), unitFileImporter(importUserUnitFile)
{
    list = std::make_unique<UserListComponent>(&view, &controller);
    addAndMakeVisible(*list);
    list->setName(w40388_ui::UserListFamily<Module>::listName);

    applyListHeightPreference();
    auto& table = list->getTable();
    table.setHeaderHeight(headerHeight);
    table.resized();

    list->setDragIdentifier(dragIdentifier);
    table.setColour(juce::ListBox::backgroundColourId, tableBackground);
    list->setLookAndFeel(&lookAndFeel);
    list->setCopyTargetColour(copyTargetColour);
    list->setInsertMarkerColour(insertMarkerColour);

    setSize(720, 530);
    application::PreferencesDataChangeBroadcaster::getInstance()->addListener(this);
}

template <UnitModule Module> UserPaneComponent<Module>::~UserPaneComponent()
{
    if (auto* broadcaster = application::PreferencesDataChangeBroadcaster::getInstanceWithoutCreating())
        broadcaster->removeListener(this);
    list->setLookAndFeel(nullptr);
    list.reset();
}

template <UnitModule Module> void UserPaneComponent<Module>::paint(juce::Graphics& g)
{
    g.fillAll(paneBackground);
}

template <UnitModule Module> void UserPaneComponent<Module>::resized()
{
    list->setBounds(getLocalBounds());
}

template <UnitModule Module> void UserPaneComponent<Module>::parentSizeChanged()
{
    list->setBounds(getLocalBounds());
}

template <UnitModule Module> juce::ApplicationCommandTarget* UserPaneComponent<Module>::getNextCommandTarget()
{
    return ui::findApplicationCommandTarget();
}

template <UnitModule Module> bool UserPaneComponent<Module>::isInterestedInFileDrag(const juce::StringArray& files)
{
    return !isModalDialogOpen() && ui::findFirstUnitFile(files) >= 0;
}

template <UnitModule Module> void UserPaneComponent<Module>::filesDropped(const juce::StringArray& files, int x, int y)
{
    if (isModalDialogOpen())
        return;
    const int unitFile = ui::findFirstUnitFile(files);
    if (unitFile < 0)
        return;

    // The unit goes into the row under the pointer, wherever the unit file stands among the
    // dropped paths; a drop over no row imports nothing.
    auto& table = list->getTable();
    const int slot = ui::rowUnderPosition(table.getDragGeometry(), table.getLocalPoint(this, juce::Point<int>(x, y)));
    if (slot < 0 || !unitFileImporter)
        return;
    unitFileImporter(juce::File(files[unitFile]), slot, w40388_ui::moduleNumber<Module>);
}

template <UnitModule Module> void UserPaneComponent<Module>::preferencesDataChanged()
{
    applyListHeightPreference();
}

template <UnitModule Module> void UserPaneComponent<Module>::applyListHeightPreference()
{
    list->setRowHeight(w40388_application::readListHeight());
}

template class UserPaneComponent<UnitModule::Oscillator>;
template class UserPaneComponent<UnitModule::ModulationEffect>;
template class UserPaneComponent<UnitModule::DelayEffect>;
template class UserPaneComponent<UnitModule::ReverbEffect>;
