#include "core/CTRXResource.h"

#include "core/BoundedXml.h"
#include "core/CurrentLanguageModel.h"

#include <cstdio>
#include <limits>
#include <sys/stat.h>

namespace
{
// The interface language chosen at start-up: 1 is Japanese, anything else English.
juce::String tableLanguageCode()
{
    return w40388_application::CurrentLanguageModel::getInstance()->isJapanese() ? "ja" : "en";
}

struct FileCloser
{
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};
} // namespace

CTRXResource::CTRXResource() : CTRXResource(platform::ResourceLookup(tableLanguageCode())) {}

CTRXResource::CTRXResource(const platform::ResourceLookup& resourceLookup) : lookup(resourceLookup)
{
    load();
}

CTRXResource::CTRXResource(const void* tableBytes, std::size_t size) : lookup("en", juce::File())
{
    root = parseBoundedXml(tableBytes, size);
}

CTRXResource::~CTRXResource() = default;

int CTRXResource::loadBundleResource(const juce::String& name, const juce::String& type, void* buffer, int capacity,
                                     int* size) const
{
    int fileSize = -1;
    int bytesRead = 0;

    const auto file = lookup.findResource(name, type);
    const auto path = file.getFullPathName();

    struct stat status;
    if (path.isNotEmpty() && ::stat(path.toRawUTF8(), &status) == 0 && S_ISREG(status.st_mode))
    {
        fileSize = status.st_size > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                                    : static_cast<int>(status.st_size);

        const int toRead = juce::jmin(fileSize, capacity);
        if (buffer != nullptr && toRead > 0)
        {
            const std::unique_ptr<std::FILE, FileCloser> stream(std::fopen(path.toRawUTF8(), "rb"));
            if (stream != nullptr)
                bytesRead = static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(toRead), stream.get()));
        }
    }

    if (size != nullptr)
        *size = fileSize;

    return bytesRead;
}

void CTRXResource::load()
{
    int size = -1;
    loadBundleResource(tableName, tableType, nullptr, 0, &size);
    if (size <= 0 || static_cast<std::size_t>(size) > maxXmlFileBytes)
        return;

    if (readBufferCapacity < size)
    {
        readBuffer.free();
        readBuffer.malloc(static_cast<size_t>(size));
        readBufferCapacity = size;
    }

    // Only the bytes really read are parsed: a file that could not be opened, or shrank since its
    // size was taken, must not hand uninitialised memory to the parser.
    const int bytesRead = loadBundleResource(tableName, tableType, readBuffer.get(), size, nullptr);
    if (bytesRead <= 0)
        return;

    // Nesting and size are bounded before parsing; a byte-order mark is skipped.
    root = parseBoundedXml(readBuffer.get(), static_cast<std::size_t>(bytesRead));
}

juce::String CTRXResource::getText(const juce::String& key) const
{
    if (root == nullptr)
        return {};

    for (const auto* entry : root->getChildIterator())
    {
        if (entry->isTextElement())
            continue;

        if (entry->getTagName().equalsIgnoreCase(key))
            return entry->getStringAttribute("Text");
    }

    return {};
}
