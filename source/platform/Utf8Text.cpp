#include "platform/Utf8Text.h"

#include <cstring>
#include <vector>

juce::String decodeUtf8Text(const void* bytes, std::size_t numBytes)
{
    if (bytes == nullptr || numBytes == 0)
        return {};

    // Trailing zeros stop the decoder's look-ahead for continuation bytes.
    std::vector<char> padded(numBytes + 4, 0);
    std::memcpy(padded.data(), bytes, numBytes);
    return juce::String(juce::CharPointer_UTF8(padded.data()), juce::CharPointer_UTF8(padded.data() + numBytes));
}

juce::String decodeUtf8Text(const char* zeroTerminated)
{
    return zeroTerminated == nullptr ? juce::String() : decodeUtf8Text(zeroTerminated, std::strlen(zeroTerminated));
}
