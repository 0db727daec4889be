// Feeds arbitrary bytes to the preferences loader as it reads the file: the bounds check, JUCE's
// parser, then the check of the saved size. Nothing may crash or stall, and a tree that comes back
// must save as text no larger than the loader takes, which loads again with the same settings.

#include "core/BoundedXml.h"
#include "core/PreferencesData.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace
{
// The settings as the store reads them: each child element of the root with its attributes.
juce::StringArray settingsOf(const juce::XmlElement& root)
{
    juce::StringArray settings{root.getTagName()};
    for (const auto* child : root.getChildIterator())
    {
        if (child->isTextElement())
            continue;

        auto setting = child->getTagName();
        for (int i = 0; i < child->getNumAttributes(); ++i)
            setting << ' ' << child->getAttributeName(i) << "=\"" << child->getAttributeValue(i) << '"';
        settings.add(setting);
    }
    return settings;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using w40388_preferences::PreferencesData;

    if (const auto tree = PreferencesData::parseFile(data, size))
    {
        const auto text = tree->toString(PreferencesData::fileFormat());
        const auto saved = PreferencesData::parseFile(text.toRawUTF8(), text.getNumBytesAsUTF8());
        if (text.getNumBytesAsUTF8() > maxXmlFileBytes || saved == nullptr || settingsOf(*saved) != settingsOf(*tree))
            std::abort();

        for (const auto* child : tree->getChildIterator())
        {
            const auto value = child->getStringAttribute(w40388_preferences::preferencesValueAttribute);
            PreferencesData::parseBool(value);
            PreferencesData::parseInt(value);
        }
    }

    // Names stay in JUCE's global pool until collected; keep it from growing across inputs.
    juce::StringPool::getGlobalPool().garbageCollect();
    return 0;
}
