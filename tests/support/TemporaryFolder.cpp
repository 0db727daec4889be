#include "TemporaryFolder.h"

#include <stdexcept>
#include <stdlib.h>
#include <vector>

namespace test
{
namespace
{
juce::File makeUniqueFolder(const juce::String& prefix)
{
    const auto pattern =
        juce::File::getSpecialLocation(juce::File::tempDirectory).getChildFile(prefix + "-XXXXXX").getFullPathName();
    std::vector<char> path(pattern.toRawUTF8(), pattern.toRawUTF8() + pattern.getNumBytesAsUTF8() + 1);
    if (::mkdtemp(path.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary folder from " + pattern.toStdString());
    return juce::File(juce::CharPointer_UTF8(path.data()));
}
} // namespace

TemporaryFolder::TemporaryFolder(const juce::String& prefix) : folder(makeUniqueFolder(prefix)) {}

TemporaryFolder::~TemporaryFolder()
{
    folder.deleteRecursively();
}
} // namespace test
