#pragma once

#include "data/UserData.h"

#include <juce_data_structures/juce_data_structures.h>

namespace w40388_action
{
// Replaces the usable records of all four live slot lists at once (the receive command installs
// the received lists with it); the live spares are never touched. Keeps the edited flag like the
// slot actions. Message thread only.
class SetUserDataAction : public juce::UndoableAction
{
public:
    // Undo-history cost of a whole-data action.
    static constexpr int sizeInUnits = 6672;

    explicit SetUserDataAction(const w40388_data::UserData& newData);
    ~SetUserDataAction() override;

    bool perform() override;
    bool undo() override;
    int getSizeInUnits() override;

    const w40388_data::UserData newData;
    w40388_data::UserData oldData;
    bool wasEdited = false;
};
} // namespace w40388_action
