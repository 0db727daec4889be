#include "app/qtr3LibrarianApplication.h"

// The process entry: the framework's application runner creates the application through
// createApplication, starts it, runs the message loop until it is told to stop, shuts it down and
// deletes it.
int main(int argc, char* argv[])
{
    juce::JUCEApplicationBase::createInstance = &createApplication;
    return juce::JUCEApplicationBase::main(argc, const_cast<const char**>(argv));
}
