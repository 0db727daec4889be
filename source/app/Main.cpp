#include "app/qtr3LibrarianApplication.h"
#include "ui/FontLibrary.h"

// The process entry: the framework's application runner creates the application through
// createApplication, starts it, runs the message loop until it is told to stop, shuts it down and
// deletes it. The framework's font list is narrowed first: listing every installed font file
// would be most of the start-up's work.
int main(int argc, char* argv[])
{
    ui::FontLibrary::limitFrameworkFontScan();
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}
