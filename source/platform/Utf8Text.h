#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>

// Decodes bytes as UTF-8 without reading past them: a lead byte at the very end
// does not pull in the bytes that follow in memory, and malformed sequences are
// taken leniently instead of tripping the framework's assertion. A zero byte ends
// the text.
juce::String decodeUtf8Text(const void* bytes, std::size_t numBytes);

// The same for a zero-terminated text from outside (a device, the environment, a font);
// null gives an empty text. The framework's own conversion of such a text sizes its
// buffer by the decoded characters but copies the raw bytes, and so overflows for
// bytes that are not valid UTF-8.
juce::String decodeUtf8Text(const char* zeroTerminated);
