#pragma once

#include "core/Singleton.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

namespace ui
{
// The file chooser of the import command. It opens the desktop's chooser (zenity or kdialog, which
// the framework runs as a process of its own) when one is installed and can serve in the
// environment's locale (see desktopChooserServes), else the framework's own
// chooser made to behave as a desktop's does: it opens in the folder of the last file chosen in this
// run (the home folder at first), shows the framework's words in the interface's language (start-up
// installs their translations) and takes the keyboard in its name box. Either one runs in a nested
// message loop, so the main window keeps answering, and close() ends it at once, as an accepted quit
// does. Message thread only.
class UnitFileChooser : public Singleton<UnitFileChooser>, public juce::DeletedAtShutdown
{
public:
    enum class Kind
    {
        desktopWhenInstalled, // the desktop's chooser when the framework finds one, else the framework's own
        framework,            // always the framework's own
    };

    UnitFileChooser() = default;
    ~UnitFileChooser() override;

    // Lets the user choose one file to open. Returns juce::File() when the chooser was cancelled or
    // closed, and at once when a chooser is already open; a chosen file is returned even when it
    // cannot be found, so that reading it reports why.
    juce::File browseForFileToOpen(const juce::String& title, const juce::String& patterns);

    bool isOpen() const noexcept { return open; }

    // Ends an open chooser as if it were cancelled: the desktop's chooser process is killed, the
    // framework's dialog closed. Does nothing when none is open.
    void close();

    void setKind(Kind newKind) noexcept { kind = newKind; }

    // Whether an installed desktop chooser can serve in the environment's locale. It is a program of
    // the desktop's toolkit, which takes its title and hands back the chosen name in the character set
    // of that locale: only where the C library loads the whole locale the environment names, and its
    // character set is UTF-8, does it show any title and give back every name as it is on disk.
    // Elsewhere it ends at once on a title beyond ASCII, or answers a name with letters beyond ASCII
    // with "?" in their place.
    static bool desktopChooserServes();

private:
    // Where the framework's own chooser opens: the folder of the last file chosen in this run while
    // that folder exists, else the home folder.
    juce::File getStartFolder() const;
    juce::File runDesktopChooser(const juce::String& title, const juce::String& patterns);
    juce::File runFrameworkChooser(const juce::String& title, const juce::String& patterns);

    Kind kind = Kind::desktopWhenInstalled;
    juce::File lastFolder;
    bool open = false;
    bool closeRequested = false;
    std::unique_ptr<juce::FileChooser> desktopChooser;       // while the desktop's chooser runs
    juce::Component::SafePointer<juce::Component> ownDialog; // while the framework's chooser shows

    JUCE_DECLARE_NON_COPYABLE(UnitFileChooser)
};
} // namespace ui
