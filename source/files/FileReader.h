#pragma once

#include <juce_core/juce_core.h>

namespace file
{
// Base of the readers that turn one file into data; read returns a read code.
class FileReader
{
public:
    virtual ~FileReader();
    virtual int read(const juce::File& file) = 0;
};
} // namespace file
