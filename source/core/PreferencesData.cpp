#include "core/PreferencesData.h"

#include "core/BoundedXml.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace w40388_preferences
{
namespace
{
juce::File& folderOverride()
{
    static juce::File folder;
    return folder;
}

juce::File& asideOverride()
{
    static juce::File aside;
    return aside;
}

juce::File defaultFolder()
{
    if (folderOverride() != juce::File())
        return folderOverride();

    return juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory).getChildFile(preferencesFolderName);
}

bool isFileSpace(juce::juce_wchar c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int clampToInt(long value)
{
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

// The whole file, unless it is larger than any preferences file we read.
bool readBoundedFile(const juce::File& file, juce::MemoryBlock& bytes)
{
    juce::FileInputStream in(file);
    if (!in.openedOk() || in.getTotalLength() > static_cast<juce::int64>(maxXmlFileBytes))
        return false;

    in.readIntoMemoryBlock(bytes, static_cast<ssize_t>(maxXmlFileBytes) + 1);
    return true;
}
} // namespace

PreferencesData::PreferencesData() : folder(defaultFolder())
{
    load();
}

PreferencesData::~PreferencesData()
{
    Save();
}

void PreferencesData::setFolderOverrideForTesting(const juce::File& newFolder)
{
    folderOverride() = newFolder;
}

void PreferencesData::setUnreadableFileAsideForTesting(const juce::File& aside)
{
    asideOverride() = aside;
}

juce::File PreferencesData::GetFilePath() const
{
    if (!folder.isDirectory())
        folder.createDirectory();

    return folder.getChildFile(preferencesFileName);
}

void PreferencesData::load()
{
    const auto file = GetFilePath();

    if (file.existsAsFile())
    {
        juce::MemoryBlock bytes;
        if (readBoundedFile(file, bytes))
            root = parseFile(bytes.getData(), bytes.getSize());
        // An empty file holds nothing worth keeping; anything else that does not parse does.
        unreadableFilePending = root == nullptr && file.getSize() > 0;
    }

    if (root == nullptr)
        root = std::make_unique<juce::XmlElement>(preferencesRootTag);
}

juce::XmlElement::TextFormat PreferencesData::fileFormat()
{
    juce::XmlElement::TextFormat format;
    format.customEncoding = "UTF-8";
    format.lineWrapLength = 60;
    format.newLineChars = "\r\n";
    return format;
}

std::unique_ptr<juce::XmlElement> PreferencesData::parseFile(const void* data, std::size_t size)
{
    auto tree = parseBoundedXml(data, size);
    // Indentation and line wrapping could make a compact tree's text many times larger.
    if (tree != nullptr && xmlTextSize(*tree, fileFormat()) > maxXmlFileBytes)
        return nullptr;
    return tree;
}

bool PreferencesData::keepUnreadableFileAside(const juce::File& file)
{
    if (!file.exists())
        return true;

    auto aside = asideOverride();
    if (aside == juce::File())
        aside = file.getSiblingFile(file.getFileName() + unreadableFileSuffix).getNonexistentSibling();
    return file.moveFileTo(aside);
}

void PreferencesData::Save()
{
    const auto file = GetFilePath();
    if (file == juce::File())
        return;
    // Text the next start would refuse (too large, or past the reader's other bounds, such as a
    // key added to a file that already names as much as it may) is not written: the file keeps
    // the settings it holds rather than being set aside as unreadable next time.
    juce::MemoryOutputStream text;
    root->writeTo(text, fileFormat());
    if (parseFile(text.getData(), text.getDataSize()) == nullptr)
        return;

    if (unreadableFilePending)
    {
        // Never replace a file we could not read before it is kept aside: the user may want it back.
        if (!keepUnreadableFileAside(file))
            return;
        unreadableFilePending = false;
    }

    // The text checked above, into a temporary file beside the target that then takes its place.
    juce::TemporaryFile temporary(file);
    {
        juce::FileOutputStream out(temporary.getFile());
        if (!out.openedOk() || !out.write(text.getData(), text.getDataSize()))
            return;
        out.flush(); // and synced to the disk before the rename
        if (out.getStatus().failed())
            return;
    }
    temporary.overwriteTargetFileWithTemporary();
}

const juce::XmlElement* PreferencesData::findChild(const juce::String& key) const
{
    for (const auto* child : root->getChildIterator())
        if (!child->isTextElement() && child->getTagName().equalsIgnoreCase(key))
            return child;

    return nullptr;
}

const juce::String* PreferencesData::findValue(const juce::String& key) const
{
    const auto* child = findChild(key);
    if (child == nullptr || !child->hasAttribute(preferencesValueAttribute))
        return nullptr;

    return &child->getStringAttribute(preferencesValueAttribute);
}

juce::String PreferencesData::GetString(const juce::String& key, const juce::String& defaultValue) const
{
    const auto* value = findValue(key);
    return value != nullptr ? *value : defaultValue;
}

int PreferencesData::GetInt(const juce::String& key, int defaultValue) const
{
    const auto* value = findValue(key);
    return value != nullptr ? parseInt(*value) : defaultValue;
}

bool PreferencesData::GetBool(const juce::String& key, bool defaultValue) const
{
    const auto* value = findValue(key);
    return value != nullptr ? parseBool(*value) : defaultValue;
}

juce::XmlElement& PreferencesData::GetOrCreateChild(const juce::String& key)
{
    if (const auto* child = findChild(key))
        return *const_cast<juce::XmlElement*>(child);

    return *root->createNewChildElement(key);
}

void PreferencesData::SetString(const juce::String& key, const juce::String& value)
{
    GetOrCreateChild(key).setAttribute(preferencesValueAttribute, value);
}

void PreferencesData::SetInt(const juce::String& key, int value)
{
    SetString(key, juce::String(value));
}

void PreferencesData::SetBool(const juce::String& key, bool value)
{
    SetString(key, value ? "1" : "0");
}

void PreferencesData::SetDefaultString(const juce::String& key, const juce::String& value)
{
    if (findChild(key) == nullptr)
        SetString(key, value);
}

void PreferencesData::SetDefaultInt(const juce::String& key, int value)
{
    if (findChild(key) == nullptr)
        SetInt(key, value);
}

void PreferencesData::SetDefaultBool(const juce::String& key, bool value)
{
    if (findChild(key) == nullptr)
        SetBool(key, value);
}

bool PreferencesData::parseBool(const juce::String& text)
{
    auto p = text.getCharPointer();
    while (!p.isEmpty() && isFileSpace(*p))
        ++p;

    const auto first = *p;
    return first == '1' || first == 'T' || first == 't' || first == 'Y' || first == 'y';
}

int PreferencesData::parseInt(const juce::String& text)
{
    // Leading white space, an optional sign, then digits up to the first non-digit; no digits
    // give 0. Values beyond the int range are clamped rather than left undefined.
    return clampToInt(std::strtol(text.toRawUTF8(), nullptr, 10));
}

std::optional<int> PreferencesData::parseDecimal(const juce::String& text)
{
    const char* const start = text.toRawUTF8();
    char* end = nullptr;
    const long value = std::strtol(start, &end, 10);
    if (end == start)
        return std::nullopt;
    while (isFileSpace(static_cast<unsigned char>(*end)))
        ++end;
    if (*end != 0)
        return std::nullopt;
    return clampToInt(value);
}
} // namespace w40388_preferences
