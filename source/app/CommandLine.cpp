#include "app/CommandLine.h"

#include "core/ModalDialogState.h"

namespace w40388_application
{
juce::StringArray tokenizeCommandLine(const juce::String& commandLine)
{
    juce::StringArray tokens;
    juce::String current;
    bool quoted = false;

    for (auto p = commandLine.getCharPointer(); !p.isEmpty(); ++p)
    {
        const auto c = *p;
        if (c == '"')
        {
            if (quoted)
            {
                tokens.add(current);
                current.clear();
            }
            quoted = !quoted;
        }
        else if (c == ' ' && !quoted)
        {
            tokens.add(current);
            current.clear();
        }
        else
        {
            current += c;
        }
    }

    if (current.isNotEmpty())
        tokens.add(current);
    return tokens;
}

juce::StringArray filesNamedOnCommandLine(const juce::String& commandLine)
{
    const auto tokens = tokenizeCommandLine(commandLine);
    juce::StringArray files;
    for (int i = 0; i < tokens.size(); ++i)
    {
        if (tokens[i].startsWith("-NS"))
            ++i;
        else if (tokens[i].isNotEmpty() && !tokens[i].startsWith("-"))
            files.add(tokens[i]);
    }
    return files;
}

void openFilesFromCommandLine(const juce::String& commandLine)
{
    if (ui::ModalDialogState::getInstance()->isOpen())
        return;

    // Files named on the command line are not opened: only their extensions are looked at.
    for (const auto& path : filesNamedOnCommandLine(commandLine))
        juce::ignoreUnused(juce::File::createFileWithoutCheckingPath(path).getFileExtension());
}
} // namespace w40388_application
