#include "ui/SelectedRowsStatus.h"

namespace ui
{
const std::vector<int>* selectedRowsOfTab(int tabIndex)
{
    switch (tabIndex)
    {
    case 0:
        return &SelectedUserOscStatus::getInstance()->getSelectedRows();
    case 1:
        return &SelectedUserModFXStatus::getInstance()->getSelectedRows();
    case 2:
        return &SelectedUserDelFXStatus::getInstance()->getSelectedRows();
    case 3:
        return &SelectedUserRevFXStatus::getInstance()->getSelectedRows();
    default:
        return nullptr;
    }
}
} // namespace ui
