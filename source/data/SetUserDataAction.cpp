#include "data/SetUserDataAction.h"

#include "core/DataEditStatus.h"
#include "data/DataCenter.h"

namespace w40388_action
{
SetUserDataAction::SetUserDataAction(const w40388_data::UserData& data) : newData(data) {}

SetUserDataAction::~SetUserDataAction() = default;

bool SetUserDataAction::perform()
{
    auto& live = w40388_data::DataCenter::getInstance()->userData;
    auto* editStatus = application::DataEditStatus::getInstance();

    oldData = live;
    wasEdited = editStatus->isEdited();
    live = newData;
    editStatus->setEdited(true);
    return true;
}

bool SetUserDataAction::undo()
{
    w40388_data::DataCenter::getInstance()->userData = oldData;
    if (!wasEdited)
        application::DataEditStatus::getInstance()->setEdited(false);
    return true;
}

int SetUserDataAction::getSizeInUnits()
{
    return sizeInUnits;
}
} // namespace w40388_action
