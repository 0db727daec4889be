#pragma once

#include <juce_core/juce_core.h>

#include <optional>
#include <vector>

namespace ui
{
// The description of a row drag in a slot list: the list's drag identifier and the dragged rows.
// As a juce::var it is an array of two elements, the name and an array of the row numbers.
class UserListDragItem
{
public:
    static constexpr int rowDragKind = 1;

    UserListDragItem() = default;
    UserListDragItem(juce::String name, std::vector<int> rows);
    virtual ~UserListDragItem() = default;

    juce::var toVar() const;

    // The item a description holds when it is an array of at least two elements whose first is
    // the string expectedName and whose second is an array; nothing otherwise. Row numbers are
    // converted to integers and kept in their order.
    static std::optional<UserListDragItem> fromVar(const juce::var& description, const juce::String& expectedName);

    int kind = rowDragKind;
    juce::String name;
    std::vector<int> rows;
};
} // namespace ui
