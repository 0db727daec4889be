// Feeds arbitrary bytes to the text-table loader. Nothing may crash or stall, and whatever the
// bounds check lets through must give a tree exactly as deep and with exactly as many names as
// the check counted: the check reads the nesting as the framework's lenient parser does.

#include "core/BoundedXml.h"
#include "core/CTRXResource.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace
{
XmlExtent extentOf(const juce::XmlElement& root)
{
    XmlExtent extent;
    std::vector<std::pair<const juce::XmlElement*, int>> pending{{&root, 1}};
    while (!pending.empty())
    {
        const auto [element, depth] = pending.back();
        pending.pop_back();
        extent.depth = std::max(extent.depth, depth);
        extent.names += 1 + element->getNumAttributes();
        for (const auto* child : element->getChildIterator())
            if (!child->isTextElement())
                pending.emplace_back(child, depth + 1);
    }
    return extent;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CTRXResource table(data, size);
    if (table.hasTable())
    {
        XmlExtent counted;
        const auto root = parseBoundedXml(data, size);
        const auto built = extentOf(*root);
        if (!checkXmlBounds(data, size, counted) || built.depth != counted.depth || built.names != counted.names)
            std::abort();
        for (const auto* entry : root->getChildIterator())
            table.getText(entry->getTagName());
    }

    // Names stay in JUCE's global pool until collected; keep it from growing across inputs.
    juce::StringPool::getGlobalPool().garbageCollect();
    return 0;
}
