// Feeds arbitrary bytes to the text-table loader. Nothing may crash or stall, and whatever the
// bounds check lets through must give the parser's tree no deeper and with no more names than
// the check counted, whatever the framework's lenient parser makes of it.

#include "core/BoundedXml.h"
#include "core/CTRXResource.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

namespace
{
void expectWithinBounds(const juce::XmlElement& root)
{
    std::vector<std::pair<const juce::XmlElement*, int>> pending{{&root, 1}};
    int names = 0;
    while (!pending.empty())
    {
        const auto [element, depth] = pending.back();
        pending.pop_back();
        names += 1 + element->getNumAttributes();
        if (depth > maxXmlDepth || names > maxXmlNames)
            std::abort();

        for (const auto* child : element->getChildIterator())
            if (!child->isTextElement())
                pending.emplace_back(child, depth + 1);
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const CTRXResource table(data, size);
    if (table.hasTable())
    {
        const auto root = parseBoundedXml(data, size);
        expectWithinBounds(*root);
        for (const auto* entry : root->getChildIterator())
            table.getText(entry->getTagName());
    }

    // Names stay in JUCE's global pool until collected; keep it from growing across inputs.
    juce::StringPool::getGlobalPool().garbageCollect();
    return 0;
}
