#include "ui/UserListDragItem.h"

namespace ui
{
UserListDragItem::UserListDragItem(juce::String itemName, std::vector<int> draggedRows)
    : name(std::move(itemName)), rows(std::move(draggedRows))
{
}

juce::var UserListDragItem::toVar() const
{
    juce::Array<juce::var> rowArray;
    for (const auto row : rows)
        rowArray.add(row);

    juce::Array<juce::var> description;
    description.add(name);
    description.add(rowArray);
    return description;
}

std::optional<UserListDragItem> UserListDragItem::fromVar(const juce::var& description,
                                                          const juce::String& expectedName)
{
    const auto* elements = description.getArray();
    if (elements == nullptr || elements->size() < 2)
        return std::nullopt;

    const auto& nameElement = elements->getReference(0);
    const auto* rowElements = elements->getReference(1).getArray();
    if (!nameElement.isString() || nameElement.toString() != expectedName || rowElements == nullptr)
        return std::nullopt;

    UserListDragItem item;
    item.name = nameElement.toString();
    for (const auto& row : *rowElements)
        item.rows.push_back(static_cast<int>(row));
    return item;
}
} // namespace ui
